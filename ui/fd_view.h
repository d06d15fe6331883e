#pragma once

// The fault data view: the stereonet of the loaded data on the left, the numbered list on the
// right. It owns the three fault data sets and the plot's styles and bitmap.

#include "faults/fd_classes.h"
#include "plot/fd_plot.h"
#include "stress/st_classes.h"
#include "ui/view_dock.h"

#include <QImage>

class EventLog;
class FileDialogs;
class Messages;
class QAction;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStatusBar;
class TFormCompatibility;
class TFormST;
class TPictureArea;
class TTextListView;

class TFormFD : public TViewDock {
    Q_OBJECT
public:
    TFormFD(EventLog& log, Messages& messages, FileDialogs& dialogs, QWidget* parent = nullptr);

    // The stress view, once it exists: designation state and designated stress state.
    TFormST* st_view = nullptr;
    // The compatibility view, once it exists: the misfit measure.
    TFormCompatibility* compat_view = nullptr;

    TFaultDataSet FDSet;
    TFaultDataSet ModelFDSet;
    TFaultDataSet TheoreticalFDSet;
    bool FD_loaded = false;
    QString FD_loaded_filename;
    TPlotMethod plotmethod = TPlotMethod::TLD;
    TProjection projection = TProjection::EArea;
    QImage bmpFD;
    TFDPlotStyles styles;

    QRadioButton* plot_method_items[2] = {};
    QRadioButton* projection_items[2] = {};
    QCheckBox* CheckBoxTheoreticalSlip = nullptr;
    QCheckBox* CheckBoxModelFaults = nullptr;
    QCheckBox* CheckBoxDesignatedAxes = nullptr;
    QPushButton* ButtonDraw = nullptr;
    QAction* ActionDraw = nullptr;
    TPictureArea* ImageFD = nullptr;
    TTextListView* ListBox = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* status_panels[2] = {};

    // The dialogs; an empty path when cancelled.
    QString run_open_dialog();
    QString run_data_save_dialog();
    QString run_picture_save_dialog();
    // Results of the designated stress state, and the plot as an enhanced metafile. A file that
    // cannot be written is reported; any previous file stays as it was.
    void save_data_misfit(const QString& path);
    void save_data_theoretical(const QString& path);
    void save_graph_FD(const QString& path);
    void read_FD(const QString& path);
    void change_flag_FD_loaded(bool value, const QString& path = QString());
    void update_FD_ListBox();
    void update_status_bar();
    // Redraws the plot. A redraw from anything but the list drops the list's selection first.
    void ActionDrawExecute(QObject* sender);

    // Theoretical slip, misfit and stresses of every datum for the stress state.
    void calc_theoretical_slip_and_misfit(const TStressTensor& st);

    void RadioGroupPlotMethodClick();
    void RadioGroupProjectionClick();
    void ImageFDMouseMove(QPoint pos);

private:
    void build_controls();
    QWidget* build_top_panel();
    bool stress_designated() const;
    // The layers a drawing shows now; the list's selection is highlighted.
    TFDPlotLayers plot_layers();

    EventLog& log_;
    Messages& messages_;
    FileDialogs& dialogs_;
    bool drawing_from_list_ = false;
};
