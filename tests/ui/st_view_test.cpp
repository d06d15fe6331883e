#include "tests/ui/ui_fixture.h"
#include "ui/edit_box.h"
#include "ui/picture_area.h"
#include "ui/st_view.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct STViewFixture : UiFixture {
    STViewFixture() {
        window->resize(2200, 1400); // the picture is then shown unscaled
        window->activate(window->st_view);
        QApplication::processEvents();
    }
    TFormST& st() { return *window->st_view; }

    // An inversion result of one datum and n states of equal fitness, its CGP file beside it.
    QString write_result(int n, const QString& name = QStringLiteral("site.tlv")) {
        QByteArray result = "1\r\nF 120 30 120 30 N\r\n" + QByteArray::number(n) + "\r\n" +
                            QByteArray::number(n) + "\r\nsite.cgp\r\n";
        QByteArray cgp = QByteArray::number(n) + "\r\n";
        for (int i = 1; i <= n; ++i) {
            result += QByteArray::number(i) + " 1\r\n";
            cgp += QByteArray::number(i % 360) + " 80 " + QByteArray::number((i + 180) % 360) +
                   " 10 0.5\r\n";
        }
        folder.write(QStringLiteral("site.cgp"), cgp);
        return folder.write(name, result);
    }

    // Moves over and releases at a point of the 2000 x 1000 picture.
    void click_picture(QPoint p) {
        TPictureArea& image = *st().ImageST;
        ASSERT_GE(image.width(), 2000);
        ASSERT_GE(image.height(), 1000);
        QTest::mouseMove(&image, p);
        st().ImageSTMouseMove(p);
        QTest::mouseClick(&image, Qt::LeftButton, {}, p);
    }
    QString panel(int i) { return st().status_panels[size_t(i)]->text(); }
};

TEST(StressView, StartUp) {
    STViewFixture ui;
    TFormST& st = ui.st();
    EXPECT_EQ(st.windowTitle(), QStringLiteral("Stress Tensor"));
    EXPECT_EQ(st.EditEnhance->text(), QStringLiteral("0.80"));
    EXPECT_EQ(st.EditDispersion->text(), QStringLiteral("1.00"));
    EXPECT_EQ(ui.session().settings.emphasis, TEmphasis::Siz);
    EXPECT_FALSE(st.EditDispersion->isEnabled());
    EXPECT_TRUE(st.CheckBoxTadpoleTail->isChecked());
    EXPECT_TRUE(st.CheckBoxCLGS->isChecked());
    EXPECT_EQ(ui.panel(0), QStringLiteral("Nst = 0"));
    EXPECT_EQ(ui.panel(1), QStringLiteral("cgp = none"));
    EXPECT_EQ(ui.panel(2), QStringLiteral("ef = 0.80"));
    EXPECT_EQ(ui.panel(3), QStringLiteral("df = 1.00"));
    EXPECT_EQ(st.bmpST.size(), QSize(2000, 1000));
}

TEST(StressView, EditBoxesRejectBadValues) {
    STViewFixture ui;
    TFormST& st = ui.st();
    st.EditEnhance->setText(QStringLiteral("1.5"));
    QTest::keyClick(st.EditEnhance, Qt::Key_Return);
    EXPECT_EQ(ui.messages.shown, QStringList("ef must be in [0, 1]"));
    EXPECT_EQ(st.EditEnhance->text(), QStringLiteral("0.80"));
    EXPECT_EQ(ui.session().settings.ef, 0.8f);

    ui.messages.shown.clear();
    st.EditDispersion->setText(QStringLiteral("abc"));
    st.ActionChangeDispersionExecute(); // as when the box is left
    EXPECT_EQ(ui.messages.shown, QStringList("invalid df"));
    EXPECT_EQ(st.EditDispersion->text(), QStringLiteral("1.00"));
    st.EditDispersion->setText(QStringLiteral("7"));
    st.ActionChangeDispersionExecute();
    EXPECT_EQ(ui.messages.shown.last(), QStringLiteral("df must be in [0, 5]"));

    st.EditEnhance->setText(QStringLiteral("0.25"));
    EXPECT_TRUE(st.ActionChangeEnhanceExecute());
    EXPECT_EQ(ui.session().settings.ef, 0.25f);
    EXPECT_EQ(ui.panel(2), QStringLiteral("ef = 0.25"));
}

TEST(StressView, EnterOnABadValueShowsOneMessage) {
    // A real box takes the focus from the edit box while it is open.
    const std::tuple<TEditBox * TFormST::*, const char*, const char*> rows[] = {
        {&TFormST::EditEnhance, "1.5", "ef must be in [0, 1]"},
        {&TFormST::EditDispersion, "abc", "invalid df"},
    };
    for (const auto& [edit, text, message] : rows) {
        STViewFixture ui;
        TFormST& st = ui.st();
        st.emphasis_items[0]->click(); // the dispersion box works with Number
        TEditBox* box = st.*edit;
        QApplication::setActiveWindow(ui.window.get());
        box->setFocus();
        ASSERT_TRUE(box->hasFocus());
        ui.messages.on_show = [&](const QString&) { st.ButtonDraw->setFocus(); };
        box->setText(QString::fromLatin1(text));
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(ui.messages.shown, QStringList(QString::fromLatin1(message)));
        EXPECT_FALSE(box->hasFocus()); // the focus did move
    }
}

