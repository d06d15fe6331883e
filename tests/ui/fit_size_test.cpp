// The fixed pixel layout of the views: it holds at the font it is made for, and gives way to a
// larger font (fonts scaled without high-DPI scaling) so that no caption or control is clipped.

#include "tests/ui/ui_fixture.h"
#include "ui/about.h"
#include "ui/compatibility.h"
#include "ui/edit_box.h"
#include "ui/picture_area.h"
#include "ui/st_view.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>

#include <gtest/gtest.h>

namespace {

// Texts at their widest, as the status panels show them.
void fill_status_panels(TFormMain& w) {
    const char* const st_texts[7] = {"Nst = 20000",
                                     "cgp = ridge_site.cgp",
                                     "ef = 0.80",
                                     "df = 1.00",
                                     "sigma1: 359.9 / 89.9",
                                     "stress ratio",
                                     "designated stress: 359/89 | 179/1 | 0.999"};
    for (size_t i = 0; i < 7; ++i)
        w.st_view->status_panels[i]->setText(QString::fromLatin1(st_texts[i]));
    w.fd_view->status_panels[0]->setText(QStringLiteral("Nfd = 12345"));
    w.fd_view->status_panels[1]->setText(QStringLiteral("359.9 / 89.9"));
    QApplication::processEvents();
}

TEST(FitSize, FixedLayoutHoldsAtTheFontItIsMadeFor) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    if (QFontInfo(w.font()).pixelSize() != 12)
        GTEST_SKIP() << "the default font is not 12 pixels here";
    fill_status_panels(w);
    w.st_view->status_panels[0]->setText(QStringLiteral("Nst = 421"));
    QApplication::processEvents();
    EXPECT_EQ(w.fd_view->ButtonDraw->parentWidget()->height(), 73);
    // Above its splitter, as high as the four statistics lines need.
    EXPECT_EQ(w.st_view->ButtonDraw->parentWidget()->height(), 80);
    EXPECT_EQ(w.st_view->EditEnhance->width(), 52);
    EXPECT_EQ(w.st_view->EditDispersion->width(), 52);
    TFormCompatibility& c = *w.compat_view;
    EXPECT_EQ(c.EditMisfitBinSize->width(), 41);
    EXPECT_EQ(c.measure_items[0]->parentWidget()->geometry(), QRect(24, 40, 153, 57));
    EXPECT_EQ(c.EditMisfitBinSize->parentWidget()->height(), 110);
    EXPECT_EQ(w.fd_view->status_panels[1]->width(), 100);
    const int st_widths[7] = {70, 0, 60, 60, 0, 80, 0}; // 0: widened to the text
    for (size_t i = 0; i < 7; ++i) {
        if (st_widths[i] > 0) {
            EXPECT_EQ(w.st_view->status_panels[i]->width(), st_widths[i]) << i;
        }
    }

    // A large count or a long CGP name is cut rather than widening the window.
    const int window_minimum = w.minimumSizeHint().width();
    const int window_width = w.width();
    w.st_view->status_panels[0]->setText(QStringLiteral("Nst = 252576"));
    w.st_view->status_panels[1]->setText(QStringLiteral("cgp = ") + QString(300, u'x') +
                                         QStringLiteral(".cgp"));
    QApplication::processEvents();
    EXPECT_EQ(w.minimumSizeHint().width(), window_minimum);
    EXPECT_EQ(w.width(), window_width);
}

// What a button's caption takes: the text, and the indicator of a radio item or check box.
int text_room(const QAbstractButton& button) {
    QString text = button.text();
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    const int width = button.fontMetrics().horizontalAdvance(text);
    const QStyle& style = *button.style();
    if (qobject_cast<const QRadioButton*>(&button))
        return width + style.pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
               style.pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    if (qobject_cast<const QCheckBox*>(&button))
        return width + style.pixelMetric(QStyle::PM_IndicatorWidth) +
               style.pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    return width + 8;
}

