#include "batch/batch_run.h"

#include "batch/picture_files.h"
#include "core/logger.h"
#include "core/number_text.h"
#include "core/text_file.h"
#include "faults/fd_list_text.h"
#include "faults/fd_reader.h"
#include "output/data_files.h"
#include "output/stress_tensor_file.h"
#include "plot/misfit_histogram.h"
#include "plot/model_faults.h"
#include "plot/mohr_plot.h"
#include "plot/st_plot.h"
#include "stress/ir_reader.h"
#include "stress/st_statistics.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// What the three views hold during a run.
struct TBatchSession {
    const TBatchOptions& options;
    Messages& messages;
    EventLog log; // no path: the window's log is left alone

    TFaultDataSet FDSet;
    TFaultDataSet TheoreticalFDSet;
    TFaultDataSet ModelFDSet;
    bool FD_loaded = false;
    QString FD_loaded_filename;

    TStressStates states;
    bool ST_loaded = false;
    QString ST_loaded_filename;
    TPlottedNumbers plotted;

    bool ST_designated = false;
    TStressTensor designated_ST{};
    bool theoretical_slip = false;
    bool model_faults = false;
    bool designated_axes = false;

    TFDPlotStyles fd_styles;
    TSTPlotStyles st_styles;
    TMohrPlotStyles mohr_styles;
    TMisfitHistogram chart;
    int max_misfit = 180;

    TBatchSession(const TBatchOptions& o, Messages& m) : options(o), messages(m) {
        set_FD_plot_styles(fd_styles);
        setup_stress_plot_styles(st_styles);
        init_Mohr_style(mohr_styles);
        max_misfit = o.measure == TMifitMeasure::SlipDir ? 180 : 90;
        set_misfit_axis_range(chart, o.measure);
    }

    TSTDrawSettings draw_settings() const {
        return TSTDrawSettings{options.emphasis, options.df, options.tails, options.colour};
    }

    void update_plotted_numbers() {
        if (ST_loaded)
            plotted = ::update_plotted_numbers(states.STSet, options.ef, options.emphasis,
                                               states.max_Ln, states.min_Ln_nonzero);
    }

    bool read_inversion_result(const QString& path) {
        QByteArray bytes;
        if (!read_IR_file(path, bytes)) {
            messages.show(exception_raised_message);
            return false;
        }
        const TIRReadResult result = ::read_inversion_result(
            bytes, path, QCoreApplication::applicationDirPath(), FDSet, states, log, messages);
        const bool loaded = result.outcome == TIROutcome::Loaded;
        if (loaded) {
            FD_loaded = ST_loaded = true;
            FD_loaded_filename = ST_loaded_filename = QFileInfo(path).fileName();
            update_plotted_numbers();
        } else {
            messages.show(ir_failure_message(result.outcome));
        }
        if (result.orientation_error)
            messages.show(ir_orientation_error_message(path));
        return loaded;
    }

    bool read_fault_data(const QString& path) {
        const TTextReadResult text = read_text_lines(path);
        if (!text.ok) {
            messages.show(text.error);
            return false;
        }
        const TFDReadResult result = read_fault_data_lines(text.lines, path, FDSet, log, messages);
        if (result.orientation_error)
            messages.show(orientation_error_message(path));
        FD_loaded = true;
        FD_loaded_filename = QFileInfo(path).fileName();
        return true;
    }

    // The fittest state, the first of equals by number.
    const TStressTensor* fittest_state() const {
        const TStressTensor* best = nullptr;
        for (const TStressTensor& st : states.STSet)
            if (!best || st.L > best->L || (st.L == best->L && st.id < best->id))
                best = &st;
        return best;
    }

    bool designate() {
        if (options.stress == TBatchStress::None)
            return true;
        if (options.stress == TBatchStress::Best) {
            const TStressTensor* best = fittest_state();
            if (!best) {
                messages.show(QStringLiteral("Stress Tensor must be loaded."));
                return false;
            }
            designated_ST = *best;
        } else {
            designated_ST = stress_tensor_from_axes(options.sigma1, options.sigma3, options.phi);
        }
        designated_ST.L = -1;
        designated_ST.id = -1;
        designated_ST.Le = -1.0f;
        ST_designated = true;
        if (FD_loaded) {
            calc_theoretical_slip_and_misfit(FDSet, TheoreticalFDSet, designated_ST,
                                             options.measure);
            fill_misfit_histogram(chart, FDSet, max_misfit, options.bin_size);
        }
        // The check boxes after a designation, unless the command line sets them.
        const bool gca = options.plotmethod == TPlotMethod::GCA;
        theoretical_slip = options.theoretical_slip.value_or(gca);
        model_faults = options.model_faults.value_or(!gca);
        designated_axes = options.designated_axes.value_or(true);
        return true;
    }

