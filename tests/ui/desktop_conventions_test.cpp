#include "tests/ui/ui_fixture.h"
#include "ui/compatibility.h"
#include "ui/density_controls.h"
#include "ui/edit_box.h"
#include "ui/fd_view.h"
#include "ui/guide_view.h"
#include "ui/kinematics_view.h"
#include "ui/st_view.h"
#include "ui/value_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace {

const QString example_data = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.efd");
const QString example_result = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");

// The standard keys run their entries: Ctrl+O, Ctrl+Shift+S, F1, Esc (only during clicks),
// Ctrl+W (only for a floating view).
TEST(DesktopConventions, StandardKeys) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    const struct {
        QAction* action;
        QKeySequence keys;
    } rows[] = {
        {w.ActionOpenAny, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {w.ActionSaveAll, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {w.ActionGuide, QKeySequence(Qt::Key_F1)},
        {w.ActionCancelDesignation, QKeySequence(Qt::Key_Escape)},
        {w.ActionCloseView, QKeySequence(Qt::CTRL | Qt::Key_W)},
        {w.ActionImportTable, QKeySequence(Qt::CTRL | Qt::Key_I)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.action->shortcut(), row.keys) << row.action->text().toStdString();

    // Open: one filter for every kind first; the file goes where its extension says.
    ui.dialogs.next_path = example_result;
    w.ActionOpenAny->trigger();
    EXPECT_TRUE(ui.session().ST_loaded);
    EXPECT_EQ(ui.dialogs.opened.value(0), QStringLiteral("Open"));

    // The guide opens inside the program with its pictures.
    w.ActionGuide->trigger();
    auto* guide = w.findChild<TGuideView*>();
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_TRUE(guide->browser->toPlainText().startsWith(QStringLiteral("Quomtel user guide")));
    EXPECT_FALSE(guide->browser
                     ->loadResource(QTextDocument::ImageResource,
                                    QUrl(QStringLiteral("images/stress_view.png")))
                     .isNull());

    // Ctrl+W puts a floating view back among the tabs; the program goes on.
    w.fd_view->setFloating(true);
    w.fd_view->activateWindow();
    QApplication::setActiveWindow(w.fd_view);
    w.ActionCloseView->trigger();
    EXPECT_FALSE(w.fd_view->isFloating());
}

// Esc during the clicks leaves no marks and gives back the state designated before; the
// dialog's values designate as the clicks do, and it opens with the state designated.
TEST(DesktopConventions, DesignationByValuesAndItsCancel) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    w.open_file(example_result);
    ASSERT_TRUE(ui.session().designate(make_azpl(36, 88), make_azpl(282, 1), 0.4f));
    const TStressTensor before = ui.session().designated_ST;

    w.st_view->ButtonDesignateClick();
    EXPECT_TRUE(w.ActionCancelDesignation->isEnabled());
    EXPECT_FALSE(ui.session().ST_designated);
    w.st_view->ImageSTMouseMove(QPoint(500, 500));
    w.st_view->ImageSTMouseUp(QPoint(500, 500));
    w.ActionCancelDesignation->trigger();
    EXPECT_FALSE(w.ActionCancelDesignation->isEnabled());
    EXPECT_FALSE(w.st_view->designation.under_way());
    ASSERT_TRUE(ui.session().ST_designated);
    EXPECT_EQ(ui.session().designated_ST.ax, before.ax);
    EXPECT_EQ(ui.session().designated_ST.sr, before.sr);

    ui.dialogs.next_values = TStressValues{make_azpl(120, 10), make_azpl(210, 0), 0.25f};
    w.ActionDesignateValues->trigger();
    ASSERT_TRUE(ui.dialogs.designate_initial);
    EXPECT_EQ(ui.dialogs.designate_initial->sigma1, before.ax[0]);
    EXPECT_EQ(ui.dialogs.designate_initial->sigma3, before.ax[2]);
    const TStressTensor typed =
        stress_tensor_from_axes(make_azpl(120, 10), make_azpl(210, 0), 0.25f);
    EXPECT_EQ(ui.session().designated_ST.ax, typed.ax);
    EXPECT_EQ(ui.session().designated_ST.sr, typed.sr);

    // The dialog itself says what is wrong and stays open.
    TDesignateDialog dialog({make_azpl(10, 80), make_azpl(200, 30), 0.5f});
    dialog.show();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.problem->text().contains(QStringLiteral("perpendicular")));
    dialog.boxes[2]->setValue(190);
    dialog.boxes[3]->setValue(10);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
}

