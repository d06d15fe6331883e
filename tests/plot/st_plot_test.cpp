#include "plot/st_plot.h"

#include "plot/fd_symbols.h"

#include <QImage>

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

namespace {

const QRgb white = qRgb(255, 255, 255);

QRgb rgb(TColorValue v) {
    return color_from_value(v).rgb();
}

// A stress state built the way the readers build it.
TStressTensor state(Tazpl s1, Tazpl s3, float sr, float Ln = 0) {
    TStressTensor st;
    st.ax = {s1, {}, s3};
    st.e_vec = {azpl_to_vector3(s1), {}, azpl_to_vector3(s3)};
    build_stress_tensor(st, sr);
    st.Ln = Ln;
    return st;
}

// Random perpendicular axes and ratios, weights 0 to 3.
std::vector<TStressTensor> random_states(int count) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> az(0, 360), pl(0, 90), u(0, 1);
    std::vector<TStressTensor> states;
    for (int i = 0; i < count; ++i) {
        const Tazpl s1{az(rng), pl(rng)};
        const Tmatrix33 m = plane_direction_matrix(pole_to_plane(s1));
        states.push_back(
            state(s1, vector3_to_azpl_lower(direction_in_plane(m, 180 * u(rng))), u(rng)));
        states.back().Le = 3 * u(rng);
    }
    return states;
}

TSTPlotStyles styles() {
    TSTPlotStyles s;
    setup_stress_plot_styles(s);
    return s;
}

QImage render(std::span<const TStressTensor> states, const TSTDrawSettings& settings,
              const TSTProgress& progress = {}, bool clipped = false) {
    QImage img(st_plot_width, st_plot_height, QImage::Format_RGB32);
    QPainter painter(&img);
    if (clipped) // keeps the painter off the stamped raster path
        painter.setClipRect(img.rect());
    draw_stress_states(painter, styles(), settings, states, 1, TPlottedNumbers{}, progress);
    return img;
}

TEST(PlottedNumbers, ThresholdWeightsAndCounts) {
    // ef, threshold, Le of Ln 0 / 0.25 / 0.75, symbols with Num, states with Siz
    const std::tuple<float, float, std::array<float, 3>, int, int> rows[] = {
        {0.8f, 0.6f, {0, 0.41667f, 1.25f}, 1, 1},
        {0, 0.25f, {0, 1, 3}, 4, 2},
        {0.2f, 0.25f, {0, 1, 3}, 4, 2}, // 0.15 would fall below the least positive fitness
        {1, 0.75f, {0, 0.33333f, 1}, 1, 1},
    };
    for (const auto& [ef, t, le, num, siz] : rows) {
        for (const TEmphasis emphasis : {TEmphasis::Num, TEmphasis::Siz}) {
            std::vector<TStressTensor> set;
            for (const float Ln : {0.0f, 0.25f, 0.75f})
                set.push_back(state({0, 90}, {0, 0}, 0.5f, Ln));
            const TPlottedNumbers n = update_plotted_numbers(set, ef, emphasis, 0.75f, 0.25f);
            EXPECT_FLOAT_EQ(n.min_Ln_show, t) << ef;
            EXPECT_FLOAT_EQ(n.max_Le, 0.75f / t) << ef;
            EXPECT_EQ(n.Nst_to_be_plotted, emphasis == TEmphasis::Num ? num : siz) << ef;
            for (std::size_t i = 0; i < 3; ++i)
                EXPECT_NEAR(set[i].Le, le[i], 1e-5) << ef << " record " << i;
        }
    }
}

TEST(StressPlot, RedrawRepeatsThePictureAndStampsMatchPlainPainting) {
    const std::vector<TStressTensor> states = random_states(400);
    for (const TEmphasis emphasis : {TEmphasis::Num, TEmphasis::Siz}) {
        const TSTDrawSettings settings{emphasis, 2, true, true};
        set_random_seed(77);
        const QImage first = render(states, settings);
        set_random_seed(12345);
        EXPECT_TRUE(render(states, settings) == first) << int(emphasis);
        EXPECT_TRUE(render(states, settings, {}, true) == first) << int(emphasis);
    }
}

TEST(StressPlot, HeadAndScaleColourInColourOrGrey) {
    // sigma1 vertical: its head covers the centre of the left net.
    const std::tuple<bool, float, QRgb> rows[] = {{false, 0, qRgb(0, 0, 0)},
                                                  {false, 1, white},
                                                  {false, 0.5f, qRgb(128, 128, 128)},
                                                  {true, 0, qRgb(0, 0, 235)},
                                                  {true, 1, qRgb(235, 0, 0)}};
    for (const auto& [color, sr, expected] : rows) {
        std::vector<TStressTensor> one{state({0, 90}, {0, 0}, sr)};
        one[0].Le = 2;
        const QImage img = render(one, {TEmphasis::Siz, 1, true, color});
        EXPECT_EQ(img.pixel(505, 505), expected) << color << " " << sr;
        EXPECT_EQ(img.pixel(1000, 940), rgb(color ? rainbow_color(0.5f) : gray_color(0.5f)));
    }
}

