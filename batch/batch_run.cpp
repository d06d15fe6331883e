#include "batch/batch_run.h"

#include "batch/batch_inversion.h"
#include "batch/batch_kinematics.h"
#include "core/logger.h"
#include "core/number_text.h"
#include "core/output_file.h"
#include "faults/fd_list_text.h"
#include "session/session.h"
#include "stress/st_statistics.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

#include <unistd.h>

namespace {

// What the session tells during a run, as a script needs it: the file being read before each
// message about it, the log's own line where the window's message points to a log the batch
// tool does not write, and a count of the messages for --strict.
class TRunMessages : public Messages {
public:
    TRunMessages(Messages& out, const EventLog& log) : out_(out), log_(log) {}
    void set_file(const QString& path) { file_ = path; }
    int count() const { return count_; }

    void show(const QString& text) override {
        ++count_;
        QString said = text;
        const QString see = QStringLiteral("\r\nSee [") + log_file_name + QStringLiteral("].");
        if (said.endsWith(see) && !log_.kept_lines().isEmpty())
            said = said.chopped(see.size()) + u' ' + log_.kept_lines().constLast();
        out_.show(file_.isEmpty() ? said : file_ + QStringLiteral(": ") + said);
    }
    void note(const QString& text) override {
        out_.note(file_.isEmpty() ? text : file_ + QStringLiteral(": ") + text);
    }
    void show_lines(const QStringList& lines) override {
        for (const QString& line : lines)
            show(line);
    }
    bool ask(const QString& caption, const QString& text) override {
        return out_.ask(caption, text);
    }

private:
    Messages& out_;
    const EventLog& log_;
    QString file_;
    int count_ = 0;
};

// Long work, the drawing or the reading of many stress states, counted on a terminal's standard
// error, on one line.
class TTerminalProgress : public TDrawProgress {
public:
    explicit TTerminalProgress(bool shown, const char* doing = "drawing the stress states")
        : shown_(shown), doing_(doing) {}
    void begin(int total) override {
        total_ = total;
        timer_.start();
    }
    void advance(int done) override {
        if (!shown_ || timer_.elapsed() < 1000 || total_ <= 0)
            return; // work of about a second needs no counting
        const int percent = int(100LL * done / total_);
        if (percent == last_)
            return;
        last_ = percent;
        std::fprintf(stderr, "\r%s: %s, %d %%", "quomtel-batch", doing_, percent);
        std::fflush(stderr);
    }
    void end() override {
        if (last_ >= 0)
            std::fprintf(stderr, "\r\033[K");
        last_ = -1;
    }

private:
    bool shown_;
    const char* doing_;
    int total_ = 0;
    int last_ = -1;
    QElapsedTimer timer_;
};

bool is_terminal(FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

// The data file held something, and not one datum came of it: a script must not take that
// for a success (a UTF-16 file without a byte-order mark, a table of another layout). Standard
// input that gave nothing is a failure too: the program sending the data has likely failed.
bool nothing_read(const TSession& session, const QString& path) {
    return session.FD_loaded && session.FDSet.count() == 0 &&
           (is_standard_stream(path) || QFileInfo(path).size() > 0);
}

// The reading of a result's states, told to the terminal's count in thousandths.
// The second the count waits for runs from here, before the file is read.
TIRReadProgress reading_progress(TTerminalProgress& progress) {
    progress.begin(1000);
    return [&progress](qint64 done, qint64 total) {
        progress.advance(total > 0 ? int(1000 * done / total) : 0);
        if (done >= total)
            progress.end();
    };
}

// The file named in messages: "-" reads as nothing a user would recognise.
QString file_in_messages(const QString& path) {
    return is_standard_stream(path) ? QStringLiteral("standard input") : path;
}

bool designate(TSession& session, const TBatchOptions& options) {
    switch (options.stress) {
    case TBatchStress::None:
        return true;
    case TBatchStress::Best:
        return session.designate_fittest();
    case TBatchStress::Axes:
        return session.designate(options.sigma1, options.sigma3, options.phi);
    }
    return false;
}

// The layers the command line sets over those a designation turns on.
void override_layers(TSession& session, const TBatchOptions& options) {
    if (options.theoretical_slip)
        session.set_theoretical_slip(*options.theoretical_slip);
    if (options.model_faults)
        session.set_model_faults(*options.model_faults);
    if (options.designated_axes)
        session.set_designated_axes(*options.designated_axes);
}

// Whether the stress picture asked for stays within the symbols allowed; else the user is told.
// The window asks before a long drawing; here nobody is there to answer.
bool stress_plot_allowed(TSession& session, const TBatchOptions& options, Messages& messages) {
    if (options.plot_stress.isEmpty() || session.settings.stress_density)
        return true; // contours, however many the states
    session.update_plotted_numbers();
    const int count = session.plotted.Nst_to_be_plotted;
    if (count <= options.max_symbols)
        return true;
    messages.show(
        QStringLiteral("the stress plot would draw %1 symbols, more than --max-symbols %2")
            .arg(count)
            .arg(options.max_symbols));
    return false;
}

void print_text(TSession& session, const TBatchOptions& options, QTextStream& out) {
    const QChar point = decimal_point_to_write(session.settings);
    if (options.statistics && session.ST_loaded) {
        const TStressStatistics statistics = stress_statistics(session.STSet);
        if (options.json)
            out << stress_statistics_json(statistics) << '\n';
        else
            for (const QString& line : stress_statistics_lines(statistics, point))
                out << line << '\n';
    }
    if (options.list_fault_data && session.FD_loaded) {
        for (int k = 0; k < session.FDSet.count(); ++k)
            out << fd_list_line(session.FDSet.FDList[size_t(k)], k + 1, session.ST_designated,
                                point)
                << '\n';
    }
    out.flush();
}

bool write_outputs(TSession& session, const TBatchOptions& options, QTextStream& out,
                   TDrawProgress* progress) {
    bool ok = true;
    // Every output is tried, whatever failed before.
    ok &= session.save_data_misfit(options.write_misfit);
    ok &= session.save_data_theoretical(options.write_theoretical);
    ok &= session.save_data_stress_tensor(options.write_stress_tensor);
    ok &= session.save_inversion_result(options.write_result);
    ok &= session.save_data_fault_data(options.write_fault_data);
    ok &= session.save_data_table(options.write_table);
    print_text(session, options, out);
    const double scale = options.png_scale;
    ok &= session.save_graph_FD(options.plot_fault_data, scale);
    ok &= session.save_graph_ST(options.plot_stress, scale, progress);
    ok &= session.save_graph_Mohr(options.plot_mohr, scale);
    ok &= session.save_graph_misfit(options.plot_histogram, batch_histogram_size, scale);
    ok &= write_kinematics_outputs(session, options);
    return ok;
}

void print_usage_error(QTextStream& err, const QString& reason) {
    err << batch_program_name << ": " << one_line_message(reason) << '\n'
        << "Try '" << batch_program_name << " --help' for more information.\n";
    err.flush();
}

} // namespace

QString one_line_message(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

void StreamMessages::show(const QString& text) {
    stream_ << batch_program_name << ": " << one_line_message(message_box_text(text)) << '\n';
    stream_.flush();
}

void StreamMessages::note(const QString& text) {
    if (!quiet_)
        show(text);
}

void StreamMessages::show_lines(const QStringList& lines) {
    for (const QString& line : lines)
        show(line);
}

bool StreamMessages::ask(const QString& caption, const QString& text) {
    stream_ << batch_program_name << ": "
            << one_line_message(message_box_text(caption + QStringLiteral(": ") + text))
            << " Yes\n";
    stream_.flush();
    return true;
}

int run_batch(const TBatchOptions& options, Messages& messages, QTextStream& out) {
    EventLog log; // no file: the window's log is left alone; its lines go into the messages
    log.keep_lines();
    TRunMessages run(messages, log);
    TSession session(log, run);
    session.settings = options.settings;
    session.set_measure(options.settings.misfitmeasure); // the histogram's axis follows
    // As in the window: a fault data file opened after the result replaces its fault data.
    run.set_file(file_in_messages(options.inversion_result));
    TTerminalProgress reading(!options.quiet && is_terminal(stderr), "reading the stress states");
    if (!options.inversion_result.isEmpty() &&
        !session.read_IR(options.inversion_result, reading_progress(reading)))
        return batch_failed;
    run.set_file(file_in_messages(options.fault_data));
    if (!options.fault_data.isEmpty()) {
        if (!(options.fault_data_table ? session.read_table(options.fault_data, options.table,
                                                            QStringLiteral("with --columns"))
                                       : session.read_FD(options.fault_data)))
            return batch_failed;
        if (nothing_read(session, options.fault_data)) {
            run.show(QStringLiteral("no fault datum could be read from the file"));
            return batch_failed;
        }
    }
    run.set_file(QString());
    if (!run_batch_inversion(session, options, !options.quiet && is_terminal(stderr)))
        return batch_failed; // nothing written
    if (!designate(session, options))
        return batch_failed;
    override_layers(session, options);
    // Before any output: a refused run writes nothing, as for any other wrong command line.
    if (!stress_plot_allowed(session, options, run))
        return batch_usage_error;
    const int told_before_writing = run.count();
    TTerminalProgress progress(!options.quiet && is_terminal(stderr));
    const bool written = write_outputs(session, options, out, &progress);
    if (!written)
        return batch_failed;
    // Strict, a message about the input fails the run once everything possible is written.
    return options.strict && told_before_writing > 0 ? batch_failed : batch_ok;
}

int batch_main(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const TBatchParse parsed = parse_batch_arguments(arguments);
    switch (parsed.kind) {
    case TBatchParse::Kind::Help:
    case TBatchParse::Kind::Version:
        out << parsed.text << (parsed.text.endsWith(u'\n') ? "" : "\n");
        out.flush();
        return batch_ok;
    case TBatchParse::Kind::UsageError:
        print_usage_error(err, parsed.text);
        return batch_usage_error;
    case TBatchParse::Kind::Run:
        break;
    }
    StreamMessages messages(err);
    messages.set_quiet(parsed.options.quiet);
    return run_batch(parsed.options, messages, out);
}
