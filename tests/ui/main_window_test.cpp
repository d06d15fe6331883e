#include "tests/ui/ui_fixture.h"
#include "ui/about.h"
#include "ui/compatibility.h"
#include "ui/kinematics_view.h"
#include "ui/st_view.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
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
    return {w.fd_view->tag, w.st_view->tag, w.compat_view->tag, w.kinematics_view->tag};
}

TEST(MainWindow, StartUp) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quomtel"));
    EXPECT_EQ(tags(w), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(tab_texts(w),
              QStringList({"Fault Data", "Stress Tensor", "Compatibility", "Kinematics"}));
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
    EXPECT_EQ(tags(w), (std::vector<int>{-1, 0, 1, 2}));

    w.fd_view->setFloating(false);
    QApplication::processEvents();
    EXPECT_EQ(tags(w), (std::vector<int>{3, 0, 1, 2}));
    EXPECT_EQ(tab_texts(w),
              QStringList({"Stress Tensor", "Compatibility", "Kinematics", "Fault Data"}));

    // Undocking a middle view.
    w.compat_view->setFloating(true);
    QApplication::processEvents();
    EXPECT_EQ(tags(w), (std::vector<int>{2, 0, -1, 1}));
    w.st_view->setFloating(true);
    QApplication::processEvents();
    EXPECT_EQ(tags(w), (std::vector<int>{1, -1, -1, 0}));
    w.compat_view->setFloating(false);
    QApplication::processEvents();
    EXPECT_EQ(tags(w), (std::vector<int>{1, -1, 2, 0}));
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
    EXPECT_EQ(ui.session().FD_loaded_filename, QStringLiteral("first.EFD"));
    EXPECT_EQ(ui.session().FDSet.count(), 1);
    EXPECT_TRUE(current_tab(w).startsWith(QStringLiteral("FD [first.EFD]")));
    EXPECT_EQ(ui.fd().ListBox->text_model()->rowCount(), 1);

    w.drop_files({ui.folder.path(QStringLiteral("notes.txt"))});
    w.drop_files({ui.folder.path(QStringLiteral("README"))});
    EXPECT_EQ(ui.messages.shown,
              QStringList({"Invalid file extension [.txt]", "Invalid file extension []"}));
    EXPECT_EQ(ui.session().FDSet.count(), 1);

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
    EXPECT_EQ(ui.session().FD_loaded_filename, QStringLiteral("second.efd"));
    EXPECT_EQ(ui.session().FDSet.count(), 2);
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
    // 281 x 173, wider only as far as the font standing in for Arial needs.
    EXPECT_EQ(about.height(), 173);
    int right = 0;
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>()) {
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        right = std::max(right, label->geometry().right());
        texts << label->text();
    }
    // The version the build sets, with its date.
    EXPECT_TRUE(texts.contains(QStringLiteral("version 1.10 (2013 Nov 29)")))
        << texts.join(u'|').toStdString();
    EXPECT_EQ(about.width(), std::max(281, right + 7));
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
    w.session().designated_ST = stress_tensor_from_axes({0, 90}, {270, 0}, 0.5f);
    w.session().change_flag_ST_designated(true);

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

namespace {

// The access key of a caption: the letter after a single '&'; none for "&&" alone.
QChar access_key(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1].toUpper();
        ++i; // "&&" shows one '&'
    }
    return {};
}

// Every entry of the menu (separators aside) has an access key no other entry of it shares;
// submenus likewise.
void expect_unique_access_keys(const QList<QAction*>& entries, const QString& where) {
    QString keys;
    for (QAction* entry : entries) {
        if (entry->isSeparator())
            continue;
        const QChar key = access_key(entry->text());
        EXPECT_FALSE(key.isNull()) << where.toStdString() << " > " << entry->text().toStdString();
        EXPECT_FALSE(keys.contains(key))
            << where.toStdString() << " > " << entry->text().toStdString();
        keys.append(key);
        if (QMenu* sub = entry->menu())
            expect_unique_access_keys(sub->actions(), where + u'>' + entry->text());
    }
}

TEST(MainWindow, EveryMenuEntryHasItsOwnAccessKey) {
    UiFixture ui;
    const QList<QAction*> menus = ui.window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 5);
    expect_unique_access_keys(menus, QStringLiteral("menu bar"));
    EXPECT_EQ(access_key(QStringLiteral("&Misfit, normal && shear stresses")), u'M');
    EXPECT_TRUE(access_key(QStringLiteral("normal && shear")).isNull());
}

