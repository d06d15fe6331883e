#include "plot/st_symbols.h"

#include "core/number_text.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <vector>

namespace {

// The one lasting state of the plotting code: the scatter must repeat from picture to picture,
// so every tadpole of the process draws from this seed.
std::uint32_t seed_ = 0;

constexpr int full_channel = 235;

TColorValue color_value(int red, int green, int blue) {
    return TColorValue(red & 0xFF) | TColorValue(green & 0xFF) << 8 |
           TColorValue(blue & 0xFF) << 16;
}

// The heads and tails of the copies of one tadpole, in drawing order: draw(head, tail, r).
template <class DrawCopy>
void scatter_tadpole(const TBaseCircle& circle, const Tazpl& head_dir, TEmphasis emphasis,
                     const TStressSymbolSpec& symb, float dispersion, float weight,
                     const Tazpl& tail_dir, DrawCopy&& draw) {
    const QPoint p = azpl_to_point(head_dir, TProjection::EArea, circle);
    int r = 0, j = 0, n = 1;
    if (emphasis == TEmphasis::Num) {
        r = symb.head_size;
        j = nearest(symb.tail_size / 2.0 * dispersion);
        n = symbol_count(weight);
    } else {
        // nearest is monotonic, so capping before rounding equals the smaller of both roundings
        // and keeps huge weights out of the int range.
        r = nearest(std::min(circle.R * 0.2, double(symb.head_size) * weight));
    }
    const QPoint t = azpl_to_point(tail_dir, TProjection::EAngle, p, symb.tail_size);
    const long long r2 = static_cast<long long>(circle.R) * circle.R;
    for (int k = 0; k < n; ++k) {
        const double rho1 = random_value();
        const double rho2 = random_value();
        const QPoint d(nearest((rho1 - 0.5) * j), nearest((rho2 - 0.5) * j));
        QPoint head = p + d;
        QPoint tail = t + d;
        const long long ex = head.x() - circle.C.x(), ey = head.y() - circle.C.y();
        if (ex * ex + ey * ey > r2) {
            // Scattered off the net: the axis comes back in through the opposite side.
            const Tazpl a = point_to_azpl(head, TProjection::EArea, circle);
            head = azpl_to_point({a.az + 180, -a.pl}, TProjection::EArea, circle);
            tail = azpl_to_point(tail_dir, TProjection::EAngle, head, symb.tail_size);
        }
        draw(head, tail, r);
    }
}

void draw_tadpole_at(QPainter& canvas, const TStressSymbolSpec& symb, bool draw_tail, QPoint head,
                     QPoint tail, int r) {
    const int o = symb.sh_offset;
    const QPoint shift(o, o);
    give_pen_brush(canvas, symb.sh_pen, symb.sh_brs);
    if (draw_tail)
        canvas.drawLine(head + shift, tail + shift);
    draw_ellipse_box(canvas, head.x() - r + o, head.y() - r + o, head.x() + r + o,
                     head.y() + r + o);
    give_pen_brush(canvas, symb.tp_pen, symb.tp_brs);
    if (draw_tail)
        canvas.drawLine(head, tail);
    draw_ellipse_box(canvas, head.x() - r, head.y() - r, head.x() + r, head.y() + r);
}

bool opaque_solid(const QPen& pen) {
    return pen.style() == Qt::SolidLine && pen.brush().style() == Qt::SolidPattern &&
           pen.color().alpha() == 255;
}

bool opaque_solid(const QBrush& brush) {
    return brush.style() == Qt::NoBrush ||
           (brush.style() == Qt::SolidPattern && brush.color().alpha() == 255);
}

} // namespace

int symbol_count(float weight) {
    if (!(weight >= 1)) // NaN as well
        return 0;
    return weight >= float(INT_MAX) ? INT_MAX : int(weight);
}

void set_random_seed(std::uint32_t seed) {
    seed_ = seed;
}

std::uint32_t random_seed() {
    return seed_;
}

double random_value() {
    seed_ = seed_ * 134775813u + 1u; // unsigned: wraps modulo 2^32
    return seed_ / 4294967296.0;
}

void draw_tadpole(QPainter& canvas, const TBaseCircle& circle, const Tazpl& head_dir,
                  bool draw_tail, TEmphasis emphasis, const TStressSymbolSpec& symb,
                  float dispersion, float weight, const Tazpl& tail_dir) {
    scatter_tadpole(circle, head_dir, emphasis, symb, dispersion, weight, tail_dir,
                    [&](QPoint head, QPoint tail, int r) {
                        draw_tadpole_at(canvas, symb, draw_tail, head, tail, r);
                    });
}

// Runs of one colour in a shape as Qt rasterises it, relative to the shape's anchor point.
struct TTadpolePainter::Stamps {
    struct Span {
        int dy, x0, x1; // x1 included
    };
    struct Stamp {
        std::vector<Span> pen, brush;
    };

