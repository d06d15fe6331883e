#include "tests/ui/ui_fixture.h"
#include "ui/picture_area.h"
#include "ui/st_view.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <thread>

namespace {

// An inversion result of one datum and n states of equal fitness, with its CGP file.
QString write_result(const TempFolder& folder, int n, const QString& name) {
    const QByteArray cgp_name = QFileInfo(name).completeBaseName().toUtf8() + ".cgp";
    QByteArray result = "1\r\nF 120 30 120 30 N\r\n" + QByteArray::number(n) + "\r\n" +
                        QByteArray::number(n) + "\r\n" + cgp_name + "\r\n";
    QByteArray cgp = QByteArray::number(n) + "\r\n";
    for (int i = 1; i <= n; ++i) {
        result += QByteArray::number(i) + " 1\r\n";
        cgp += QByteArray::number(i % 360) + " 80 " + QByteArray::number((i + 180) % 360) + " 10 " +
               QByteArray::number(double(i % 11) / 10) + "\r\n";
    }
    folder.write(QString::fromUtf8(cgp_name), cgp);
    return folder.write(name, result);
}

std::vector<int> ids_of(const std::vector<TStressTensor>& set) {
    std::vector<int> ids;
    for (const TStressTensor& st : set)
        ids.push_back(st.id);
    return ids;
}

// Calls back for every event of one type that reaches an object.
class EventSpy : public QObject {
public:
    EventSpy(QObject* target, QEvent::Type type, std::function<void()> seen)
        : type_(type), seen_(std::move(seen)) {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_)
            seen_();
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> seen_;
};

// The progress bar repaints while the states are drawn, but no event loop runs: a menu action
// and a close request posted meanwhile wait until the drawing is complete.
TEST(Reentrancy, NothingStartsWhileTheStatesAreDrawn) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    TFormST& st = *w.st_view;
    w.open_file(write_result(ui.folder, 20000, QStringLiteral("big.tlv")));
    ASSERT_TRUE(ui.session().ST_loaded);
    const QImage complete = st.bmpST; // the same settings draw the same picture
    const std::vector<int> ids = ids_of(ui.session().STSet);

    bool drawing = false;
    int repaints = 0;
    QStringList handled; // what ran, and when
    const auto when = [&] { return drawing ? QStringLiteral(" while drawing") : QString(); };
    QObject::connect(w.ActionOpenIR, &QAction::triggered,
                     [&] { handled << QStringLiteral("open") + when(); });
    EventSpy close_spy(&w, QEvent::Close, [&] { handled << QStringLiteral("close") + when(); });
    EventSpy paint_spy(st.ProgressBar, QEvent::Paint, [&] {
        if (!drawing)
            return;
        EXPECT_FALSE(st.isEnabled());
        EXPECT_EQ(ids_of(ui.session().STSet), ids);
        if (repaints++ == 0) {
            QMetaObject::invokeMethod(w.ActionOpenIR, "trigger", Qt::QueuedConnection);
            QCoreApplication::postEvent(&w, new QCloseEvent);
        }
    });
    ui.dialogs.next_path = write_result(ui.folder, 3, QStringLiteral("small.tlv"));

    st.cancel_box_after_ms = std::numeric_limits<qint64>::max(); // however slow the machine
    drawing = true;
    st.ActionDrawExecute();
    drawing = false;
    ASSERT_GT(repaints, 0) << "the progress bar was not painted during the drawing";
    EXPECT_TRUE(handled.isEmpty()) << handled.join(u'|').toStdString();
    EXPECT_EQ(ids_of(ui.session().STSet), ids);
    EXPECT_TRUE(st.bmpST == complete);
    EXPECT_TRUE(st.isEnabled());
    EXPECT_FALSE(st.ProgressBar->isVisible());

    // Afterwards they run in the order they were asked for: the other result replaces the
    // states and is drawn, and the window takes the close request.
    QApplication::processEvents();
    EXPECT_EQ(handled, QStringList({"open", "close"}));
    EXPECT_EQ(ui.session().ST_loaded_filename, QStringLiteral("small.tlv"));
    EXPECT_EQ(ui.session().STSet.size(), 3u);
    EXPECT_TRUE(st.ImageST->picture() == st.bmpST);
    EXPECT_FALSE(st.bmpST == complete);
    EXPECT_TRUE(ui.messages.shown.isEmpty()) << ui.messages.shown.join(u'|').toStdString();
}

// Once Cancel is offered, events run while the states are drawn: the window holds every action
// that could change them, and a request to close stops the drawing and closes after it.
TEST(Reentrancy, WhileCancelIsOfferedTheWindowHoldsInput) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    TFormST& st = *w.st_view;
    w.open_file(write_result(ui.folder, 20000, QStringLiteral("big.tlv")));
    ASSERT_TRUE(ui.session().ST_loaded);
    const QImage complete = st.bmpST;
    const std::vector<int> ids = ids_of(ui.session().STSet);
    ui.dialogs.next_path = write_result(ui.folder, 3, QStringLiteral("small.tlv"));

    QStringList handled;
    QObject::connect(w.ActionOpenIR, &QAction::triggered, [&] { handled << "open"; });
    EventSpy close_spy(&w, QEvent::Close, [&] { handled << "close"; });
    // The drawing waits at its first state until the requests are posted from the box's events.
    std::atomic<bool> posted{false};
    st.cancel_box_after_ms = 0;
    st.stop_drawing_at = [&](const TSharedDrawProgress&) {
        for (int ms = 0; !posted && ms < 10000; ++ms)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return false;
    };
    bool held = false;
    QTimer::singleShot(0, [&] {
        held = !w.ActionOpenIR->isEnabled() && !w.ActionSaveGraphST->isEnabled();
        w.ActionOpenIR->trigger();
        QCoreApplication::postEvent(&w, new QCloseEvent);
        QTimer::singleShot(0, [&] { posted = true; });
    });
    st.ActionDrawExecute();
    EXPECT_TRUE(held);
    EXPECT_EQ(ids_of(ui.session().STSet), ids);
    EXPECT_TRUE(st.bmpST == complete); // stopped: the picture of before stays
    EXPECT_TRUE(w.ActionOpenIR->isEnabled());
    QApplication::processEvents();
    EXPECT_EQ(handled, QStringList({"close", "close"})); // asked, then done after the drawing
    EXPECT_EQ(ids_of(ui.session().STSet), ids);
}

} // namespace
