#include "tests/ui/ui_fixture.h"
#include "ui/axes_table_model.h"
#include "ui/density_controls.h"
#include "ui/kinematics_view.h"
#include "ui/picture_area.h"
#include "ui/st_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QRadioButton>
#include <QSettings>
#include <QTableView>

#include <gtest/gtest.h>

#include <functional>

namespace {

QString example(const char* name) {
    return QStringLiteral(QUOMTEL_EXAMPLES_DIR "/") + QLatin1String(name);
}

bool all_white(const QImage& image) {
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

// The example site has 16 data without a slip sense: they are told once per data set.
const QString no_axes_message = QStringLiteral(
    "16 data have no slip sense to give kinematic axes (L and S data, senses H and U): they are "
    "left out.");

struct KinematicsFixture : UiFixture {
    KinematicsFixture() {
        window->resize(1200, 800);
        QApplication::processEvents();
    }
    TFormKinematics& kv() { return *window->kinematics_view; }
    void show_view() {
        window->activate(window->kinematics_view);
        QApplication::processEvents();
    }
};

TEST(KinematicsView, DrawsTheAxesOnceInFront) {
    KinematicsFixture ui;
    TFormKinematics& kv = ui.kv();
    EXPECT_EQ(ui.window->docked_views().back(), &kv);
    const QImage empty = kv.bmpKinematics;
    ui.window->open_file(example("ridge_site.efd"));
    // Behind another tab nothing is computed, drawn or reported yet.
    EXPECT_EQ(kv.bmpKinematics, empty);
    EXPECT_EQ(kv.axes_model->rowCount(), 0);
    EXPECT_EQ(ui.messages.shown, QStringList());
    ui.show_view();
    EXPECT_NE(kv.bmpKinematics, empty);
    EXPECT_FALSE(all_white(kv.bmpKinematics));
    EXPECT_EQ(kv.ImageKinematics->picture(), kv.bmpKinematics);
    const TKinematicAxesSet& axes = ui.session().kinematic_axes();
    ASSERT_GT(axes.data.size(), 0u);
    const TAxesTableModel& model = *kv.axes_model;
    ASSERT_EQ(model.rowCount(), int(axes.data.size()));
    EXPECT_EQ(model.index(0, 0).data().toInt(), axes.data[0].datum + 1);
    EXPECT_EQ(model.index(0, 1).data().toString(), QStringLiteral("F"));
    EXPECT_EQ(model.index(0, 2).data().toString(), axis_text(axes.data[0].axes.P));
    EXPECT_EQ(ui.messages.shown, QStringList(no_axes_message));

    // New data: the picture and the list follow.
    const QImage before = kv.bmpKinematics;
    ui.window->open_file(ui.write_fault_data(QStringLiteral("one.efd"), "90 45 90 45 N\n"));
    ui.show_view();
    EXPECT_NE(kv.bmpKinematics, before);
    EXPECT_EQ(model.rowCount(), 1);
    // A normal fault dipping 45 degrees east: P vertical, T horizontal east-west.
    EXPECT_TRUE(model.index(0, 2).data().toString().endsWith(QStringLiteral("/90")));
    EXPECT_TRUE(QStringList({"090/00", "270/00"}).contains(model.index(0, 3).data().toString()));
}

TEST(KinematicsView, AxisTextRoundsToWholeDegrees) {
    const struct {
        Tazpl axis;
        const char* text;
    } rows[] = {{{0, 0}, "000/00"},
                {{45.4f, 9.5f}, "045/10"},
                {{359.6f, 89.9f}, "000/90"},
                {{123.f, 7.f}, "123/07"}};
    for (const auto& r : rows)
        EXPECT_EQ(axis_text(r.axis).toStdString(), r.text);
}

TEST(KinematicsView, ControlsReachTheSessionAndChangeThePicture) {
    KinematicsFixture ui;
    TFormKinematics& kv = ui.kv();
    ui.window->open_file(example("ridge_site.efd"));
    ui.show_view();
    const TSessionSettings& s = ui.session().settings;
    struct Row {
        const char* what;
        std::function<void()> act;
        std::function<bool()> reached;
    };
    const Row rows[] = {
        {"density underlay", [&] { kv.ComboUnderlay->setCurrentIndex(1); },
         [&] { return s.kinematics_underlay == TKinematicsUnderlay::Density; }},
        {"T axes", [&] { kv.ComboSubject->setCurrentIndex(kv.ComboSubject->findText("T axes")); },
         [&] { return s.kinematics_subject == TDensitySubject::T; }},
        {"1 % area", [&] { kv.ComboMethod->setCurrentIndex(1); },
         [&] { return s.kinematics_method == TDensityMethod::Schmidt; }},
        {"poles", [&] { kv.ComboSubject->setCurrentIndex(0); },
         [&] { return s.kinematics_subject == TDensitySubject::Poles; }},
        {"right dihedra", [&] { kv.ComboUnderlay->setCurrentIndex(2); },
         [&] { return s.kinematics_underlay == TKinematicsUnderlay::Dihedra; }},
        {"no axes", [&] { kv.CheckBoxAxes->click(); }, [&] { return !s.kinematic_axes; }},
        {"nothing", [&] { kv.ComboUnderlay->setCurrentIndex(0); },
         [&] { return s.kinematics_underlay == TKinematicsUnderlay::None; }},
    };
    for (const Row& r : rows) {
        const QImage before = kv.bmpKinematics;
        r.act();
        EXPECT_TRUE(r.reached()) << r.what;
        EXPECT_NE(kv.bmpKinematics, before) << r.what;
        // The density controls work for the density underlay only.
        EXPECT_EQ(kv.GroupDensity->isEnabled(),
                  s.kinematics_underlay == TKinematicsUnderlay::Density)
            << r.what;
    }
    EXPECT_EQ(ui.messages.shown, QStringList(no_axes_message));

    // Settings the picture does not show leave it alone.
    const QImage kept = kv.bmpKinematics;
    ui.session().set_tadpole_tail(!s.tadpole_tail);
    EXPECT_EQ(kv.bmpKinematics, kept);
}

TEST(KinematicsView, RefusedLevelsGiveWayToTheLevelsHeld) {
    KinematicsFixture ui;
    TFormKinematics& kv = ui.kv();
    ui.window->open_file(example("ridge_site.efd"));
    ui.show_view();
    kv.ComboUnderlay->setCurrentIndex(1);
    TLevelsEdit& edit = *kv.EditLevels;
    EXPECT_EQ(edit.text(), QString()); // the defaults
    const struct {
        const char* typed;
        const char* message; // empty: taken
        const char* shown;
    } rows[] = {
        {"3, 1", "contour levels must be positive and increasing", ""},
        {"1.5, 3", "", "1.5, 3"},
        {"2 x", "invalid contour level \"x\"", "1.5, 3"},
        {"0", "contour levels must be positive and increasing", "1.5, 3"},
        {"", "", ""},
    };
    for (const auto& r : rows) {
        ui.messages.shown.clear();
        const QImage before = kv.bmpKinematics;
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Delete);
        QTest::keyClicks(&edit, QString::fromLatin1(r.typed));
        if (*r.typed == 0)
            edit.setModified(true);
        QTest::keyClick(&edit, Qt::Key_Return);
        const bool taken = *r.message == 0;
        EXPECT_EQ(ui.messages.shown,
                  taken ? QStringList() : QStringList(QString::fromLatin1(r.message)))
            << r.typed;
        EXPECT_EQ(edit.text().toStdString(), r.shown) << r.typed;
        EXPECT_EQ(kv.bmpKinematics != before, taken) << r.typed;
    }
    // The levels belong to the method: 1 % area keeps its own.
    ui.session().set_density_levels(TDensityMethod::Kamb, u"2, 5", u'.');
    EXPECT_EQ(edit.text(), QStringLiteral("2, 5"));
    kv.ComboMethod->setCurrentIndex(1);
    EXPECT_EQ(edit.text(), QString());
}

TEST(KinematicsView, SavesThePictureAndTheAxes) {
    KinematicsFixture ui;
    TFormMain& w = *ui.window;
    ui.window->open_file(example("ridge_site.efd"));
    ui.kv().ComboUnderlay->setCurrentIndex(2);
    const struct {
        QAction* TFormMain::*action;
        const char* file;
        const char* dialog;
    } rows[] = {
        {&TFormMain::ActionSaveGraphKinematics, "kinematics.png", "Save Graphics of Kinematics"},
        {&TFormMain::ActionSaveDataKinematics, "axes.csv", "Save Kinematic Axes"},
    };
    for (const auto& r : rows) {
        ui.dialogs.next_path = ui.folder.path(QLatin1String(r.file));
        (w.*r.action)->trigger();
        EXPECT_EQ(ui.dialogs.saved.last().toStdString(), r.dialog);
        EXPECT_TRUE(QFileInfo::exists(ui.dialogs.next_path)) << r.file;
    }
    EXPECT_EQ(QImage(ui.folder.path(QStringLiteral("kinematics.png"))).size(),
              QSize(kinematics_plot_width, kinematics_plot_height));
    const QStringList lines = QString::fromUtf8(ui.folder.read(QStringLiteral("axes.csv")))
                                  .split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), ui.session().FDSet.count() + 1); // with the header
    EXPECT_EQ(ui.messages.shown, QStringList(no_axes_message));
}

