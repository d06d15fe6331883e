// "View > Plot Labels" and the Cancel of a long stress drawing, in the window.

#include "tests/ui/ui_fixture.h"
#include "ui/background_drawing.h"
#include "ui/compatibility.h"
#include "ui/picture_area.h"
#include "ui/st_view.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenuBar>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

const QString example_result = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");

// An inversion result of one datum and n states of equal fitness, with its CGP file.
QString write_result(const TempFolder& folder, int n) {
    QByteArray result = "1\r\nF 120 30 120 30 N\r\n" + QByteArray::number(n) + "\r\n" +
                        QByteArray::number(n) + "\r\nmany.cgp\r\n";
    QByteArray cgp = QByteArray::number(n) + "\r\n";
    for (int i = 1; i <= n; ++i) {
        result += QByteArray::number(i) + " 1\r\n";
        cgp += QByteArray::number(i % 360) + " 80 " + QByteArray::number((i + 180) % 360) + " 10 " +
               QByteArray::number(double(i % 11) / 10) + "\r\n";
    }
    folder.write(QStringLiteral("many.cgp"), cgp);
    return folder.write(QStringLiteral("many.tlv"), result);
}

// The three pictures as the session draws them now.
struct Pictures {
    QImage fd, st, mohr;
    bool operator==(const Pictures&) const = default;
};

Pictures drawn_by(TSession& session) {
    Pictures p{QImage(fd_plot_size, fd_plot_size, QImage::Format_RGB32),
               QImage(st_plot_width, st_plot_height, QImage::Format_RGB32),
               QImage(mohr_plot_size, mohr_plot_size, QImage::Format_RGB32)};
    QPainter fd(&p.fd), st(&p.st), mohr(&p.mohr);
    session.draw_FD(fd);
    session.draw_ST_states(st);
    session.draw_Mohr(mohr);
    return p;
}

Pictures shown_by(TFormMain& w) {
    return {w.fd_view->bmpFD, w.st_view->bmpST, w.compat_view->bmpMohr};
}

struct Window {
    explicit Window(UiFixture& ui, const QString& settings) {
        TMainOptions options;
        options.log_path = ui.folder.path(QStringLiteral("QMT.log"));
        options.settings_path = settings;
        options.messages = &ui.messages;
        options.dialogs = &ui.dialogs;
        w = std::make_unique<TFormMain>(options);
        w->show();
        QApplication::processEvents();
    }
    std::unique_ptr<TFormMain> w;
};

// On at first; switched, every picture is drawn again at once; the choice outlives the window,
// and a settings file that holds anything but false for it leaves the labels on.
TEST(PlotLabels, ViewMenuSwitchesRedrawsAndRemembers) {
    UiFixture ui;
    const QString settings = ui.folder.path(QStringLiteral("labels.ini"));
    Pictures with_labels;
    {
        Window window(ui, settings);
        TFormMain& w = *window.w;
        QMenu* view = w.menuBar()->actions().value(2)->menu();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->title(), QStringLiteral("&View"));
        EXPECT_EQ(view->actions(), QList<QAction*>{w.ActionPlotLabels});
        EXPECT_EQ(w.ActionPlotLabels->text(), QStringLiteral("Plot &Labels"));
        EXPECT_TRUE(w.ActionPlotLabels->isCheckable());
        EXPECT_TRUE(w.ActionPlotLabels->isChecked());
        w.open_file(example_result);
        ASSERT_TRUE(w.session().designate_fittest());
        with_labels = shown_by(w);
        EXPECT_EQ(with_labels, drawn_by(w.session()));

        w.ActionPlotLabels->trigger();
        EXPECT_FALSE(w.session().settings.plot_labels);
        const Pictures without = shown_by(w);
        EXPECT_EQ(without, drawn_by(w.session()));
        EXPECT_NE(without.fd, with_labels.fd);
        EXPECT_NE(without.st, with_labels.st);
        EXPECT_NE(without.mohr, with_labels.mohr);
        w.close();
    }
    {
        Window window(ui, settings);
        TFormMain& w = *window.w;
        EXPECT_FALSE(w.ActionPlotLabels->isChecked());
        EXPECT_FALSE(w.session().settings.plot_labels);
        w.open_file(example_result);
        ASSERT_TRUE(w.session().designate_fittest());
        w.ActionPlotLabels->trigger();
        EXPECT_EQ(shown_by(w), with_labels);
    }
    ui.folder.write(QStringLiteral("labels.ini"), "[View]\nplotLabels=maybe\n");
    Window window(ui, settings);
    EXPECT_TRUE(window.w->ActionPlotLabels->isChecked());
    EXPECT_TRUE(ui.messages.shown.isEmpty()) << ui.messages.shown.join(u'|').toStdString();
}

