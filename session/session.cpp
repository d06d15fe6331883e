#include "session/session.h"

#include "core/text_file.h"
#include "faults/fd_reader.h"
#include "output/data_files.h"
#include "output/data_table.h"
#include "output/picture_files.h"
#include "output/stress_tensor_file.h"
#include "plot/model_faults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// Passes a drawing's progress on without its stop request: a file holds a picture drawn whole.
class TWholeDrawing : public TDrawProgress {
public:
    explicit TWholeDrawing(TDrawProgress* progress) : progress_(progress) {}
    void begin(int total) override { progress_->begin(total); }
    void advance(int done) override { progress_->advance(done); }
    void end() override { progress_->end(); }

private:
    TDrawProgress* progress_;
};

} // namespace

TSession::TSession(EventLog& log, Messages& messages, QObject* parent)
    : QObject(parent), log_(log), messages_(messages) {
    set_FD_plot_styles(fd_styles);
    setup_stress_plot_styles(st_styles);
    init_Mohr_style(mohr_styles);
    set_misfit_axis_range(chart, settings.misfitmeasure);
    set_kinematics_styles(kinematics_styles);
    // Axes, densities and dihedra belong to the data and states they were computed of.
    connect(this, &TSession::fault_data_changed, this, [this] { forget_kinematics(true); });
    connect(this, &TSession::states_changed, this, [this] { forget_kinematics(false); });
}

bool TSession::report(bool ok, const QString& error) {
    if (!ok)
        messages_.show(error);
    return ok;
}

bool TSession::report_refusal(const QString& problem) {
    return report(problem.isEmpty(), problem);
}

bool TSession::read_FD(const QString& path) {
    if (path.isEmpty())
        return false;
    // Read beside the data loaded, which stay when the file cannot be read or is too large.
    TFaultDataSet read;
    const TFDReadResult result = read_fault_data_file(path, read, log_, messages_);
    if (!result.read) {
        messages_.show(result.error);
        return false;
    }
    change_flag_FD_loaded(false);
    FDSet = std::move(read);
    if (result.orientation_error)
        messages_.show(orientation_error_message(path));
    change_flag_FD_loaded(true, path);
    return true;
}

bool TSession::read_IR(const QString& path) {
    return read_IR(path, {});
}

bool TSession::read_IR(const QString& path, const TIRReadProgress& progress) {
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    QString refusal;
    if (!read_IR_file(path, bytes, &refusal)) {
        messages_.show(refusal); // both keep what they held
        return false;
    }
    // Read beside what is loaded, which stays when the memory runs out before the fault data
    // are shown. They are shown as soon as their section has been read, before the CGP file is
    // looked for, and analysed under a designated state then; the states of the result loaded
    // before go at that point.
    TFaultDataSet fault_data;
    TStressStates read_states;
    bool fault_data_shown = false;
    const auto show_fault_data = [&] {
        change_flag_ST_loaded(false);
        FDSet = std::move(fault_data);
        fault_data_shown = true;
        change_flag_FD_loaded(true, path);
    };
    const TIRReadResult result =
        read_inversion_result(bytes, path, QCoreApplication::applicationDirPath(), fault_data,
                              read_states, log_, messages_, show_fault_data, progress);
    bytes = QByteArray();
    if (result.outcome == TIROutcome::TooLarge && !fault_data_shown) {
        messages_.show(ir_failure_message(result)); // both keep what they held
        return false;
    }
    if (!fault_data_shown) {
        change_flag_ST_loaded(false);
        FDSet = std::move(fault_data);
    }
    states = std::move(read_states);
    const bool loaded = result.outcome == TIROutcome::Loaded;
    if (loaded) {
        change_flag_ST_loaded(true, path);
    } else {
        // What was read before the failure is counted, but not loaded.
        FD_loaded = false;
        FD_loaded_filename.clear();
        emit fault_data_changed();
        messages_.show(ir_failure_message(result));
    }
    if (result.orientation_error)
        messages_.show(ir_orientation_error_message(path));
    return loaded;
}

void TSession::change_flag_FD_loaded(bool value, const QString& path) {
    FD_loaded = value;
    if (value) {
        FD_loaded_filename = QFileInfo(path).fileName();
        if (ST_designated)
            calc_theoretical_slip_and_misfit(designated_ST);
    } else {
        FD_loaded_filename.clear();
        FDSet.clear_FD();
    }
    emit fault_data_changed();
}

