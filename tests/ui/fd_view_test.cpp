#include "core/number_text.h"
#include "plot/picture_fit.h"
#include "tests/ui/ui_fixture.h"
#include "ui/density_controls.h"
#include "ui/picture_area.h"
#include "ui/text_list.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

int count_red(const QImage& image) {
    int red = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixel(x, y) == qRgb(255, 0, 0))
                ++red;
    return red;
}

struct FDViewFixture : UiFixture {
    FDViewFixture() {
        window->resize(900, 700);
        window->activate(window->fd_view);
        QApplication::processEvents();
    }
    void open(const QString& name, const QByteArray& text) {
        window->open_file(write_fault_data(name, text));
    }
};

TEST(FaultDataView, CaptionAndCount) {
    FDViewFixture ui;
    TFormFD& fd = ui.fd();
    EXPECT_EQ(fd.windowTitle(), QStringLiteral("Fault Data"));
    EXPECT_EQ(fd.status_panels[0]->text(), QStringLiteral("Nfd = 0"));

    ui.open(QStringLiteral("abcdef.efd"), "# only a comment\n\n");
    EXPECT_TRUE(ui.session().FD_loaded);
    EXPECT_EQ(fd.windowTitle(), QStringLiteral("FD [abcdef.efd] ")); // 10 characters
    EXPECT_EQ(fd.status_panels[0]->text(), QStringLiteral("Nfd = 0"));

    ui.open(QStringLiteral("abcdefg.efd"), "120 30 200 20 N\nM 40 60 310 5 D\n");
    EXPECT_EQ(fd.windowTitle(), QStringLiteral("FD [abcdefg.ef..] "));
    EXPECT_EQ(fd.status_panels[0]->text(), QStringLiteral("Nfd = 2"));
    EXPECT_EQ(
        fd.ListBox->text_model()->lines(),
        QStringList({"   1 : F 120 30 200 20 N", fd.ListBox->text_model()->lines().value(1)}));
    EXPECT_TRUE(
        fd.ListBox->text_model()->lines().value(1).startsWith("   2 : M 040 60 310 05 D /"));
    // The widest line plus 20 pixels.
    EXPECT_GT(fd.ListBox->text_model()->line_extent(), 20);
}

TEST(FaultDataView, MessagesOfAReading) {
    FDViewFixture ui;
    ui.open(QStringLiteral("bad.efd"), "120 95 200 20 N\n120 30 2O0 20 N\n120 30 200 -3 N\n");
    const QString path = ui.folder.path(QStringLiteral("bad.efd"));
    EXPECT_EQ(ui.messages.shown,
              QStringList({"invalid data at line #2", "There is at least an error in file [" +
                                                          path + "].\r\nSee [QMT.log]."}));
    EXPECT_EQ(ui.session().FDSet.count(), 2);
    EXPECT_EQ(ui.log_lines().size(), 2); // start line and one orientation error

    // A file that cannot be read keeps what was loaded.
    ui.messages.shown.clear();
    ui.window->open_file(ui.folder.path(QStringLiteral("missing.efd")));
    EXPECT_EQ(ui.messages.shown.size(), 1);
    EXPECT_EQ(ui.session().FDSet.count(), 2);
    EXPECT_EQ(ui.session().FD_loaded_filename, QStringLiteral("bad.efd"));
}

TEST(FaultDataView, MouseReadOut) {
    FDViewFixture ui;
    TFormFD& fd = ui.fd();
    TPictureArea& image = *fd.ImageFD;
    const int m = std::min({image.width(), image.height(), 1000});
    ASSERT_GT(m, 100);
    const auto move = [&](QPoint pos) {
        fd.ImageFDMouseMove(picture_point(pos, image.picture().size(), image.size()));
    };
    move(QPoint(m / 2, m / 2));
    EXPECT_TRUE(fd.status_panels[1]->text().endsWith(QStringLiteral(" / 90.0")))
        << fd.status_panels[1]->text().toStdString();
    const QString inside = fd.status_panels[1]->text();
    move(QPoint(1, 1)); // outside the net
    EXPECT_EQ(fd.status_panels[1]->text(), inside);
    // Straight above the centre, near the primitive circle: north, nearly horizontal.
    move(QPoint(m / 2, int(m * 0.06)));
    EXPECT_TRUE(fd.status_panels[1]->text().startsWith(QStringLiteral("0.0 / ")));
}