    uchar* bits = nullptr;
    qsizetype bytes_per_line = 0;
    int width = 0, height = 0;
    std::unordered_map<std::uint64_t, Stamp> cache;
    QImage scratch;

    // What a stamp depends on of its pen; empty for pens the key cannot hold.
    static std::optional<std::uint64_t> geometry(const QPen& pen) {
        const int w = pen.width();
        if (w < 0 || w > 255 || pen.widthF() != w)
            return std::nullopt;
        return std::uint64_t(w) | std::uint64_t(pen.capStyle() >> 4) << 8 |
               std::uint64_t(pen.joinStyle() >> 6) << 10 | std::uint64_t(pen.isCosmetic()) << 13;
    }

    // Key of a shape: kind (0 head, 1 tail), two parameters and the pen's geometry.
    static std::optional<std::uint64_t> key(int kind, int a, int b, const QPen& pen) {
        const auto g = geometry(pen);
        if (!g || a < -limit || a > limit || b < -limit || b > limit)
            return std::nullopt;
        return std::uint64_t(kind) | *g << 1 | std::uint64_t(a + limit) << 16 |
               std::uint64_t(b + limit) << 32;
    }
    static constexpr int limit = 1000; // larger shapes are drawn directly

    // Draws the shape onto a white scratch image with the pen red and the brush green, around
    // an anchor at whole pixels like every place it will be copied to, and reads the runs back.
    template <class DrawShape>
    Stamp rasterise(QRect box, const QPen& pen, const QBrush& brush, DrawShape&& draw_shape) {
        const int margin = pen.width() + 2;
        box.adjust(-margin, -margin, margin, margin);
        if (scratch.width() < box.width() || scratch.height() < box.height())
            scratch = QImage(std::max(scratch.width(), box.width()),
                             std::max(scratch.height(), box.height()), QImage::Format_RGB32);
        const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0), green = qRgb(0, 255, 0);
        const QPoint anchor = -box.topLeft();
        {
            QPainter p(&scratch);
            p.fillRect(QRect(QPoint(0, 0), box.size()), QColor(white));
            QPen shape_pen = pen;
            shape_pen.setColor(QColor(red));
            QBrush shape_brush = brush;
            if (shape_brush.style() != Qt::NoBrush)
                shape_brush.setColor(QColor(green));
            give_pen_brush(p, shape_pen, shape_brush);
            draw_shape(p, anchor);
        }
        Stamp stamp;
        for (int y = 0; y < box.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
            for (int x = 0; x < box.width();) {
                const QRgb c = row[x];
                int end = x + 1;
                while (end < box.width() && row[end] == c)
                    ++end;
                if (c != white)
                    (c == red ? stamp.pen : stamp.brush)
                        .push_back({y - anchor.y(), x - anchor.x(), end - 1 - anchor.x()});
                x = end;
            }
        }
        return stamp;
    }

    const Stamp* head(int r, const QPen& pen, const QBrush& brush) {
        const auto k = key(0, r, brush.style() == Qt::NoBrush ? 0 : 1, pen);
        if (!k || r < 0)
            return nullptr;
        auto it = cache.find(*k);
        if (it == cache.end())
            it = cache
                     .emplace(*k, rasterise(QRect(-r, -r, 2 * r + 1, 2 * r + 1), pen, brush,
                                            [r](QPainter& p, QPoint a) {
                                                draw_ellipse_box(p, a.x() - r, a.y() - r, a.x() + r,
                                                                 a.y() + r);
                                            }))
                     .first;
        return &it->second;
    }

    const Stamp* tail(QPoint d, const QPen& pen) {
        const auto k = key(1, d.x(), d.y(), pen);
        if (!k)
            return nullptr;
        auto it = cache.find(*k);
        if (it == cache.end())
            it = cache
                     .emplace(*k, rasterise(QRect(QPoint(0, 0), QPoint(d.x(), d.y())).normalized(),
                                            pen, Qt::NoBrush,
                                            [d](QPainter& p, QPoint a) { p.drawLine(a, a + d); }))
                     .first;
        return &it->second;
    }

    void copy(const std::vector<Span>& spans, QPoint anchor, const QColor& colour) {
        const QRgb value = colour.rgb(); // opaque: the same word in every accepted format
        for (const Span& s : spans) {
            const int y = anchor.y() + s.dy;
            if (y < 0 || y >= height)
                continue;
            const int x0 = std::max(anchor.x() + s.x0, 0);
            const int x1 = std::min(anchor.x() + s.x1, width - 1);
            if (x0 > x1)
                continue;
            auto* row = reinterpret_cast<QRgb*>(bits + y * bytes_per_line);
            std::fill(row + x0, row + x1 + 1, value);
        }
    }
};

