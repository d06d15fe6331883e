#include "ui/inversion_runner.h"

#include "session/session.h"

#include <QProgressDialog>

#include <atomic>
#include <new>
#include <thread>

// What the worker thread reads and writes: nothing else of the session.
struct TInversionRunner::TRun {
    TInversionJob job;
    std::atomic<bool> cancel{false};
    TInversionOutcome outcome;
    std::thread thread;
};

TInversionRunner::TInversionRunner(TSession& session, QWidget* window)
    : QObject(window), session_(session), window_(window) {}

TInversionRunner::~TInversionRunner() {
    if (run_) {
        run_->cancel = true;
        run_->thread.join(); // its queued calls go with this object
    }
}

bool TInversionRunner::start(const TInversionSettings& settings) {
    if (run_)
        return false;
    run_ = std::make_unique<TRun>();
    run_->job = session_.inversion_job(settings);

    constexpr int steps = 1000;
    progress_ = new QProgressDialog(settings.method == TInversionMethod::Grid
                                        ? QStringLiteral("Scoring the stress states of the grid...")
                                        : QStringLiteral("Solving the bootstrap resamples..."),
                                    QStringLiteral("Cancel"), 0, steps, window_);
    progress_->setWindowTitle(QStringLiteral("Invert Fault Data"));
    // Modeless: a modal dialog would run events inside setValue, and the run's end among them.
    // The window disables what could change the data instead.
    progress_->setWindowModality(Qt::NonModal);
    const int label_width = progress_->fontMetrics().horizontalAdvance(progress_->labelText());
    progress_->setMinimumWidth(label_width + 80); // the label whole
    progress_->setMinimumDuration(300);           // a quick run shows no dialog
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setValue(0);
    connect(progress_, &QProgressDialog::canceled, this, &TInversionRunner::cancel);

    TRun* run = run_.get();
    TInversionControl control;
    control.cancel = &run->cancel;
    // Reported from the worker threads; the dialog is set on this one.
    control.progress = [this](double fraction) {
        QMetaObject::invokeMethod(
            this,
            [this, fraction] {
                if (progress_ && !progress_->wasCanceled())
                    progress_->setValue(int(fraction * steps));
            },
            Qt::QueuedConnection);
    };
    emit started();
    run->thread = std::thread([this, run, control] {
        try {
            run->outcome = run->job.run(control);
        } catch (const std::bad_alloc&) {
            run->outcome = {TInversionStatus::Failed,
                            QStringLiteral("Not enough memory for the inversion: choose a wider "
                                           "grid spacing or a larger stress-ratio step."),
                            {}};
        }
        QMetaObject::invokeMethod(
            this, [this] { run_ended(); }, Qt::QueuedConnection);
    });
    return true;
}

void TInversionRunner::cancel() {
    if (!run_)
        return;
    run_->cancel = true;
    if (progress_)
        progress_->setLabelText(QStringLiteral("Cancelling..."));
}

void TInversionRunner::run_ended() {
    run_->thread.join();
    const std::unique_ptr<TRun> run = std::move(run_);
    delete progress_;
    progress_ = nullptr;
    // A run cancelled as it ended is dropped all the same.
    if (run->cancel)
        run->outcome.status = TInversionStatus::Cancelled;
    const bool loaded = session_.load_inversion(run->job, std::move(run->outcome));
    emit finished(loaded);
}
