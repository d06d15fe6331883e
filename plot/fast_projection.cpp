#include "plot/fast_projection.h"

#include <algorithm>
#include <cmath>

namespace {

// How far the chain's offsets (before rounding) may lie from the exact value, per pixel of
// distance from the centre. Its azimuth passes through four single-precision roundings
// (degrees, degrees + 360, radians, 90 degrees minus it), together under 1.2e-6 radian; the
// sine or cosine and the two products add about 2.5e-7 of the distance. The plunge's three
// roundings move the distance by at most 1.3e-7 times its derivative. Twice that, to spare.
constexpr double angular_bound = 3e-6;
constexpr double plunge_bound = 3e-7;
constexpr double fixed_bound = 2e-4;
// Beyond this the chain rounds to the bound of nearest(), and the margins grow to a pixel.
constexpr double far_offset = 1e6;

// The integer the chain's value rounds to, when no value within bound of x lies on a half.
bool settled(double x, double bound, int& out) {
    const double f = std::floor(x);
    const double frac = x - f;
    if (!(std::fabs(frac - 0.5) > bound))
        return false;
    out = static_cast<int>(f) + (frac > 0.5 ? 1 : 0);
    return true;
}

} // namespace

TVectorProjector::TVectorProjector(TProjection projection, QPoint centre, int radius)
    : projection_(projection), centre_(centre), radius_(radius) {}

bool TVectorProjector::offsets(const Tvector3& v, double& dx, double& dy, double& bound) const {
    const double x = v.x, y = v.y;
    const double h2 = x * x + y * y;
    if (!(h2 > 1e-30 && h2 < 1e30)) // no azimuth worth the name, infinite or NaN
        return false;
    // The chain takes the plunge as asin(-z) of z as it is, clamped: sin(45 - pl / 2) and
    // tan(45 - pl / 2) follow from z alone.
    const double z = std::clamp(double(v.z), -1.0, 1.0);
    const double r = radius_;
    double rho = 0;
    if (projection_ == TProjection::EArea) {
        rho = r * std::sqrt(1 + z);
        bound = angular_bound * rho + plunge_bound * 1.5 * r + fixed_bound;
    } else {
        if (!(z < 1)) // straight up: the equal-angle net has no place for it
            return false;
        rho = r * std::sqrt((1 + z) / (1 - z));
        bound = angular_bound * rho + plunge_bound * (r + rho * rho / r) + fixed_bound;
    }
    if (!(rho < far_offset))
        return false;
    const double s = rho / std::sqrt(h2);
    dx = x * s;
    dy = y * s;
    return true;
}

QPoint TVectorProjector::reference(const Tvector3& v) const {
    return azpl_to_point(vector3_to_azpl(v), projection_, centre_, radius_);
}

QPoint TVectorProjector::operator()(const Tvector3& v) const {
    double dx = 0, dy = 0, bound = 0;
    int ix = 0, iy = 0;
    if (offsets(v, dx, dy, bound) && settled(dx, bound, ix) && settled(dy, bound, iy))
        return {centre_.x() + ix, centre_.y() - iy};
    return reference(v);
}

QPointF TVectorProjector::approximate(const Tvector3& v) const {
    double dx = 0, dy = 0, bound = 0;
    if (offsets(v, dx, dy, bound) && bound < 0.01)
        return {centre_.x() + dx, centre_.y() - dy};
    return QPointF(reference(v));
}

const std::array<Tvector3, 181>& half_turn_directions() {
    static const std::array<Tvector3, 181> directions = [] {
        std::array<Tvector3, 181> d;
        for (std::size_t i = 0; i < d.size(); ++i) {
            // As direction_in_plane computes them from a single-precision angle.
            const double t = float(i) * deg_to_rad;
            d[i] = make_vector3(float(std::cos(t)), float(std::sin(t)), 0);
        }
        return d;
    }();
    return directions;
}

void approximate_great_circle(const Tmatrix33& m, TProjection projection, QPoint centre, int radius,
                              std::array<float, padded_circle>& px,
                              std::array<float, padded_circle>& py) {
    static const std::array<std::array<float, padded_circle>, 2> cs = [] {
        std::array<std::array<float, padded_circle>, 2> a{};
        for (std::size_t t = 0; t < padded_circle; ++t) {
            a[0][t] = half_turn_directions()[std::min<std::size_t>(t, 180)].x;
            a[1][t] = half_turn_directions()[std::min<std::size_t>(t, 180)].y;
        }
        return a;
    }();
    const float m00 = m.m[0][0], m01 = m.m[0][1], m10 = m.m[1][0], m11 = m.m[1][1];
    const float m20 = m.m[2][0], m21 = m.m[2][1];
    const float cx = float(centre.x()), cy = float(centre.y()), r = float(radius);
    const float area = projection == TProjection::EArea ? 1.0f : 0.0f;
    // No branches and no aliases, for the vector units.
    std::array<float, padded_circle> xs, ys;
    for (std::size_t t = 0; t < padded_circle; ++t) {
        const float c = cs[0][t], s = cs[1][t];
        const float x = m00 * c + m01 * s, y = m10 * c + m11 * s;
        const float zr = m20 * c + m21 * s;
        const float z = zr < -1.0f ? -1.0f : zr;
        // A vertical direction has no azimuth: the centre, whatever the factor.
        const float hr = x * x + y * y;
        const float h2 = hr < 1e-30f ? 1e-30f : hr;
        // Equal area: R sqrt(1 + z) / h; equal angle: R sqrt((1 + z) / (1 - z)) / h.
        const float k = r * std::sqrt((1 + z) / ((area + (1 - area) * (1 - z)) * h2));
        xs[t] = cx + k * x;
        ys[t] = cy - k * y;
    }
    px = xs;
    py = ys;
}
