#include "ui/main.h"

#include "core/text_file.h"
#include "session/session.h"
#include "ui/about.h"
#include "ui/compatibility.h"
#include "ui/dialogs.h"
#include "ui/fd_view.h"
#include "ui/guide_view.h"
#include "ui/inversion_runner.h"
#include "ui/kinematics_view.h"
#include "ui/remembered_settings.h"
#include "ui/st_view.h"
#include "ui/text_list.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace {

QAction* file_action(QObject* owner, const QString& caption, const char* name,
                     const char* icon = nullptr) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("category", QStringLiteral("FileIO"));
    if (icon)
        action->setIcon(QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(icon)));
    return action;
}

QString now_text() {
    return log_time_text(QDateTime::currentDateTime());
}

} // namespace

TFormMain::TFormMain(const TMainOptions& options, QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Quomtel"));
    if (options.messages) {
        messages_ = options.messages;
    } else {
        own_messages_ = std::make_unique<BoxMessages>(this);
        messages_ = own_messages_.get();
    }
    if (options.dialogs) {
        dialogs_ = options.dialogs;
    } else {
        own_dialogs_ = std::make_unique<QtFileDialogs>(this);
        dialogs_ = own_dialogs_.get();
    }

    settings_path_ = options.settings_path;
    setAcceptDrops(true);
    home_dir_ = QCoreApplication::applicationDirPath() + u'/';
    log_.set_path(options.log_path.isEmpty() ? default_log_path(home_dir_) : options.log_path);
    log_.reset_log();
    log_.append_log(now_text() + QStringLiteral(" QMT start."));

    // Grey behind the views; the views keep the normal colours.
    setStyleSheet(QStringLiteral("TFormMain { background: #808080; }"));
    setDockOptions(AnimatedDocks | AllowTabbedDocks);
    setTabPosition(Qt::TopDockWidgetArea, QTabWidget::North);
    setDocumentMode(true);
    build_menu();
    build_status_bar();

    session_ = std::make_unique<TSession>(log_, *messages_);
    // Before the views draw their first pictures.
    session_->settings.plot_labels = remembered_plot_labels();
    restore_view_settings(*settings(), session_->settings);
    ActionPlotLabels->setChecked(session_->settings.plot_labels);
    // The views, in this order: the stress view clears the designation layers that the fault
    // data view shows.
    fd_view = new TFormFD(*session_, *dialogs_, this);
    st_view = new TFormST(*session_, *messages_, *dialogs_, this);
    about = new TFormAbout(this);
    compat_view = new TFormCompatibility(*session_, *dialogs_, this);
    kinematics_view = new TFormKinematics(*session_, *dialogs_, this);
    for (TViewDock* view : views()) {
        view->setAllowedAreas(Qt::TopDockWidgetArea);
        view->hide();
        connect(view, &QDockWidget::topLevelChanged, this,
                [this, view](bool floating) { view_floating_changed(view, floating); });
        connect(view, &TViewDock::closed_while_floating, qApp, &QCoreApplication::quit,
                Qt::QueuedConnection);
    }
    connect_actions();
    connect(session_.get(), &TSession::settings_changed, this,
            [this] { remember_view_settings(*settings(), session_->settings); });
    resize(824, 539 + menuBar()->sizeHint().height()); // the client area holds the status bar
}

TFormMain::~TFormMain() {
    delete inversion; // a run under way ends before the session goes
    // The views go before the session they show, the last made first.
    std::vector<TViewDock*> made = views();
    std::reverse(made.begin(), made.end());
    for (TViewDock* view : made)
        delete view;
    log_.append_log(now_text() + QStringLiteral(" QMT end."));
}

std::vector<TViewDock*> TFormMain::views() const {
    return {fd_view, st_view, compat_view, kinematics_view};
}

