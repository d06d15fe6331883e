#include "core/text_file.h"
#include "tests/support/resource_use.h"
#include "tests/ui/ui_fixture.h"
#include "ui/st_view.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString example_result = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");

// What the two views show and hold.
struct ViewState {
    bool fd_loaded, st_loaded;
    QString fd_title, st_title;
    int fd_count;
    std::vector<int> st_ids;
    QStringList fd_list, st_list;
    QString memo;
    QImage fd_picture, st_picture;
    bool operator==(const ViewState&) const = default;
};

ViewState state_of(TFormMain& w) {
    std::vector<int> ids;
    for (const TStressTensor& st : w.session().STSet)
        ids.push_back(st.id);
    return {w.session().FD_loaded,
            w.session().ST_loaded,
            w.fd_view->windowTitle(),
            w.st_view->windowTitle(),
            w.session().FDSet.count(),
            ids,
            w.fd_view->ListBox->text_model()->lines(),
            w.st_view->ListBox->text_model()->lines(),
            w.st_view->MemoStat->toPlainText(),
            w.fd_view->bmpFD,
            w.st_view->bmpST};
}

// The example result loaded, then a file chosen in the open dialog that is gone or a folder
// when it is read: the user is told, and nothing that was loaded or shown changes.
TEST(WindowBadInput, UnreadableChoicesChangeNothing) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    ui.dialogs.next_path = example_result;
    w.ActionOpenIR->trigger();
    ASSERT_TRUE(w.session().ST_loaded);
    ASSERT_TRUE(ui.messages.shown.isEmpty());
    const ViewState before = state_of(w);

    const QString gone = ui.folder.path(QStringLiteral("gone.efd"));
    const QString folder = ui.folder.path(QStringLiteral("folder.tlv"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const struct {
        const char* what;
        QAction* action;
        QString path;
        QString message;
    } rows[] = {
        {"fault data gone", w.ActionOpenFD, gone,
         QStringLiteral("Cannot open file [") + gone + QStringLiteral("]: ")},
        {"fault data a folder", w.ActionOpenFD, folder,
         QStringLiteral("Cannot read file [") + folder + QStringLiteral("]: it is a folder.")},
        {"result gone", w.ActionOpenIR, gone, QStringLiteral("Exception raised")},
        {"result a folder", w.ActionOpenIR, folder, QStringLiteral("Exception raised")},
    };
    for (const auto& row : rows) {
        // The file was there when the dialog offered it.
        ui.folder.write(QStringLiteral("gone.efd"), "120 30 200 20 N\n");
        ui.dialogs.next_path = row.path;
        QFile::remove(gone);
        ui.messages.shown.clear();
        row.action->trigger();
        ASSERT_EQ(ui.messages.shown.size(), 1) << row.what;
        EXPECT_TRUE(ui.messages.shown[0].startsWith(row.message))
            << row.what << ": " << ui.messages.shown[0].toStdString();
        EXPECT_TRUE(before == state_of(w)) << row.what;
    }
}

// A file replaced while its reading shows a message: the reading goes on with what it read.
TEST(WindowBadInput, FilesRewrittenDuringTheRead) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    const QByteArray original = "120 30 200 20 N\n120 30 2O0 20 N\n90 80 0 0 S\n";
    const QString fd_path = ui.folder.write(QStringLiteral("site.efd"), original);
    ui.messages.on_show = [&](const QString&) {
        ui.folder.write(QStringLiteral("site.efd"), "1 2 3 4 N\n");
    };
    w.open_file(fd_path);
    EXPECT_EQ(ui.messages.shown, QStringList("invalid data at line #2"));
    EXPECT_EQ(w.session().FDSet.count(), 2);
    EXPECT_EQ(w.session().FDSet.FDList[1].SDList[0].Pazpl, make_azpl(90, 80));

    // The result is read whole before anything is shown; its CGP file only after the fault
    // data, so a CGP file deleted meanwhile is reported as missing.
    ui.folder.write(QStringLiteral("r.cgp"), "2\n10 20 100 0 0.5\n30 40 120 0 0.1\n");
    const QString result = ui.folder.write(
        QStringLiteral("r.tlv"), "2\r\n120 30 200 20 N\r\nF x\r\n2\r\n1\r\nr.cgp\r\n2 5\r\n");
    ui.messages.shown.clear();
    ui.messages.on_show = [&](const QString& text) {
        if (text.startsWith(QStringLiteral("invalid data"))) {
            ui.folder.write(QStringLiteral("r.tlv"), "garbage");
            QFile::remove(ui.folder.path(QStringLiteral("r.cgp")));
        }
    };
    w.open_file(result);
    ASSERT_EQ(ui.messages.shown.size(), 4) << ui.messages.shown.join(u'|').toStdString();
    EXPECT_EQ(ui.messages.shown[0], QStringLiteral("invalid data at line #3"));
    EXPECT_TRUE(ui.messages.shown[1].startsWith(QStringLiteral("CGP File  [")));
    EXPECT_TRUE(ui.messages.shown[2].startsWith(QStringLiteral("conflict in number")));
    EXPECT_EQ(ui.messages.shown[3], QStringLiteral("Exception raised"));
    EXPECT_FALSE(w.session().ST_loaded);
    EXPECT_FALSE(w.session().FD_loaded);
    EXPECT_EQ(w.session().FDSet.count(), 1); // read before the failure, as the reader keeps it
    EXPECT_EQ(w.st_view->windowTitle(), QStringLiteral("Stress Tensor"));
}

