#pragma once

// The pictures of the documentation, taken of the running window: the fittest stress state of
// the loaded result is designated with the three clicks a user makes, and each view is saved as
// the window system shows it. Started by the hidden option `--screenshots DIR`.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TFormMain;
class QWidget;

struct TScreenshotOptions {
    QString folder;
    QSize window_size{1100, 800};
    QPoint floating_at{340, 210}; // the floating view, over the main window's corner
    QSize floating_size{860, 640};
    int settle_ms = 500; // for the window system to show each step before the next
};

class TScreenshotDriver : public QObject {
    Q_OBJECT
public:
    TScreenshotDriver(TFormMain& window, TScreenshotOptions options, QObject* parent = nullptr);

    // Runs the steps one after the other from the event loop; reports once through finished.
    void start();
    // The files written so far, in order.
    const QStringList& written() const { return written_; }

signals:
    // error is empty when every picture was saved.
    void finished(const QString& error);

private:
    void next();
    void fail(const QString& error);
    void designate_fittest_state();
    // The window alone, or the screen within screen_area.
    void save(QWidget& window, const QString& name);
    void save(QWidget& window, const QRect& screen_area, const QString& name);

    TFormMain& window_;
    TScreenshotOptions options_;
    std::vector<std::function<void()>> steps_;
    size_t step_ = 0;
    bool failed_ = false;
    QStringList written_;
};
