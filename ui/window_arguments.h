#pragma once

// The command line of the window: files to open, or --help and --version, which print and end
// the program before any window (or display) is needed.

#include <QString>
#include <QStringList>

struct TWindowArguments {
    enum class Kind { Run, Help, Version, UsageError } kind = Kind::Run;
    QStringList files;
    QString screenshot_folder; // --screenshots DIR, for `make screenshots`
    QString text;              // the help or version text, or the reason of the usage error
};

// arguments[0] is the program name. "--" ends the options: a file may then begin with "-".
TWindowArguments parse_window_arguments(const QStringList& arguments);
