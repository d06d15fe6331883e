#include "plot/raster_cover.h"

#include "plot/draw_operations.h"
#include "plot/fd_symbols.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QPicture>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace {

QImage white_image(int w, int h, QImage::Format format = QImage::Format_RGB32) {
    QImage img(w, h, format);
    img.fill(Qt::white);
    return img;
}

TEST(RasterCover, AppliesToPlainRasterPaintersOnly) {
    QImage img = white_image(50, 40);
    const std::pair<const char*, std::function<void(QPainter&)>> rows[] = {
        {"antialiased", [](QPainter& p) { p.setRenderHint(QPainter::Antialiasing); }},
        {"scaled", [](QPainter& p) { p.scale(2, 2); }},
        {"moved", [](QPainter& p) { p.translate(1, 0); }},
        {"viewport", [](QPainter& p) { p.setWindow(0, 0, 25, 20); }},
        {"clipped", [](QPainter& p) { p.setClipRect(0, 0, 10, 10); }},
        {"translucent", [](QPainter& p) { p.setOpacity(0.5); }},
        {"xor", [](QPainter& p) { p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); }},
        {"opaque dashes", [](QPainter& p) { p.setBackgroundMode(Qt::OpaqueMode); }},
    };
    {
        QPainter p(&img);
        EXPECT_TRUE(TRasterCover::applies(p));
    }
    for (const auto& [name, change] : rows) {
        QPainter p(&img);
        change(p);
        EXPECT_FALSE(TRasterCover::applies(p)) << name;
    }
    for (const QImage::Format format :
         {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
        QImage other = white_image(20, 20, format);
        QPainter p(&other);
        EXPECT_TRUE(TRasterCover::applies(p)) << format;
    }
    for (const QImage::Format format : {QImage::Format_RGB16, QImage::Format_Grayscale8}) {
        QImage other = white_image(20, 20, format);
        QPainter p(&other);
        EXPECT_FALSE(TRasterCover::applies(p)) << format;
    }
    QPicture picture;
    QPainter recorder(&picture);
    EXPECT_FALSE(TRasterCover::applies(recorder));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    QPainter page(&pdf);
    EXPECT_FALSE(TRasterCover::applies(page));
    QPainter idle;
    EXPECT_FALSE(TRasterCover::applies(idle));
}

QPen pen_of(TColorValue colour, int width, Qt::PenStyle style = Qt::SolidLine) {
    return make_pen(colour, width, style);
}

// Every pixel QPainter paints for a stroked segment or polyline has its centre within the pen's
// reach of the outline; thin lines stay within the margin of each segment's box.
TEST(RasterCover, FootprintsHoldEveryPaintedPixel) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(20, 80), step(-12, 12);
    const QPen pens[] = {pen_of(0, 1), pen_of(0, 1, Qt::DotLine),
                         pen_of(0, 2), pen_of(0, 2, Qt::DotLine),
                         pen_of(0, 3), pen_of(0, 4),
                         pen_of(0, 6), pen_of(0, 5, Qt::DotLine)};
    for (const QPen& pen : pens) {
        const double r = pen_reach(pen);
        const int margin = pen_box_margin(pen);
        for (int i = 0; i < 150; ++i) {
            std::vector<QPoint> points{{coord(rng), coord(rng)}};
            const int n = 1 + i % 5;
            for (int k = 0; k < n; ++k)
                points.push_back(points.back() + QPoint(step(rng), step(rng)));
            QImage img = white_image(100, 100);
            QPainter p(&img);
            p.setPen(pen);
            p.drawPolyline(points.data(), int(points.size()));
            p.end();
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 100; ++x) {
                    if (img.pixel(x, y) == qRgb(255, 255, 255))
                        continue;
                    bool in_capsule = false, in_box = false;
                    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
                        double lo = 0, hi = 0;
                        in_capsule = in_capsule ||
                                     (capsule_row(points[k], points[k + 1], y + 0.5, r, lo, hi) &&
                                      lo <= x + 0.5 && x + 0.5 <= hi);
                        const QRect box = QRect(points[k], points[k + 1]).normalized();
                        in_box =
                            in_box || box.adjusted(-margin, -margin, margin, margin).contains(x, y);
                    }
                    ASSERT_TRUE(in_capsule && in_box)
                        << "width " << pen.width() << " style " << pen.style() << " pixel " << x
                        << "," << y << " figure " << i;
                }
        }
    }
}

