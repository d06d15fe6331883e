#include "plot/tadpole_stamps.h"

#include "plot/draw_operations.h"

#include <QImage>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TShape {
    bool head;
    int r;
    QPoint d;
};

const TShape shapes[] = {{true, 0, {}},        {true, 1, {}},         {true, 8, {}},
                         {true, 31, {}},       {false, 0, {0, 0}},    {false, 0, {60, 0}},
                         {false, 0, {0, -60}}, {false, 0, {-37, 41}}, {false, 0, {52, 11}},
                         {false, 0, {-3, -58}}};

const TTadpoleStamp* stamp_of(TStampCache& cache, const TShape& s, const QPen& pen,
                              const QBrush& brush) {
    return s.head ? cache.head(s.r, pen, brush) : cache.tail(s.d, pen);
}

void draw_shape(QPainter& p, const TShape& s, QPoint at) {
    if (s.head)
        draw_ellipse_box(p, at.x() - s.r, at.y() - s.r, at.x() + s.r, at.y() + s.r);
    else
        p.drawLine(at, at + s.d);
}

std::string name(const TShape& s, int width) {
    return (s.head ? "head " + std::to_string(s.r)
                   : "tail " + std::to_string(s.d.x()) + "," + std::to_string(s.d.y())) +
           ", pen " + std::to_string(width);
}

TEST(TadpoleStamps, CopiesGiveThePaintersPixels) {
    // Anchors inside the picture and across each of its edges.
    const QPoint anchors[] = {{60, 50}, {3, 40}, {118, 70}, {50, 2}, {70, 98}};
    for (const int width : {1, 3, 4})
        for (const bool filled : {true, false}) {
            const QPen pen = make_pen(0x123456, width);
            const QBrush brush = filled ? make_brush(0x654321) : QBrush(Qt::NoBrush);
            TStampCache cache;
            for (const TShape& s : shapes)
                for (const QPoint at : anchors) {
                    QImage painted(120, 100, QImage::Format_RGB32);
                    painted.fill(Qt::white);
                    QImage copied = painted.copy();
                    {
                        QPainter p(&painted);
                        give_pen_brush(p, pen, brush);
                        draw_shape(p, s, at);
                    }
                    QPainter p(&copied);
                    const auto image = TStampImage::of(p);
                    ASSERT_TRUE(image.has_value());
                    const TTadpoleStamp* stamp = stamp_of(cache, s, pen, brush);
                    ASSERT_NE(stamp, nullptr);
                    image->copy(stamp->brush, at, brush.color().rgb());
                    image->copy(stamp->pen, at, pen.color().rgb());
                    p.end();
                    EXPECT_TRUE(copied == painted) << name(s, width) << " at " << at.x() << ","
                                                   << at.y() << (filled ? "" : ", no brush");
                }
        }
}

// Whether the outline holds pixel (x, y) of the shape anchored at (0, 0): in its rows and in
// its group of rows.
bool holds_in_rows(const TStampOutline& o, int x, int y) {
    if (y < o.top() || y > o.bottom())
        return false;
    const TStampOutline::Extent e = o.row(y);
    return e.x0 <= x && x <= e.x1;
}

bool holds_in_groups(const TStampOutline& o, int x, int y) {
    const int g = y - o.group_top();
    if (g < 0 || g / 8 >= int(o.groups().size()))
        return false;
    const TStampOutline::Extent e = o.groups()[std::size_t(g / 8)];
    return e.x0 <= x && x <= e.x1;
}

TEST(TadpoleStamps, OutlinesHoldEveryPixelOfTheShapeMovedAndItsShadow) {
    // spread, shadow offset
    const std::pair<int, int> rows[] = {{0, 0}, {0, 3}, {4, 3}, {2, -5}, {9, 12}};
    const QPen pen = make_pen(0, 3);
    for (const auto& [spread, shadow] : rows) {
        TStampCache cache(spread, shadow);
        for (const TShape& s : shapes) {
            const TTadpoleStamp* stamp = stamp_of(cache, s, pen, make_brush(0));
            ASSERT_NE(stamp, nullptr);
            for (const auto* runs : {&stamp->pen, &stamp->brush})
                for (const TPixelRun& r : *runs)
                    for (int x = r.x0; x <= r.x1; ++x) {
                        const std::string at = name(s, 3) + ", spread " + std::to_string(spread) +
                                               ", shadow " + std::to_string(shadow);
                        EXPECT_TRUE(holds_in_rows(stamp->outline, x, r.dy)) << at;
                        for (const int o : {0, shadow})
                            EXPECT_TRUE(holds_in_groups(stamp->outline, x + o, r.dy + o)) << at;
                        // Every move within the spread, at the corners and halfway.
                        for (const int dx : {-spread, -spread / 2, 0, spread})
                            for (const int dy : {-spread, 0, spread / 2, spread}) {
                                EXPECT_TRUE(holds_in_rows(stamp->spread_outline, x + dx, r.dy + dy))
                                    << at;
                                for (const int o : {0, shadow})
                                    EXPECT_TRUE(holds_in_groups(stamp->spread_outline, x + dx + o,
                                                                r.dy + dy + o))
                                        << at;
                            }
                    }
        }
    }
}

TEST(TadpoleStamps, OnlyPlainRasterImagesTakeCopies) {
    QImage rgb32(20, 20, QImage::Format_RGB32), rgb16(20, 20, QImage::Format_RGB16);
    QImage hidpi(20, 20, QImage::Format_ARGB32_Premultiplied);
    hidpi.setDevicePixelRatio(2);
    QPainter a(&rgb32), b(&rgb16), c(&hidpi);
    EXPECT_TRUE(TStampImage::of(a).has_value());
    EXPECT_FALSE(TStampImage::of(b).has_value());
    EXPECT_FALSE(TStampImage::of(c).has_value());
    EXPECT_TRUE(TStampImage::plain_state(a));
    a.translate(1, 0);
    EXPECT_FALSE(TStampImage::plain_state(a));
}

} // namespace
