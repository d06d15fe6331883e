#pragma once

// An inversion run off the user-interface thread: the session's copy of the data is inverted on
// a thread of its own while a progress dialog offers Cancel, and the outcome is loaded into the
// session back on this thread in one step. A cancelled run leaves the session as it was.

#include "session/inversion.h"

#include <QObject>

#include <memory>

class QProgressDialog;
class QWidget;
class TSession;

class TInversionRunner : public QObject {
    Q_OBJECT
public:
    // The progress dialog belongs to window.
    TInversionRunner(TSession& session, QWidget* window);
    // A run still under way is cancelled and waited for; its outcome is dropped.
    ~TInversionRunner() override;

    // Starts a run of settings, which the session has checked; false while one is under way.
    bool start(const TInversionSettings& settings);
    bool running() const { return run_ != nullptr; }
    // As the dialog's Cancel button.
    void cancel();
    QProgressDialog* progress_dialog() const { return progress_; }

signals:
    void started();
    // After the outcome has been loaded (loaded) or dropped.
    void finished(bool loaded);

private:
    struct TRun;
    void run_ended();

    TSession& session_;
    QWidget* window_;
    std::unique_ptr<TRun> run_;
    QProgressDialog* progress_ = nullptr;
};
