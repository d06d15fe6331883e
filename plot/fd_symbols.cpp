#include "plot/fd_symbols.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double half_turn = 3.141592654;
// Below this |z| a plane counts as steep and a slip vector as gently plunging.
constexpr double steep_limit = 0.34;
constexpr int candidate_count = 45; // t = 0, 8, ..., 352 degrees
constexpr float candidate_step = 8;

QPoint project(const Tvector3& v, TProjection projection, const TBaseCircle& circle) {
    return azpl_to_point(vector3_to_azpl(v), projection, circle);
}

// Unit vector of q + f w, rounded to single once before normalising.
Tvector3 tilted(const Tvector3& q, double f, const Tvector3& w) {
    return normalize3({float(q.x + f * w.x), float(q.y + f * w.y), float(q.z + f * w.z)});
}

bool admitted_by_all(const TFaultData& fd, const Tvector3& u) {
    return std::all_of(fd.SDList.begin(), fd.SDList.end(),
                       [&](const TSlipData& sd) { return dot_product3(sd.v, u) >= 0; });
}

// The pole as a downward normal, with the slip vector turned along with it.
void downward_pole(const TSlipData& sd, Tvector3& q, Tvector3& w) {
    q = lower_pole(sd);
    w = sd.n.z > 0 ? negate3(sd.v) : sd.v;
}

void draw_points(QPainter& canvas, const QPen& pen, const QBrush& brush,
                 const std::vector<QPoint>& points) {
    give_pen_brush(canvas, pen, brush);
    canvas.drawPolyline(points.data(), int(points.size()));
}

} // namespace

Tmatrix33 plane_direction_matrix(const Tazpl& plane) {
    const double a = plane.az * deg_to_rad, d = plane.pl * deg_to_rad;
    const double ca = std::cos(a), sa = std::sin(a), cd = std::cos(d), sd = std::sin(d);
    return make_matrix33(float(ca), float(sa * cd), float(sa * sd), float(-sa), float(ca * cd),
                         float(ca * sd), 0, float(-sd), float(cd));
}

Tvector3 direction_in_plane(const Tmatrix33& m, float t_degrees) {
    const double t = t_degrees * deg_to_rad;
    return matrix_vector3(m, make_vector3(float(std::cos(t)), float(std::sin(t)), 0));
}

std::array<QPoint, 6> make_strike_slip_arrow(std::int16_t a, TStrikeSlipKind kind) {
    const int h = a / 2;
    if (kind == TStrikeSlipKind::D)
        return {{{2 * a, -3 * h}, {3 * a, -h}, {0, -h}, {0, h}, {-3 * a, h}, {-2 * a, 3 * h}}};
    return {{{2 * a, 3 * h}, {3 * a, h}, {0, h}, {0, -h}, {-3 * a, -h}, {-2 * a, -3 * h}}};
}

std::array<QPoint, 6> make_dip_slip_arrow(std::int16_t a) {
    return {{{0, 0}, {4 * a, 0}, {3 * a, a}, {4 * a, 0}, {3 * a, -a}, {4 * a, 0}}};
}

std::array<QPoint, 2> make_lineation_bar(std::int16_t a) {
    return {{{-2 * a, 0}, {2 * a, 0}}};
}

std::array<QPoint, 6> make_tangent_arrow(std::int16_t a) {
    return {{{-2 * a, 0}, {2 * a, 0}, {a, a}, {2 * a, 0}, {a, -a}, {2 * a, 0}}};
}

std::array<QPoint, 2> make_tangent_bar(std::int16_t a) {
    return {{{-2 * a, 0}, {2 * a, 0}}};
}

void draw_great_circle(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                       const TSlipSymbolSpec& symb, const Tazpl& plane) {
    const Tmatrix33 m = plane_direction_matrix(plane);
    std::vector<QPoint> points;
    points.reserve(181);
    for (int t = 0; t <= 180; ++t)
        points.push_back(project(direction_in_plane(m, float(t)), projection, circle));
    draw_points(canvas, symb.gc_pen, symb.gc_brs, points);
}