TEST(StressView, UpAndDownButtonsStepOnTheirGrids) {
    STViewFixture ui;
    TFormST& st = ui.st();
    struct Row {
        const char* start;
        QToolButton* TFormST::*button;
        bool enhance;
        const char* written;
    };
    const Row rows[] = {
        {"0.8", &TFormST::BitBtnEnhanceUp, true, "0.9"},
        {"0.95", &TFormST::BitBtnEnhanceUp, true, "1.0"},
        {"1", &TFormST::BitBtnEnhanceUp, true, "1"}, // does nothing
        {"0.8", &TFormST::BitBtnEnhanceDown, true, "0.7"},
        {"0.83", &TFormST::BitBtnEnhanceDown, true, "0.8"},
        {"0.05", &TFormST::BitBtnEnhanceDown, true, "0.0"},
        {"1", &TFormST::BitBtnDispersionUp, false, "1.5"},
        {"4.8", &TFormST::BitBtnDispersionUp, false, "5.0"},
        {"0.3", &TFormST::BitBtnDispersionDown, false, "0.0"},
    };
    st.emphasis_items[0]->click(); // the dispersion buttons work with Number only
    for (const Row& r : rows) {
        TEditBox* box = r.enhance ? st.EditEnhance : st.EditDispersion;
        box->setText(QString::fromLatin1(r.start));
        ASSERT_TRUE(r.enhance ? st.ActionChangeEnhanceExecute()
                              : st.ActionChangeDispersionExecute());
        (st.*r.button)->click();
        EXPECT_EQ(box->text().toStdString(), r.written) << r.start;
    }
    EXPECT_TRUE(ui.messages.shown.isEmpty());
}

TEST(StressView, EmphasisSwitchesTheDispersionControls) {
    STViewFixture ui;
    TFormST& st = ui.st();
    st.emphasis_items[0]->click();
    EXPECT_EQ(ui.session().settings.emphasis, TEmphasis::Num);
    EXPECT_TRUE(st.EditDispersion->isEnabled());
    EXPECT_TRUE(st.BitBtnDispersionUp->isEnabled());
    st.emphasis_items[1]->click();
    EXPECT_EQ(ui.session().settings.emphasis, TEmphasis::Siz);
    EXPECT_FALSE(st.BitBtnDispersionDown->isEnabled());
}

TEST(StressView, LoadsAResultAndAsksBeforeLongDrawings) {
    STViewFixture ui;
    TFormST& st = ui.st();
    st.emphasis_items[0]->click();
    st.EditEnhance->setText(QStringLiteral("0"));
    st.ActionChangeEnhanceExecute();

    ui.window->open_file(ui.write_result(5000, QStringLiteral("twenty_characters.tlv")));
    EXPECT_TRUE(ui.messages.shown.isEmpty()) << ui.messages.shown.join(u'|').toStdString();
    EXPECT_TRUE(ui.session().ST_loaded);
    EXPECT_EQ(st.windowTitle(), QStringLiteral("ST [twenty_cha..] "));
    EXPECT_EQ(ui.panel(0), QStringLiteral("Nst = 5000"));
    EXPECT_EQ(ui.panel(1), QStringLiteral("cgp = site.cgp"));
    EXPECT_TRUE(ui.messages.asked.isEmpty()); // 5000 symbols draw without a question
    EXPECT_EQ(st.ListBox->text_model()->rowCount(), 5000);
    EXPECT_EQ(st.MemoStat->toPlainText().split(u'\n').size(), 4);
    EXPECT_TRUE(ui.session().FD_loaded);
    EXPECT_EQ(ui.session().FDSet.count(), 1);

    const QImage drawn = st.bmpST;
    st.ActionDrawExecute();
    EXPECT_EQ(st.bmpST, drawn); // the same scatter every time

    ui.window->open_file(ui.write_result(5001, QStringLiteral("abc.bk4")));
    ASSERT_EQ(ui.messages.asked.size(), 1);
    EXPECT_EQ(ui.messages.asked[0],
              QStringLiteral("Quomtel: CAUTION: Visualization\r\nwill take a long time (Nst = "
                             "5001).\r\nContinue?"));
    EXPECT_EQ(st.windowTitle(), QStringLiteral("ST [abc.bk4] "));

    // No: the empty frame only.
    ui.messages.answer = false;
    const QImage full = st.bmpST;
    st.ActionDrawExecute();
    EXPECT_NE(st.bmpST, full);
    EXPECT_EQ(st.ImageST->picture(), st.bmpST);
}

