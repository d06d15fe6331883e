#include "plot/st_symbols.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QTextItem>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>
#include <vector>

namespace {

// Records ellipses, lines and texts with the pen colour of the moment.
struct Op {
    enum Kind { Line, Ellipse, Text } kind;
    QRgb pen = 0;
    QRectF box;
    QLineF line;
    QString text;
};

class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& s) override {
        if (s.state() & QPaintEngine::DirtyPen)
            pen_ = s.pen().color().rgb();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    using QPaintEngine::drawEllipse;
    void drawEllipse(const QRectF& r) override { ops.push_back({Op::Ellipse, pen_, r, {}, {}}); }
    using QPaintEngine::drawLines;
    void drawLines(const QLine* lines, int n) override {
        for (int i = 0; i < n; ++i)
            ops.push_back({Op::Line, pen_, {}, QLineF(lines[i]), {}});
    }
    void drawTextItem(const QPointF&, const QTextItem& item) override {
        ops.push_back({Op::Text, pen_, {}, {}, item.text()});
    }
    std::vector<Op> ops;

private:
    QRgb pen_ = 0;
};

class RecordingDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    std::vector<Op> of(Op::Kind kind, QRgb pen) const {
        std::vector<Op> out;
        for (const Op& op : engine.ops)
            if (op.kind == kind && op.pen == pen)
                out.push_back(op);
        return out;
    }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override {
        if (m == PdmDevicePixelRatio)
            return 1;
        if (m == PdmDevicePixelRatioScaled)
            return int(devicePixelRatioFScale());
        if (m == PdmWidth || m == PdmHeight)
            return 2000;
        return m == PdmDepth ? 32 : 96; // dots per inch otherwise
    }
};

const QRgb grey = qRgb(128, 128, 128);

TBaseCircle net(QPoint centre = {500, 500}, int radius = 450) {
    TBaseCircle c;
    c.C = centre;
    c.R = radius;
    return c;
}

TStressSymbolSpec tadpole_style() {
    TStressSymbolSpec s;
    s.tp_pen = make_pen(8421504, 3);
    s.tp_brs = make_brush(8421504);
    s.head_size = 8;
    s.tail_size = 60;
    s.sh_pen = make_pen(black_value, 3);
    s.sh_brs = make_brush(black_value);
    s.sh_offset = 3;
    return s;
}

TEST(RandomGenerator, SequenceFromSeedZeroAndWrap) {
    set_random_seed(0);
    for (const double v : {2.3283064365386963e-10, 0.031379939522594213, 0.8610484672244638})
        EXPECT_DOUBLE_EQ(random_value(), v);
    set_random_seed(0xFFFFFFFFu);
    EXPECT_DOUBLE_EQ(random_value(), 4160191484.0 / 4294967296.0);
}

