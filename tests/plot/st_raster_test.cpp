#include "plot/st_raster.h"

#include "plot/fd_symbols.h"

#include <QCryptographicHash>
#include <QImage>
#include <QPicture>

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

TStressTensor state(Tazpl s1, Tazpl s3, float sr, float Le) {
    TStressTensor st;
    st.ax = {s1, {}, s3};
    st.e_vec = {azpl_to_vector3(s1), {}, azpl_to_vector3(s3)};
    build_stress_tensor(st, sr);
    st.Le = Le;
    return st;
}

// Perpendicular axes, a third of the sigma1 axes shallow so that heads sit on the primitive
// circle and the scatter takes copies off the net; weights from 0 (not shown) to max_weight.
std::vector<TStressTensor> scene(int count, unsigned seed, float max_weight) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> az(0, 360), pl(0, 90), u(0, 1);
    std::vector<TStressTensor> states;
    for (int i = 0; i < count; ++i) {
        const Tazpl s1{az(rng), i % 3 == 0 ? 4 * u(rng) : pl(rng)};
        const Tmatrix33 m = plane_direction_matrix(pole_to_plane(s1));
        const Tazpl s3 = vector3_to_azpl_lower(direction_in_plane(m, 180 * u(rng)));
        states.push_back(state(s1, s3, u(rng), max_weight * u(rng)));
    }
    return states;
}

TSTPlotStyles plot_styles() {
    TSTPlotStyles s;
    setup_stress_plot_styles(s);
    return s;
}

// Small nets that overlap each other and run off the top of the picture: a few states cover
// them many times over, and tadpoles of both nets meet.
TSTPlotStyles crowded_styles() {
    TSTPlotStyles s = plot_styles();
    s.basecircle[0].C = QPoint(110, 60);
    s.basecircle[0].R = 110;
    s.basecircle[1].C = QPoint(260, 90);
    s.basecircle[1].R = 90;
    return s;
}

// What a drawing of the states leaves behind.
struct TDrawn {
    QImage image;
    std::vector<int> progress;
    std::uint32_t seed = 0;
    bool whole = true; // not stopped
};

// The frame, then the tadpoles either copied back to front or drawn one by one; a clip the size
// of the picture changes no pixel but keeps every tadpole on QPainter. threads -1: as
// draw_stress_states chooses on a plain image. told, if given, hears each progress call.
TDrawn draw(std::span<const TStressTensor> states, const TSTPlotStyles& styles,
            const TSTDrawSettings& settings, int threads, std::stop_token stop = {},
            const std::function<void(int)>& told = {}) {
    TDrawn d{QImage(st_plot_width, st_plot_height, QImage::Format_RGB32), {}, 0};
    QPainter painter(&d.image);
    const TSTProgress progress = [&d, &told](int drawn) {
        d.progress.push_back(drawn);
        if (told)
            told(drawn);
    };
    if (threads <= 0) {
        if (threads == 0)
            painter.setClipRect(d.image.rect());
        d.whole = draw_stress_states(painter, styles, settings, states, 1, TPlottedNumbers{},
                                     progress, stop);
    } else {
        draw_stress_plot_frame(painter, styles, settings, 1, TPlottedNumbers{});
        set_random_seed(0);
        EXPECT_TRUE(
            draw_tadpoles_on_raster(painter, styles, settings, states, progress, threads, stop));
        d.whole = !stop.stop_requested();
    }
    d.seed = random_seed();
    return d;
}

std::string first_difference(const QImage& a, const QImage& b) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return std::to_string(x) + "," + std::to_string(y);
    return "none";
}

// A stop asked for ends each route early; a stop that could come but does not changes nothing.
TEST(StressPlotRaster, StopEndsTheDrawingEarlyAndOtherwiseChangesNothing) {
    const std::vector<TStressTensor> states = scene(600, 41, 6);
    const TSTDrawSettings settings{TEmphasis::Num, 1, true, true};
    for (const int threads : {0, -1, 1, 2}) { // one by one, as chosen, copied on 1 or 2 threads
        SCOPED_TRACE(threads);
        const TDrawn whole = draw(states, plot_styles(), settings, threads);
        std::stop_source never;
        const TDrawn unstopped = draw(states, plot_styles(), settings, threads, never.get_token());
        EXPECT_TRUE(unstopped.whole);
        EXPECT_TRUE(unstopped.image == whole.image)
            << first_difference(unstopped.image, whole.image);
        EXPECT_EQ(unstopped.progress, whole.progress);
        std::stop_source source;
        const TDrawn stopped =
            draw(states, plot_styles(), settings, threads, source.get_token(), [&](int drawn) {
                if (drawn >= 40)
                    source.request_stop();
            });
        EXPECT_FALSE(stopped.whole);
        EXPECT_LT(stopped.progress.size(), whole.progress.size() / 2);
        EXPECT_FALSE(stopped.image == whole.image);
    }
}

