#include "ui/main.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

namespace {

QAction* file_action(QObject* owner, const QString& caption, const char* name) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("category", QStringLiteral("FileIO"));
    return action;
}

} // namespace

TFormMain::TFormMain(const QString& log_path, QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Quomtel"));
    home_dir_ = QCoreApplication::applicationDirPath() + u'/';
    log_.set_path(log_path.isEmpty() ? default_log_path(home_dir_) : log_path);
    log_.reset_log();
    log_.append_log(log_time_text(QDateTime::currentDateTime()) + QStringLiteral(" QMT start."));

    setPalette(QPalette(QColor(128, 128, 128)));
    setAutoFillBackground(true);
    build_menu();
    build_status_bar();
    resize(824, 539 + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
}

TFormMain::~TFormMain() {
    log_.append_log(log_time_text(QDateTime::currentDateTime()) + QStringLiteral(" QMT end."));
}

void TFormMain::build_menu() {
    ActionOpenIR = file_action(this, QStringLiteral("&Inversion Result"), "ActionOpenIR");
    ActionOpenFD = file_action(this, QStringLiteral("&Fault Data"), "ActionOpenFD");
    ActionOpenST = file_action(this, QStringLiteral("&Stress Tensor"), "ActionOpenST");
    ActionOpenST->setEnabled(false);
    ActionSaveDataMisfit = file_action(this, QStringLiteral("&Misfit, normal && shear stresses"),
                                       "ActionSaveDataMisfit");
    ActionSaveDataTheoretical =
        file_action(this, QStringLiteral("&Theoretical Slip"), "ActionSaveDataTheoretical");
    ActionSaveDataStressTensor =
        file_action(this, QStringLiteral("&Stress Tensor"), "ActionSaveDataStressTensor");
    ActionSaveGraphFD = file_action(this, QStringLiteral("&Fault Data"), "ActionSaveGraphFD");
    ActionSaveGraphST = file_action(this, QStringLiteral("&Stress Tensor"), "ActionSaveGraphST");
    ActionSaveGraphMisfit =
        file_action(this, QStringLiteral("Misfit &Histogram"), "ActionSaveGraphMisfit");
    ActionSaveGraphMohr = file_action(this, QStringLiteral("&Mohr Circle"), "ActionSaveGraphMohr");

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QMenu* open = file->addMenu(QStringLiteral("&Open"));
    open->addActions({ActionOpenIR, ActionOpenFD, ActionOpenST});
    QMenu* save_data = file->addMenu(QStringLiteral("&Save Data"));
    save_data->addActions(
        {ActionSaveDataMisfit, ActionSaveDataTheoretical, ActionSaveDataStressTensor});
    QMenu* save_graphics = file->addMenu(QStringLiteral("Save &Graphics"));
    save_graphics->addActions(
        {ActionSaveGraphFD, ActionSaveGraphST, ActionSaveGraphMisfit, ActionSaveGraphMohr});
    file->addSeparator();
    ActionExit = file->addAction(QStringLiteral("E&xit"));
    ActionExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(ActionExit, &QAction::triggered, qApp, &QCoreApplication::quit);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    ActionVersion = help->addAction(QStringLiteral("&Version"));
}

void TFormMain::build_status_bar() {
    auto* panel0 = new QLabel(this);
    auto* panel1 = new QLabel(this);
    panel0->setFixedWidth(100);
    panel1->setFixedWidth(50);
    statusBar()->addWidget(panel0);
    statusBar()->addWidget(panel1);
}