void TFormMain::build_menu() {
    ActionOpenIR =
        file_action(this, QStringLiteral("&Inversion Result"), "ActionOpenIR", "open.svg");
    ActionOpenFD = file_action(this, QStringLiteral("&Fault Data"), "ActionOpenFD", "open.svg");
    ActionOpenST = file_action(this, QStringLiteral("&Stress Tensor"), "ActionOpenST", "open.svg");
    ActionOpenST->setEnabled(false);
    ActionOpenAny = file_action(this, QStringLiteral("Op&en File..."), "ActionOpenAny", "open.svg");
    ActionOpenAny->setShortcut(QKeySequence::Open);
    ActionOpenAny->setToolTip(
        QStringLiteral("Opens fault data, an inversion result or a table, by its extension"));
    ActionSaveAll =
        file_action(this, QStringLiteral("Save All &Results..."), "ActionSaveAll", "save.svg");
    ActionSaveAll->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    ActionDesignateValues = new QAction(QStringLiteral("&Designate Stress State..."), this);
    ActionDesignateValues->setObjectName(QStringLiteral("ActionDesignateValues"));
    ActionCancelDesignation = new QAction(QStringLiteral("&Cancel Designation"), this);
    ActionCancelDesignation->setObjectName(QStringLiteral("ActionCancelDesignation"));
    ActionCancelDesignation->setShortcut(QKeySequence(Qt::Key_Escape));
    // Esc works in a floating stress view too; only while clicks are under way.
    ActionCancelDesignation->setShortcutContext(Qt::ApplicationShortcut);
    ActionCancelDesignation->setEnabled(false);
    ActionInvert = new QAction(QStringLiteral("&Invert..."), this);
    ActionInvert->setObjectName(QStringLiteral("ActionInvert"));
    ActionInvert->setToolTip(
        QStringLiteral("Computes candidate stress states from the fault data loaded"));
    ActionSaveDataResult =
        file_action(this, QStringLiteral("&Inversion Result"), "ActionSaveDataResult", "save.svg");
    ActionCloseView = new QAction(QStringLiteral("Close Floating &View"), this);
    ActionCloseView->setObjectName(QStringLiteral("ActionCloseView"));
    ActionCloseView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    ActionCloseView->setShortcutContext(Qt::ApplicationShortcut);
    ActionGuide = new QAction(QStringLiteral("&User Guide"), this);
    ActionGuide->setObjectName(QStringLiteral("ActionGuide"));
    ActionGuide->setShortcut(QKeySequence::HelpContents);
    ActionImportTable =
        file_action(this, QStringLiteral("Import &Table..."), "ActionImportTable", "open.svg");
    ActionImportTable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    ActionImportTable->setToolTip(
        QStringLiteral("Reads fault data from a CSV, TSV or other table in any common convention"));
    ActionPasteTable = new QAction(QStringLiteral("Paste &Table"), this);
    ActionPasteTable->setObjectName(QStringLiteral("ActionPasteTable"));
    ActionPasteTable->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    ActionSaveDataFaultData = file_action(this, QStringLiteral("&Fault Data (.efd)"),
                                          "ActionSaveDataFaultData", "save.svg");
    ActionSaveDataMisfit = file_action(this, QStringLiteral("&Misfit, normal && shear stresses"),
                                       "ActionSaveDataMisfit", "save.svg");
    ActionSaveDataTheoretical = file_action(this, QStringLiteral("&Theoretical Slip"),
                                            "ActionSaveDataTheoretical", "save.svg");
    ActionSaveDataStressTensor = file_action(this, QStringLiteral("&Stress Tensor"),
                                             "ActionSaveDataStressTensor", "save.svg");
    ActionSaveGraphFD =
        file_action(this, QStringLiteral("&Fault Data"), "ActionSaveGraphFD", "picture.svg");
    ActionSaveGraphST =
        file_action(this, QStringLiteral("&Stress Tensor"), "ActionSaveGraphST", "picture.svg");
    ActionSaveGraphMisfit = file_action(this, QStringLiteral("Misfit &Histogram"),
                                        "ActionSaveGraphMisfit", "picture.svg");
    ActionSaveGraphMohr =
        file_action(this, QStringLiteral("&Mohr Circle"), "ActionSaveGraphMohr", "picture.svg");
    ActionSaveGraphKinematics = file_action(this, QStringLiteral("&Kinematics"),
                                            "ActionSaveGraphKinematics", "picture.svg");
    ActionSaveDataKinematics = file_action(this, QStringLiteral("&Kinematic Axes (.csv)"),
                                           "ActionSaveDataKinematics", "save.svg");

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(ActionOpenAny);
    QMenu* open = file->addMenu(QStringLiteral("&Open"));
    open->addActions({ActionOpenIR, ActionOpenFD, ActionOpenST});
    MenuRecent = file->addMenu(QStringLiteral("Recent &Files"));
    file->addAction(ActionImportTable);
    QMenu* save_data = file->addMenu(QStringLiteral("&Save Data"));
    save_data->addActions({ActionSaveDataMisfit, ActionSaveDataTheoretical,
                           ActionSaveDataStressTensor, ActionSaveDataFaultData,
                           ActionSaveDataResult, ActionSaveDataKinematics});
    QMenu* save_graphics = file->addMenu(QStringLiteral("Save &Graphics"));
    save_graphics->addActions({ActionSaveGraphFD, ActionSaveGraphST, ActionSaveGraphMisfit,
                               ActionSaveGraphMohr, ActionSaveGraphKinematics});
    file->addAction(ActionSaveAll);
    file->addSeparator();
    file->addAction(ActionCloseView);
    ActionExit =
        file->addAction(QIcon(QStringLiteral(":/icons/exit.svg")), QStringLiteral("E&xit"));
    ActionExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(ActionExit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(ActionPasteTable);

    ActionPlotLabels = new QAction(QStringLiteral("Plot &Labels"), this);
    ActionPlotLabels->setObjectName(QStringLiteral("ActionPlotLabels"));
    ActionPlotLabels->setCheckable(true);
    ActionPlotLabels->setChecked(true);
    ActionPlotLabels->setToolTip(QStringLiteral(
        "Names the nets and the Mohr axes, marks north and gives the values of the colour "
        "scales, on the screen and in saved pictures"));
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(ActionPlotLabels);

    // "Anal&ysis": A, N and S are access keys of the views' buttons.
    QMenu* analysis = menuBar()->addMenu(QStringLiteral("Anal&ysis"));
    analysis->addActions({ActionInvert, ActionDesignateValues, ActionCancelDesignation});

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(ActionGuide);
    ActionVersion =
        help->addAction(QIcon(QStringLiteral(":/icons/about.svg")), QStringLiteral("&Version"));
}

void TFormMain::build_status_bar() {
    const int widths[2] = {100, 50};
    for (int width : widths) {
        auto* panel = new QLabel(this);
        panel->setFixedWidth(width);
        statusBar()->addWidget(panel);
    }
}

bool TFormMain::fault_data_and_designation_ready() {
    if (session_->FD_loaded && session_->ST_designated)
        return true;
    messages_->show(
        QStringLiteral("Fault Data must be loaded AND\r\nStress State must be designated."));
    return false;
}

void TFormMain::connect_actions() {
    connect(ActionOpenFD, &QAction::triggered, this, [this] {
        activate(fd_view);
        const QString path = fd_view->run_open_dialog();
        if (path.isEmpty())
            return;
        open_fault_data(path);
    });
    connect(ActionOpenIR, &QAction::triggered, this, [this] {
        activate(st_view);
        const QString path = st_view->run_open_dialog();
        if (!path.isEmpty())
            open_inversion_result(path);
    });
    connect(ActionOpenAny, &QAction::triggered, this, [this] {
        const QString path = dialogs_->open_file(TFileDialogSpec{
            QStringLiteral("Open"),
            QStringLiteral("All Quomtel files (*.efd, *.fdt, *.tlv, *.bk4, *.csv, *.tsv)|"
                           "*.efd;*.fdt;*.tlv;*.bk4;*.csv;*.tsv|"
                           "Fault-slip data (*.efd, *.fdt)|*.efd;*.fdt|"
                           "Tolvar (*.tlv)|*.tlv|Brask (*.bk4)|*.bk4|"
                           "Tables (*.csv, *.tsv)|*.csv;*.tsv|All files (*.*)|*.*"),
            QString(), false});
        if (!path.isEmpty())
            open_file(path);
    });
    connect(ActionSaveAll, &QAction::triggered, this, [this] { save_all_results(); });
    connect(ActionDesignateValues, &QAction::triggered, this, [this] { designate_by_values(); });
    connect(ActionCancelDesignation, &QAction::triggered, st_view, &TFormST::cancel_designation);
    connect(st_view, &TFormST::designation_under_way, ActionCancelDesignation,
            &QAction::setEnabled);
    connect(st_view, &TFormST::long_drawing, this, [this](bool under_way) {
        hold_input(under_way);
        if (!under_way && close_after_drawing_) {
            close_after_drawing_ = false;
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        }
    });
    connect(ActionCloseView, &QAction::triggered, this, [this] {
        // The floating view in front goes back among the tabs; closing its own window with the
        // mouse still ends the program.
        for (TViewDock* view : views())
            if (view->isFloating() && view->isActiveWindow()) {
                view->setFloating(false);
                return;
            }
    });
    connect(ActionGuide, &QAction::triggered, this, [this] { show_guide(); });
    connect(ActionImportTable, &QAction::triggered, this, [this] {
        const QString path = dialogs_->open_file(TFileDialogSpec{
            QStringLiteral("Import Table"),
            QStringLiteral("Tables (*.csv, *.tsv, *.txt)|*.csv;*.tsv;*.txt|All files (*.*)|*.*"),
            QString(), false});
        if (!path.isEmpty())
            import_table(path);
    });
    connect(ActionPasteTable, &QAction::triggered, this, [this] {
        const QString text = QGuiApplication::clipboard()->text();
        if (text.trimmed().isEmpty()) {
            messages_->show(QStringLiteral("The clipboard holds no text to read as a table."));
            return;
        }
        import_table_text(QStringLiteral("clipboard"), text);
    });
    connect(ActionSaveDataFaultData, &QAction::triggered, this, [this] {
        if (!session_->FD_loaded) {
            messages_->show(QStringLiteral("Fault Data must be loaded."));
            return;
        }
        session_->save_data_fault_data(dialogs_->save_file(
            TFileDialogSpec{QStringLiteral("Save Fault Data"),
                            QStringLiteral("Fault-slip data (*.efd)|*.efd|All files (*.*)|*.*"),
                            QStringLiteral(".efd"), true}));
    });
    connect(ActionOpenST, &QAction::triggered, this, [this] {
        activate(st_view);
        messages_->show(QStringLiteral("Sorry, under construction..."));
    });
    connect(ActionSaveDataMisfit, &QAction::triggered, this, [this] {
        if (fault_data_and_designation_ready())
            session_->save_data_misfit(fd_view->run_data_save_dialog());
    });
    connect(ActionSaveDataTheoretical, &QAction::triggered, this, [this] {
        if (fault_data_and_designation_ready())
            session_->save_data_theoretical(fd_view->run_data_save_dialog());
    });
    connect(ActionSaveDataStressTensor, &QAction::triggered, this, [this] {
        if (!session_->ST_loaded) {
            messages_->show(QStringLiteral("Stress Tensor must be loaded."));
            return;
        }
        session_->save_data_stress_tensor(st_view->run_data_save_dialog());
    });
    connect(ActionSaveGraphFD, &QAction::triggered, this, [this] {
        activate(fd_view);
        fd_view->save_graph_FD(fd_view->run_picture_save_dialog());
    });
    connect(ActionSaveGraphST, &QAction::triggered, this, [this] {
        activate(st_view);
        st_view->save_graph_ST(st_view->run_picture_save_dialog());
    });
    connect(ActionSaveGraphMisfit, &QAction::triggered, this, [this] {
        activate(compat_view);
        compat_view->save_graph_misfit(compat_view->run_picture_save_dialog());
    });
    connect(ActionSaveGraphMohr, &QAction::triggered, this, [this] {
        activate(compat_view);
        compat_view->save_graph_Mohr(compat_view->run_picture_save_dialog());
    });
    connect(ActionSaveGraphKinematics, &QAction::triggered, this, [this] {
        activate(kinematics_view);
        kinematics_view->save_graph_kinematics(kinematics_view->run_picture_save_dialog());
    });
    connect(ActionSaveDataKinematics, &QAction::triggered, this, [this] {
        if (!session_->FD_loaded) {
            messages_->show(QStringLiteral("Fault Data must be loaded."));
            return;
        }
        activate(kinematics_view);
        kinematics_view->save_axes(kinematics_view->run_axes_save_dialog());
    });
    connect(ActionVersion, &QAction::triggered, this, [this] { about->show_centred_on(*this); });
    connect_inversion();
    connect(ActionPlotLabels, &QAction::toggled, this, &TFormMain::plot_labels_toggled);
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_once_)
        return;
    shown_once_ = true;
    for (TViewDock* view : views()) {
        dock_view(view);
        view->show();
    }
    st_view->raise();
    restore_window_layout();
    rebuild_recent_menu();
}

