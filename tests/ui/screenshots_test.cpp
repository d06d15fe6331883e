// The documentation's pictures: the fittest state designated by clicks, every view saved.

#include "app/screenshots.h"
#include "plot/st_plot.h"
#include "tests/ui/ui_fixture.h"

#include <QEventLoop>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Screenshots, DesignatesTheFittestStateAndSavesEveryView) {
    UiFixture ui;
    ui.window->open_file(QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv"));
    TSession& session = ui.session();
    ASSERT_TRUE(session.ST_loaded);

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

    // The state the batch tool's "--stress best" takes.
    const TStressTensor* best = session.fittest_state();
    ASSERT_NE(best, nullptr);
    ASSERT_TRUE(session.ST_designated);
    for (int k : {0, 2}) {
        const float c = std::abs(dot_product3(session.designated_ST.e_vec[size_t(k)],
                                              azpl_to_vector3(best->ax[size_t(k)])));
        EXPECT_GT(c, std::cos(1.5 * deg_to_rad)) << "axis " << k;
    }
    EXPECT_NEAR(session.designated_ST.sr, best->sr, 0.005);

    const QStringList names = {
        "stress_view.png",        "fault_data_view.png", "fault_data_tangent_lineations.png",
        "compatibility_view.png", "kinematics_view.png", "floating_view.png"};
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
