#pragma once

// What a working session holds: the fault data, the stress states of an inversion result, the
// designated stress state and the settings, with every operation from reading a file to
// writing a result or drawing a plot. The window's views and the batch tool are its clients:
// they turn input into these calls and follow the signals.

#include "core/logger.h"
#include "core/messages.h"
#include "faults/fd_classes.h"
#include "faults/table_reader.h"
#include "output/picture_files.h"
#include "plot/fd_plot.h"
#include "plot/kinematics_plot.h"
#include "plot/misfit_histogram.h"
#include "plot/mohr_plot.h"
#include "plot/st_plot.h"
#include "session/inversion.h"
#include "session/settings.h"
#include "stress/ir_reader.h"
#include "stress/kinematic_axes.h"
#include "stress/right_dihedra.h"
#include "stress/st_classes.h"

#include <QObject>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <stop_token>
#include <utility>
#include <vector>

// Follows a long drawing: told its size, how far it has come, and its end.
class TDrawProgress {
public:
    virtual ~TDrawProgress() = default;
    virtual void begin(int total) = 0;
    virtual void advance(int done) = 0;
    virtual void end() = 0;
    // A drawing on the screen stops between two states once this is requested; none by
    // default. Saved pictures are drawn whole.
    virtual std::stop_token stop_request() const { return {}; }
};

class TSession : public QObject {
    Q_OBJECT
public:
    // log receives the readers' notes; messages what the user must be told.
    TSession(EventLog& log, Messages& messages, QObject* parent = nullptr);

    // Fault data: as loaded, the model faults of the designated state, and its theoretical slip.
    TFaultDataSet FDSet;
    TFaultDataSet ModelFDSet;
    TFaultDataSet TheoreticalFDSet;
    bool FD_loaded = false;
    QString FD_loaded_filename;

    // Stress states of an inversion result and their weights.
    TStressStates states;
    std::vector<TStressTensor>& STSet = states.STSet;
    bool ST_loaded = false;
    QString ST_loaded_filename;
    TPlottedNumbers plotted;

    TStressTensor designated_ST{};
    bool ST_designated = false;

    TSessionSettings settings;

    TFDPlotStyles fd_styles;
    TSTPlotStyles st_styles;
    TMohrPlotStyles mohr_styles;
    TKinematicsStyles kinematics_styles;
    TMisfitHistogram chart;

    // Reading. A file that cannot be read is reported and leaves everything as it was.
    // True when the data (and for a result, the states) are loaded.
    bool read_FD(const QString& path);
    bool read_IR(const QString& path);
    // The same, with progress following the reading of the states.
    bool read_IR(const QString& path, const TIRReadProgress& progress);
    // A field table read as fault data, as read_FD reads a data file. The problems of its rows
    // and a summary are shown as one report. A table whose columns cannot be told, and a file
    // that cannot be read, leave the previous data; remedy ends the message of the first.
    bool read_table(const QString& path, const TTableOptions& options, const QString& remedy);
    // The same of a table's text, pasted say; name stands for the file in messages and caption.
    bool read_table_text(QStringView text, const QString& name, const TTableOptions& options,
                         const QString& remedy);
    void change_flag_FD_loaded(bool value, const QString& path = QString());
    void change_flag_ST_loaded(bool value, const QString& path = QString());

    // Designation. A designated state has no fitness and no number in a result.
    void designate(const TStressTensor& st);
    // sigma1 and sigma3 as a user types them, checked as the batch tool's --stress is.
    bool designate(const Tazpl& sigma1, const Tazpl& sigma3, float phi);
    // The fittest state of the result, or false with "Stress Tensor must be loaded.".
    bool designate_fittest();
    void change_flag_ST_designated(bool value);
    const TStressTensor* fittest_state() const;

    // Analysis of the loaded data under the designated state.
    void calc_theoretical_slip_and_misfit(const TStressTensor& st);
    void update_misfit();
    int max_misfit() const { return ::max_misfit(settings.misfitmeasure); }
    // Writes Le of every state and the numbers to plot; only while a result is loaded.
    void update_plotted_numbers();

    // Settings. A text that is refused is reported and the setting keeps its value.
    bool set_enhance(QStringView text, QChar decimal_point);
    bool set_dispersion(QStringView text, QChar decimal_point);
    bool set_bin_size(QStringView text);
    // False when the emphasis was already the chosen one.
    bool set_emphasis(TEmphasis emphasis);
    void set_tadpole_tail(bool on);
    void set_color(bool on);
    void set_plot_method(TPlotMethod method);
    void set_projection(TProjection projection);
    void set_theoretical_slip(bool on);
    void set_model_faults(bool on);
    void set_designated_axes(bool on);
    void set_plot_labels(bool on);
    // A designated state is analysed again under the new measure, with the bin size carried over.
    void set_measure(TMifitMeasure measure);
    // Density contours and the kinematics view (session/settings.h).
    void set_stress_density(bool on);
    void set_stress_density_method(TDensityMethod method);
    void set_kinematic_axes(bool on);
    void set_kinematics_underlay(TKinematicsUnderlay underlay);
    void set_kinematics_subject(TDensitySubject subject);
    void set_kinematics_method(TDensityMethod method);
    void set_fd_contours(std::optional<TDensitySubject> subject);
    void set_fd_contour_method(TDensityMethod method);
    bool set_density_levels(TDensityMethod method, QStringView text, QChar decimal_point);