// The great circles' footprints leave thin lines no pixel to spare: every pixel the cosmetic
// stroker paints lies within a pixel of its segment's box, whatever the slopes, lengths, turns
// and dashes.
TEST(RasterCover, ThinLinesStayWithinAPixelOfTheirSegmentsBoxes) {
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> coord(50, 110), step(-40, 40), small(-3, 3);
    constexpr int size = 160;
    QImage img(size, size, QImage::Format_RGB32);
    for (const QPen& pen : {pen_of(0, 1), pen_of(0, 1, Qt::DotLine), pen_of(0, 0)}) {
        const int margin = pen_box_margin(pen);
        ASSERT_EQ(margin, 1);
        for (int i = 0; i < 600; ++i) {
            std::vector<QPoint> points{{coord(rng), coord(rng)}};
            for (int k = 0, n = 1 + i % 8; k < n; ++k)
                points.push_back(points.back() + (i % 3 == 0 ? QPoint(small(rng), small(rng))
                                                             : QPoint(step(rng), step(rng))));
            std::vector<QRect> boxes;
            for (std::size_t k = 0; k + 1 < points.size(); ++k)
                boxes.push_back(QRect(points[k], points[k + 1])
                                    .normalized()
                                    .adjusted(-margin, -margin, margin, margin));
            img.fill(Qt::white);
            QPainter p(&img);
            p.setPen(pen);
            p.drawPolyline(points.data(), int(points.size()));
            p.end();
            for (int y = 0; y < size; ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
                for (int x = 0; x < size; ++x) {
                    const bool near = row[x] == 0xFFFFFFFF ||
                                      std::any_of(boxes.begin(), boxes.end(),
                                                  [&](const QRect& b) { return b.contains(x, y); });
                    ASSERT_TRUE(near) << "style " << pen.style() << " pixel " << x << "," << y
                                      << " polyline " << i;
                }
            }
        }
    }
}

// One random opaque figure: a polyline, a filled polygon or an ellipse.
struct Figure {
    enum Kind { Polyline, Polygon, Ellipse } kind;
    std::vector<QPoint> points;
    QPen pen;
    QBrush brush;
};

std::vector<Figure> random_figures(int count, int size, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> coord(-10, size + 10), step(-9, 9), kind(0, 5), width(1, 6);
    std::uniform_int_distribution<TColorValue> colour(0, 7);
    const TColorValue palette[] = {black_value, grey_value, silver_value, 255,
                                   60928,       16711680,   15780518,     white_value};
    std::vector<Figure> figures;
    for (int i = 0; i < count; ++i) {
        Figure f;
        const int k = kind(rng);
        f.kind = k < 4 ? Figure::Polyline : k == 4 ? Figure::Polygon : Figure::Ellipse;
        f.points.push_back({coord(rng), coord(rng)});
        const int n = f.kind == Figure::Ellipse ? 1 : 1 + i % 5;
        for (int j = 0; j < n; ++j)
            f.points.push_back(f.points.back() + QPoint(step(rng), step(rng)));
        f.pen =
            make_pen(palette[colour(rng)], width(rng), i % 5 == 0 ? Qt::DotLine : Qt::SolidLine);
        if (f.kind != Figure::Polyline && i % 3 == 0)
            f.pen = QPen(Qt::NoPen);
        f.brush = make_brush(palette[colour(rng)]);
        figures.push_back(f);
    }
    return figures;
}

void draw(QPainter& p, const Figure& f) {
    give_pen_brush(p, f.pen, f.brush);
    switch (f.kind) {
    case Figure::Polyline:
        p.drawPolyline(f.points.data(), int(f.points.size()));
        break;
    case Figure::Polygon:
        p.drawPolygon(f.points.data(), int(f.points.size()));
        break;
    case Figure::Ellipse:
        draw_ellipse_box(p, f.points[0].x(), f.points[0].y(), f.points[1].x(), f.points[1].y());
        break;
    }
}

QRect box_of(const Figure& f, int margin) {
    QRect box = QRect(f.points[0], f.points[0]);
    for (const QPoint p : f.points)
        box |= QRect(p, p);
    return box.adjusted(-margin, -margin, margin, margin);
}