// Every save of the menus into a folder, onto a device and onto a disk that fills up: one
// message naming the file, nothing else changes, and a file there before keeps its bytes.
TEST(WindowBadInput, FailedSavesChangeNothing) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    w.open_file(example_result);
    w.session().designated_ST = stress_tensor_from_axes({0, 90}, {270, 0}, 0.5f);
    w.session().change_flag_ST_designated(true);
    ASSERT_TRUE(ui.messages.shown.isEmpty());
    const ViewState before = state_of(w);

    const QByteArray previous = "previous contents\r\n";
    const QString existing = ui.folder.write(QStringLiteral("old.txt"), previous);
    const QString full = QStringLiteral("/dev/full");
    // A writer that took a pipe for a file would put a plain file in place of /dev/full.
    const QString pipe = ui.folder.path(QStringLiteral("pipe"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_FALSE(write_file_atomically(pipe, "x", nullptr));
    for (QAction* action : {w.ActionSaveDataMisfit, w.ActionSaveDataTheoretical,
                            w.ActionSaveDataStressTensor, w.ActionSaveGraphFD, w.ActionSaveGraphST,
                            w.ActionSaveGraphMisfit, w.ActionSaveGraphMohr}) {
        const std::string what = action->objectName().toStdString();
        for (const QString& path : {ui.folder.path(QString()), full, existing}) {
            ui.messages.shown.clear();
            ui.dialogs.next_path = path;
            // The existing file stands on a disk that fills after a few bytes.
            rlimit saved{};
            ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
            rlimit small = saved;
            small.rlim_cur = 8;
            const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
            if (path == existing) {
                ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
            }
            action->trigger();
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, old_handler);
            ASSERT_EQ(ui.messages.shown.size(), 1) << what << " " << path.toStdString();
            EXPECT_TRUE(ui.messages.shown[0].startsWith(QStringLiteral("Cannot write file [") +
                                                        path + QStringLiteral("]: ")))
                << what << ": " << ui.messages.shown[0].toStdString();
        }
        EXPECT_EQ(ui.folder.read(QStringLiteral("old.txt")), previous) << what;
        EXPECT_TRUE(QFileInfo(full).exists() && !QFileInfo(full).isFile()) << what;
    }
    EXPECT_TRUE(before == state_of(w));
}

// A message can carry a whole line of a broken file; the box shows its ends and opens at once.
TEST(WindowBadInput, LongMessagesAreShortenedForTheBox) {
    const QString huge =
        QStringLiteral("CGP File  [") + QString(10 << 20, u'x') + QStringLiteral("]  not found.");
    const QString shown = message_box_text(huge);
    EXPECT_LT(shown.size(), 2200);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("CGP File  [xxx")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("xxx]  not found.")));
    EXPECT_TRUE(shown.contains(QStringLiteral(" characters ...] ")));
    const QString normal = QStringLiteral("invalid data at line #12");
    EXPECT_EQ(message_box_text(normal), normal);
    EXPECT_EQ(message_box_text(QString(2100, u'y')), QString(2100, u'y'));

    const ResourceWatch watch;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Quomtel"), shown);
    box.show();
    QApplication::processEvents();
    box.hide();
    EXPECT_LT(watch.elapsed_ms(), 1000 * sanitizer_slowdown);
}

} // namespace
