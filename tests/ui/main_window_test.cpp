#include "tests/ui/ui_fixture.h"
#include "ui/about.h"
#include "ui/compatibility.h"
#include "ui/st_view.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// The texts of the tab bar that holds the docked views, in tab order.
QStringList tab_texts(const TFormMain& window) {
    for (QTabBar* bar : window.findChildren<QTabBar*>()) {
        if (bar->count() < 2)
            continue;
        QStringList texts;
        for (int i = 0; i < bar->count(); ++i)
            texts.append(bar->tabText(i));
        return texts;
    }
    return {};
}

QString current_tab(const TFormMain& window) {
    for (QTabBar* bar : window.findChildren<QTabBar*>())
        if (bar->count() >= 2)
            return bar->tabText(bar->currentIndex());
    return {};
}

std::vector<int> tags(const TFormMain& w) {
    return {w.fd_view->tag, w.st_view->tag, w.compat_view->tag};
}

TEST(MainWindow, StartUp) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quomtel"));
    EXPECT_EQ(tags(w), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(tab_texts(w), QStringList({"Fault Data", "Stress Tensor", "Compatibility"}));
    EXPECT_EQ(current_tab(w), QStringLiteral("Stress Tensor"));
    // The stress view clears the designation check boxes when it is created.
    EXPECT_FALSE(ui.fd().CheckBoxTheoreticalSlip->isChecked());
    EXPECT_FALSE(ui.fd().CheckBoxModelFaults->isChecked());
    EXPECT_FALSE(ui.fd().CheckBoxDesignatedAxes->isChecked());
    EXPECT_FALSE(w.ActionOpenST->isEnabled());
    EXPECT_EQ(w.ActionExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(w.ActionSaveDataMisfit->text(), QStringLiteral("&Misfit, normal && shear stresses"));
    EXPECT_EQ(w.ActionOpenFD->property("category").toString(), QStringLiteral("FileIO"));

    const QStringList log = ui.log_lines();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].endsWith(QStringLiteral(" QMT start.")));
    ui.window.reset();
    const QStringList after = ui.log_lines();
    ASSERT_EQ(after.size(), 2);
    EXPECT_TRUE(after[1].endsWith(QStringLiteral(" QMT end.")));
}

TEST(MainWindow, UndockAndRedockKeepTheTagsOnTheTabs) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    w.fd_view->setFloating(true);
    QApplication::processEvents();
    EXPECT_EQ(tags(w), (std::vector<int>{-1, 0, 1}));

    w.fd_view->setFloating(false);
    QApplication::processEvents();
    EXPECT_EQ(tags(w), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(tab_texts(w), QStringList({"Stress Tensor", "Compatibility", "Fault Data"}));

    // Undocking the middle view of three.
    w.compat_view->setFloating(true);
    QApplication::processEvents();
    EXPECT_EQ(tags(w), (std::vector<int>{1, 0, -1}));
    w.st_view->setFloating(true);
    QApplication::processEvents();
    EXPECT_EQ(tags(w), (std::vector<int>{0, -1, -1}));
    w.compat_view->setFloating(false);
    QApplication::processEvents();
    EXPECT_EQ(tags(w), (std::vector<int>{0, -1, 1}));
}

TEST(MainWindow, ActivationOfAFloatingOrDockedView) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    w.fd_view->setFloating(true);
    QApplication::processEvents();
    w.ActionOpenFD->trigger(); // the dialog is cancelled
    EXPECT_EQ(ui.dialogs.opened, QStringList("Open Fault-Slip Data"));
    EXPECT_EQ(current_tab(w), QStringLiteral("Stress Tensor"));
    EXPECT_EQ(w.fd_view->tag, -1);

    w.ActionSaveGraphMisfit->trigger();
    QApplication::processEvents();
    EXPECT_EQ(current_tab(w), QStringLiteral("Compatibility"));
}

TEST(MainWindow, ClosingAFloatingViewEndsTheProgram) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    QSignalSpy closed(w.st_view, &TViewDock::closed_while_floating);
    w.st_view->setFloating(true);
    QApplication::processEvents();
    w.st_view->close();
    EXPECT_EQ(closed.count(), 1);
}

TEST(MainWindow, DropRoutesTheFirstFileByExtension) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    const QString first = ui.write_fault_data(QStringLiteral("first.EFD"), "120 30 200 20 N\n");
    const QString second =
        ui.write_fault_data(QStringLiteral("second.efd"), "120 30 200 20 N\n120 30 200 20 N\n");
    w.drop_files({first, second, second});
    EXPECT_EQ(ui.fd().FD_loaded_filename, QStringLiteral("first.EFD"));
    EXPECT_EQ(ui.fd().FDSet.count(), 1);
    EXPECT_TRUE(current_tab(w).startsWith(QStringLiteral("FD [first.EFD]")));
    EXPECT_EQ(ui.fd().ListBox->text_model()->rowCount(), 1);

    w.drop_files({ui.folder.path(QStringLiteral("notes.txt"))});
    w.drop_files({ui.folder.path(QStringLiteral("README"))});
    EXPECT_EQ(ui.messages.shown,
              QStringList({"Invalid file extension [.txt]", "Invalid file extension []"}));
    EXPECT_EQ(ui.fd().FDSet.count(), 1);

    // A real drop event, as the desktop sends it.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(second), QUrl::fromLocalFile(first)});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    EXPECT_TRUE(drop.isAccepted());
    QApplication::processEvents();
    EXPECT_EQ(ui.fd().FD_loaded_filename, QStringLiteral("second.efd"));
    EXPECT_EQ(ui.fd().FDSet.count(), 2);
}