std::vector<std::pair<int, float>> ids_and_weights(const TSession& session) {
    std::vector<std::pair<int, float>> states;
    for (const TStressTensor& st : session.STSet)
        states.emplace_back(st.id, st.Le);
    return states;
}

struct CancelFixture : UiFixture {
    CancelFixture() {
        messages.answer = true; // "Continue?" before a long drawing
        window->open_file(write_result(folder, 20000));
        drawn = st().bmpST;
        states = ids_and_weights(session());
        // The next drawing, left whole, would differ.
        st().CheckBoxTadpoleTail->setChecked(false);
    }
    TFormST& st() { return *window->st_view; }

    // The drawing as it was, the states as they were, the view usable again.
    void expect_nothing_changed() {
        EXPECT_TRUE(st().bmpST == drawn);
        EXPECT_TRUE(st().ImageST->picture() == drawn);
        EXPECT_EQ(ids_and_weights(session()), states);
        EXPECT_TRUE(st().isEnabled());
        EXPECT_FALSE(st().ProgressBar->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }

    QImage drawn;
    std::vector<std::pair<int, float>> states;
};

TEST(StressDrawing, CancelledKeepsThePreviousPictureAndTheStates) {
    CancelFixture ui;
    ASSERT_TRUE(ui.session().ST_loaded);
    int told = 0;
    ui.st().stop_drawing_at = [&told](const TSharedDrawProgress& drawing) {
        ++told;
        return drawing.done() >= 100;
    };
    ui.st().ActionDrawExecute();
    EXPECT_GE(told, 100);
    EXPECT_LT(told, 20000);
    ui.expect_nothing_changed();

    // Not stopped, the same settings draw the picture the session draws.
    ui.st().stop_drawing_at = {};
    ui.st().ActionDrawExecute();
    EXPECT_FALSE(ui.st().bmpST == ui.drawn);
    EXPECT_TRUE(ui.st().bmpST == drawn_by(ui.session()).st);
}

// A drawing that goes on past half a second gets a modal box with Cancel; its button stops the
// drawing.
TEST(StressDrawing, CancelButtonAfterHalfASecond) {
    CancelFixture ui;
    // Held at its first state until the button asks it to stop, for 20 seconds at most.
    ui.st().stop_drawing_at = [](const TSharedDrawProgress& drawing) {
        for (int i = 0; i < 2000 && !drawing.stop_requested(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return false;
    };
    QElapsedTimer clock;
    qint64 shown_after = -1;
    QString label;
    bool others_blocked = false;
    // Timers run only once the box is there: no event runs before.
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown_after = clock.elapsed();
        label = box->labelText();
        others_blocked = box->isVisible() && box->windowModality() == Qt::ApplicationModal;
        for (QPushButton* button : box->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("Cancel"))
                button->click();
    });
    clock.start();
    ui.st().ActionDrawExecute();
    EXPECT_GE(shown_after, 500);
    EXPECT_EQ(label, QStringLiteral("Drawing the stress states..."));
    EXPECT_TRUE(others_blocked);
    ui.expect_nothing_changed();
}

} // namespace
