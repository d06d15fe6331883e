// The batch tool and the window, given the same session, write the same files and draw the
// same pictures, over every combination of the settings that change what is drawn.

#include "batch/batch_run.h"
#include "tests/ui/ui_fixture.h"
#include "ui/compatibility.h"
#include "ui/st_view.h"

#include <QImage>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

const QString result_path = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");
const QString data_path = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.efd");

enum class Source { FaultData, ResultBest, ResultTyped };

struct Case {
    TProjection projection;
    TPlotMethod method;
    TMifitMeasure measure;
    TEmphasis emphasis;
    Source source;
    bool labels = false; // the pictures as they were before labels, but for a few cases

    std::string name() const {
        return std::string(projection == TProjection::EArea ? "area" : "angle") +
               (method == TPlotMethod::GCA ? " gca" : " tld") +
               (measure == TMifitMeasure::SlipDir ? " slip" : " fry") +
               (emphasis == TEmphasis::Siz ? " size" : " number") +
               (source == Source::FaultData    ? " data"
                : source == Source::ResultBest ? " best"
                                               : " typed") +
               (labels ? " labels" : "");
    }

    QStringList batch_arguments() const {
        QStringList args = {QStringLiteral("quomtel-batch")};
        if (source == Source::FaultData)
            args << QStringLiteral("--fault-data") << data_path;
        else
            args << QStringLiteral("--inversion-result") << result_path
                 << QStringLiteral("--stress")
                 << (source == Source::ResultBest ? QStringLiteral("best")
                                                  : QStringLiteral("36/88,282/1,0.4"));
        args << QStringLiteral("--projection")
             << (projection == TProjection::EArea ? QStringLiteral("equal-area")
                                                  : QStringLiteral("equal-angle"))
             << QStringLiteral("--plot-method")
             << (method == TPlotMethod::GCA ? QStringLiteral("great-circle")
                                            : QStringLiteral("tangent-lineation"))
             << QStringLiteral("--measure")
             << (measure == TMifitMeasure::SlipDir ? QStringLiteral("slip") : QStringLiteral("fry"))
             << QStringLiteral("--emphasis")
             << (emphasis == TEmphasis::Siz ? QStringLiteral("size") : QStringLiteral("number"));
        if (!labels) // on by default
            args << QStringLiteral("--labels") << QStringLiteral("off");
        return args;
    }
};

// What the user does in the window for a case: the settings first, then open and designate.
void run_window(UiFixture& ui, const Case& c) {
    TFormMain& w = *ui.window;
    if (w.ActionPlotLabels->isChecked() != c.labels)
        w.ActionPlotLabels->trigger();
    w.fd_view->projection_items[c.projection == TProjection::EAngle ? 0 : 1]->click();
    w.fd_view->plot_method_items[c.method == TPlotMethod::GCA ? 0 : 1]->click();
    w.compat_view->measure_items[c.measure == TMifitMeasure::SlipDir ? 0 : 1]->click();
    w.st_view->emphasis_items[c.emphasis == TEmphasis::Num ? 0 : 1]->click();
    TSession& session = ui.session();
    switch (c.source) {
    case Source::FaultData:
        w.open_file(data_path);
        break;
    case Source::ResultBest:
        w.open_file(result_path);
        session.designate(*session.fittest_state()); // where the three clicks would end
        break;
    case Source::ResultTyped:
        w.open_file(result_path);
        session.designate(make_azpl(36, 88), make_azpl(282, 1), 0.4f);
        break;
    }
}

// The window's bitmaps as the batch tool's pictures are saved.
QImage png(const TempFolder& folder, const char* name) {
    return QImage(folder.path(QString::fromLatin1(name))).convertToFormat(QImage::Format_RGB32);
}

TEST(BatchAndWindow, SameSessionSameOutputs) {
    std::vector<Case> cases;
    for (TProjection projection : {TProjection::EArea, TProjection::EAngle})
        for (TPlotMethod method : {TPlotMethod::TLD, TPlotMethod::GCA})
            for (TMifitMeasure measure : {TMifitMeasure::SlipDir, TMifitMeasure::DistFry})
                for (TEmphasis emphasis : {TEmphasis::Siz, TEmphasis::Num})
                    for (Source source :
                         {Source::FaultData, Source::ResultBest, Source::ResultTyped})
                        cases.push_back({projection, method, measure, emphasis, source});
    cases.push_back({TProjection::EArea, TPlotMethod::GCA, TMifitMeasure::DistFry, TEmphasis::Num,
                     Source::ResultBest, true});
    cases.push_back({TProjection::EAngle, TPlotMethod::TLD, TMifitMeasure::SlipDir, TEmphasis::Siz,
                     Source::FaultData, true});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name());
        UiFixture ui;
        ui.messages.answer = true; // "Continue?" before a long drawing
        run_window(ui, c);
        TFormMain& w = *ui.window;
        const bool designated = c.source != Source::FaultData;
        const QStringList texts = {QStringLiteral("misfit.txt"), QStringLiteral("theoretical.efd"),
                                   QStringLiteral("stress.txt")};
        const auto save = [&](QAction* action, const QString& name) {
            ui.dialogs.next_path = ui.folder.path(QStringLiteral("window_") + name);
            action->trigger();
        };
        if (designated) {
            save(w.ActionSaveDataMisfit, texts[0]);
            save(w.ActionSaveDataTheoretical, texts[1]);
            save(w.ActionSaveDataStressTensor, texts[2]);
        }
        save(w.ActionSaveGraphST, QStringLiteral("st.png"));
        ASSERT_TRUE(ui.messages.shown.isEmpty()) << ui.messages.shown.join(u'|').toStdString();

        QStringList args = c.batch_arguments();
        if (designated)
            args << QStringLiteral("--write-misfit") << ui.folder.path(texts[0])
                 << QStringLiteral("--write-theoretical") << ui.folder.path(texts[1])
                 << QStringLiteral("--write-stress-tensor") << ui.folder.path(texts[2]);
        args << QStringLiteral("--plot-fault-data") << ui.folder.path(QStringLiteral("fd.png"))
             << QStringLiteral("--plot-stress") << ui.folder.path(QStringLiteral("st.png"))
             << QStringLiteral("--plot-mohr") << ui.folder.path(QStringLiteral("mohr.png"))
             << QStringLiteral("--plot-histogram")
             << ui.folder.path(QStringLiteral("histogram.png"));
        QString out_text, err_text;
        QTextStream out(&out_text), err(&err_text);
        ASSERT_EQ(batch_main(args, out, err), batch_ok) << err_text.toStdString();

        if (designated) {
            for (const QString& name : texts)
                EXPECT_EQ(ui.folder.read(name), ui.folder.read(QStringLiteral("window_") + name))
                    << name.toStdString();
        }
        EXPECT_EQ(png(ui.folder, "fd.png"), w.fd_view->bmpFD);
        EXPECT_EQ(png(ui.folder, "mohr.png"), w.compat_view->bmpMohr);
        EXPECT_EQ(png(ui.folder, "st.png"), png(ui.folder, "window_st.png"));
        if (designated) { // else the screen keeps the frame it was first drawn with
            EXPECT_EQ(png(ui.folder, "st.png"), w.st_view->bmpST);
        }
        QImage histogram(batch_histogram_size, QImage::Format_RGB32);
        histogram.fill(Qt::white);
        {
            QPainter canvas(&histogram);
            ui.session().draw_histogram(canvas, histogram.rect());
        }
        EXPECT_EQ(png(ui.folder, "histogram.png"), histogram);
    }
}

} // namespace
