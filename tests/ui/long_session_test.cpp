#include "tests/support/resource_use.h"
#include "tests/ui/ui_fixture.h"
#include "ui/st_view.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Fault data and inversion results loaded one after the other in one window, with stress
// states designated now and then: whatever a load makes is given back by the next one.
TEST(LongSession, MemoryReturnsToItsLevelAfterManyLoads) {
    const QString efd = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.efd");
    const QString tlv = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");
    // Enough to show a leak of a load's data; the sanitizers make each load far slower.
    const int loads = sanitizer_slowdown > 1 ? 50 : 200;
    UiFixture ui;
    TFormMain& w = *ui.window;
    long long heap_first = 0, rss_first = 0, rss_load_1 = 0;
    for (int i = 1; i <= loads; ++i) {
        w.open_file(i % 2 ? efd : tlv);
        if (i % 10 == 2) {
            w.session().designated_ST = stress_tensor_from_axes(
                make_azpl(float(i % 360), 80), make_azpl(float((i + 180) % 360), 10), 0.3f);
            w.session().change_flag_ST_designated(true);
            w.fd_view->ActionDrawExecute(&w);
        } else if (i % 10 == 7) {
            w.st_view->ButtonDesignateClick(); // starts a new designation: none is designated
        }
        // What the event loop does between two actions of the user; without it the objects
        // the widgets hand to deleteLater() would pile up.
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (i <= 2)
            release_free_memory();
        if (i == 1)
            rss_load_1 = resident_bytes();
        // The first load of each kind and the first designation draw into bitmaps and charts
        // that stay; the later ones reuse them.
        if (i == 2) {
            heap_first = heap_in_use();
            rss_first = resident_bytes();
        }
    }
    release_free_memory();
    const long long heap_growth = heap_in_use() - heap_first;
    const long long rss_growth = resident_bytes() - rss_first;
    std::printf("%d loads: heap %lld KB after load 2, %lld KB after the last; resident %lld KB "
                "after load 1, %lld KB after load 2, %lld KB after the last\n",
                loads, heap_first >> 10, (heap_first + heap_growth) >> 10, rss_load_1 >> 10,
                rss_first >> 10, (rss_first + rss_growth) >> 10);
    EXPECT_TRUE(ui.messages.shown.isEmpty()) << ui.messages.shown.join(u'|').toStdString();
    EXPECT_EQ(w.session().STSet.size(), 20000u);
    EXPECT_LT(heap_growth, 4 << 20);
    if (sanitizer_slowdown == 1) { // the quarantine holds freed memory resident
        EXPECT_LT(rss_growth, 20 << 20);
    }
}

} // namespace