void TFormMain::dock_view(TViewDock* view) {
    // A docked view always becomes the last tab.
    const auto others = std::find(docked_.begin(), docked_.end(), view);
    if (others != docked_.end())
        docked_.erase(others);
    if (docked_.empty())
        addDockWidget(Qt::TopDockWidgetArea, view);
    else
        tabifyDockWidget(docked_.back(), view);
    docked_.push_back(view);
    view->tag = static_cast<int>(docked_.size()) - 1;
}

void TFormMain::view_floating_changed(TViewDock* view, bool floating) {
    if (floating) {
        if (view->tag < 0)
            return;
        const int t = view->tag;
        docked_.erase(std::remove(docked_.begin(), docked_.end(), view), docked_.end());
        for (TViewDock* other : docked_)
            if (other->tag > t)
                --other->tag;
        view->tag = -1;
    } else if (view->tag < 0) {
        // Docked back by the user: move it behind the other tabs once the drop has finished.
        QTimer::singleShot(0, this, [this, view] {
            if (!view->isFloating() && view->tag < 0) {
                dock_view(view);
                view->show();
                view->raise();
            }
        });
    }
}

void TFormMain::activate(TViewDock* view) {
    if (view->tag == -1) {
        view->raise();
        view->activateWindow();
    } else {
        view->raise(); // selects its tab
    }
}

