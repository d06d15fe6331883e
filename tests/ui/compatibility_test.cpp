#include "tests/ui/ui_fixture.h"
#include "ui/compatibility.h"
#include "ui/edit_box.h"
#include "ui/picture_area.h"
#include "ui/st_view.h"

#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

struct CompatibilityFixture : UiFixture {
    CompatibilityFixture() {
        window->activate(window->compat_view);
        QApplication::processEvents();
    }
    TFormCompatibility& cv() { return *window->compat_view; }

    // Designates sigma1 vertical, sigma3 toward 270 and ratio 0.5 as three clicks would.
    void designate() {
        window->session().designate(stress_tensor_from_axes({0, 90}, {270, 0}, 0.5f));
    }
    void enter_bin(const QString& text) {
        cv().EditMisfitBinSize->setText(text);
        QTest::keyClick(cv().EditMisfitBinSize, Qt::Key_Return);
    }
};

TEST(CompatibilityView, StartUp) {
    CompatibilityFixture ui;
    TFormCompatibility& cv = ui.cv();
    EXPECT_EQ(cv.windowTitle(), QStringLiteral("Compatibility"));
    EXPECT_EQ(cv.EditMisfitBinSize->text(), QStringLiteral("10"));
    EXPECT_TRUE(cv.measure_items[0]->isChecked());
    EXPECT_EQ(ui.session().max_misfit(), 180);
    EXPECT_EQ(ui.session().chart.bottom_max, 180);
    EXPECT_EQ(ui.session().chart.bottom_increment, 20);
    EXPECT_TRUE(ui.session().chart.bins.centres.empty());
    // Only the two grey axes.
    EXPECT_EQ(cv.bmpMohr.pixelColor(500, 800), QColor(128, 128, 128));
    EXPECT_EQ(cv.bmpMohr.pixelColor(150, 500), QColor(128, 128, 128));
    EXPECT_EQ(cv.bmpMohr.pixelColor(500, 450), QColor(Qt::white));
}

TEST(CompatibilityView, ChartTakesHalfTheClientWidth) {
    CompatibilityFixture ui;
    TFormCompatibility& cv = ui.cv();
    for (int width : {813, 814}) {
        cv.widget()->resize(width, 500); // the client area of the view
        EXPECT_EQ(cv.ChartMisfit->width(), width == 813 ? 406 : 407);
    }
}

TEST(CompatibilityView, BinSizeBox) {
    CompatibilityFixture ui;
    TFormCompatibility& cv = ui.cv();
    ui.window->open_file(
        ui.write_fault_data(QStringLiteral("two.efd"), "120 30 200 20 N\nL 90 45 90 45 U\n"));
    ui.enter_bin(QStringLiteral("abc"));
    ui.enter_bin(QStringLiteral("4"));
    ui.enter_bin(QStringLiteral("181"));
    EXPECT_EQ(ui.messages.shown, QStringList({"invalid bin size", "out of range", "out of range"}));
    EXPECT_EQ(cv.EditMisfitBinSize->text(), QStringLiteral("10"));
    // Not analysed yet: everything in the first bin.
    ASSERT_EQ(ui.session().chart.bins.centres.size(), 18u);
    EXPECT_EQ(ui.session().chart.bins.counts[0][0], 1);
    EXPECT_EQ(ui.session().chart.bins.counts[2][0], 1);

    ui.enter_bin(QStringLiteral("5"));
    EXPECT_EQ(ui.session().settings.misfit_bin_size, 5);
    EXPECT_EQ(ui.session().chart.bins.centres.size(), 36u);
    ui.enter_bin(QStringLiteral("180"));
    EXPECT_EQ(ui.session().settings.misfit_bin_size, 180);
    EXPECT_EQ(ui.messages.shown.size(), 3);
}

TEST(CompatibilityView, MeasureSwitchDoublesAndHalvesTheBin) {
    struct Row {
        int bin;
        int after_fry;
        int back;
    };
    for (const Row& r : {Row{10, 5, 10}, Row{9, 9, 18}, Row{100, 50, 100}}) {
        CompatibilityFixture ui;
        TFormCompatibility& cv = ui.cv();
        ui.window->open_file(ui.write_fault_data(QStringLiteral("one.efd"), "90 45 90 45 N\n"));
        ui.designate();
        ui.enter_bin(QString::number(r.bin));
        cv.measure_items[1]->click();
        EXPECT_EQ(ui.session().settings.misfitmeasure, TMifitMeasure::DistFry);
        EXPECT_EQ(ui.session().max_misfit(), 90);
        EXPECT_EQ(ui.session().chart.bottom_max, 90);
        EXPECT_EQ(ui.session().settings.misfit_bin_size, r.after_fry) << r.bin;
        EXPECT_EQ(cv.EditMisfitBinSize->text(), QString::number(r.after_fry));
        // The analysis ran again under the new measure.
        const TFaultData& fd = ui.session().FDSet.FDList[0];
        EXPECT_EQ(fd.rep_misfit, fd.SDList[0].d_to_Fry_arc);
        cv.measure_items[0]->click();
        EXPECT_EQ(ui.session().settings.misfit_bin_size, r.back);
        EXPECT_EQ(fd.rep_misfit, fd.SDList[0].misfit_angle);
        EXPECT_TRUE(ui.messages.shown.isEmpty());
    }

    // Without a designation the bin stays: 120 makes one bin of the 90 range, centred at 60.
    CompatibilityFixture ui;
    TFormCompatibility& cv = ui.cv();
    ui.enter_bin(QStringLiteral("120"));
    cv.measure_items[1]->click();
    EXPECT_EQ(ui.session().settings.misfit_bin_size, 120);
    ui.session().update_misfit();
    EXPECT_EQ(ui.session().chart.bins.centres, std::vector<int>{60});
}

TEST(CompatibilityView, DesignationFillsHistogramAndMohrDiagram) {
    CompatibilityFixture ui;
    TFormCompatibility& cv = ui.cv();
    ui.window->open_file(ui.write_fault_data(QStringLiteral("three.efd"),
                                             "90 45 90 45 N\n270 45 270 45 N\n"
                                             "90 45 90 45 R\n"));
    const QImage empty = cv.bmpMohr;
    ui.designate();
    int counted = 0;
    for (int c : ui.session().chart.bins.counts[0])
        counted += c;
    EXPECT_EQ(counted, 3);
    EXPECT_EQ(ui.session().chart.bins.counts[0][0], 2);  // two normal faults fit
    EXPECT_EQ(ui.session().chart.bins.counts[0][17], 1); // the reverse one is opposite
    EXPECT_NE(cv.bmpMohr, empty);
    EXPECT_EQ(cv.ImageMohr->picture(), cv.bmpMohr);
}

} // namespace