TEST(MainWindow, SaveDataNeedsDataAndADesignation) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    w.ActionSaveDataMisfit->trigger();
    w.ActionSaveDataTheoretical->trigger();
    w.ActionSaveDataStressTensor->trigger();
    const QString both =
        QStringLiteral("Fault Data must be loaded AND\r\nStress State must be designated.");
    EXPECT_EQ(ui.messages.shown, QStringList({both, both, "Stress Tensor must be loaded."}));
    EXPECT_TRUE(ui.dialogs.saved.isEmpty());
}

} // namespace

namespace {

TEST(MainWindow, AboutBoxIsModelessAndCentred) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    w.ActionVersion->trigger();
    TFormAbout& about = *w.about;
    EXPECT_TRUE(about.isVisible());
    EXPECT_FALSE(about.isModal());
    EXPECT_EQ(about.size(), QSize(281, 173));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Quomtel"));
    EXPECT_LE((about.frameGeometry().center() - w.frameGeometry().center()).manhattanLength(), 2);
    QPushButton* close = about.findChild<QPushButton*>();
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), QStringLiteral("Close"));
    close->click();
    EXPECT_FALSE(about.isVisible());
}

} // namespace

namespace {

TEST(MainWindow, SavesResultsAndPictures) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    w.open_file(ui.write_fault_data(QStringLiteral("one.efd"), "90 45 90 45 N\n"));
    w.st_view->designated_ST = stress_tensor_from_axes({0, 90}, {270, 0}, 0.5f);
    w.st_view->change_flag_ST_designated(true);

    struct Row {
        QAction* action;
        const char* file;
        bool metafile;
    };
    const Row rows[] = {{w.ActionSaveDataMisfit, "misfit.txt", false},
                        {w.ActionSaveDataTheoretical, "theoretical.efd", false},
                        {w.ActionSaveGraphFD, "fd.emf", true},
                        {w.ActionSaveGraphST, "st.emf", true},
                        {w.ActionSaveGraphMisfit, "histogram.emf", true},
                        {w.ActionSaveGraphMohr, "mohr.emf", true}};
    // A selected datum stays selected and the pictures on the screen stay as they are.
    w.fd_view->ListBox->setCurrentIndex(w.fd_view->ListBox->text_model()->index(0));
    const QImage fd_before = w.fd_view->bmpFD, st_before = w.st_view->bmpST;
    for (const Row& r : rows) {
        ui.dialogs.next_path = ui.folder.path(QString::fromLatin1(r.file));
        r.action->trigger();
        const QByteArray bytes = ui.folder.read(QString::fromLatin1(r.file));
        ASSERT_FALSE(bytes.isEmpty()) << r.file;
        if (r.metafile) {
            EXPECT_EQ(bytes.mid(40, 4), QByteArray(" EMF")) << r.file;
        }
    }
    EXPECT_TRUE(ui.messages.shown.isEmpty()) << ui.messages.shown.join(u'|').toStdString();
    EXPECT_EQ(w.fd_view->ListBox->selected_row(), 0);
    EXPECT_EQ(w.fd_view->bmpFD, fd_before);
    EXPECT_EQ(w.st_view->bmpST, st_before);
    EXPECT_EQ(ui.dialogs.saved,
              QStringList({"Save Data", "Save Data", "Save Graphics of Fault-Slip Data",
                           "Save Graphics of Stress Plot", "Save Graphics", "Save Graphics"}));

    // The format follows the extension; other names get a metafile.
    const std::pair<const char*, QByteArray> formats[] = {
        {"fd.svg", "<?xml"}, {"fd.pdf", "%PDF"}, {"fd.png", "\x89PNG"}, {"fd.wmf", ""}};
    for (const auto& [name, start] : formats) {
        ui.dialogs.next_path = ui.folder.path(QString::fromLatin1(name));
        w.ActionSaveGraphFD->trigger();
        const QByteArray bytes = ui.folder.read(QString::fromLatin1(name));
        if (start.isEmpty()) {
            EXPECT_EQ(bytes.mid(40, 4), QByteArray(" EMF")) << name;
        } else {
            EXPECT_TRUE(bytes.startsWith(start)) << name;
        }
    }
    EXPECT_EQ(QImage(ui.folder.path(QStringLiteral("fd.png"))).size(), QSize(1000, 1000));
    EXPECT_TRUE(ui.messages.shown.isEmpty());

    // A folder that cannot hold the file: the error is shown, nothing else happens.
    ui.folder.write(QStringLiteral("plain"), "not a folder");
    ui.dialogs.next_path = ui.folder.path(QStringLiteral("plain/fd.emf"));
    w.ActionSaveGraphFD->trigger();
    EXPECT_EQ(ui.messages.shown.size(), 1);
}

} // namespace