TEST(StressView, DesignationInEitherOrder) {
    STViewFixture ui;
    TFormST& st = ui.st();
    ui.window->open_file(ui.write_fault_data(QStringLiteral("one.efd"), "90 45 90 45 N\n"));

    // sigma1 vertical on the left net, sigma3 west on the right one, ratio 0.4.
    st.ButtonDesignate->click();
    EXPECT_EQ(ui.panel(5), QStringLiteral("1st axis"));
    ui.click_picture(QPoint(500, 500));
    EXPECT_EQ(st.designation.firstly_designated_axis, Tsigma1or3::sigma1);
    EXPECT_EQ(ui.panel(5), QStringLiteral("2nd axis"));
    // The girdle of a vertical axis is the western half of the primitive circle.
    ui.click_picture(QPoint(1045, 505));
    EXPECT_TRUE(ui.panel(4).startsWith(QStringLiteral("sigma3: ")));
    EXPECT_EQ(ui.panel(5), QStringLiteral("stress ratio"));
    ui.click_picture(QPoint(960, 940));
    EXPECT_TRUE(ui.session().ST_designated);
    EXPECT_EQ(st.designation.mode, TMode::STEP0);
    EXPECT_EQ(ui.panel(5), QString());
    EXPECT_EQ(ui.panel(6), QStringLiteral("designated stress: 90/90 | 269/0 | 0.400"));
    EXPECT_EQ(ui.session().designated_ST.L, -1);
    EXPECT_EQ(ui.session().designated_ST.id, -1);
    EXPECT_NEAR(norm5(ui.session().designated_ST.ss), 1, 1e-5);
    // The fault data view analyses its data and shows model faults and axes (tangent plot).
    EXPECT_GE(ui.session().FDSet.FDList[0].rep_isd, 0);
    EXPECT_FALSE(ui.fd().CheckBoxTheoreticalSlip->isChecked());
    EXPECT_TRUE(ui.fd().CheckBoxModelFaults->isChecked());
    EXPECT_TRUE(ui.fd().CheckBoxDesignatedAxes->isChecked());
    EXPECT_EQ(ui.session().ModelFDSet.count(), 249);

    // sigma3 first, vertical on the right net; then sigma1 west on the left one.
    st.ButtonDesignate->click();
    EXPECT_FALSE(ui.session().ST_designated);
    EXPECT_EQ(ui.panel(6), QStringLiteral("designated stress: 90/90 | 269/0 | 0.400")); // kept
    EXPECT_FALSE(ui.fd().CheckBoxModelFaults->isChecked());
    ui.click_picture(QPoint(1500, 500));
    EXPECT_EQ(st.designation.firstly_designated_axis, Tsigma1or3::sigma3);
    ui.click_picture(QPoint(45, 498));
    ui.click_picture(QPoint(1300, 940)); // beyond the scale: ratio 1
    EXPECT_TRUE(ui.session().ST_designated);
    EXPECT_EQ(ui.panel(6), QStringLiteral("designated stress: 270/0 | 90/90 | 1.000"));
}

TEST(StressView, ReleaseBeforeAnyMoveDoesNothing) {
    STViewFixture ui;
    TFormST& st = ui.st();
    st.ButtonDesignate->click();
    st.ImageSTMouseUp(QPoint(500, 500));
    EXPECT_EQ(st.designation.mode, TMode::STEP1);
}

// Density draws contours of the axes whatever the tadpole settings, at once for many states;
// the nets stay where they were, so the three clicks still designate.
TEST(StressView, DensityEmphasisReplacesTheTadpoles) {
    STViewFixture ui;
    TFormST& st = ui.st();
    ui.window->open_file(ui.write_result(20000));
    ASSERT_EQ(ui.messages.asked.size(), 1); // tadpoles of so many states: the question
    const QImage tadpoles = st.bmpST;

    st.emphasis_items[2]->click();
    EXPECT_TRUE(ui.session().settings.stress_density);
    EXPECT_EQ(ui.messages.asked.size(), 1); // no question for contours
    EXPECT_FALSE(st.EditEnhance->isEnabled());
    const QImage density = st.bmpST;
    EXPECT_NE(density, tadpoles);
    EXPECT_EQ(st.ImageST->picture(), density);
    // Neither factor of the tadpoles moves the contours.
    ui.session().set_tadpole_tail(false);
    ui.session().set_dispersion(u"3", u'.');
    st.ActionDrawExecute();
    EXPECT_EQ(st.bmpST, density);
    ui.session().set_tadpole_tail(true);
    ui.session().set_dispersion(u"1", u'.');

    // Back to Size: the same tadpoles as before.
    st.emphasis_items[1]->click();
    EXPECT_FALSE(ui.session().settings.stress_density);
    EXPECT_TRUE(st.EditEnhance->isEnabled());
    EXPECT_EQ(st.bmpST, tadpoles);

    st.emphasis_items[2]->click();
    EXPECT_EQ(st.bmpST, density);
    st.ButtonDesignate->click();
    ui.click_picture(QPoint(500, 500));
    ui.click_picture(QPoint(1045, 505));
    ui.click_picture(QPoint(960, 940));
    EXPECT_TRUE(ui.session().ST_designated);
    EXPECT_EQ(ui.panel(6), QStringLiteral("designated stress: 90/90 | 269/0 | 0.400"));
    EXPECT_EQ(ui.messages.shown, QStringList());
}

} // namespace