// Every caption and status text of the views is shown whole, at the window's first size.
void expect_nothing_clipped(TFormMain& w) {
    fill_status_panels(w);
    for (TViewDock* view : w.docked_views()) {
        w.activate(view);
        QApplication::processEvents();
        SCOPED_TRACE(view->objectName().toStdString());
        for (QAbstractButton* button : view->findChildren<QAbstractButton*>()) {
            if (button->text().isEmpty())
                continue; // the arrows of the up and down buttons
            EXPECT_GE(button->width(), text_room(*button)) << button->text().toStdString();
            EXPECT_GE(button->height(), button->fontMetrics().height())
                << button->text().toStdString();
        }
        for (QLabel* label : view->findChildren<QLabel*>())
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                << label->text().toStdString();
        for (QGroupBox* box : view->findChildren<QGroupBox*>())
            EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(box->title()) + 8)
                << box->title().toStdString();
        for (TEditBox* edit : view->findChildren<TEditBox*>()) {
            const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            EXPECT_GE(edit->width(),
                      edit->fontMetrics().horizontalAdvance(edit->text()) + 2 * frame + 4)
                << edit->text().toStdString();
            EXPECT_GE(edit->height(), edit->fontMetrics().height() + 4);
        }
    }
    // The radio items of a group do not overlap.
    for (QRadioButton** items : {w.fd_view->plot_method_items, w.fd_view->projection_items,
                                 w.st_view->emphasis_items, w.compat_view->measure_items})
        EXPECT_GE(items[1]->y() - items[0]->y(), items[0]->fontMetrics().height())
            << items[0]->text().toStdString();

    w.ActionVersion->trigger();
    for (QLabel* label : w.about->findChildren<QLabel*>())
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    QPushButton* close = w.about->findChild<QPushButton*>();
    EXPECT_GE(close->width(), close->sizeHint().width());
    EXPECT_GE(close->height(), close->fontMetrics().height() + 4);
    EXPECT_GE(w.about->height(), close->geometry().bottom());
}

// The four statistics lines, top and bottom, within the memo's viewport.
void expect_statistics_whole(TFormST& st) {
    QPlainTextEdit& memo = *st.MemoStat;
    memo.setPlainText(QStringLiteral("mean stress: 036/88 282/01 0.5364\n"
                                     "mean sigma-vector length (R) = 0.3088\n"
                                     "59% conf (2 stdev by Theta) = 90.94 deg\n"
                                     "mean Theta to mean = 70.41"));
    QApplication::processEvents();
    QTextCursor cursor(memo.document());
    EXPECT_GE(memo.cursorRect(cursor).top(), 0);
    cursor.movePosition(QTextCursor::End);
    EXPECT_LE(memo.cursorRect(cursor).bottom(), memo.viewport()->height());
}

// The splitter starts where the statistics show whole, gives the list and the memo the room it
// is dragged to, and never squeezes the controls.
TEST(FitSize, StressListAndStatisticsGetTheRoomTheSplitterGives) {
    UiFixture ui;
    TFormST& st = *ui.window->st_view;
    ui.window->activate(&st);
    QApplication::processEvents();
    expect_statistics_whole(st);
    QWidget& top = *st.ButtonDraw->parentWidget();
    const int start = top.height(), memo = st.MemoStat->height(), list = st.ListBox->height();
    const int whole = st.Splitter->sizes().value(0) + st.Splitter->sizes().value(1);
    st.Splitter->setSizes({start + 150, whole - start - 150});
    QApplication::processEvents();
    EXPECT_EQ(top.height(), start + 150);
    EXPECT_EQ(st.MemoStat->height(), memo + 150);
    EXPECT_EQ(st.ListBox->height(), list + 150);
    st.Splitter->setSizes({10, whole - 10});
    QApplication::processEvents();
    EXPECT_EQ(top.height(), top.minimumHeight());
    EXPECT_GE(top.height(), 73); // the controls' row, as without the splitter
    EXPECT_GT(st.ImageST->height(), 300);
}

TEST(FitSize, NothingIsClippedAtTheLayoutsFont) {
    UiFixture ui;
    expect_nothing_clipped(*ui.window);
}

// The application font at twice its size while a test runs.
struct DoubleFont {
    QFont before = QApplication::font();
    DoubleFont() {
        QFont big = before;
        big.setPointSizeF(before.pointSizeF() * 2);
        QApplication::setFont(big);
    }
    ~DoubleFont() { QApplication::setFont(before); }
};

TEST(FitSize, NothingIsClippedAtTwiceTheFont) {
    DoubleFont font;
    UiFixture ui;
    expect_nothing_clipped(*ui.window);
    expect_statistics_whole(*ui.window->st_view);
    // The fixed sizes grew with the font.
    EXPECT_GT(ui.window->st_view->ButtonDraw->parentWidget()->height(), 73);
    EXPECT_GT(ui.window->compat_view->EditMisfitBinSize->parentWidget()->height(), 110);
}

} // namespace