std::vector<QPoint> slip_arrow_points(const TBaseCircle& circle, TProjection projection,
                                      int ar_size, const TSlipData& sd) {
    const QPoint p = azpl_to_point(sd.Lazpl, projection, circle);
    const double theta = radial_angle(p, circle);
    const auto a = static_cast<std::int16_t>(ar_size);
    if (std::fabs(sd.n.z) < steep_limit && std::fabs(sd.v.z) < steep_limit) {
        const auto kind = sd.b.z > 0 ? TStrikeSlipKind::S : TStrikeSlipKind::D;
        return rotate_shape(make_strike_slip_arrow(a, kind), theta, p);
    }
    // An upward slip vector points the arrow toward the centre.
    return rotate_shape(make_dip_slip_arrow(a), sd.v.z > 0 ? theta + half_turn : theta, p);
}

void draw_slip_arrow(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                     const TSlipSymbolSpec& symb, const TSlipData& sd) {
    draw_points(canvas, symb.ar_pen, symb.ar_brs,
                slip_arrow_points(circle, projection, symb.ar_size, sd));
}

std::vector<QPoint> lineation_bar_points(const TBaseCircle& circle, TProjection projection,
                                         int ar_size, const TSlipData& sd) {
    const QPoint p = azpl_to_point(sd.Lazpl, projection, circle);
    const auto bar = make_lineation_bar(static_cast<std::int16_t>(ar_size));
    return rotate_shape(bar, radial_angle(p, circle), p);
}

void draw_lineation_bar(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                        const TSlipSymbolSpec& symb, const TSlipData& sd) {
    draw_points(canvas, symb.ar_pen, symb.ar_brs,
                lineation_bar_points(circle, projection, symb.ar_size, sd));
}

const std::array<Tvector3, 45>& possible_slip_directions() {
    static const std::array<Tvector3, 45> directions = [] {
        std::array<Tvector3, 45> d;
        for (std::size_t i = 0; i < d.size(); ++i) {
            // As direction_in_plane computes them from the angle in single precision.
            const double t = candidate_step * float(i) * deg_to_rad;
            d[i] = make_vector3(float(std::cos(t)), float(std::sin(t)), 0);
        }
        return d;
    }();
    return directions;
}

std::vector<int> admissible_slip_indices(const TFaultData& fd) {
    std::vector<int> indices;
    if (fd.SDList.empty())
        return indices;
    const Tmatrix33 m = plane_direction_matrix(fd.SDList.front().Pazpl);
    for (int i = 0; i < candidate_count; ++i)
        if (admitted_by_all(fd, matrix_vector3(m, possible_slip_directions()[std::size_t(i)])))
            indices.push_back(i);
    return indices;
}

TSlipData possible_slip(const TFaultData& fd, int index) {
    const TSlipData& d0 = fd.SDList.front();
    TSlipData slip;
    slip.Pazpl = d0.Pazpl;
    slip.n = d0.n;
    slip.v = matrix_vector3(plane_direction_matrix(d0.Pazpl),
                            possible_slip_directions()[std::size_t(index)]);
    slip.Lazpl = vector3_to_azpl_lower(slip.v);
    slip.b = cross_product3(slip.n, slip.v);
    return slip;
}

void draw_possible_slip_arrows(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                               const TSlipSymbolSpec& symb, const TFaultData& fd) {
    for (const int i : admissible_slip_indices(fd))
        draw_slip_arrow(canvas, circle, projection, symb, possible_slip(fd, i));
}

Tvector3 lower_pole(const TSlipData& sd) {
    return sd.n.z > 0 ? negate3(sd.n) : sd.n;
}