    TFDPlotLayers fd_plot_layers() {
        TFDPlotLayers layers;
        layers.projection = options.projection;
        layers.plotmethod = options.plotmethod;
        if (ST_designated && model_faults) {
            build_model_faults(ModelFDSet, designated_ST, options.projection, fd_styles.basecircle);
            layers.model_faults = &ModelFDSet;
        }
        if (ST_designated && designated_axes)
            layers.designated_axes = TPrincipalAxisOrientations{
                designated_ST.ax[0], designated_ST.ax[1], designated_ST.ax[2]};
        if (FD_loaded) {
            layers.loaded = &FDSet;
            if (ST_designated && theoretical_slip)
                layers.theoretical = &TheoreticalFDSet;
        }
        return layers;
    }

    // Shows the reason of a failed write; true when it succeeded.
    bool check(bool written, const QString& error) {
        if (!written)
            messages.show(error);
        return written;
    }

    bool picture(const QString& path, QSize logical, const TPictureDrawing& draw) {
        if (path.isEmpty())
            return true;
        QString error;
        return check(write_picture(path, logical, options.png_scale, draw, &error), error);
    }

    bool write_outputs(QTextStream& out) {
        bool ok = true;
        QString error;
        if (!options.write_misfit.isEmpty())
            ok &= check(save_data_misfit(options.write_misfit, FDSet, FD_loaded_filename,
                                         designated_ST, options.measure, &error),
                        error);
        if (!options.write_theoretical.isEmpty())
            ok &= check(save_data_theoretical(options.write_theoretical, TheoreticalFDSet,
                                              FD_loaded_filename, designated_ST, &error),
                        error);
        if (!options.write_stress_tensor.isEmpty())
            ok &= check(save_data_stress_tensor(options.write_stress_tensor, states,
                                                ST_loaded_filename, options.ef, &error),
                        error);
        if (options.statistics && ST_loaded)
            for (const QString& line : stress_statistics_lines(states.STSet))
                out << line << '\n';
        if (options.list_fault_data && FD_loaded) {
            const QChar point = locale_decimal_point();
            for (int k = 0; k < FDSet.count(); ++k)
                out << fd_list_line(FDSet.FDList[size_t(k)], k + 1, ST_designated, point) << '\n';
        }
        out.flush();

        const QSize fd_size(fd_plot_size, fd_plot_size);
        if (!options.plot_fault_data.isEmpty()) {
            const TFDPlotLayers layers = fd_plot_layers();
            ok &= picture(options.plot_fault_data, fd_size,
                          [&](QPainter& canvas) { draw_FD_plot(canvas, fd_styles, layers); });
        }
        ok &= picture(options.plot_stress, QSize(st_plot_width, st_plot_height),
                      [&](QPainter& canvas) {
                          if (ST_loaded) {
                              update_plotted_numbers();
                              draw_stress_states(canvas, st_styles, draw_settings(), states.STSet,
                                                 states.max_Ln, plotted);
                          } else {
                              draw_stress_plot_frame(canvas, st_styles, draw_settings(),
                                                     states.max_Ln, plotted);
                          }
                      });
        const bool both = FD_loaded && ST_designated;
        ok &= picture(options.plot_mohr, QSize(mohr_plot_size, mohr_plot_size),
                      [&](QPainter& canvas) {
                          draw_Mohr_diagram(canvas, mohr_styles, both ? &FDSet : nullptr,
                                            both ? &designated_ST : nullptr, max_misfit);
                      });
        ok &= picture(options.plot_histogram, batch_histogram_size, [&](QPainter& canvas) {
            draw_misfit_histogram(canvas, QRect(QPoint(0, 0), batch_histogram_size), chart);
        });
        return ok;
    }
};

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
    stream_ << one_line_message(text) << '\n';
    stream_.flush();
}

bool StreamMessages::ask(const QString& caption, const QString& text) {
    stream_ << one_line_message(caption + QStringLiteral(": ") + text) << " Yes\n";
    stream_.flush();
    return true;
}

int run_batch(const TBatchOptions& options, Messages& messages, QTextStream& out) {
    TBatchSession session(options, messages);
    // As in the window: a fault data file opened after the result replaces its fault data.
    if (!options.inversion_result.isEmpty() &&
        !session.read_inversion_result(options.inversion_result))
        return batch_failed;
    if (!options.fault_data.isEmpty() && !session.read_fault_data(options.fault_data))
        return batch_failed;
    if (!session.designate())
        return batch_failed;
    return session.write_outputs(out) ? batch_ok : batch_failed;
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
