#pragma once

// The fault data view: the stereonet of the session's fault data on the left, the numbered
// list on the right. It holds the plot's bitmap and turns its controls into session calls.

#include "plot/draw_operations.h"
#include "stress/axis_density.h"
#include "ui/view_dock.h"

#include <QImage>
#include <QPoint>

#include <optional>
#include <vector>

class FileDialogs;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStatusBar;
class TLevelsEdit;
class TPictureArea;
class TSession;
class TTextListView;

class TFormFD : public TViewDock {
    Q_OBJECT
public:
    TFormFD(TSession& session, FileDialogs& dialogs, QWidget* parent = nullptr);

    QImage bmpFD;

    QRadioButton* plot_method_items[2] = {};
    QRadioButton* projection_items[2] = {};
    QCheckBox* CheckBoxTheoreticalSlip = nullptr;
    QCheckBox* CheckBoxModelFaults = nullptr;
    QCheckBox* CheckBoxDesignatedAxes = nullptr;
    // The contour layer under the data: what to count, how, the levels.
    QComboBox* ComboContours = nullptr;
    QComboBox* ComboContourMethod = nullptr;
    TLevelsEdit* EditContourLevels = nullptr;
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
    // The plot as on the screen, with the list's selection highlighted.
    void save_graph_FD(const QString& path);
    void update_FD_ListBox();
    void update_status_bar();
    // Redraws the plot. A redraw from anything but the list drops the list's selection first.
    void ActionDrawExecute(QObject* sender);

    void RadioGroupPlotMethodClick();
    void RadioGroupProjectionClick();
    void ImageFDMouseMove(QPoint picture_point);

private:
    void build_controls();
    QWidget* build_top_panel();
    QWidget* build_contour_panel();
    void fault_data_changed();
    void designation_changed();
    // The radio buttons and check boxes as the settings are.
    void show_settings();

    TSession& session_;
    FileDialogs& dialogs_;
    bool drawing_from_list_ = false;
    // The projection of the picture shown, which the mouse read-out reads.
    TProjection drawn_projection_ = TProjection::EArea;
    // The contour layer of the picture shown: a change of it draws the picture again.
    struct TContours {
        std::optional<TDensitySubject> subject;
        TDensityMethod method;
        std::vector<double> levels;
        bool operator==(const TContours&) const = default;
    };
    TContours contours_wanted() const;
    TContours drawn_contours_;
};