void TFormMain::open_file(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString ext = suffix.isEmpty() ? QString() : u'.' + suffix;
    if (ext == QStringLiteral(".efd") || ext == QStringLiteral(".fdt")) {
        activate(fd_view);
        open_fault_data(path);
    } else if (ext == QStringLiteral(".csv") || ext == QStringLiteral(".tsv")) {
        import_table(path);
    } else if (ext == QStringLiteral(".tlv") || ext == QStringLiteral(".bk4")) {
        activate(st_view);
        open_inversion_result(path);
    } else {
        messages_->show(QStringLiteral("Invalid file extension [") + ext + u']');
    }
}

void TFormMain::open_fault_data(const QString& path) {
    if (session_->read_FD(path))
        file_opened(path);
    fd_view->ActionDrawExecute(this);
}

void TFormMain::import_table(const QString& path) {
    const TTextReadResult text = read_text_lines(path);
    if (!text.ok) {
        messages_->show(text.error);
        return;
    }
    import_table_text(path, text.lines.join(u'\n'));
}

void TFormMain::import_table_text(const QString& name, const QString& text) {
    activate(fd_view);
    const std::optional<TTableOptions> options =
        dialogs_->import_table(QFileInfo(name).fileName(), text);
    if (!options)
        return;
    if (session_->read_table_text(text, name, *options,
                                  QStringLiteral("choose them in the import dialog")) &&
        QFileInfo(name).isFile())
        file_opened(name);
    fd_view->ActionDrawExecute(this);
}