TEST(StressPlotRaster, CopiesBackToFrontWhatDrawingEachTadpoleGives) {
    const std::vector<TStressTensor> light = scene(900, 31, 5);
    const std::vector<TStressTensor> heavy = scene(400, 32, 16);
    struct Row {
        const char* name;
        const std::vector<TStressTensor>& states;
        TSTPlotStyles styles;
        TSTDrawSettings settings;
    };
    const Row rows[] = {
        {"number", light, plot_styles(), {TEmphasis::Num, 1, true, true}},
        {"number, wide scatter, grey", light, plot_styles(), {TEmphasis::Num, 4, true, false}},
        {"number, no scatter, no tail", light, plot_styles(), {TEmphasis::Num, 0, false, true}},
        {"size", heavy, plot_styles(), {TEmphasis::Siz, 1, true, true}},
        {"size, no tail, grey", heavy, plot_styles(), {TEmphasis::Siz, 1, false, false}},
        {"crowded number", light, crowded_styles(), {TEmphasis::Num, 2, true, true}},
        {"crowded size", heavy, crowded_styles(), {TEmphasis::Siz, 1, true, false}},
    };
    for (const Row& row : rows) {
        const TDrawn each = draw(row.states, row.styles, row.settings, 0);
        for (const int threads : {1, 2}) {
            const TDrawn copied = draw(row.states, row.styles, row.settings, threads);
            EXPECT_TRUE(copied.image == each.image)
                << row.name << ", threads " << threads << ", first difference at "
                << first_difference(copied.image, each.image);
            EXPECT_EQ(copied.progress, each.progress) << row.name;
            EXPECT_EQ(copied.seed, each.seed) << row.name;
        }
    }
}

TEST(StressPlotRaster, DesignationMarksOverTheCopiedPicture) {
    const std::vector<TStressTensor> states = scene(600, 33, 5);
    const TSTPlotStyles styles = plot_styles();
    const TSTDrawSettings settings{TEmphasis::Num, 1, true, true};
    TDrawn each = draw(states, styles, settings, 0), copied = draw(states, styles, settings, 2);
    for (QImage* image : {&each.image, &copied.image}) {
        TDesignationOverlays marks;
        QPainter painter(image);
        draw_cursor_circle(painter, marks, {430, 520});
        draw_girdle(painter, marks, {120, 30}, styles.basecircle[1]);
        draw_ratio_arrow(painter, marks, 950, 0.4f, true);
    }
    EXPECT_TRUE(copied.image == each.image) << first_difference(copied.image, each.image);
}

QByteArray digest(const QImage& img) {
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (int y = 0; y < img.height(); ++y)
        h.addData(QByteArrayView(img.constScanLine(y), img.width() * 4));
    return h.result().toHex();
}

TEST(StressPlotRaster, PicturesAsRecordedBeforeTheCopying) {
    // Digests of draw_stress_states' pictures when every tadpole was still painted in turn.
    struct Row {
        std::vector<TStressTensor> states;
        TSTDrawSettings settings;
        const char* digest;
    };
    const Row rows[] = {
        {scene(3000, 21, 6),
         {TEmphasis::Num, 3, true, true},
         "43def2b29865f5722f10c45cc760a6443b69fe2f"},
        {scene(1500, 22, 14),
         {TEmphasis::Siz, 1, true, false},
         "1852245c5bfd41b1f618d0c5d66cd03f04b146be"},
    };
    for (const Row& row : rows) {
        QImage img(st_plot_width, st_plot_height, QImage::Format_RGB32);
        QPainter painter(&img);
        draw_stress_states(painter, plot_styles(), row.settings, row.states, 1, TPlottedNumbers{});
        painter.end();
        EXPECT_EQ(digest(img), QByteArray(row.digest)) << int(row.settings.emphasis);
    }
}