// Figures painted last to first under the cover, skipped when covered, stamped or taken when
// not, give the picture painted first to last.
TEST(RasterCover, LastToFirstGivesThePictureFirstToLast) {
    for (const auto& [size, count, format] :
         {std::tuple{120, 400, QImage::Format_RGB32}, std::tuple{64, 900, QImage::Format_RGB32},
          std::tuple{120, 300, QImage::Format_ARGB32_Premultiplied}}) {
        const std::vector<Figure> figures = random_figures(count, size, unsigned(size + count));
        QImage forward = white_image(size, size, format);
        {
            QPainter p(&forward);
            for (const Figure& f : figures)
                draw(p, f);
        }
        QImage reverse = white_image(size, size, format);
        int skipped = 0, stamped = 0;
        {
            QPainter p(&reverse);
            ASSERT_TRUE(TRasterCover::applies(p));
            TRasterCover cover(p);
            for (auto f = figures.rbegin(); f != figures.rend(); ++f) {
                const double r = pen_reach(f->pen);
                const QRect box = box_of(*f, int(std::ceil(r)) + 1);
                const bool hidden =
                    cover.covered(box) ||
                    (f->kind == Figure::Polyline && cover.covered_polyline(f->points, r)) ||
                    (f->kind == Figure::Polygon && cover.covered_polygon(f->points, r));
                if (hidden) {
                    ++skipped;
                    continue;
                }
                const QPoint home(size / 2, size / 2);
                const QPoint shift = home - f->points[0];
                if (f->kind == Figure::Polyline && cover.picture().contains(box) &&
                    cover.picture().contains(box.translated(shift))) {
                    // Drawn elsewhere and put here.
                    Figure moved = *f;
                    for (QPoint& q : moved.points)
                        q += shift;
                    draw(cover.stamp_blank(), moved);
                    const TRasterStamp stamp = cover.lift(box.translated(shift), home);
                    if (!cover.covered(stamp, f->points[0]))
                        cover.put(stamp, f->points[0]);
                    ++stamped;
                    continue;
                }
                draw(cover.blank(), *f);
                if (f->kind == Figure::Polyline && f->pen.widthF() <= 1)
                    cover.take_segments(f->points, pen_box_margin(f->pen));
                else
                    cover.take(box);
            }
            cover.finish();
        }
        EXPECT_GT(skipped, count / 10) << size;
        EXPECT_GT(stamped, 20) << size;
        ASSERT_EQ(forward, reverse) << size << " " << count;
    }
}

// QPainter's raster engine paints a figure moved by whole pixels with the same pixels, moved:
// the symbols of the fault-data plot in every orientation, at many places.
TEST(RasterCover, SymbolsMovedPaintTheSamePixelsMoved) {
    std::mt19937 rng(2);
    std::uniform_int_distribution<int> place(60, 940);
    const QPen pens[] = {make_pen(black_value, 4), make_pen(grey_value, 3),
                         make_pen(grey_value, 2, Qt::DotLine), make_pen(255, 6),
                         make_pen(60928, 2)};
    QImage img = white_image(1000, 1000);
    QPainter p(&img);
    TRasterCover cover(p);
    const QPoint home = cover.picture().center();
    for (int degree = 0; degree < 360; degree += 3) {
        const double theta = degree * 0.017453292519943295;
        for (const int a : {6, 10, 12}) {
            const auto arrow =
                rotate_shape_then_move(make_tangent_arrow(std::int16_t(a)), theta, {});
            const auto slip = rotate_shape(
                make_strike_slip_arrow(std::int16_t(a), TStrikeSlipKind::D), theta, {});
            for (const auto& shape : {arrow, slip}) {
                const QPen& pen = pens[std::size_t(degree / 3) % std::size(pens)];
                std::vector<QPoint> at_home = shape;
                for (QPoint& q : at_home)
                    q += home;
                QPainter& blank = cover.stamp_blank();
                give_pen_brush(blank, pen, QBrush());
                blank.drawPolyline(at_home.data(), int(at_home.size()));
                const QRect reach(home - QPoint(60, 60), home + QPoint(60, 60));
                const TRasterStamp expected = cover.lift(reach, home);
                const QPoint there(place(rng), place(rng));
                std::vector<QPoint> moved = shape;
                for (QPoint& q : moved)
                    q += there;
                blank.drawPolyline(moved.data(), int(moved.size()));
                const TRasterStamp got = cover.lift(reach.translated(there - home), there);
                ASSERT_EQ(got.runs.size(), expected.runs.size()) << degree << " " << a;
                for (std::size_t k = 0; k < got.runs.size(); ++k) {
                    const TRasterStamp::Run &g = got.runs[k], &e = expected.runs[k];
                    ASSERT_TRUE(g.dy == e.dy && g.x0 == e.x0 && g.x1 == e.x1 && g.pixel == e.pixel)
                        << degree << " " << a << " at " << there.x() << "," << there.y();
                }
            }
        }
    }
    cover.finish();
}

} // namespace