TEST(RandomGenerator, StepsForwardAndBackAsManyValuesAtOnce) {
    // Drawing backwards from the end of a picture relies on these agreeing with random_value.
    const std::int64_t steps[] = {1, 2, 7, 1000, 123457};
    for (const std::uint32_t start : {0u, 1u, 0x80000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(random_seed_advanced(start, 0), start);
        for (const std::int64_t n : steps) {
            set_random_seed(start);
            double last = 0;
            for (std::int64_t i = 0; i < n; ++i)
                last = random_value();
            const std::uint32_t after = random_seed();
            EXPECT_EQ(random_value_of(after), last);
            EXPECT_EQ(random_seed_advanced(start, n), after) << start << " + " << n;
            EXPECT_EQ(random_seed_advanced(after, -n), start) << start << " + " << n;
            EXPECT_EQ(random_seed_before(after), random_seed_advanced(start, n - 1));
        }
    }
    // The period is 2^32: a whole turn comes back to the start.
    EXPECT_EQ(random_seed_advanced(12345u, std::int64_t(1) << 32), 12345u);
    EXPECT_EQ(random_seed_advanced(12345u, -(std::int64_t(1) << 33) - 3),
              random_seed_advanced(12345u, -3));
}

TEST(Tadpole, TailsOfDownwardAxesStayWithinTheirSize) {
    // Plunges from 0 to 90 project within the net of radius tail_size; the raster drawing
    // bounds tails by this without projecting them.
    for (const int size : {1, 60, 999}) {
        TStressSymbolSpec symb = tadpole_style();
        symb.tail_size = size;
        for (float az = 0; az < 360; az += 7.5f)
            for (const float pl : {0.0f, 1e-6f, 0.5f, 10.0f, 45.0f, 89.99f, 90.0f}) {
                const QPoint d = tadpole_tail_offset(symb, {az, pl});
                EXPECT_LE(std::max(std::abs(d.x()), std::abs(d.y())), size + 1)
                    << size << " " << az << " " << pl;
            }
    }
}

TEST(Tadpole, HeadsMovedOffTheNetComeBackWithinIt) {
    // Outside by a pixel up to far away, in every direction: back within R + 1 either way, which
    // bounds the pixels a net's tadpoles can reach.
    for (const int R : {1, 90, 450, 4000}) {
        const TBaseCircle c = net({500, 400}, R);
        for (double a = 0; a < 360; a += 2.5)
            for (const double out : {1.0, 2.0, 30.0, 0.5 * R, 2.0 * R, 1e5}) {
                const double t = a * deg_to_rad;
                const QPoint p(500 + nearest((R + out) * std::cos(t)),
                               400 + nearest((R + out) * std::sin(t)));
                if (on_net(p, c))
                    continue;
                const QPoint back = head_back_on_net(p, c);
                EXPECT_LE(std::abs(back.x() - 500), R + 1) << R << " " << a << " " << out;
                EXPECT_LE(std::abs(back.y() - 400), R + 1) << R << " " << a << " " << out;
            }
    }
}

TEST(ColorMaps, RainbowAndGrey) {
    const auto rgb = [](int r, int g, int b) { return TColorValue(r + 256 * g + 65536 * b); };
    const std::tuple<float, TColorValue, TColorValue> rows[] = {
        {-0.5f, rgb(0, 0, 235), 0}, // below the range as 0
        {0, rgb(0, 0, 235), 0},
        {0.3f, rgb(0, 235, 235), rgb(77, 77, 77)},
        {0.5f, rgb(0, 235, 0), rgb(128, 128, 128)}, // 127.5 to the even neighbour
        {0.7f, rgb(235, 235, 0), rgb(178, 178, 178)},
        {1, rgb(235, 0, 0), white_value},
        {1.5f, rgb(235, 0, 0), white_value}, // above the range as 1
    };
    for (const auto& [x, rainbow, gray] : rows) {
        EXPECT_EQ(rainbow_color(x), rainbow) << x;
        EXPECT_EQ(gray_color(x), gray) << x;
    }
}

TEST(Tadpole, CopiesAndHeadSizeFollowTheWeight) {
    // Num truncates the weight to copies; Siz sizes one head, at most a fifth of R.
    const std::tuple<TEmphasis, float, std::size_t, int> rows[] = {{TEmphasis::Num, 0.9f, 0, 0},
                                                                   {TEmphasis::Num, 3.7f, 3, 8},
                                                                   {TEmphasis::Siz, 3.7f, 1, 30},
                                                                   {TEmphasis::Siz, 20, 1, 90}};
    for (const auto& [emphasis, weight, copies, radius] : rows) {
        RecordingDevice device;
        QPainter painter(&device);
        draw_tadpole(painter, net(), {30, 40}, true, emphasis, tadpole_style(), 1, weight,
                     {200, 10});
        const std::vector<Op> heads = device.of(Op::Ellipse, grey);
        ASSERT_EQ(heads.size(), copies) << weight;
        EXPECT_EQ(device.engine.ops.size(), 4 * copies); // shadow line and head, line and head
        for (const Op& head : heads)
            EXPECT_EQ(head.box.width(), 2 * radius) << weight;
    }
}

TEST(Tadpole, ScatterOffTheNetReappearsOppositeWithTheSameTail) {
    // Head on the east point, scatter of up to 75 pixels: many copies leave the net.
    RecordingDevice device;
    QPainter painter(&device);
    draw_tadpole(painter, net(), {90, 0}, true, TEmphasis::Num, tadpole_style(), 5, 60, {0, 0});
    const std::vector<Op> heads = device.of(Op::Ellipse, grey);
    const std::vector<Op> tails = device.of(Op::Line, grey);
    int wrapped = 0;
    for (std::size_t i = 0; i < heads.size(); ++i) {
        const QPointF h = heads[i].box.center();
        EXPECT_LE(std::hypot(h.x() - 500, h.y() - 500), 450.5) << i;
        wrapped += h.x() < 500;
        EXPECT_TRUE(h.x() < 150 || h.x() >= 875) << i; // near the west or the east point
        EXPECT_EQ(tails[i].line.p1(), h);
        EXPECT_EQ(tails[i].line.p2() - h, QPointF(0, -60)) << i; // north, full length
    }
    EXPECT_GT(wrapped, 10);
    EXPECT_LT(wrapped, 50);
}

TEST(Legends, PlungeLegendRow) {
    RecordingDevice device;
    QPainter painter(&device);
    draw_plunge_legend(painter, net(), 2000, 1000, 0.4f, 0.6f, 0.04f, tadpole_style());
    const std::vector<Op> heads = device.of(Op::Ellipse, grey);
    const std::vector<Op> tails = device.of(Op::Line, grey);
    ASSERT_EQ(heads.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(heads[i].box.center(), QPointF(836 + 36 * int(i), 40)) << i;
    // Down the page, from full length at plunge 0 to none at plunge 90.
    EXPECT_EQ(tails.front().line.p2(), QPointF(836, 100));
    EXPECT_EQ(tails.back().line.p2(), QPointF(1160, 40));
}

TEST(Legends, SizeLegendLabelsAndHeads) {
    RecordingDevice device;
    QPainter painter(&device);
    draw_size_legend(painter, net(), 2000, 1000, 0.4f, 0.6f, 0.1f, 0.4f, tadpole_style(), 5,
                     0.0123f, 20, 1);
    const std::vector<Op> texts = device.of(Op::Text, qRgb(0, 0, 0));
    const std::vector<Op> heads = device.of(Op::Ellipse, grey);
    ASSERT_EQ(texts.size(), 4u);
    ASSERT_EQ(heads.size(), 4u);
    const char* labels[] = {"5.0E0", "3.3E0", "1.7E0", "1.2E-2"};
    const int radii[] = {90, 90, 59, 8};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(texts[i].text, QString::fromLatin1(labels[i]));
        EXPECT_EQ(heads[i].box,
                  QRectF(940 - radii[i], 160 + 60 * int(i) - radii[i], 2 * radii[i], 2 * radii[i]));
    }
}

TEST(TadpolePainter, CopiesExactlyWhatDirectDrawingPaints) {
    // Nets partly off the image, so that shapes are clipped at its edges too.
    const TBaseCircle nets[] = {net({300, 250}, 200), net({20, 30}, 150)};
    const auto paint = [&](QImage::Format format, bool stamped) {
        QImage img(600, 500, format);
        img.fill(Qt::white);
        QPainter painter(&img);
        TTadpolePainter tadpoles(painter);
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> az(0, 360), pl(-5, 90), u(0, 1);
        TStressSymbolSpec symb = tadpole_style();
        set_random_seed(0);
        for (int i = 0; i < 600; ++i) {
            const QColor c = color_from_value(rainbow_color(u(rng)));
            symb.tp_pen.setColor(c);
            symb.tp_brs.setColor(i % 7 == 0 ? Qt::white : c);
            const auto emphasis = i % 3 == 0 ? TEmphasis::Siz : TEmphasis::Num;
            const Tazpl head{az(rng), pl(rng)}, tail{az(rng), pl(rng)};
            const float weight = 1 + 3 * u(rng);
            if (stamped)
                tadpoles.draw(nets[i % 2], head, i % 5 != 0, emphasis, symb, 2, weight, tail);
            else
                draw_tadpole(painter, nets[i % 2], head, i % 5 != 0, emphasis, symb, 2, weight,
                             tail);
        }
        return img;
    };
    for (const auto format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        const QImage stamped = paint(format, true);
        EXPECT_TRUE(stamped == paint(format, false)) << format;
        EXPECT_NE(stamped.pixel(300, 250), qRgb(255, 255, 255));
    }
}

} // namespace