// Presses Alt with the first key, then each further key in the menu that is open.
void press_access_keys(TFormMain& window, const QString& keys) {
    QTest::keyClick(&window, keys[0].toLatin1(), Qt::AltModifier);
    for (qsizetype i = 1; i < keys.size(); ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr) << keys.toStdString();
        QTest::keyClick(popup, keys[i].toLatin1());
    }
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

// Every enabled entry but "E&xit" (which would end the test program), through its keys.
void run_every_entry_by_keys(TFormMain& window, const QList<QAction*>& entries,
                             const QString& keys) {
    for (QAction* entry : entries) {
        const QString path = keys + access_key(entry->text()).toLower();
        if (QMenu* sub = entry->menu()) {
            run_every_entry_by_keys(window, sub->actions(), path);
            continue;
        }
        if (entry->isSeparator() || !entry->isEnabled() || entry == window.ActionExit)
            continue;
        QSignalSpy triggered(entry, &QAction::triggered);
        press_access_keys(window, path);
        EXPECT_EQ(triggered.count(), 1) << path.toStdString();
    }
}

TEST(MainWindow, AccessKeysRunEveryMenuEntryWhicheverViewIsInFront) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    QApplication::setActiveWindow(&w);
    // The fault data view's "T&heoretical Slip" shares Alt+H with "&Help".
    for (TViewDock* view : {static_cast<TViewDock*>(w.st_view), static_cast<TViewDock*>(w.fd_view),
                            static_cast<TViewDock*>(w.compat_view)}) {
        w.activate(view);
        QApplication::processEvents();
        SCOPED_TRACE(view->objectName().toStdString());
        for (int round = 0; round < 2; ++round) { // a shared key works every time
            run_every_entry_by_keys(w, w.menuBar()->actions(), QString());
            EXPECT_TRUE(w.about->isVisible()); // Help > Version
            w.about->hide();
            QApplication::processEvents(); // the window system's activation of what is left
            QApplication::setActiveWindow(&w);
        }
    }
    // Alt+F, O, F: File > Open > Fault Data asked for a file, twice with each view in front.
    EXPECT_EQ(ui.dialogs.opened.count(QStringLiteral("Open Fault-Slip Data")), 6);
}

// Alt with a key; a button taken by it clicks once it has shown itself pressed (100 ms).
void press_alt(TFormMain& window, Qt::Key key) {
    QTest::keyClick(&window, key, Qt::AltModifier);
    QTest::qWait(150);
}

TEST(MainWindow, OnlyTheViewInFrontTakesItsAccessKeys) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    QApplication::setActiveWindow(&w);
    QSignalSpy fd_draw(w.fd_view->ButtonDraw, &QPushButton::clicked);
    QSignalSpy st_draw(w.st_view->ButtonDraw, &QPushButton::clicked);
    QSignalSpy st_designate(w.st_view->ButtonDesignate, &QPushButton::clicked);
    // The stress view is in front at start-up: Alt+D is its "&Draw", not the other views'.
    EXPECT_FALSE(w.fd_view->access_keys_live());
    EXPECT_TRUE(w.st_view->access_keys_live());
    press_alt(w, Qt::Key_D);
    press_alt(w, Qt::Key_S); // "De&signate", not "Equal Area (&S)"
    EXPECT_EQ(st_draw.count(), 1);
    EXPECT_EQ(st_designate.count(), 1);
    EXPECT_EQ(fd_draw.count(), 0);
    EXPECT_TRUE(w.fd_view->projection_items[1]->isChecked());

    // Alt+H with the fault data view in front opens Help and leaves "T&heoretical Slip" alone.
    w.activate(w.fd_view);
    QApplication::processEvents();
    press_alt(w, Qt::Key_D);
    EXPECT_EQ(fd_draw.count(), 1);
    EXPECT_EQ(st_draw.count(), 1);
    const bool theoretical = w.fd_view->CheckBoxTheoreticalSlip->isChecked();
    for (int i = 0; i < 2; ++i) {
        press_alt(w, Qt::Key_H);
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr) << i;
        EXPECT_EQ(popup->actions(), QList<QAction*>({w.ActionGuide, w.ActionVersion}));
        popup->close();
    }
    EXPECT_EQ(w.fd_view->CheckBoxTheoreticalSlip->isChecked(), theoretical);
    // A key of the view that no menu shares works once the view is in front.
    press_alt(w, Qt::Key_G);
    EXPECT_TRUE(w.fd_view->plot_method_items[0]->isChecked());

    // A floating view keeps its keys; the views left in the main window keep theirs.
    w.fd_view->setFloating(true);
    QApplication::processEvents();
    EXPECT_TRUE(w.fd_view->access_keys_live());
    EXPECT_EQ(w.st_view->access_keys_live() + w.compat_view->access_keys_live(), 1);
}

} // namespace
