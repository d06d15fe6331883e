#pragma once

// One batch run: the session the window works with, driven by the options: read the files,
// designate, write the outputs.

#include "batch/batch_options.h"
#include "core/messages.h"

#include <QSize>
#include <QStringList>
#include <QTextStream>

inline constexpr int batch_ok = 0;
inline constexpr int batch_failed = 1;      // a file could not be read or written, or invalid
inline constexpr int batch_usage_error = 2; // or a stress picture beyond --max-symbols

// The messages the window shows in boxes, one line each on the stream after
// "quomtel-batch: ", shortened as the box shortens them. Questions are answered Yes: nobody is
// there to answer them. Quiet, notes are left out.
class StreamMessages : public Messages {
public:
    explicit StreamMessages(QTextStream& stream) : stream_(stream) {}
    void show(const QString& text) override;
    void note(const QString& text) override;
    // A line of standard error each, so that scripts can count and grep them.
    void show_lines(const QStringList& lines) override;
    bool ask(const QString& caption, const QString& text) override;
    void set_quiet(bool quiet) { quiet_ = quiet; }

private:
    QTextStream& stream_;
    bool quiet_ = false;
};

// A message on one line: every line break becomes a space.
QString one_line_message(const QString& text);

// The histogram has no bitmap of its own in the window; pictures of it are this size.
inline constexpr QSize batch_histogram_size{500, 500};

// The outputs of options; printed text goes to out. Returns batch_ok or batch_failed, or
// batch_usage_error, with nothing written, when the stress picture would draw more symbols than
// options.max_symbols (known only once the result is read).
int run_batch(const TBatchOptions& options, Messages& messages, QTextStream& out);

// The whole program after the application object exists: parses, runs, returns the status.
int batch_main(const QStringList& arguments, QTextStream& out, QTextStream& err);