TEST(StressPlot, ProgressCountsLikeTheNumberToBePlotted) {
    std::vector<TStressTensor> set;
    for (const float Ln : {0.0f, 0.25f, 0.75f})
        set.push_back(state({10, 20}, {190, 70}, 0.2f, Ln));
    for (const auto& [emphasis, expected] : {std::pair{TEmphasis::Num, std::vector<int>{1, 4}},
                                             std::pair{TEmphasis::Siz, std::vector<int>{1, 2}}}) {
        const TPlottedNumbers n = update_plotted_numbers(set, 0, emphasis, 0.75f, 0.25f);
        std::vector<int> calls;
        render(set, {emphasis, 1, true, true}, [&calls](int drawn) { calls.push_back(drawn); });
        EXPECT_EQ(calls, expected);
        EXPECT_EQ(calls.back(), n.Nst_to_be_plotted);
    }
}

TEST(MouseAndRegions, NetAndRatio) {
    EXPECT_EQ(net_under_cursor({999, 500}), Tsigma1or3::sigma1);
    EXPECT_EQ(net_under_cursor({1000, 500}), Tsigma1or3::sigma3);
    EXPECT_FALSE(inside_net({950, 500}, styles().basecircle[0])); // on the circle is outside
    // x, ratio, arrow abscissa
    for (const auto& [x, ratio, arrow] :
         {std::tuple{700, 0.0f, 800}, std::tuple{900, 0.25f, 900}, std::tuple{1300, 1.0f, 1200}}) {
        EXPECT_FLOAT_EQ(stress_ratio_at(x).ratio, ratio) << x;
        EXPECT_EQ(stress_ratio_at(x).arrow_x, arrow) << x;
    }
    // Off the net the cursor snaps onto the primitive circle, horizontal.
    const TNetCursor off = cursor_on_net({1000, 500}, styles());
    EXPECT_EQ(off.net, Tsigma1or3::sigma3);
    EXPECT_EQ(off.point, QPoint(1050, 500));
    EXPECT_EQ(off.azpl.pl, 0);
}

TEST(Overlays, GirdleOfAHorizontalAxisRunsThroughTheCentre) {
    const auto g = girdle_points({0, 0}, styles().basecircle[1]);
    EXPECT_EQ(g[0], QPoint(1050, 500));
    EXPECT_EQ(g[90], QPoint(1500, 500));
    EXPECT_EQ(g[180], QPoint(1950, 500));
}

// Drawing a mark at a, then at b, leaves the picture as drawing it at b alone.
template <class Draw> void expect_second_draw_removes_the_first(Draw draw) {
    const QImage frame = render({}, {TEmphasis::Num, 1, true, true});
    QImage twice = frame, once = frame;
    TDesignationOverlays o1, o2;
    QPainter p(&twice);
    draw(p, o1, 0);
    EXPECT_FALSE(twice == frame);
    draw(p, o1, 1);
    EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_SourceOver);
    p.end();
    QPainter q(&once);
    draw(q, o2, 1);
    q.end();
    EXPECT_TRUE(twice == once);
    EXPECT_EQ(twice.pixel(0, 0), white); // the reset marks leave no dot in the corner
}

TEST(Overlays, EachMarkRemovesItsPredecessor) {
    const QPoint at[] = {{500, 500}, {620, 410}};
    expect_second_draw_removes_the_first(
        [&](QPainter& p, TDesignationOverlays& o, int i) { draw_cursor_circle(p, o, at[i]); });
    const Tazpl axes[] = {{30, 40}, {250, 10}};
    expect_second_draw_removes_the_first([&](QPainter& p, TDesignationOverlays& o, int i) {
        draw_girdle(p, o, axes[i], styles().basecircle[1]);
    });
    for (const bool color : {true, false})
        expect_second_draw_removes_the_first([&](QPainter& p, TDesignationOverlays& o, int i) {
            draw_ratio_arrow(p, o, 900 + 100 * i, 0.25f * float(i + 1), color);
        });
}

TEST(Overlays, OutlineCircleAndColouredArrow) {
    QImage img = render({}, {TEmphasis::Num, 1, true, true});
    TDesignationOverlays o;
    QPainter p(&img);
    draw_cursor_circle(p, o, {500, 500});
    EXPECT_EQ(o.designate_circle, (TCircleBox{470, 470, 530, 530}));
    EXPECT_EQ(img.pixel(530, 500), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(500, 500), white); // not filled
    draw_ratio_arrow(p, o, 900, 0.25f, true);
    EXPECT_EQ(o.pen_color, rainbow_color(0.25f));
    EXPECT_EQ(img.pixel(900, 880), rgb(rainbow_color(0.25f)));
    EXPECT_EQ(img.pixel(912, 902), rgb(rainbow_color(0.25f))); // a barb of the head
}

} // namespace