void TSession::change_flag_ST_loaded(bool value, const QString& path) {
    ST_loaded = value;
    if (value) {
        ST_loaded_filename = QFileInfo(path).fileName();
        update_plotted_numbers();
    } else {
        ST_loaded_filename.clear();
        plotted.Nst_to_be_plotted = 0;
        states.cgp_filename.clear();
        STSet.clear();
    }
    emit states_changed();
}

void TSession::designate(const TStressTensor& st) {
    designated_ST = st;
    designated_ST.L = -1;
    designated_ST.id = -1;
    designated_ST.Le = -1.0f;
    change_flag_ST_designated(true);
}

bool TSession::designate(const Tazpl& sigma1, const Tazpl& sigma3, float phi) {
    const QString problem = check_stress_axes(sigma1, sigma3, phi);
    if (!problem.isEmpty()) {
        messages_.show(problem);
        return false;
    }
    designate(stress_tensor_from_axes(sigma1, sigma3, phi));
    return true;
}

const TStressTensor* TSession::fittest_state() const {
    return ::fittest_state(STSet);
}

bool TSession::designate_fittest() {
    const TStressTensor* best = fittest_state();
    if (!best) {
        messages_.show(QStringLiteral("Stress Tensor must be loaded."));
        return false;
    }
    designate(*best);
    return true;
}

void TSession::change_flag_ST_designated(bool value) {
    ST_designated = value;
    if (value) {
        if (FD_loaded)
            calc_theoretical_slip_and_misfit(designated_ST);
        // Great circles show the theoretical slip on each plane; tangent lineations the model
        // faults.
        const bool gca = settings.plotmethod == TPlotMethod::GCA;
        settings.theoretical_slip = gca;
        settings.model_faults = !gca;
        settings.designated_axes = true;
    } else {
        settings.theoretical_slip = settings.model_faults = settings.designated_axes = false;
    }
    emit settings_changed();
    emit designation_changed();
}

void TSession::calc_theoretical_slip_and_misfit(const TStressTensor& st) {
    ::calc_theoretical_slip_and_misfit(FDSet, TheoreticalFDSet, st, settings.misfitmeasure);
    update_misfit();
    emit analysis_changed();
}

void TSession::update_misfit() {
    fill_misfit_histogram(chart, FDSet, max_misfit(), settings.misfit_bin_size);
    emit histogram_changed();
}

void TSession::update_plotted_numbers() {
    if (!ST_loaded)
        return;
    plotted = ::update_plotted_numbers(STSet, settings.ef, settings.emphasis, states.max_Ln,
                                       states.min_Ln_nonzero);
}

bool TSession::set_enhance(QStringView text, QChar decimal_point) {
    if (!report_refusal(check_enhance(text, decimal_point, settings.ef)))
        return false;
    // After the signal: the status bar counts the states of the last drawing until the next.
    emit settings_changed();
    update_plotted_numbers();
    return true;
}

bool TSession::set_dispersion(QStringView text, QChar decimal_point) {
    if (!report_refusal(check_dispersion(text, decimal_point, settings.df)))
        return false;
    emit settings_changed();
    return true;
}

bool TSession::set_bin_size(QStringView text) {
    if (!report_refusal(check_bin_size(text, settings.misfitmeasure, settings.misfit_bin_size)))
        return false;
    emit settings_changed();
    return true;
}

bool TSession::set_emphasis(TEmphasis emphasis) {
    if (emphasis == settings.emphasis)
        return false;
    change_setting(settings.emphasis, emphasis);
    return true;
}

void TSession::set_tadpole_tail(bool on) {
    change_setting(settings.tadpole_tail, on);
}

void TSession::set_color(bool on) {
    change_setting(settings.color, on);
}

void TSession::set_plot_method(TPlotMethod method) {
    change_setting(settings.plotmethod, method);
}

void TSession::set_projection(TProjection projection) {
    change_setting(settings.projection, projection);
}

void TSession::set_theoretical_slip(bool on) {
    change_setting(settings.theoretical_slip, on);
}

void TSession::set_model_faults(bool on) {
    change_setting(settings.model_faults, on);
}

void TSession::set_designated_axes(bool on) {
    change_setting(settings.designated_axes, on);
}

void TSession::set_plot_labels(bool on) {
    change_setting(settings.plot_labels, on);
}

void TSession::set_measure(TMifitMeasure measure) {
    set_misfit_axis_range(chart, measure);
    emit histogram_changed();
    if (measure == settings.misfitmeasure)
        return;
    settings.misfitmeasure = measure;
    if (ST_designated) // else the next analysis uses the new measure
        settings.misfit_bin_size = bin_size_for_measure(settings.misfit_bin_size, measure);
    emit settings_changed();
    if (ST_designated)
        calc_theoretical_slip_and_misfit(designated_ST);
}