// The last ten files, newest first, survive the window; a damaged settings file is ignored;
// a floating view comes back floating where it was.
TEST(DesktopConventions, RecentFilesAndLayoutAreRemembered) {
    TempFolder shared;
    const QString settings = shared.path(QStringLiteral("settings.ini"));
    QStringList files;
    for (int k = 0; k < 12; ++k)
        files.append(shared.write(QStringLiteral("site%1.efd").arg(k), "120 30 200 20 N\n"));
    {
        UiFixture ui;
        TMainOptions options;
        options.settings_path = settings;
        options.messages = &ui.messages;
        options.dialogs = &ui.dialogs;
        TFormMain w(options);
        w.show();
        for (const QString& f : files)
            w.open_file(f);
        w.open_file(files[3]);
        w.open_file(shared.path(QStringLiteral("missing.efd"))); // not read: not recent
        EXPECT_EQ(w.recent_files().size(), 10);
        EXPECT_EQ(w.recent_files().value(0), QFileInfo(files[3]).absoluteFilePath());
        EXPECT_EQ(w.recent_files().value(1), QFileInfo(files[11]).absoluteFilePath());
        EXPECT_EQ(ui.dialogs.used.last(), QFileInfo(files[3]).absoluteFilePath());
        w.compat_view->setFloating(true);
        w.compat_view->move(40, 50);
        w.close();
    }
    {
        UiFixture ui;
        TMainOptions options;
        options.settings_path = settings;
        options.messages = &ui.messages;
        options.dialogs = &ui.dialogs;
        TFormMain w(options);
        w.show();
        QApplication::processEvents();
        EXPECT_TRUE(w.compat_view->isFloating());
        EXPECT_EQ(w.compat_view->tag, -1);
        ASSERT_EQ(w.MenuRecent->actions().size(), 10);
        EXPECT_EQ(w.MenuRecent->actions()[0]->text(), QStringLiteral("&1 site3.efd"));
        w.MenuRecent->actions()[1]->trigger();
        EXPECT_EQ(w.session().FD_loaded_filename, QStringLiteral("site11.efd"));
    }
    for (const QByteArray& junk :
         {QByteArray("\x00\xff[Window]\ngeometry=@ByteArray(zz)\n"
                     "recentFiles=7\nFormFD\\\\floating=maybe\n",
                     60),
          QByteArray("[Window]\nrecentFiles=@Variant(\\0\\0\\0\\x7f)\n")}) {
        shared.write(QStringLiteral("settings.ini"), junk);
        UiFixture ui;
        TMainOptions options;
        options.settings_path = settings;
        options.messages = &ui.messages;
        options.dialogs = &ui.dialogs;
        TFormMain w(options);
        w.show();
        QApplication::processEvents();
        EXPECT_FALSE(w.fd_view->isFloating());
        EXPECT_TRUE(ui.messages.shown.isEmpty());
    }
}

// Save All writes every result the session allows, named after the file loaded, and says
// what it could not write.
TEST(DesktopConventions, SaveAllResults) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    w.open_file(example_result);
    ui.dialogs.next_save_all = TSaveAllChoice{ui.folder.path(QString()), TPictureFormat::Png};
    w.ActionSaveAll->trigger();
    EXPECT_EQ(ui.messages.shown.value(0).section(u'\n', 0, 0),
              QStringLiteral("5 files written into [%1].")
                  .arg(QDir::toNativeSeparators(ui.folder.path(QString()))));
    for (const char* name :
         {"ridge_site_stress_tensor.txt", "ridge_site_fault_data.png", "ridge_site_stress.png",
          "ridge_site_histogram.png", "ridge_site_mohr.png"})
        EXPECT_TRUE(QFileInfo::exists(ui.folder.path(QLatin1String(name)))) << name;
    ASSERT_TRUE(ui.session().designate_fittest());
    ui.messages.shown.clear();
    w.ActionSaveAll->trigger();
    EXPECT_TRUE(ui.messages.shown.value(0).startsWith(QStringLiteral("7 files written")));
    EXPECT_TRUE(QFileInfo::exists(ui.folder.path(QStringLiteral("ridge_site_misfit.txt"))));
}

// The controls a new user cannot tell from their caption say what they do.
TEST(DesktopConventions, ControlsExplainThemselves) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    const QWidget* controls[] = {
        w.st_view->ButtonDesignate,       w.st_view->EditEnhance,
        w.st_view->EditDispersion,        w.st_view->emphasis_items[0],
        w.st_view->emphasis_items[1],     w.st_view->CheckBoxTadpoleTail,
        w.st_view->CheckBoxCLGS,          w.fd_view->CheckBoxTheoreticalSlip,
        w.fd_view->CheckBoxModelFaults,   w.fd_view->CheckBoxDesignatedAxes,
        w.fd_view->plot_method_items[0],  w.fd_view->plot_method_items[1],
        w.fd_view->projection_items[0],   w.fd_view->projection_items[1],
        w.compat_view->measure_items[0],  w.compat_view->measure_items[1],
        w.compat_view->EditMisfitBinSize, w.st_view->emphasis_items[2],
        w.fd_view->ComboContours,         w.fd_view->ComboContourMethod,
        w.fd_view->EditContourLevels,     w.kinematics_view->CheckBoxAxes,
        w.kinematics_view->ComboUnderlay, w.kinematics_view->ComboSubject,
        w.kinematics_view->ComboMethod,   w.kinematics_view->EditLevels,
        w.kinematics_view->TableAxes,
    };
    for (const QWidget* control : controls)
        EXPECT_GT(control->toolTip().size(), 20) << control->metaObject()->className();
}

} // namespace
