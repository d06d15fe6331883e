#include "core/eigen.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

namespace {

constexpr double two_pi_over_3 = 2.0943951023931954927;
constexpr double four_pi_over_3 = 4.1887902047863909854;

double dot(const Tvector3d& a, const Tvector3d& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Tvector3d cross(const Tvector3d& a, const Tvector3d& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

long double length(const Tvector3d& v) {
    const long double x = v[0], y = v[1], z = v[2];
    return std::sqrt(x * x + y * y + z * z);
}

// The part of v perpendicular to the unit vector a, normalised; zero when v is (nearly) along a
// or zero itself. Two passes keep the result orthogonal to a even after heavy cancellation.
Tvector3d orthonormalised(Tvector3d v, const Tvector3d& a) {
    for (int pass = 0; pass < 2; ++pass) {
        const double d = dot(v, a);
        for (std::size_t i = 0; i < 3; ++i)
            v[i] -= d * a[i];
        if (pass == 0 && length(v) <= 1e-10)
            return {0, 0, 0};
        v = normalize_double3(v);
    }
    return v;
}

// Some unit vector perpendicular to the unit vector a: a crossed with the axis least aligned to
// it, so the cross product cannot cancel.
Tvector3d perpendicular(const Tvector3d& a) {
    std::size_t axis = 0;
    for (std::size_t i = 1; i < 3; ++i)
        if (std::abs(a[i]) < std::abs(a[axis]))
            axis = i;
    Tvector3d e{0, 0, 0};
    e[axis] = 1;
    return normalize_double3(cross(a, e));
}

struct Candidate {
    Tvector3d direction;      // unit, or zero when the adjugate vanishes
    long double strength = 0; // length of the row it came from
};

// The longest row of the shifted adjugate carries the least relative rounding error, and it
// finds an axis with a zero component as accurately as any other.
Candidate adjugate_direction(const Tmatrix33d& a, double lambda) {
    const Tmatrix33d b = shifted_adjugate(a, lambda);
    std::size_t best = 0;
    long double best_length = length(b[0]);
    for (std::size_t i = 1; i < 3; ++i) {
        const long double l = length(b[i]);
        if (l > best_length) {
            best = i;
            best_length = l;
        }
    }
    return {normalize_double3(b[best]), best_length};
}

} // namespace

std::array<double, 3> eigenvalues3(const Tmatrix33d& m) {
    const double a11 = m[0][0], a12 = m[0][1], a13 = m[0][2];
    const double a21 = m[1][0], a22 = m[1][1], a23 = m[1][2];
    const double a31 = m[2][0], a32 = m[2][1], a33 = m[2][2];
    const double a = -(a11 + a22 + a33);
    const double b = a22 * a33 - a23 * a32 + a33 * a11 - a31 * a13 + a11 * a22 - a12 * a21;
    const double c = -(a11 * a22 * a33 + a12 * a23 * a31 + a21 * a32 * a13 - a31 * a22 * a13 -
                       a12 * a21 * a33 - a11 * a32 * a23);
    const double q = (3 * b - a * a) / 9;
    const double r = (9 * a * b - 27 * c - 2 * (a * a * a)) / 54;
    const double shift = -a / 3;

    const double denominator = q < 0 ? std::sqrt(std::max(0.0, -(q * q * q))) : 0.0;
    if (denominator == 0) // isotropic: a triple root
        return {shift, shift, shift};
    // Nearly repeated roots can push the cosine argument just outside [-1, 1].
    const double u = std::clamp(r / denominator, -1.0, 1.0);
    const double theta = std::atan2(std::sqrt(std::max(0.0, (1 + u) * (1 - u))), u);
    const double scale = 2 * std::sqrt(-q);
    double l1 = scale * std::cos(theta / 3) + shift;
    double l2 = scale * std::cos(theta / 3 + two_pi_over_3) + shift;
    double l3 = scale * std::cos(theta / 3 + four_pi_over_3) + shift;
    sort3_descending(l1, l2, l3);
    return {l1, l2, l3};
}

Tmatrix33d shifted_adjugate(const Tmatrix33d& a, double lambda) {
    const double d1 = a[0][0] - lambda, d2 = a[1][1] - lambda, d3 = a[2][2] - lambda;
    const double a12 = a[0][1], a13 = a[0][2], a23 = a[1][2];
    const double b12 = a13 * a23 - a12 * d3;
    const double b13 = a12 * a23 - a13 * d2;
    const double b23 = a12 * a13 - a23 * d1;
    return {{{d2 * d3 - a23 * a23, b12, b13},
             {b12, d1 * d3 - a13 * a13, b23},
             {b13, b23, d1 * d2 - a12 * a12}}};
}

Tvector3d normalize_double3(const Tvector3d& v) {
    const long double r = length(v);
    if (r == 0)
        return {0, 0, 0};
    return {double(v[0] / r), double(v[1] / r), double(v[2] / r)};
}

void sort3_descending(double& v1, double& v2, double& v3) {
    if (v1 < v2)
        std::swap(v1, v2);
    if (v2 < v3)
        std::swap(v2, v3);
    if (v1 < v2)
        std::swap(v1, v2);
}

TEigen3 eigen3(const Tmatrix33d& a) {
    TEigen3 result;
    result.values = eigenvalues3(a);
    const auto& lambda = result.values;
    Tmatrix33d& vec = result.vectors;
    const auto set_column = [&vec](std::size_t k, const Tvector3d& v) {
        for (std::size_t j = 0; j < 3; ++j)
            vec[j][k] = v[j];
    };

    if (lambda[0] == lambda[2]) { // every direction is an eigenvector
        for (std::size_t k = 0; k < 3; ++k)
            set_column(k, {k == 0 ? 1.0 : 0.0, k == 1 ? 1.0 : 0.0, k == 2 ? 1.0 : 0.0});
        return result;
    }

    std::array<Candidate, 3> found;
    for (std::size_t k = 0; k < 3; ++k)
        found[k] = adjugate_direction(a, lambda[k]);

    // The axis of the eigenvalue farthest from the other two is the best determined one; the
    // second is made orthogonal to it, and the third is their cross product. For well separated
    // eigenvalues this changes the adjugate directions only by rounding; for a (nearly) repeated
    // pair it gives an orthonormal basis of their common eigenplane.
    const std::size_t first = lambda[0] - lambda[1] >= lambda[1] - lambda[2] ? 0 : 2;
    std::size_t second = 1;
    std::size_t third = 2 - first;
    if (found[third].strength > found[second].strength)
        std::swap(second, third);

    Tvector3d e1 = found[first].direction;
    if (length(e1) == 0)
        e1 = {1, 0, 0};
    Tvector3d e2 = orthonormalised(found[second].direction, e1);
    if (length(e2) == 0)
        e2 = perpendicular(e1);
    Tvector3d e3 = cross(e1, e2);
    if (dot(e3, found[third].direction) < 0)
        e3 = {-e3[0], -e3[1], -e3[2]};

    set_column(first, e1);
    set_column(second, e2);
    set_column(third, e3);
    return result;
}

TPrincipalAxes principal_axes(const Tmatrix33& s) {
    Tmatrix33d a;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            a[i][j] = s.m[i][j];
    const TEigen3 e = eigen3(a);
    const auto axis = [&e](std::size_t k) {
        return make_vector3(float(e.vectors[0][k]), float(e.vectors[1][k]), float(e.vectors[2][k]));
    };

    TPrincipalAxes out;
    out.greatest = vector3_to_azpl_lower(axis(0));
    out.least = vector3_to_azpl_lower(axis(2));
    const double spread = e.values[0] - e.values[2];
    // A spread below the resolution of the single-precision input is no spread at all.
    const double magnitude = std::max(std::abs(e.values[0]), std::abs(e.values[2]));
    if (spread > 4 * FLT_EPSILON * magnitude) {
        out.ratio = float((e.values[1] - e.values[2]) / spread);
        out.ratio_defined = true;
    }
    return out;
}
