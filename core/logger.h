#pragma once

// The event log, QMT.log: emptied at start-up, one line per message, CR LF ended.

#include "core/math_operations.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class EventLog {
public:
    EventLog() = default;
    explicit EventLog(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    void set_path(const QString& path) { path_ = path; }

    // Creates or truncates the log. False when it cannot be written.
    bool reset_log();
    // Appends text and CR LF. False when it cannot be written.
    bool append_log(const QString& text);

    // A log without a file that keeps its lines, for a front end that tells them itself.
    void keep_lines() { keep_ = true; }
    const QStringList& kept_lines() const { return kept_; }

private:
    QString path_;
    bool keep_ = false;
    QStringList kept_;
};

inline const QString log_file_name = QStringLiteral("QMT.log");

// The log beside the executable of a build folder (one with the build's CMakeCache.txt above
// it) when it can be written there; else, as for an installed program, in the per-user data
// folder.
QString default_log_path(const QString& executable_dir);
bool is_build_folder(const QString& executable_dir);

// The locale's short date and long time; the time is left out at exactly midnight.
QString log_time_text(const QDateTime& now);

// True (after logging one line) when the orientation is out of range: azimuth outside
// [0, 360] or plunge outside [0, 90], or not a number. An empty file or line -1 is left out.
bool check_azpl(const Tazpl& azpl, const QString& routine, const QString& file, int line,
                EventLog& log);
