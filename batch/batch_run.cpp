#include "batch/batch_run.h"

#include "core/logger.h"
#include "core/number_text.h"
#include "faults/fd_list_text.h"
#include "session/session.h"
#include "stress/st_statistics.h"

namespace {

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
    if (options.plot_stress.isEmpty())
        return true;
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
    if (options.statistics && session.ST_loaded)
        for (const QString& line : stress_statistics_lines(session.STSet))
            out << line << '\n';
    if (options.list_fault_data && session.FD_loaded) {
        const QChar point = locale_decimal_point();
        for (int k = 0; k < session.FDSet.count(); ++k)
            out << fd_list_line(session.FDSet.FDList[size_t(k)], k + 1, session.ST_designated,
                                point)
                << '\n';
    }
    out.flush();
}

bool write_outputs(TSession& session, const TBatchOptions& options, QTextStream& out) {
    bool ok = true;
    // Every output is tried, whatever failed before.
    ok &= session.save_data_misfit(options.write_misfit);
    ok &= session.save_data_theoretical(options.write_theoretical);
    ok &= session.save_data_stress_tensor(options.write_stress_tensor);
    ok &= session.save_data_fault_data(options.write_fault_data);
    print_text(session, options, out);
    const double scale = options.png_scale;
    ok &= session.save_graph_FD(options.plot_fault_data, scale);
    ok &= session.save_graph_ST(options.plot_stress, scale);
    ok &= session.save_graph_Mohr(options.plot_mohr, scale);
    ok &= session.save_graph_misfit(options.plot_histogram, batch_histogram_size, scale);
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
    stream_ << one_line_message(message_box_text(text)) << '\n';
    stream_.flush();
}

void StreamMessages::show_lines(const QStringList& lines) {
    for (const QString& line : lines)
        show(line);
}

bool StreamMessages::ask(const QString& caption, const QString& text) {
    stream_ << one_line_message(message_box_text(caption + QStringLiteral(": ") + text))
            << " Yes\n";
    stream_.flush();
    return true;
}

int run_batch(const TBatchOptions& options, Messages& messages, QTextStream& out) {
    EventLog log; // no path: the window's log is left alone
    TSession session(log, messages);
    session.settings = options.settings;
    session.set_measure(options.settings.misfitmeasure); // the histogram's axis follows
    // As in the window: a fault data file opened after the result replaces its fault data.
    if (!options.inversion_result.isEmpty() && !session.read_IR(options.inversion_result))
        return batch_failed;
    if (!options.fault_data.isEmpty() &&
        !(options.fault_data_table ? session.read_table(options.fault_data, options.table,
                                                        QStringLiteral("with --columns"))
                                   : session.read_FD(options.fault_data)))
        return batch_failed;
    if (!designate(session, options))
        return batch_failed;
    override_layers(session, options);
    // Before any output: a refused run writes nothing, as for any other wrong command line.
    if (!stress_plot_allowed(session, options, messages))
        return batch_usage_error;
    return write_outputs(session, options, out) ? batch_ok : batch_failed;
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
    return run_batch(parsed.options, messages, out);
}