TEST(FaultDataView, ListClickHighlightsAndDrawClears) {
    FDViewFixture ui;
    TFormFD& fd = ui.fd();
    ui.open(QStringLiteral("two.efd"), "120 30 200 20 N\nM 40 60 310 5 D\n");
    EXPECT_EQ(count_red(fd.bmpFD), 0);

    fd.ListBox->setCurrentIndex(fd.ListBox->text_model()->index(1));
    EXPECT_EQ(fd.ListBox->selected_row(), 1);
    EXPECT_GT(count_red(fd.bmpFD), 10);
    EXPECT_EQ(fd.ImageFD->picture(), fd.bmpFD);

    fd.ButtonDraw->click();
    EXPECT_EQ(fd.ListBox->selected_row(), -1);
    EXPECT_EQ(count_red(fd.bmpFD), 0);
}

TEST(FaultDataView, RadioGroupsTakeEffectAtTheNextDrawing) {
    FDViewFixture ui;
    TFormFD& fd = ui.fd();
    ui.open(QStringLiteral("one.efd"), "120 30 200 20 N\n");
    EXPECT_EQ(ui.session().settings.plotmethod, TPlotMethod::TLD);
    EXPECT_EQ(ui.session().settings.projection, TProjection::EArea);
    const QImage before = fd.bmpFD;

    fd.plot_method_items[0]->click();
    fd.projection_items[0]->click();
    EXPECT_EQ(ui.session().settings.plotmethod, TPlotMethod::GCA);
    EXPECT_EQ(ui.session().settings.projection, TProjection::EAngle);
    EXPECT_EQ(fd.bmpFD, before);
    // The read-out reads the picture shown until it is drawn again: a point at mid-plunge
    // lies about 12 degrees apart in the two projections.
    const QPoint p(500, 250);
    const auto read_out = [&](TProjection projection) {
        const Tazpl a = point_to_azpl(p, projection, ui.session().fd_styles.basecircle);
        return format_float(QStringLiteral("0.0"), a.az) + QStringLiteral(" / ") +
               format_float(QStringLiteral("0.0"), a.pl);
    };
    ASSERT_NE(read_out(TProjection::EArea), read_out(TProjection::EAngle));
    fd.ImageFDMouseMove(p);
    EXPECT_EQ(fd.status_panels[1]->text(), read_out(TProjection::EArea));

    fd.ButtonDraw->click();
    EXPECT_NE(fd.bmpFD, before);
    fd.ImageFDMouseMove(p);
    EXPECT_EQ(fd.status_panels[1]->text(), read_out(TProjection::EAngle));
}

// The contour layer follows its controls at once; without it the picture is that of before.
TEST(FaultDataView, ContourLayerComesAndGoes) {
    FDViewFixture ui;
    TFormFD& fd = ui.fd();
    ui.window->open_file(QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.efd"));
    const QImage plain = fd.bmpFD;
    const TSessionSettings& s = ui.session().settings;
    const struct {
        int subject_item; // None, Poles, Lineations, P axes, T axes
        int method_item;  // Kamb, 1 % area
        std::optional<TDensitySubject> subject;
        TDensityMethod method;
    } rows[] = {
        {1, 0, TDensitySubject::Poles, TDensityMethod::Kamb},
        {1, 1, TDensitySubject::Poles, TDensityMethod::Schmidt},
        {3, 1, TDensitySubject::P, TDensityMethod::Schmidt},
        {4, 0, TDensitySubject::T, TDensityMethod::Kamb},
        {2, 0, TDensitySubject::Lineations, TDensityMethod::Kamb},
    };
    for (const auto& r : rows) {
        const QImage before = fd.bmpFD;
        fd.ComboContours->setCurrentIndex(r.subject_item);
        fd.ComboContourMethod->setCurrentIndex(r.method_item);
        EXPECT_EQ(s.fd_contours, r.subject) << r.subject_item;
        EXPECT_EQ(s.fd_contour_method, r.method) << r.subject_item;
        EXPECT_NE(fd.bmpFD, before) << r.subject_item;
        EXPECT_EQ(fd.ImageFD->picture(), fd.bmpFD);
    }
    // Levels typed in the box redraw the layer too.
    const QImage default_levels = fd.bmpFD;
    fd.EditContourLevels->setText(QStringLiteral("1, 2"));
    fd.EditContourLevels->setModified(true);
    EXPECT_TRUE(fd.EditContourLevels->commit());
    EXPECT_EQ(s.kamb_levels, (std::vector<double>{1, 2}));
    EXPECT_NE(fd.bmpFD, default_levels);

    fd.ComboContours->setCurrentIndex(0);
    EXPECT_FALSE(s.fd_contours);
    EXPECT_EQ(fd.bmpFD, plain);
    // The data without a slip sense are told once, with the first P axes.
    ASSERT_EQ(ui.messages.shown.size(), 1);
    EXPECT_TRUE(ui.messages.shown[0].startsWith(QStringLiteral("16 data have no slip sense")));
}

} // namespace