std::vector<QPoint> tangent_lineation_points(const TBaseCircle& circle, TProjection projection,
                                             int tl_size, const TSlipData& sd, bool bar) {
    Tvector3 q, w;
    downward_pole(sd, q, w);
    const QPoint p0 = project(q, projection, circle);
    const QPoint pm = project(tilted(q, -0.1, w), projection, circle);
    const QPoint pp = project(tilted(q, 0.1, w), projection, circle);
    const double theta = canvas_angle(pm, pp);
    const auto a = static_cast<std::int16_t>(tl_size);
    if (bar)
        return rotate_shape_then_move(make_tangent_bar(a), theta, p0);
    return rotate_shape_then_move(make_tangent_arrow(a), theta, p0);
}

void draw_tangent_lineation(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                            const TSlipSymbolSpec& symb, const TSlipData& sd) {
    draw_points(canvas, symb.tl_pen, symb.tl_brs,
                tangent_lineation_points(circle, projection, symb.tl_size, sd, false));
}

void draw_tangent_lineation_bar(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                                const TSlipSymbolSpec& symb, const TSlipData& sd) {
    draw_points(canvas, symb.tl_pen, symb.tl_brs,
                tangent_lineation_points(circle, projection, symb.tl_size, sd, true));
}

std::vector<int> contiguous_slip_indices(const TFaultData& fd) {
    std::vector<int> indices = admissible_slip_indices(fd);
    // The last run that follows a gap starts the fan; index -1 counts as admissible, so an arc
    // through t = 0 is not split there.
    std::size_t start = 0;
    for (std::size_t k = 0; k < indices.size(); ++k) {
        const int previous = k == 0 ? -1 : indices[k - 1];
        if (indices[k] != previous + 1)
            start = k;
    }
    std::rotate(indices.begin(), indices.begin() + std::ptrdiff_t(start), indices.end());
    return indices;
}

std::vector<QPoint> possible_slip_fan_points(const TBaseCircle& circle, TProjection projection,
                                             int tl_size, const TFaultData& fd) {
    std::vector<QPoint> points;
    if (fd.SDList.empty())
        return points;
    const TSlipData& d0 = fd.SDList.front();
    Tvector3 q, unused;
    downward_pole(d0, q, unused);
    const QPoint p0 = project(q, projection, circle);
    points.push_back(p0);
    const Tmatrix33 m = plane_direction_matrix(d0.Pazpl);
    const std::array<QPoint, 1> tip{{{2 * tl_size, 0}}};
    for (const int i : contiguous_slip_indices(fd)) {
        Tvector3 w = direction_in_plane(m, candidate_step * float(i));
        if (d0.n.z > 0)
            w = negate3(w);
        const QPoint ps = project(tilted(q, 0.1, w), projection, circle);
        points.push_back(rotate_shape(tip, canvas_angle(p0, ps), p0).front());
    }
    return points;
}

void draw_possible_slip_fan(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                            const TSlipSymbolSpec& symb, const TFaultData& fd) {
    if (fd.SDList.empty())
        return;
    draw_fan_points(canvas, symb, possible_slip_fan_points(circle, projection, symb.tl_size, fd));
}

void draw_fan_points(QPainter& canvas, const TSlipSymbolSpec& symb,
                     const std::vector<QPoint>& points) {
    give_pen_brush(canvas, symb.tl_pen, symb.tl_brs);
    // Without admissible directions the polygon is the pole alone and only the dot shows.
    if (points.size() > 1)
        canvas.drawPolygon(points.data(), int(points.size()));

    QPen pen = canvas.pen();
    pen.setStyle(Qt::NoPen);
    QBrush brush = canvas.brush();
    brush.setColor(color_from_value(black_value));
    give_pen_brush(canvas, pen, brush);
    const QPoint p0 = points.front();
    const double t4 = 0.25 * symb.tl_size;
    draw_ellipse_box(canvas, nearest(p0.x() - t4), nearest(p0.y() - t4), nearest(p0.x() + t4),
                     nearest(p0.y() + t4));
}
