#pragma once

// The main window: menu, docking site for the three views, file drop, event log.

#include "core/logger.h"
#include "session/inversion.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class FileDialogs;
class Messages;
class QAction;
class QDialog;
class QMenu;
class QSettings;
class TFormAbout;
class TFormCompatibility;
class TFormFD;
class TFormKinematics;
class TFormST;
class TInversionRunner;
class TSession;
class TViewDock;

// What the window reports through and asks with; empty members get real boxes and dialogs.
struct TMainOptions {
    QString log_path; // empty: QMT.log beside the executable (or the per-user data folder)
    // Where the recent files and the window's layout are kept; empty: the user's settings.
    QString settings_path;
    Messages* messages = nullptr;
    FileDialogs* dialogs = nullptr;
};

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(const TMainOptions& options = {}, QWidget* parent = nullptr);
    ~TFormMain() override;

    EventLog& event_log() { return log_; }
    // What the views show and the menu acts on.
    TSession& session() { return *session_; }
    const QString& home_dir() const { return home_dir_; }

    TFormFD* fd_view = nullptr;
    TFormST* st_view = nullptr;
    TFormAbout* about = nullptr;
    TFormCompatibility* compat_view = nullptr;
    TFormKinematics* kinematics_view = nullptr;

    QAction* ActionOpenIR = nullptr;
    QAction* ActionOpenFD = nullptr;
    QAction* ActionOpenST = nullptr;
    QAction* ActionOpenAny = nullptr;
    QAction* ActionSaveAll = nullptr;
    QAction* ActionDesignateValues = nullptr;
    QAction* ActionCancelDesignation = nullptr;
    // "View > Plot Labels", remembered between runs.
    QAction* ActionPlotLabels = nullptr;
    QAction* ActionInvert = nullptr;
    QAction* ActionSaveDataResult = nullptr;
    // Runs "Analysis > Invert..." off the user-interface thread.
    TInversionRunner* inversion = nullptr;
    QAction* ActionCloseView = nullptr;
    QAction* ActionGuide = nullptr;
    QMenu* MenuRecent = nullptr;
    QAction* ActionImportTable = nullptr;
    QAction* ActionPasteTable = nullptr;
    QAction* ActionSaveDataFaultData = nullptr;
    QAction* ActionSaveDataMisfit = nullptr;
    QAction* ActionSaveDataTheoretical = nullptr;
    QAction* ActionSaveDataStressTensor = nullptr;
    QAction* ActionSaveGraphFD = nullptr;
    QAction* ActionSaveGraphST = nullptr;
    QAction* ActionSaveGraphMisfit = nullptr;
    QAction* ActionSaveGraphMohr = nullptr;
    QAction* ActionSaveGraphKinematics = nullptr;
    QAction* ActionSaveDataKinematics = nullptr;
    QAction* ActionExit = nullptr;
    QAction* ActionVersion = nullptr;

    // Brings a floating view to the front, or selects the tab of a docked one.
    void activate(TViewDock* view);
    // Routes a file by its extension, as a drop does.
    void open_file(const QString& path);
    // A field table through the import dialog, then loaded as fault data.
    void import_table(const QString& path);
    void import_table_text(const QString& name, const QString& text);
    // The files opened last, newest first, at most 10.
    QStringList recent_files() const;
    // The first file of a drop only.
    void drop_files(const QStringList& paths);
    // The docked views in tab order.
    const std::vector<TViewDock*>& docked_views() const { return docked_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The four views, in the order of their first tabs.
    std::vector<TViewDock*> views() const;
    void build_menu();
    void build_status_bar();
    void connect_actions();
    void dock_view(TViewDock* view);
    // Reads the file, then redraws the views it fills.
    void open_fault_data(const QString& path);
    void open_inversion_result(const QString& path);
    void view_floating_changed(TViewDock* view, bool floating);
    bool fault_data_and_designation_ready();
    std::unique_ptr<QSettings> settings() const;
    // A file read whole: it heads the recent files, and dialogs start in its folder.
    void file_opened(const QString& path);
    void rebuild_recent_menu();
    void save_window_layout();
    // On unless the settings hold false for it.
    bool remembered_plot_labels() const;
    void plot_labels_toggled(bool on);
    void restore_window_layout();
    void designate_by_values();
    void save_all_results();
    void show_guide();
    void connect_inversion();
    // The stress view in front, drawing the states just loaded.
    void show_new_states();
    void invert_fault_data();
    // While an inversion runs or a long drawing reads the states, with events running, nothing
    // that could change the data can be used.
    void hold_input(bool under_way);

    std::unique_ptr<Messages> own_messages_;
    std::unique_ptr<TSession> session_;
    std::unique_ptr<FileDialogs> own_dialogs_;
    Messages* messages_ = nullptr;
    FileDialogs* dialogs_ = nullptr;
    QString home_dir_;
    EventLog log_;
    std::vector<TViewDock*> docked_;
    bool shown_once_ = false;
    QString settings_path_;
    QDialog* guide_ = nullptr;
    // The dialog starts with the last settings; the actions disabled while a run goes.
    TInversionSettings inversion_settings_;
    std::vector<std::pair<QAction*, bool>> held_actions_;
    // A close asked for during a long drawing: the drawing stops, then the window closes.
    bool close_after_drawing_ = false;
};