TEST(StressPlotRaster, LeavesToThePainterWhatItCannotCopyExactly) {
    const std::vector<TStressTensor> states = scene(40, 34, 4);
    std::vector<TStressTensor> upward = states;
    upward[7].ax[2].pl = -89; // a tail far longer than any stamp
    upward[7].Le = 3;
    std::vector<TStressTensor> nowhere = states;
    nowhere[5].ax[0].az = std::numeric_limits<float>::quiet_NaN();
    nowhere[5].Le = 2;
    struct Row {
        const char* name;
        QImage::Format format;
        std::function<void(QPainter&, TSTPlotStyles&)> change;
        const std::vector<TStressTensor>& states;
    };
    const Row rows[] = {
        {"clipped", QImage::Format_RGB32,
         [](QPainter& p, TSTPlotStyles&) { p.setClipRect(0, 0, 800, 600); }, states},
        {"antialiased", QImage::Format_RGB32,
         [](QPainter& p, TSTPlotStyles&) { p.setRenderHint(QPainter::Antialiasing); }, states},
        {"scaled", QImage::Format_RGB32, [](QPainter& p, TSTPlotStyles&) { p.scale(0.5, 0.5); },
         states},
        {"half opaque", QImage::Format_RGB32,
         [](QPainter& p, TSTPlotStyles&) { p.setOpacity(0.5); }, states},
        {"multiplied", QImage::Format_RGB32,
         [](QPainter& p, TSTPlotStyles&) {
             p.setCompositionMode(QPainter::CompositionMode_Multiply);
         },
         states},
        {"16-bit pixels", QImage::Format_RGB16, [](QPainter&, TSTPlotStyles&) {}, states},
        {"translucent shadow", QImage::Format_RGB32,
         [](QPainter&, TSTPlotStyles& s) { s.symbST.sh_brs.setColor(QColor(0, 0, 0, 128)); },
         states},
        {"dashed outline", QImage::Format_RGB32,
         [](QPainter&, TSTPlotStyles& s) { s.symbST.tp_pen.setStyle(Qt::DashLine); }, states},
        {"huge heads", QImage::Format_RGB32,
         [](QPainter&, TSTPlotStyles& s) { s.symbST.head_size = 5000; }, states},
        {"upward tail", QImage::Format_RGB32, [](QPainter&, TSTPlotStyles&) {}, upward},
        {"tail without azimuth", QImage::Format_RGB32, [](QPainter&, TSTPlotStyles&) {}, nowhere},
    };
    for (const Row& row : rows) {
        QImage img(st_plot_width, st_plot_height, row.format);
        img.fill(Qt::white);
        const QImage before = img;
        TSTPlotStyles styles = plot_styles();
        QPainter painter(&img);
        row.change(painter, styles);
        std::vector<int> calls;
        set_random_seed(5);
        EXPECT_FALSE(draw_tadpoles_on_raster(painter, styles, {TEmphasis::Num, 1, true, true},
                                             row.states,
                                             [&calls](int drawn) { calls.push_back(drawn); }))
            << row.name;
        painter.end();
        EXPECT_TRUE(img == before) << row.name;
        EXPECT_TRUE(calls.empty()) << row.name;
        EXPECT_EQ(random_seed(), 5u) << row.name;
    }
    // Nor on a recorder of vector commands.
    QPicture recording;
    QPainter painter(&recording);
    EXPECT_FALSE(
        draw_tadpoles_on_raster(painter, plot_styles(), {TEmphasis::Siz, 1, true, true}, states));
}

TEST(StressPlotRaster, AnUpwardTailIsStillDrawnAsBefore) {
    // Such a picture keeps to the tadpoles copied in turn, with the long tail painted.
    std::vector<TStressTensor> states = scene(300, 35, 4);
    states[11].ax[2] = {200, -60};
    states[11].Le = 3;
    const TSTDrawSettings settings{TEmphasis::Num, 1, true, true};
    const TSTPlotStyles styles = plot_styles();
    QImage img(st_plot_width, st_plot_height, QImage::Format_RGB32);
    QPainter painter(&img);
    draw_stress_states(painter, styles, settings, states, 1, TPlottedNumbers{});
    painter.end();
    EXPECT_TRUE(img == draw(states, styles, settings, 0).image)
        << first_difference(img, draw(states, styles, settings, 0).image);
}

} // namespace
