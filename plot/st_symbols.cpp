#include "plot/st_symbols.h"

#include "core/number_text.h"
#include "plot/tadpole_stamps.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

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
    const TTadpoleLayout layout =
        tadpole_layout(circle, head_dir, emphasis, symb, dispersion, weight, tail_dir);
    for (int k = 0; k < layout.copies; ++k) {
        const double rho1 = random_value();
        const double rho2 = random_value();
        const QPoint head = scattered_head(layout, circle, rho1, rho2);
        draw(head, head + layout.tail_offset, layout.radius);
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

std::uint32_t random_seed_advanced(std::uint32_t seed, std::int64_t steps) {
    // n steps of x -> a x + b are x -> A x + B; composed by halving n.
    std::uint32_t a = 134775813u, b = 1u;
    if (steps < 0) { // one step back: x -> (x - 1) / a
        a = random_seed_before(2u);
        b = random_seed_before(0u);
    }
    std::uint64_t n = steps < 0 ? 0 - std::uint64_t(steps) : std::uint64_t(steps);
    for (; n != 0; n >>= 1) {
        if (n & 1)
            seed = a * seed + b;
        b = a * b + b;
        a = a * a;
    }
    return seed;
}

TTadpoleLayout tadpole_layout(const TBaseCircle& circle, const Tazpl& head_dir, TEmphasis emphasis,
                              const TStressSymbolSpec& symb, float dispersion, float weight,
                              const Tazpl& tail_dir) {
    TTadpoleLayout layout =
        tadpole_head_layout(circle, head_dir, emphasis, symb, dispersion, weight);
    layout.tail_offset = tadpole_tail_offset(symb, tail_dir);
    return layout;
}

TTadpoleLayout tadpole_head_layout(const TBaseCircle& circle, const Tazpl& head_dir,
                                   TEmphasis emphasis, const TStressSymbolSpec& symb,
                                   float dispersion, float weight) {
    TTadpoleLayout layout;
    layout.head = azpl_to_point(head_dir, TProjection::EArea, circle);
    if (emphasis == TEmphasis::Num) {
        layout.radius = symb.head_size;
        layout.spread = nearest(symb.tail_size / 2.0 * dispersion);
        layout.copies = symbol_count(weight);
    } else {
        // nearest is monotonic, so capping before rounding equals the smaller of both roundings
        // and keeps huge weights out of the int range.
        layout.radius = nearest(std::min(circle.R * 0.2, double(symb.head_size) * weight));
    }
    return layout;
}

QPoint tadpole_tail_offset(const TStressSymbolSpec& symb, const Tazpl& tail_dir) {
    // The projection adds the same whole offset to any centre.
    return azpl_to_point(tail_dir, TProjection::EAngle, QPoint(0, 0), symb.tail_size);
}

QPoint moved_head(const TTadpoleLayout& layout, double rho1, double rho2) {
    const int j = layout.spread;
    return layout.head + QPoint(nearest((rho1 - 0.5) * j), nearest((rho2 - 0.5) * j));
}

bool on_net(QPoint head, const TBaseCircle& circle) {
    const long long ex = head.x() - circle.C.x(), ey = head.y() - circle.C.y();
    return ex * ex + ey * ey <= static_cast<long long>(circle.R) * circle.R;
}

QPoint head_back_on_net(QPoint head, const TBaseCircle& circle) {
    const Tazpl a = point_to_azpl(head, TProjection::EArea, circle);
    return azpl_to_point({a.az + 180, -a.pl}, TProjection::EArea, circle);
}

QPoint scattered_head(const TTadpoleLayout& layout, const TBaseCircle& circle, double rho1,
                      double rho2) {
    const QPoint head = moved_head(layout, rho1, rho2);
    return on_net(head, circle) ? head : head_back_on_net(head, circle);
}

void draw_tadpole(QPainter& canvas, const TBaseCircle& circle, const Tazpl& head_dir,
                  bool draw_tail, TEmphasis emphasis, const TStressSymbolSpec& symb,
                  float dispersion, float weight, const Tazpl& tail_dir) {
    scatter_tadpole(circle, head_dir, emphasis, symb, dispersion, weight, tail_dir,
                    [&](QPoint head, QPoint tail, int r) {
                        draw_tadpole_at(canvas, symb, draw_tail, head, tail, r);
                    });
}

struct TTadpolePainter::Stamps {
    TStampImage image;
    TStampCache cache;
};

TTadpolePainter::TTadpolePainter(QPainter& canvas) : canvas_(canvas) {
    if (const auto image = TStampImage::of(canvas))
        stamps_ = std::make_unique<Stamps>(Stamps{*image, TStampCache()});
}

TTadpolePainter::~TTadpolePainter() = default;

void TTadpolePainter::draw(const TBaseCircle& circle, const Tazpl& head_dir, bool draw_tail,
                           TEmphasis emphasis, const TStressSymbolSpec& symb, float dispersion,
                           float weight, const Tazpl& tail_dir) {
    if (!stamps_ || !tadpoles_can_be_copied(canvas_, symb)) {
        draw_tadpole(canvas_, circle, head_dir, draw_tail, emphasis, symb, dispersion, weight,
                     tail_dir);
        return;
    }
    TStampCache& s = stamps_->cache;
    const TStampImage& image = stamps_->image;
    const QRgb sh_pen = symb.sh_pen.color().rgb(), sh_brs = symb.sh_brs.color().rgb();
    const QRgb tp_pen = symb.tp_pen.color().rgb(), tp_brs = symb.tp_brs.color().rgb();
    const QPoint shift(symb.sh_offset, symb.sh_offset);
    const TTadpoleStamp *sh_head = nullptr, *tp_head = nullptr;
    int head_r = -1;
    const auto copy_tadpole = [&](QPoint head, QPoint tail, int r) {
        if (r != head_r) {
            sh_head = s.head(r, symb.sh_pen, symb.sh_brs);
            tp_head = s.head(r, symb.tp_pen, symb.tp_brs);
            head_r = r;
        }
        const TTadpoleStamp* sh_tail = draw_tail ? s.tail(tail - head, symb.sh_pen) : nullptr;
        const TTadpoleStamp* tp_tail = draw_tail ? s.tail(tail - head, symb.tp_pen) : nullptr;
        if ((draw_tail && (!sh_tail || !tp_tail)) || !sh_head || !tp_head) {
            draw_tadpole_at(canvas_, symb, draw_tail, head, tail, r);
            return;
        }
        if (sh_tail)
            image.copy(sh_tail->pen, head + shift, sh_pen);
        image.copy(sh_head->brush, head + shift, sh_brs);
        image.copy(sh_head->pen, head + shift, sh_pen);
        if (tp_tail)
            image.copy(tp_tail->pen, head, tp_pen);
        image.copy(tp_head->brush, head, tp_brs);
        image.copy(tp_head->pen, head, tp_pen);
    };
    scatter_tadpole(circle, head_dir, emphasis, symb, dispersion, weight, tail_dir, copy_tadpole);
}

bool tadpoles_can_be_copied(const QPainter& canvas, const TStressSymbolSpec& symb) {
    return TStampImage::plain_state(canvas) && opaque_solid(symb.sh_pen) &&
           opaque_solid(symb.tp_pen) && opaque_solid(symb.sh_brs) && opaque_solid(symb.tp_brs);
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
