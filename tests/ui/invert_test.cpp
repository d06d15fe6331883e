// "Analysis > Invert..." with the dialog injected: the run goes off the user-interface thread
// with the data's controls disabled, ends with the states loaded and drawn, or, cancelled or
// refused, leaves the states as they were; "Save Data > Inversion Result" writes both files.

#include "tests/ui/ui_fixture.h"
#include "ui/compatibility.h"
#include "ui/inversion_runner.h"
#include "ui/invert_dialog.h"
#include "ui/st_view.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

const QString quarry_data = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/quarry_site.efd");
const QString ridge_result = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");

TInversionSettings grid(double spacing, double ratio_step = 0.1) {
    TInversionSettings s;
    s.grid_spacing = spacing;
    s.ratio_step = ratio_step;
    return s;
}

bool run_ends(UiFixture& ui) {
    return QTest::qWaitFor([&] { return !ui.window->inversion->running(); }, 60'000);
}

TEST(InvertWindow, RunGoesOffTheInterfaceThreadAndLoadsTheStates) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    w.open_file(quarry_data);
    ui.session().set_measure(TMifitMeasure::DistFry);
    ui.dialogs.next_inversion = grid(10);
    w.ActionInvert->trigger();
    // Under way until this thread takes the outcome: nothing that changes the data is usable.
    ASSERT_TRUE(w.inversion->running());
    EXPECT_EQ(ui.dialogs.invert_measure, TMifitMeasure::DistFry);
    for (const QAction* action : {w.ActionOpenAny, w.ActionOpenFD, w.ActionImportTable,
                                  w.ActionInvert, w.ActionDesignateValues})
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_FALSE(w.fd_view->isEnabled() || w.st_view->isEnabled() || w.compat_view->isEnabled());
    ASSERT_TRUE(run_ends(ui));

    EXPECT_TRUE(ui.session().ST_loaded);
    EXPECT_GT(ui.session().plotted.Nst_to_be_plotted, 0);
    EXPECT_EQ(w.st_view->windowTitle(), QStringLiteral("ST [quarry_sit..] "));
    EXPECT_EQ(w.st_view->status_panels[1]->text(), QStringLiteral("cgp = none"));
    ASSERT_EQ(ui.messages.shown.size(), 1);
    EXPECT_TRUE(ui.messages.shown[0].startsWith(QStringLiteral("Grid search: ")));
    for (const QAction* action : {w.ActionOpenAny, w.ActionInvert})
        EXPECT_TRUE(action->isEnabled());
    EXPECT_FALSE(w.ActionCancelDesignation->isEnabled()); // as before the run
    EXPECT_TRUE(w.fd_view->isEnabled() && w.st_view->isEnabled() && w.compat_view->isEnabled());

    // Saved, the result is known by its file.
    ui.dialogs.next_path = ui.folder.path(QStringLiteral("quarry.tlv"));
    w.ActionSaveDataResult->trigger();
    EXPECT_TRUE(QFileInfo(ui.folder.path(QStringLiteral("quarry.cgp"))).isFile());
    EXPECT_EQ(w.st_view->windowTitle(), QStringLiteral("ST [quarry.tlv] "));
    EXPECT_EQ(w.st_view->status_panels[1]->text(), QStringLiteral("cgp = quarry.cgp"));
    // The next dialog starts with the settings of the last run.
    ui.dialogs.next_inversion.reset();
    w.ActionInvert->trigger();
    ASSERT_TRUE(ui.dialogs.invert_initial);
    EXPECT_EQ(ui.dialogs.invert_initial->grid_spacing, 10);
}

TEST(InvertWindow, CancelledOrRefusedRunLeavesThePreviousStates) {
    const struct {
        const char* what;
        std::optional<TInversionSettings> settings;
        bool cancel;
        QStringList shown;
    } rows[] = {
        // A grid of a million states: the click comes long before its end.
        {"cancelled", grid(3), true, {}},
        {"dialog cancelled", std::nullopt, false, {}},
        {"refused", grid(40), false, {check_grid_spacing(40)}},
    };
    for (const auto& row : rows) {
        UiFixture ui;
        TFormMain& w = *ui.window;
        w.open_file(ridge_result);
        const std::vector<TStressTensor> before = ui.session().STSet;
        const QString title = w.st_view->windowTitle();
        ui.dialogs.next_inversion = row.settings;
        w.ActionInvert->trigger();
        if (row.cancel) {
            ASSERT_TRUE(w.inversion->running());
            w.inversion->progress_dialog()->findChild<QPushButton*>()->click();
        }
        ASSERT_TRUE(run_ends(ui)) << row.what;
        EXPECT_EQ(ui.messages.shown, row.shown) << row.what;
        EXPECT_EQ(w.st_view->windowTitle(), title) << row.what;
        ASSERT_EQ(ui.session().STSet.size(), before.size()) << row.what;
        EXPECT_TRUE(ui.session().STSet.front().id == before.front().id &&
                    ui.session().STSet.back().id == before.back().id);
        EXPECT_TRUE(w.ActionOpenAny->isEnabled() && w.fd_view->isEnabled()) << row.what;
    }
    UiFixture empty;
    empty.dialogs.next_inversion = grid(10);
    empty.window->ActionInvert->trigger();
    EXPECT_EQ(empty.messages.shown, QStringList{QStringLiteral("Fault Data must be loaded.")});
    EXPECT_FALSE(empty.window->inversion->running());
}

TEST(InvertWindow, DialogGivesTheValuesAsTypedAndOnlyTheMethodsFields) {
    TInversionSettings initial;
    initial.method = TInversionMethod::Linear;
    initial.resamples = 250;
    initial.seed = 9;
    TInvertDialog dialog(initial, TMifitMeasure::SlipDir);
    EXPECT_FALSE(dialog.spacing_box->isEnabled() || dialog.tolerance_box->isEnabled());
    EXPECT_TRUE(dialog.resamples_box->isEnabled() && dialog.seed_box->isEnabled());
    EXPECT_TRUE(dialog.measure_label->text().startsWith(QStringLiteral("Slip direction")));
    dialog.method_box->setCurrentIndex(0);
    EXPECT_TRUE(dialog.spacing_box->isEnabled() && !dialog.seed_box->isEnabled());
    dialog.spacing_box->setValue(45); // beyond the range allowed: the session tells
    const TInversionSettings typed = dialog.settings();
    EXPECT_EQ(typed.method, TInversionMethod::Grid);
    EXPECT_EQ(typed.grid_spacing, 45);
    EXPECT_EQ(typed.resamples, 250);
    EXPECT_EQ(typed.seed, 9u);
    EXPECT_FALSE(check_inversion_settings(typed).isEmpty());
}

} // namespace