TFDPlotLayers TSession::FD_plot_layers(int selected) {
    TFDPlotLayers layers;
    layers.projection = settings.projection;
    layers.plotmethod = settings.plotmethod;
    if (ST_designated && settings.model_faults) {
        build_model_faults(ModelFDSet, designated_ST, settings.projection, fd_styles.basecircle);
        layers.model_faults = &ModelFDSet;
    }
    if (ST_designated && settings.designated_axes)
        layers.designated_axes = TPrincipalAxisOrientations{
            designated_ST.ax[0], designated_ST.ax[1], designated_ST.ax[2]};
    layers.labels = settings.plot_labels;
    if (settings.fd_contours && FD_loaded) {
        layers.density = density(*settings.fd_contours, settings.fd_contour_method);
        layers.density_subject = *settings.fd_contours;
        layers.density_levels = density_levels_of(settings, settings.fd_contour_method);
    }
    if (FD_loaded) {
        layers.loaded = &FDSet;
        layers.selected = selected;
        if (ST_designated && settings.theoretical_slip)
            layers.theoretical = &TheoreticalFDSet;
    }
    return layers;
}

TSTDrawSettings TSession::ST_draw_settings() const {
    return TSTDrawSettings{settings.emphasis, settings.df, settings.tadpole_tail, settings.color,
                           settings.plot_labels};
}

void TSession::draw_FD(QPainter& canvas, int selected) {
    draw_FD_plot(canvas, fd_styles, FD_plot_layers(selected));
}

void TSession::draw_ST_frame(QPainter& canvas) {
    draw_stress_plot_frame(canvas, st_styles, ST_draw_settings(), states.max_Ln, plotted);
}

bool TSession::draw_ST_states(QPainter& canvas, TDrawProgress* progress) {
    if (settings.stress_density && ST_loaded) {
        if (progress)
            progress->begin(0);
        draw_ST_density(canvas);
        if (progress)
            progress->end();
        return true;
    }
    if (progress)
        progress->begin(plotted.Nst_to_be_plotted);
    TSTProgress step;
    if (progress)
        step = [progress](int drawn) { progress->advance(drawn); };
    const bool whole =
        draw_stress_states(canvas, st_styles, ST_draw_settings(), STSet, states.max_Ln, plotted,
                           step, progress ? progress->stop_request() : std::stop_token());
    if (progress)
        progress->end();
    return whole;
}

void TSession::draw_Mohr(QPainter& canvas) {
    const bool both = FD_loaded && ST_designated;
    draw_Mohr_diagram(canvas, mohr_styles, both ? &FDSet : nullptr, both ? &designated_ST : nullptr,
                      max_misfit(), settings.plot_labels);
}

void TSession::draw_histogram(QPainter& canvas, QRect area) {
    draw_misfit_histogram(canvas, area, chart);
}

bool TSession::save_data_misfit(const QString& path) {
    QString error;
    return report(::save_data_misfit(path, FDSet, FD_loaded_filename, designated_ST,
                                     settings.misfitmeasure, &error,
                                     decimal_point_to_write(settings)),
                  error);
}

bool TSession::save_data_theoretical(const QString& path) {
    QString error;
    return report(::save_data_theoretical(path, TheoreticalFDSet, FD_loaded_filename, designated_ST,
                                          &error, decimal_point_to_write(settings)),
                  error);
}

bool TSession::save_data_stress_tensor(const QString& path) {
    if (path.isEmpty())
        return true;
    QString error;
    return report(::save_data_stress_tensor(path, states, ST_loaded_filename, settings.ef, &error,
                                            decimal_point_to_write(settings)),
                  error);
}

bool TSession::save_picture(const QString& path, QSize size, double png_scale,
                            const TPictureDrawing& draw) {
    if (path.isEmpty())
        return true;
    QString error;
    const TPictureFormat format =
        picture_format_of(path).value_or(settings.picture_format.value_or(TPictureFormat::Emf));
    return report(write_picture_as(path, format, size, png_scale, draw, &error), error);
}

bool TSession::save_graph_FD(const QString& path, double png_scale, int selected) {
    return save_picture(path, QSize(fd_plot_size, fd_plot_size), png_scale,
                        [&](QPainter& canvas) { draw_FD(canvas, selected); });
}

