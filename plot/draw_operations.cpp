#include "plot/draw_operations.h"

#include <cmath>

namespace {

constexpr double quarter_turn = 1.570796327;
constexpr double eighth_turn = 0.7853981634;
constexpr double sqrt2 = 1.4142135623731;

} // namespace

QColor color_from_value(TColorValue v) {
    if (v == no_color_value)
        return QColor(Qt::transparent);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QPen make_pen(TColorValue color, int width, Qt::PenStyle style) {
    QPen pen(color_from_value(color));
    pen.setWidth(width);
    pen.setStyle(style);
    pen.setCosmetic(false);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QBrush make_brush(TColorValue color) {
    return QBrush(color_from_value(color), Qt::SolidPattern);
}

void give_pen_brush(QPainter& canvas, const QPen& pen, const QBrush& brush) {
    canvas.setPen(pen);
    canvas.setBrush(brush);
}

int nearest(double x) {
    constexpr double bound = 1 << 24;
    if (!(x > -bound))
        return -(1 << 24);
    if (x > bound)
        return 1 << 24;
    return static_cast<int>(std::nearbyint(x));
}

QPoint azpl_to_point(const Tazpl& azpl, TProjection projection, const TBaseCircle& circle) {
    return azpl_to_point(azpl, projection, circle.C, circle.R);
}

QPoint azpl_to_point(const Tazpl& azpl, TProjection projection, QPoint centre, int radius) {
    const float theta = float(azpl.az * deg_to_rad);
    const float phi = float(azpl.pl * deg_to_rad);
    const float t = float(eighth_turn - phi / 2.0);
    const float rho = projection == TProjection::EArea ? float(std::sin(t) * (radius * sqrt2))
                                                       : float(std::tan(t) * radius);
    const float psi = float(quarter_turn - theta);
    return {centre.x() + nearest(std::cos(psi) * rho), centre.y() - nearest(std::sin(psi) * rho)};
}

Tazpl point_to_azpl(QPoint point, TProjection projection, const TBaseCircle& circle) {
    const float dx = float(point.x() - circle.C.x());
    const float dy = float(point.y() - circle.C.y());
    const float r = float(std::sqrt(double(dx) * dx + double(dy) * dy));
    float pl = 0;
    if (projection == TProjection::EArea) {
        const float s = float(r / double(circle.R) / sqrt2);
        if (std::fabs(s) <= 1)
            pl = float((quarter_turn - 2 * std::asin(double(s))) * rad_to_deg);
    } else {
        pl = float((quarter_turn - 2 * std::atan(r / double(circle.R))) * rad_to_deg);
    }
    const float az = float((quarter_turn - std::atan2(-double(dy), double(dx))) * rad_to_deg);
    return {float_mod(float(az + 360.0), 360), pl};
}

void clear_canvas(QPainter& canvas, int width, int height) {
    QPen pen(Qt::NoPen);
    pen.setWidth(0);
    pen.setColor(Qt::transparent);
    give_pen_brush(canvas, pen, make_brush(white_value));
    canvas.drawRect(QRect(0, 0, width, height));
}

void draw_base_circle(QPainter& canvas, const TBaseCircle& circle) {
    give_pen_brush(canvas, circle.pen, circle.brs);
    const int x = circle.C.x(), y = circle.C.y(), r = circle.R, tick = circle.tick_size;
    draw_ellipse_box(canvas, x - r, y - r, x + r, y + r);
    canvas.drawLine(x, y - r, x, y - r - tick);
    canvas.drawLine(x + r, y, x + r + tick, y);
    canvas.drawLine(x, y + r, x, y + r + tick);
    canvas.drawLine(x - r, y, x - r - tick, y);
}

QPoint axes_to_canvas(const Tvector2& v, const TCoordAxes2D& axes) {
    const Tvector2 p = add2(add2(scale2(v.x, axes.e[0]), scale2(v.y, axes.e[1])), axes.O);
    return {nearest(p.x), nearest(p.y)};
}

void draw_coord_axes(QPainter& canvas, const TCoordAxes2D& axes) {
    const QPoint a = axes_to_canvas({axes.min.x, 0}, axes);
    const QPoint b = axes_to_canvas({axes.max.x, 0}, axes);
    const QPoint p = axes_to_canvas({0, axes.min.y}, axes);
    const QPoint q = axes_to_canvas({0, axes.max.y}, axes);
    canvas.setPen(axes.pen);
    canvas.drawLine(a, b);
    canvas.drawLine(p, q);
}

std::vector<QPoint> rotate_shape(std::span<const QPoint> shape, double theta, QPoint anchor) {
    const double c = std::cos(theta), s = std::sin(theta);
    std::vector<QPoint> out;
    out.reserve(shape.size());
    for (const QPoint& p : shape)
        out.emplace_back(nearest(p.x() * c - p.y() * s + anchor.x()),
                         nearest(p.x() * s + p.y() * c + anchor.y()));
    return out;
}

std::vector<QPoint> rotate_shape_then_move(std::span<const QPoint> shape, double theta,
                                           QPoint anchor) {
    const double c = std::cos(theta), s = std::sin(theta);
    std::vector<QPoint> out;
    out.reserve(shape.size());
    for (const QPoint& p : shape)
        out.emplace_back(nearest(p.x() * c - p.y() * s) + anchor.x(),
                         nearest(p.x() * s + p.y() * c) + anchor.y());
    return out;
}

double canvas_angle(QPoint a, QPoint b) {
    return std::atan2(double(b.y() - a.y()), double(b.x() - a.x()));
}

double radial_angle(QPoint p, const TBaseCircle& circle) {
    return canvas_angle(circle.C, p);
}

void draw_ellipse_box(QPainter& canvas, int left, int top, int right, int bottom) {
    // The outline is centred on the box edges: the circle in the box C +- R has its centre at C.
    canvas.drawEllipse(QRect(left, top, right - left, bottom - top));
}