TEST(KinematicsView, SettingsAreRememberedBetweenRuns) {
    TempFolder folder;
    TMainOptions options;
    RecordingMessages messages;
    ScriptedDialogs dialogs;
    options.log_path = folder.path(QStringLiteral("QMT.log"));
    options.settings_path = folder.path(QStringLiteral("settings.ini"));
    options.messages = &messages;
    options.dialogs = &dialogs;
    {
        TFormMain w(options);
        w.kinematics_view->ComboUnderlay->setCurrentIndex(1);
        w.kinematics_view->ComboSubject->setCurrentIndex(5);
        w.kinematics_view->ComboMethod->setCurrentIndex(1);
        w.kinematics_view->CheckBoxAxes->click();
        w.fd_view->ComboContours->setCurrentIndex(3);
        w.st_view->emphasis_items[2]->click();
        w.session().set_density_levels(TDensityMethod::Kamb, u"3, 6", u'.');
    }
    {
        TFormMain w(options);
        const TSessionSettings& s = w.session().settings;
        EXPECT_EQ(s.kinematics_underlay, TKinematicsUnderlay::Density);
        EXPECT_EQ(s.kinematics_subject, TDensitySubject::Sigma3);
        EXPECT_EQ(s.kinematics_method, TDensityMethod::Schmidt);
        EXPECT_FALSE(s.kinematic_axes);
        EXPECT_EQ(s.fd_contours, TDensitySubject::P);
        EXPECT_TRUE(s.stress_density);
        EXPECT_EQ(s.kamb_levels, (std::vector<double>{3, 6}));
        // The controls show them.
        EXPECT_EQ(w.kinematics_view->ComboSubject->currentText(), QStringLiteral("σ3 axes"));
        EXPECT_EQ(w.fd_view->ComboContours->currentText(), QStringLiteral("P axes"));
        EXPECT_TRUE(w.st_view->emphasis_items[2]->isChecked());
    }
    // Values that do not read leave the defaults.
    {
        QSettings store(options.settings_path, QSettings::IniFormat);
        for (const char* key :
             {"stressDensity", "kinematicAxes", "kinematicsUnderlay", "kinematicsSubject",
              "kinematicsMethod", "faultDataContours", "faultDataContourMethod", "kambLevels"})
            store.setValue(QStringLiteral("View/") + QLatin1String(key), QStringLiteral("2, x"));
        store.setValue(QStringLiteral("View/faultDataContours"), QStringLiteral("sigma1"));
    }
    TFormMain w(options);
    const TSessionSettings defaults;
    const TSessionSettings& s = w.session().settings;
    EXPECT_EQ(s.stress_density, defaults.stress_density);
    EXPECT_EQ(s.kinematic_axes, defaults.kinematic_axes);
    EXPECT_EQ(s.kinematics_underlay, defaults.kinematics_underlay);
    EXPECT_EQ(s.kinematics_subject, defaults.kinematics_subject);
    EXPECT_EQ(s.fd_contours, defaults.fd_contours); // no contours of stress states there
    EXPECT_EQ(s.kamb_levels, defaults.kamb_levels);
    EXPECT_EQ(messages.shown, QStringList());
}

} // namespace
