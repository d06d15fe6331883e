// The documentation's pictures: the clicks land where they aim, the fittest state is designated
// and every view is saved.

#include "plot/st_plot.h"
#include "tests/ui/ui_fixture.h"
#include "ui/screenshots.h"
#include "ui/st_view.h"

#include <QEventLoop>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Screenshots, ClicksLandOnTheirPicturePoints) {
    const QSize controls[] = {{2200, 1400}, {2000, 1000}, {1100, 600}, {813, 501}, {640, 900}};
    const QPoint points[] = {{0, 0}, {500, 500}, {1045, 505}, {960, 940}, {1999, 999}};
    for (const QSize control : controls) {
        const double half = control.width() / 2.0;
        const double shown = std::min({half, double(control.height()), 1000.0});
        const double tolerance = 1000.0 / shown / 2 + 0.5; // half a widget pixel, rounded
        for (const QPoint p : points) {
            const QPoint back = picture_point(stress_widget_point(p, control), control);
            EXPECT_LE(std::abs(back.x() - p.x()), tolerance) << control.width() << " " << p.x();
            EXPECT_LE(std::abs(back.y() - p.y()), tolerance) << control.height() << " " << p.y();
        }
    }
}

TEST(Screenshots, DesignatesTheFittestStateAndSavesEveryView) {
    UiFixture ui;
    ui.window->open_file(QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv"));
    TFormST& st = *ui.window->st_view;
    ASSERT_TRUE(st.ST_loaded);

    TScreenshotOptions options;
    options.folder = ui.folder.path(QStringLiteral("pictures"));
    options.settle_ms = 0;
    TScreenshotDriver driver(*ui.window, options);
    QEventLoop loop;
    QString error = QStringLiteral("not finished");
    QObject::connect(&driver, &TScreenshotDriver::finished, &loop, [&](const QString& e) {
        error = e;
        loop.quit();
    });
    driver.start();
    loop.exec();
    ASSERT_EQ(error, QString());

    // The state of largest fitness, the first of equals by number, as the batch tool takes it.
    const TStressTensor* best = &st.STSet.front();
    for (const TStressTensor& s : st.STSet)
        if (s.L > best->L || (s.L == best->L && s.id < best->id))
            best = &s;
    ASSERT_TRUE(st.ST_designated);
    for (int k : {0, 2}) {
        const float c = std::abs(
            dot_product3(st.designated_ST.e_vec[size_t(k)], azpl_to_vector3(best->ax[size_t(k)])));
        EXPECT_GT(c, std::cos(1.5 * deg_to_rad)) << "axis " << k;
    }
    EXPECT_NEAR(st.designated_ST.sr, best->sr, 0.005);

    const QStringList names = {"stress_view.png", "fault_data_view.png",
                               "fault_data_tangent_lineations.png", "compatibility_view.png",
                               "floating_view.png"};
    ASSERT_EQ(driver.written().size(), names.size());
    QList<QImage> images;
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(driver.written()[i].endsWith(u'/' + names[i]))
            << driver.written()[i].toStdString();
        images.append(QImage(driver.written()[i]));
        // The last one shows the floating view, frame included, over the main window's corner.
        const QSize size =
            i + 1 < names.size()
                ? options.window_size
                : ui.window->frameGeometry().united(ui.window->fd_view->frameGeometry()).size();
        EXPECT_EQ(images.last().deviceIndependentSize().toSize(), size) << names[i].toStdString();
    }
    for (int i = 1; i < images.size(); ++i)
        EXPECT_NE(images[i], images[i - 1]) << names[i].toStdString();
    EXPECT_TRUE(ui.window->fd_view->isFloating());
    EXPECT_EQ(ui.window->fd_view->geometry(), QRect(options.floating_at, options.floating_size));
    EXPECT_EQ(ui.window->fd_view->ListBox->selected_row(), 11);
}

} // namespace
