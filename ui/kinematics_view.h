#pragma once

// The kinematics view: the P and T axes of the fault data over the density contours of one
// subject or the right dihedra, and the list of every datum's P, T and B axes. It follows the
// session: the picture is drawn again when the data, the states or its settings change, once
// the view is in front (the session keeps what it computed, so a redraw is cheap).

#include "plot/draw_operations.h"
#include "session/settings.h"
#include "stress/axis_density.h"
#include "ui/view_dock.h"

#include <QImage>
#include <QPoint>

#include <optional>
#include <vector>

class FileDialogs;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QTableView;
class TAxesTableModel;
class TLevelsEdit;
class TPictureArea;
class TSession;

class TFormKinematics : public TViewDock {
    Q_OBJECT
public:
    TFormKinematics(TSession& session, FileDialogs& dialogs, QWidget* parent = nullptr);

    QImage bmpKinematics;

    QCheckBox* CheckBoxAxes = nullptr;
    QComboBox* ComboUnderlay = nullptr;
    QGroupBox* GroupDensity = nullptr;
    QComboBox* ComboSubject = nullptr;
    QComboBox* ComboMethod = nullptr;
    TLevelsEdit* EditLevels = nullptr;
    TPictureArea* ImageKinematics = nullptr;
    QTableView* TableAxes = nullptr;
    TAxesTableModel* axes_model = nullptr;
    QLabel* status_panels[2] = {};

    // The picture as the settings say, now, whether the view is in front or not.
    void redraw();
    // The dialogs; an empty path when cancelled.
    QString run_picture_save_dialog();
    QString run_axes_save_dialog();
    void save_graph_kinematics(const QString& path);
    void save_axes(const QString& path);

private:
    QWidget* build_top_panel();
    void build_controls();
    void show_settings();
    void fault_data_changed();
    void states_changed();
    // Draws now when in front, else when the view next comes to the front.
    void redraw_when_shown();
    void update_axes_list();
    void mouse_moved(QPoint picture_point);

    // What the picture was drawn with: a change of anything else leaves it alone.
    struct TDrawn {
        TProjection projection;
        bool axes;
        TKinematicsUnderlay underlay;
        TDensitySubject subject;
        TDensityMethod method;
        std::vector<double> levels;
        bool operator==(const TDrawn&) const = default;
    };
    TDrawn wanted() const;

    TSession& session_;
    FileDialogs& dialogs_;
    std::optional<TDrawn> drawn_; // none: the picture is out of date
    bool list_stale_ = true;
};