void TFormMain::show_new_states() {
    activate(st_view);
    st_view->ActionDrawExecute();
}

void TFormMain::open_inversion_result(const QString& path) {
    if (session_->read_IR(path))
        file_opened(path);
    st_view->ActionDrawExecute();
    fd_view->ActionDrawExecute(this);
}

void TFormMain::drop_files(const QStringList& paths) {
    if (!paths.isEmpty() && !inversion->running())
        open_file(paths.constFirst());
}

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    event->acceptProposedAction();
    // Reading may show boxes: let the desktop's drag finish first.
    QTimer::singleShot(0, this, [this, paths] { drop_files(paths); });
}

std::unique_ptr<QSettings> TFormMain::settings() const {
    if (settings_path_.isEmpty())
        return std::make_unique<QSettings>();
    return std::make_unique<QSettings>(settings_path_, QSettings::IniFormat);
}

namespace {

const QString recent_key = QStringLiteral("Window/recentFiles");
const QString geometry_key = QStringLiteral("Window/geometry");
const QString plot_labels_key = QStringLiteral("View/plotLabels");
constexpr int recent_count = 10;

QString view_key(const TViewDock* view, const char* what) {
    return QStringLiteral("Window/") + view->objectName() + u'/' + QLatin1String(what);
}

} // namespace