bool TSession::save_graph_ST(const QString& path, double png_scale, TDrawProgress* progress) {
    if (path.isEmpty())
        return true;
    update_plotted_numbers();
    TWholeDrawing whole(progress);
    // The same scatter as on the screen, without the marks of a designation.
    return save_picture(path, QSize(st_plot_width, st_plot_height), png_scale,
                        [&](QPainter& canvas) {
                            if (ST_loaded)
                                draw_ST_states(canvas, progress ? &whole : nullptr);
                            else
                                draw_ST_frame(canvas);
                        });
}

bool TSession::save_graph_Mohr(const QString& path, double png_scale) {
    return save_picture(path, QSize(mohr_plot_size, mohr_plot_size), png_scale,
                        [&](QPainter& canvas) { draw_Mohr(canvas); });
}

bool TSession::save_graph_misfit(const QString& path, QSize size, double png_scale) {
    return save_picture(path, size, png_scale, [&](QPainter& canvas) {
        draw_histogram(canvas, QRect(QPoint(0, 0), size));
    });
}

bool TSession::read_table(const QString& path, const TTableOptions& options,
                          const QString& remedy) {
    if (path.isEmpty())
        return false;
    const TTextReadResult text = read_text_lines(path);
    if (!text.ok) {
        messages_.show(text.error); // the previous data stay
        return false;
    }
    return read_table_text(text.lines.join(u'\n'), path, options, remedy);
}

bool TSession::read_table_text(QStringView text, const QString& path, const TTableOptions& options,
                               const QString& remedy) {
    TFaultDataSet read;
    const TTableReadResult result = read_fault_data_table(text, path, options, read, log_);
    if (!result.columns_known) {
        messages_.show(columns_unknown_message(path, remedy));
        return false;
    }
    change_flag_FD_loaded(false);
    FDSet = std::move(read);
    if (const QString report = table_report(result, options); !report.isEmpty())
        messages_.show_lines(report.split(u'\n'));
    if (result.orientation_error)
        messages_.show(orientation_error_message(path));
    change_flag_FD_loaded(true, path);
    return true;
}

bool TSession::save_data_fault_data(const QString& path) {
    QString error;
    return report(::save_data_fault_data(path, FDSet, FD_loaded_filename, &error,
                                         decimal_point_to_write(settings)),
                  error);
}

TSession::TSaveAllReport TSession::save_all(const QString& folder, TPictureFormat format,
                                            QSize histogram_size, TDrawProgress* progress) {
    TSaveAllReport report;
    const QString loaded = FD_loaded ? FD_loaded_filename : ST_loaded_filename;
    const QString base =
        loaded.isEmpty() ? QStringLiteral("quomtel") : QFileInfo(loaded).completeBaseName();
    const QString extension = picture_extension(format);
    const QDir dir(folder);
    const auto name = [&](const QString& suffix) { return dir.filePath(base + suffix); };
    const auto save = [&](const QString& path, bool ok) {
        if (ok)
            report.written.append(path);
        report.ok = report.ok && ok;
    };
    if (FD_loaded && ST_designated) {
        save(name(QStringLiteral("_misfit.txt")),
             save_data_misfit(name(QStringLiteral("_misfit.txt"))));
        save(name(QStringLiteral("_theoretical.efd")),
             save_data_theoretical(name(QStringLiteral("_theoretical.efd"))));
    } else {
        report.skipped.append(QStringLiteral(
            "the misfit and theoretical-slip files: fault data must be loaded and a stress state "
            "designated"));
    }
    if (ST_loaded)
        save(name(QStringLiteral("_stress_tensor.txt")),
             save_data_stress_tensor(name(QStringLiteral("_stress_tensor.txt"))));
    else
        report.skipped.append(QStringLiteral("the stress-tensor file: no stress states loaded"));
    const QString pictures[4] = {name(QStringLiteral("_fault_data") + extension),
                                 name(QStringLiteral("_stress") + extension),
                                 name(QStringLiteral("_histogram") + extension),
                                 name(QStringLiteral("_mohr") + extension)};
    save(pictures[0], save_graph_FD(pictures[0]));
    save(pictures[1], save_graph_ST(pictures[1], 1, progress));
    save(pictures[2], save_graph_misfit(pictures[2], histogram_size));
    save(pictures[3], save_graph_Mohr(pictures[3]));
    return report;
}

bool TSession::save_data_table(const QString& path) {
    QString error;
    return report(
        ::save_data_table(path, FDSet, TheoreticalFDSet, FD_loaded && ST_designated, &error),
        error);
}
