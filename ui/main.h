#pragma once

// The main window: menu, docking site for the three views, file drop, event log.

#include "core/logger.h"

#include <QMainWindow>

class QAction;
class QLabel;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // log_path empty: QMT.log beside the executable (or the per-user data folder).
    explicit TFormMain(const QString& log_path = QString(), QWidget* parent = nullptr);
    ~TFormMain() override;

    EventLog& event_log() { return log_; }
    const QString& home_dir() const { return home_dir_; }

    QAction* ActionOpenIR = nullptr;
    QAction* ActionOpenFD = nullptr;
    QAction* ActionOpenST = nullptr;
    QAction* ActionSaveDataMisfit = nullptr;
    QAction* ActionSaveDataTheoretical = nullptr;
    QAction* ActionSaveDataStressTensor = nullptr;
    QAction* ActionSaveGraphFD = nullptr;
    QAction* ActionSaveGraphST = nullptr;
    QAction* ActionSaveGraphMisfit = nullptr;
    QAction* ActionSaveGraphMohr = nullptr;
    QAction* ActionExit = nullptr;
    QAction* ActionVersion = nullptr;

private:
    void build_menu();
    void build_status_bar();

    QString home_dir_;
    EventLog log_;
};