    // Kinematics of the loaded data (stress/kinematic_axes.h, axis_density.h,
    // right_dihedra.h), computed once until the data or the states change. The axes of the
    // data that have them; the data without them are noted once per data set.
    const TKinematicAxesSet& kinematic_axes();
    // The density of a subject; none when there is nothing to count (reported) or the run was
    // stopped. Densities of stress states count their fitness.
    const TAxisDensity* density(TDensitySubject subject, TDensityMethod method,
                                const TInversionControl& control = {});
    // The right dihedra of the data with axes; none when no datum has them (reported).
    const TRightDihedra* right_dihedra(const TInversionControl& control = {});

    // The layers of the fault-data plot now; the datum at selected is highlighted.
    TFDPlotLayers FD_plot_layers(int selected = -1);
    TSTDrawSettings ST_draw_settings() const;

    // The four plots on any painter.
    void draw_FD(QPainter& canvas, int selected = -1);
    void draw_ST_frame(QPainter& canvas);
    // The states as Le says; progress, if given, follows the drawing and may stop it. False
    // when it was stopped: the canvas then holds an unfinished picture.
    bool draw_ST_states(QPainter& canvas, TDrawProgress* progress = nullptr);
    void draw_Mohr(QPainter& canvas);
    void draw_histogram(QPainter& canvas, QRect area);
    // The kinematics view's picture as the settings say; a density picture of one subject
    // alone; the right dihedra under the P and T axes. False when a layer could not be made
    // (reported); the picture then holds what could be drawn.
    bool draw_kinematics(QPainter& canvas);
    bool draw_density(QPainter& canvas, TDensitySubject subject, TDensityMethod method);
    bool draw_dihedra(QPainter& canvas);

    // Saving. An empty path does nothing; a failure is reported and any previous file stays.
    // Pictures take their format from the extension, an enhanced metafile for any other.
    bool save_data_misfit(const QString& path);
    bool save_data_theoretical(const QString& path);
    bool save_data_stress_tensor(const QString& path);
    bool save_data_fault_data(const QString& path);
    // One row per datum with its analysis when a state is designated: CSV, or JSON by name.
    bool save_data_table(const QString& path);

    // Inversion of the loaded fault data into candidate stress states (session/inversion.h).
    // A refused setting, or no fault data loaded, is reported and false.
    bool check_inversion(const TInversionSettings& inversion);
    // What a run reads, copied: it may go on another thread while the data stay the same here.
    TInversionJob inversion_job(const TInversionSettings& inversion) const;
    // On this thread: a solved run's candidates become the loaded result, exactly as reading
    // the result and CGP files save_inversion_result writes of them would make them, with its
    // message as a note; a failure is reported; a failed or cancelled run changes nothing.
    bool load_inversion(const TInversionJob& job, TInversionOutcome outcome);
    // Checks, runs and loads, all on this thread.
    bool invert(const TInversionSettings& inversion, const TInversionControl& control = {});
    // The loaded states (an inversion's or a result's read from files) and the fault data as a
    // result file at path and its CGP file beside it; the result is then known by that name.
    bool save_inversion_result(const QString& path);
    bool save_graph_FD(const QString& path, double png_scale = 1, int selected = -1);
    bool save_graph_ST(const QString& path, double png_scale = 1,
                       TDrawProgress* progress = nullptr);
    bool save_graph_Mohr(const QString& path, double png_scale = 1);
    bool save_graph_misfit(const QString& path, QSize size, double png_scale = 1);
    bool save_graph_kinematics(const QString& path, double png_scale = 1);
    bool save_graph_density(const QString& path, TDensitySubject subject, TDensityMethod method,
                            double png_scale = 1);
    bool save_graph_dihedra(const QString& path, double png_scale = 1);
    // The kinematic axes per datum, a density or the right dihedra per node of the net grid, as
    // comma-separated text (output/kinematics_files.h).
    bool save_data_kinematics(const QString& path);
    bool save_data_density(const QString& path, TDensitySubject subject, TDensityMethod method);
    bool save_data_dihedra(const QString& path);

    // Every result that what is loaded and designated allows, into folder, each named after
    // the file loaded: the misfit, theoretical-slip and stress-tensor files and the four
    // pictures in format. Failed writes are reported as single saves report them.
    struct TSaveAllReport {
        QStringList written;
        QStringList skipped; // why a result was not written
        bool ok = true;      // no write failed
    };
    TSaveAllReport save_all(const QString& folder, TPictureFormat format, QSize histogram_size,
                            TDrawProgress* progress = nullptr);

signals:
    void fault_data_changed();
    void states_changed();
    void designation_changed();
    // Theoretical slip, misfits and stresses of the loaded data were computed again.
    void analysis_changed();
    void histogram_changed();
    void settings_changed();

private:
    bool report(bool ok, const QString& error);
    bool report_refusal(const QString& problem);
    template <class T> void change_setting(T& field, T value);
    bool save_picture(const QString& path, QSize size, double png_scale,
                      const TPictureDrawing& draw);

    // Forgets what was computed of the data (axes, dihedra, their densities) or of the states
    // (the densities of their axes).
    void forget_kinematics(bool of_data);
    // The bands of the stress view's density emphasis.
    bool draw_ST_density(QPainter& canvas);

    EventLog& log_;
    Messages& messages_;
    std::optional<TKinematicAxesSet> kinematic_axes_;
    std::optional<TRightDihedra> dihedra_;
    std::map<std::pair<TDensitySubject, TDensityMethod>, TAxisDensity> densities_;
};

template <class T> void TSession::change_setting(T& field, T value) {
    field = std::move(value);
    emit settings_changed();
}
