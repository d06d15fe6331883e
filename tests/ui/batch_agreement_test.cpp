// The batch tool and the window, given the same session, write the same files and draw the
// same pictures.

#include "batch/batch_run.h"
#include "tests/ui/ui_fixture.h"
#include "ui/st_view.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

TEST(BatchAndWindow, SameSessionSameOutputs) {
    UiFixture ui;
    TFormMain& w = *ui.window;
    const QString result = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");
    w.open_file(result);
    TStressTensor st = stress_tensor_from_axes({36, 88}, {282, 1}, 0.4f);
    st.L = -1;
    st.id = -1;
    st.Le = -1;
    w.st_view->designated_ST = st;
    w.st_view->change_flag_ST_designated(true);
    w.fd_view->ActionDrawExecute(&w);
    ui.dialogs.next_path = ui.folder.path(QStringLiteral("window_misfit.txt"));
    w.ActionSaveDataMisfit->trigger();
    ui.dialogs.next_path = ui.folder.path(QStringLiteral("window_stress.txt"));
    w.ActionSaveDataStressTensor->trigger();
    ASSERT_TRUE(ui.messages.shown.isEmpty()) << ui.messages.shown.join(u'|').toStdString();

    QString out_text, err_text;
    QTextStream out(&out_text), err(&err_text);
    const int status = batch_main(
        {QStringLiteral("quomtel-batch"), QStringLiteral("--inversion-result"), result,
         QStringLiteral("--stress"), QStringLiteral("36/88,282/1,0.4"),
         QStringLiteral("--write-misfit"), ui.folder.path(QStringLiteral("batch_misfit.txt")),
         QStringLiteral("--write-stress-tensor"),
         ui.folder.path(QStringLiteral("batch_stress.txt")), QStringLiteral("--plot-fault-data"),
         ui.folder.path(QStringLiteral("fd.png")), QStringLiteral("--plot-stress"),
         ui.folder.path(QStringLiteral("st.png"))},
        out, err);
    ASSERT_EQ(status, batch_ok) << err_text.toStdString();

    EXPECT_EQ(ui.folder.read(QStringLiteral("batch_misfit.txt")),
              ui.folder.read(QStringLiteral("window_misfit.txt")));
    EXPECT_EQ(ui.folder.read(QStringLiteral("batch_stress.txt")),
              ui.folder.read(QStringLiteral("window_stress.txt")));
    const QImage fd(ui.folder.path(QStringLiteral("fd.png")));
    const QImage stress(ui.folder.path(QStringLiteral("st.png")));
    EXPECT_EQ(fd.convertToFormat(QImage::Format_RGB32), w.fd_view->bmpFD);
    EXPECT_EQ(stress.convertToFormat(QImage::Format_RGB32), w.st_view->bmpST);
}

} // namespace