QStringList TFormMain::recent_files() const {
    // A value of another type (a damaged or foreign file) is no list of names.
    const QVariant value = settings()->value(recent_key);
    QStringList files = value.typeId() == QMetaType::QStringList ? value.toStringList()
                        : value.typeId() == QMetaType::QString   ? QStringList{value.toString()}
                                                                 : QStringList();
    files.removeAll(QString());
    return files.mid(0, recent_count);
}

void TFormMain::file_opened(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    QStringList files = recent_files();
    files.removeAll(full);
    files.prepend(full);
    settings()->setValue(recent_key, files.mid(0, recent_count));
    dialogs_->file_used(full);
    rebuild_recent_menu();
}

void TFormMain::rebuild_recent_menu() {
    MenuRecent->clear();
    const QStringList files = recent_files();
    for (int k = 0; k < files.size(); ++k) {
        // "&1 site.efd": a number key each, the folder in the tooltip.
        QAction* entry = MenuRecent->addAction(
            QStringLiteral("&%1 %2").arg((k + 1) % 10).arg(QFileInfo(files[k]).fileName()));
        entry->setToolTip(files[k]);
        entry->setStatusTip(files[k]);
        const QString path = files[k];
        connect(entry, &QAction::triggered, this, [this, path] { open_file(path); });
    }
    MenuRecent->setEnabled(!files.isEmpty());
}

void TFormMain::save_window_layout() {
    const std::unique_ptr<QSettings> store = settings();
    store->setValue(geometry_key, saveGeometry());
    for (const TViewDock* view : views()) {
        store->setValue(view_key(view, "floating"), view->isFloating());
        store->setValue(view_key(view, "geometry"), view->saveGeometry());
    }
}

bool TFormMain::remembered_plot_labels() const {
    // Whatever a damaged or foreign file holds, only a false turns the labels off.
    return settings()->value(plot_labels_key).toString() != QStringLiteral("false");
}

void TFormMain::plot_labels_toggled(bool on) {
    session_->set_plot_labels(on);
    settings()->setValue(plot_labels_key, on);
    fd_view->ActionDrawExecute(fd_view->ListBox); // the datum selected stays selected
    compat_view->ActionDrawMohrExecute();
    st_view->redraw();
}

void TFormMain::restore_window_layout() {
    // Whatever a damaged or foreign file holds: geometry that does not restore is left alone,
    // and only a true boolean floats a view.
    const std::unique_ptr<QSettings> store = settings();
    restoreGeometry(store->value(geometry_key).toByteArray());
    for (TViewDock* view : views()) {
        if (store->value(view_key(view, "floating")).toString() != QStringLiteral("true"))
            continue;
        view->setFloating(true);
        view->restoreGeometry(store->value(view_key(view, "geometry")).toByteArray());
    }
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (st_view->drawing()) {
        close_after_drawing_ = true;
        st_view->stop_drawing();
        event->ignore();
        return;
    }
    save_window_layout();
    QMainWindow::closeEvent(event);
}

void TFormMain::designate_by_values() {
    activate(st_view);
    st_view->cancel_designation();
    TStressValues initial;
    if (session_->ST_designated) {
        const TStressTensor& d = session_->designated_ST;
        initial = {d.ax[0], d.ax[2], d.sr};
    }
    const std::optional<TStressValues> values = dialogs_->designate_values(initial);
    if (values)
        session_->designate(values->sigma1, values->sigma3, values->phi);
}

void TFormMain::save_all_results() {
    const std::optional<TSaveAllChoice> choice = dialogs_->save_all();
    if (!choice)
        return;
    if (!QFileInfo(choice->folder).isDir()) {
        messages_->show(
            QStringLiteral("Cannot write into [%1]: it is not a folder.").arg(choice->folder));
        return;
    }
    const TSession::TSaveAllReport report =
        session_->save_all(choice->folder, choice->format, compat_view->histogram_size(), st_view);
    QStringList lines{QStringLiteral("%1 files written into [%2].")
                          .arg(report.written.size())
                          .arg(QDir::toNativeSeparators(choice->folder))};
    for (const QString& why : report.skipped)
        lines.append(QStringLiteral("Not written: ") + why + u'.');
    messages_->show(lines.join(u'\n'));
}

void TFormMain::show_guide() {
    if (!guide_)
        guide_ = new TGuideView(user_guide_url(QCoreApplication::applicationDirPath()), this);
    guide_->show();
    guide_->raise();
    guide_->activateWindow();
}