TTadpolePainter::TTadpolePainter(QPainter& canvas) : canvas_(canvas) {
    QPaintDevice* device = canvas.device();
    if (!device || device->devType() != QInternal::Image)
        return;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format f = image->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        return;
    if (image->devicePixelRatio() != 1)
        return;
    stamps_ = std::make_unique<Stamps>();
    // The painter writes into the image's data as it was at begin(); bits() could detach a
    // shared image from it, constBits() does not.
    stamps_->bits = const_cast<uchar*>(image->constBits());
    stamps_->bytes_per_line = image->bytesPerLine();
    stamps_->width = image->width();
    stamps_->height = image->height();
}

TTadpolePainter::~TTadpolePainter() = default;

void TTadpolePainter::draw(const TBaseCircle& circle, const Tazpl& head_dir, bool draw_tail,
                           TEmphasis emphasis, const TStressSymbolSpec& symb, float dispersion,
                           float weight, const Tazpl& tail_dir) {
    const bool raster = stamps_ && !canvas_.testRenderHint(QPainter::Antialiasing) &&
                        canvas_.compositionMode() == QPainter::CompositionMode_SourceOver &&
                        !canvas_.hasClipping() && canvas_.opacity() == 1 &&
                        canvas_.deviceTransform().isIdentity() && opaque_solid(symb.sh_pen) &&
                        opaque_solid(symb.tp_pen) && opaque_solid(symb.sh_brs) &&
                        opaque_solid(symb.tp_brs);
    if (!raster) {
        draw_tadpole(canvas_, circle, head_dir, draw_tail, emphasis, symb, dispersion, weight,
                     tail_dir);
        return;
    }
    Stamps& s = *stamps_;
    const QColor sh_pen = symb.sh_pen.color(), sh_brs = symb.sh_brs.color();
    const QColor tp_pen = symb.tp_pen.color(), tp_brs = symb.tp_brs.color();
    const QPoint shift(symb.sh_offset, symb.sh_offset);
    // Shadow and symbol usually share their shapes, and all copies share the head.
    const auto geometry = Stamps::geometry(symb.sh_pen);
    const bool same_pen = geometry && geometry == Stamps::geometry(symb.tp_pen);
    const bool same_head = same_pen && symb.sh_brs.style() == symb.tp_brs.style();
    const Stamps::Stamp *sh_head = nullptr, *tp_head = nullptr;
    int head_r = -1;
    const auto copy_tadpole = [&](QPoint head, QPoint tail, int r) {
        if (r != head_r) {
            sh_head = s.head(r, symb.sh_pen, symb.sh_brs);
            tp_head = same_head ? sh_head : s.head(r, symb.tp_pen, symb.tp_brs);
            head_r = r;
        }
        const Stamps::Stamp* sh_tail = draw_tail ? s.tail(tail - head, symb.sh_pen) : nullptr;
        const Stamps::Stamp* tp_tail =
            !draw_tail || same_pen ? sh_tail : s.tail(tail - head, symb.tp_pen);
        if ((draw_tail && (!sh_tail || !tp_tail)) || !sh_head || !tp_head) {
            draw_tadpole_at(canvas_, symb, draw_tail, head, tail, r);
            return;
        }
        if (sh_tail)
            s.copy(sh_tail->pen, head + shift, sh_pen);
        s.copy(sh_head->brush, head + shift, sh_brs);
        s.copy(sh_head->pen, head + shift, sh_pen);
        if (tp_tail)
            s.copy(tp_tail->pen, head, tp_pen);
        s.copy(tp_head->brush, head, tp_brs);
        s.copy(tp_head->pen, head, tp_pen);
    };
    scatter_tadpole(circle, head_dir, emphasis, symb, dispersion, weight, tail_dir, copy_tadpole);
}

void draw_plunge_legend(QPainter& canvas, const TBaseCircle& circle, int W, int H, float left,
                        float right, float vertical, const TStressSymbolSpec& symb) {
    const int xl = nearest(double(W) * left), xr = nearest(double(W) * right);
    const int y = nearest(double(H) * vertical);
    const int step = (xr - xl) / 11;
    TBaseCircle local;
    local.R = circle.R;
    for (int i = 0; i < 10; ++i) {
        local.C = QPoint(xl + step * (i + 1), y);
        draw_tadpole(canvas, local, {0, 90}, true, TEmphasis::Num, symb, 0, 1.0f,
                     {180, float(i * 90.0 / 9)});
    }
}

void draw_size_legend(QPainter& canvas, const TBaseCircle& circle, int W, int H, float left,
                      float right, float top, float bottom, const TStressSymbolSpec& symb,
                      float max_label, float min_label, float max_weight, float min_weight) {
    const int xl = nearest(double(W) * left), yt = nearest(double(H) * top);
    const int xr = nearest(double(W) * right), yb = nearest(double(H) * bottom);
    const int xs = nearest(xl + (xr - xl) * 0.35), xt = nearest(xl + (xr - xl) * 0.45);
    const int dy = std::abs(yb - yt) / 5;
    TBaseCircle local;
    local.R = circle.R;
    for (int i = 0; i < 4; ++i) {
        const float w = float(max_weight - i * (double(max_weight) - min_weight) / 3);
        local.C = QPoint(xs, yt + (i + 1) * dy);
        draw_tadpole(canvas, local, {0, 90}, false, TEmphasis::Siz, symb, 0, w, {0, 0});
    }

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(24);
    canvas.setFont(font);
    canvas.setPen(make_pen(black_value));
    canvas.setBrush(make_brush(white_value));
    const QFontMetrics metrics(font, canvas.device());
    for (int i = 0; i < 4; ++i) {
        const float value = float(max_label - i * (double(max_label) - min_label) / 3);
        const QString text = format_float(QStringLiteral("0.0E-0"), value);
        const QPoint corner(xt, yt + (i + 1) * dy);
        // Text on an opaque white ground, as the canvas's brush prescribes.
        canvas.fillRect(QRect(corner, QSize(metrics.horizontalAdvance(text), metrics.height())),
                        canvas.brush());
        canvas.drawText(corner + QPoint(0, metrics.ascent()), text);
    }
}

void draw_color_scale(QPainter& canvas, int W, int H, float left, float right, float top,
                      float bottom, bool color) {
    canvas.setPen(make_pen(white_value, nearest(double(W) * 0.002), Qt::NoPen));
    QBrush brush(Qt::SolidPattern);
    const int xl = nearest(double(W) * left), xr = nearest(double(W) * right);
    const int yt = nearest(double(H) * top);
    const int h = nearest((double(bottom) - top) * H);
    for (int i = 0; i < 99; ++i) {
        const int xa = nearest((xr - xl) * i / 100.0) + xl;
        const int xb = nearest((xr - xl) * (i + 2) / 100.0) + xl;
        const float x = float(i) / 100;
        brush.setColor(color_from_value(color ? rainbow_color(x) : gray_color(x)));
        canvas.setBrush(brush);
        // Without a pen the rectangle fills exactly xa..xb-1 by yt..yt+h-1.
        canvas.drawRect(QRect(xa, yt, xb - xa, h));
    }
}

void draw_Mohr_circles(QPainter& canvas, const TCoordAxes2D& axes, float s1, float s2, float s3) {
    const std::array<std::array<double, 2>, 3> circles{
        {{(double(s2) + s3) / 2, (double(s2) - s3) / 2},
         {(double(s3) + s1) / 2, (double(s1) - s3) / 2},
         {(double(s1) + s2) / 2, (double(s1) - s2) / 2}}};
    canvas.setPen(axes.pen);
    std::array<QPoint, 181> points;
    for (const auto& [centre, radius] : circles) {
        for (int t = 0; t <= 180; ++t) {
            const double a = t * deg_to_rad;
            points[std::size_t(t)] = axes_to_canvas(
                {float(centre + radius * std::cos(a)), float(radius * std::sin(a))}, axes);
        }
        canvas.drawPolyline(points.data(), int(points.size()));
    }
}

void draw_point_symbol(QPainter& canvas, const TCoordAxes2D& axes, const TSymbolSpec& symb, float x,
                       float y) {
    const QPoint p = axes_to_canvas({x, y}, axes);
    const int s = symb.size, o = symb.sh_offset;
    give_pen_brush(canvas, symb.sh_pen, symb.sh_brs);
    draw_ellipse_box(canvas, p.x() - s + o, p.y() - s + o, p.x() + s + o, p.y() + s + o);
    give_pen_brush(canvas, symb.pen, symb.brs);
    draw_ellipse_box(canvas, p.x() - s, p.y() - s, p.x() + s, p.y() + s);
}

TColorValue gray_color(float x) {
    const double v = x > 1 ? 1.0 : x > 0 ? double(x) : 0.0;
    const int g = nearest(255 * v);
    return color_value(g, g, g);
}

TColorValue rainbow_color(float x) {
    const double v = x > 0 ? double(x) : 0.0; // NaN as well
    const int full = full_channel;
    if (v <= 0.3)
        return color_value(0, nearest(v * full / 0.3), full);
    if (v <= 0.5)
        return color_value(0, full, nearest((0.5 - v) * full / 0.2));
    if (v <= 0.7)
        return color_value(nearest((v - 0.5) * full / 0.2), full, 0);
    if (v <= 1)
        return color_value(full, nearest((1 - v) * full / 0.3), 0);
    return color_value(full, 0, 0);
}
