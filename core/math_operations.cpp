#include "core/math_operations.h"

#include <algorithm>
#include <cmath>

// Every formula below runs in double and is rounded to float once, on storing; the explicit
// float() casts mark the few intermediates that must be rounded earlier to reproduce the
// program's results bit for bit.

namespace {

double sq(double v) {
    return v * v;
}

} // namespace

Tvector2 make_vector2(float x, float y) {
    return {x, y};
}

Tvector3 make_vector3(float x, float y, float z) {
    return {x, y, z};
}

Tazpl make_azpl(float az, float pl) {
    return {az, pl};
}

Tmatrix33 make_matrix33(float m11, float m12, float m13, float m21, float m22, float m23, float m31,
                        float m32, float m33) {
    Tmatrix33 r;
    r.m = {{{m11, m12, m13}, {m21, m22, m23}, {m31, m32, m33}}};
    return r;
}

Tmatrix33 identity33() {
    return make_matrix33(1, 0, 0, 0, 1, 0, 0, 0, 1);
}

Tvector2 add2(const Tvector2& a, const Tvector2& b) {
    return {float(double(a.x) + b.x), float(double(a.y) + b.y)};
}

Tvector2 scale2(float s, const Tvector2& v) {
    return {float(double(s) * v.x), float(double(s) * v.y)};
}

Tvector3 add3(const Tvector3& a, const Tvector3& b) {
    return {float(double(a.x) + b.x), float(double(a.y) + b.y), float(double(a.z) + b.z)};
}

Tvector3 subtract3(const Tvector3& a, const Tvector3& b) {
    return {float(double(a.x) - b.x), float(double(a.y) - b.y), float(double(a.z) - b.z)};
}

Tvector3 scale3(float s, const Tvector3& v) {
    return {float(double(s) * v.x), float(double(s) * v.y), float(double(s) * v.z)};
}

Tvector3 negate3(const Tvector3& v) {
    return {-v.x, -v.y, -v.z};
}

Tvector5 add5(const Tvector5& a, const Tvector5& b) {
    Tvector5 r;
    for (std::size_t i = 0; i < 5; ++i)
        r.x[i] = float(double(a.x[i]) + b.x[i]);
    return r;
}

Tvector5 scale5(float s, const Tvector5& v) {
    Tvector5 r;
    for (std::size_t i = 0; i < 5; ++i)
        r.x[i] = float(double(s) * v.x[i]);
    return r;
}

float dot_product3(const Tvector3& a, const Tvector3& b) {
    return float(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z);
}

float dot_product5(const Tvector5& a, const Tvector5& b) {
    double sum = 0;
    for (std::size_t i = 0; i < 5; ++i)
        sum += double(a.x[i]) * b.x[i];
    return float(sum);
}

Tvector3 cross_product3(const Tvector3& a, const Tvector3& b) {
    return {float(double(a.y) * b.z - double(a.z) * b.y),
            float(double(a.z) * b.x - double(a.x) * b.z),
            float(double(a.x) * b.y - double(a.y) * b.x)};
}

float norm2(const Tvector2& v) {
    return float(std::sqrt(sq(v.x) + sq(v.y)));
}

float norm3(const Tvector3& v) {
    return float(std::sqrt(sq(v.x) + sq(v.y) + sq(v.z)));
}

float norm5(const Tvector5& v) {
    double sum = 0;
    for (float c : v.x)
        sum += sq(c);
    return float(std::sqrt(sum));
}

float squared_norm3(const Tvector3& v) {
    return float(sq(v.x) + sq(v.y) + sq(v.z));
}

// A zero vector has no direction; it comes back unchanged rather than as NaN.
Tvector3 normalize3(const Tvector3& v) {
    const float r = norm3(v);
    if (r == 0)
        return v;
    return {float(double(v.x) / r), float(double(v.y) / r), float(double(v.z) / r)};
}

Tvector5 normalize5(const Tvector5& v) {
    const float r = norm5(v);
    if (r == 0)
        return v;
    Tvector5 out;
    for (std::size_t i = 0; i < 5; ++i)
        out.x[i] = float(double(v.x[i]) / r);
    return out;
}

Tmatrix33 matrix_product33(const Tmatrix33& a, const Tmatrix33& b) {
    Tmatrix33 r;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) {
            double sum = 0;
            for (std::size_t k = 0; k < 3; ++k)
                sum += double(a.m[i][k]) * b.m[k][j];
            r.m[i][j] = float(sum);
        }
    return r;
}

Tvector3 matrix_vector3(const Tmatrix33& m, const Tvector3& v) {
    const auto row = [&](std::size_t i) {
        return float(double(m.m[i][0]) * v.x + double(m.m[i][1]) * v.y + double(m.m[i][2]) * v.z);
    };
    return {row(0), row(1), row(2)};
}

Tmatrix33 transpose33(const Tmatrix33& m) {
    Tmatrix33 r;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            r.m[i][j] = m.m[j][i];
    return r;
}

Tvector3 project_onto_plane3(const Tvector3& a, const Tvector3& n) {
    const std::array<double, 3> c{n.x, n.y, n.z};
    Tmatrix33 p;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            p.m[i][j] = float((i == j ? 1.0 : 0.0) - c[i] * c[j]);
    return matrix_vector3(p, a);
}

float float_mod(float x, float m) {
    const double k = std::trunc(double(x) / m);
    return float(x - m * k);
}

Tvector2 azpl_to_spherical(const Tazpl& azpl) {
    return {float_mod(float(90.0 - azpl.az), 360), float(double(azpl.pl) + 90.0)};
}

Tvector3 azpl_to_vector3(const Tazpl& azpl) {
    const Tvector2 sph = azpl_to_spherical(azpl);
    // Rounding the radians to float is what puts a horizontal line a hair below the horizon.
    const double phi = float(deg_to_rad * sph.x);
    const double theta = float(deg_to_rad * sph.y);
    return {float(std::sin(theta) * std::cos(phi)), float(std::sin(theta) * std::sin(phi)),
            float(std::cos(theta))};
}

namespace {

Tazpl unit_vector_to_azpl(const Tvector3& v) {
    const float az = float(std::atan2(double(v.x), double(v.y)) * rad_to_deg);
    // clamped_asin also absorbs a vertical component rounded slightly beyond unit length.
    return {float_mod(float(double(az) + 360.0), 360), float(clamped_asin(-v.z) * rad_to_deg)};
}

} // namespace

Tazpl vector3_to_azpl(const Tvector3& v) {
    return unit_vector_to_azpl(v);
}

Tazpl vector3_to_azpl_lower(const Tvector3& v) {
    return unit_vector_to_azpl(to_lower_hemisphere(v));
}

Tvector3 to_lower_hemisphere(const Tvector3& v) {
    return v.z > 0 ? negate3(v) : v;
}

Tvector3 to_upper_hemisphere(const Tvector3& v) {
    return v.z < 0 ? negate3(v) : v;
}

Tazpl plane_to_pole(const Tazpl& plane) {
    return {float_mod(float(double(plane.az) + 180.0), 360), float(90.0 - plane.pl)};
}

Tazpl pole_to_plane(const Tazpl& pole) {
    return plane_to_pole(pole);
}

Tvector5 matrix33_to_vector5(const Tmatrix33& d) {
    const double d11 = d.m[0][0], d22 = d.m[1][1], d33 = d.m[2][2];
    Tvector5 x;
    x.x[0] = float(-0.5576775358252 * d11 + 0.1494292453613 * d22 + 0.4082482904639 * d33);
    x.x[1] = float(0.1494292453613 * d11 - 0.5576775358252 * d22 + 0.4082482904639 * d33);
    x.x[2] = d.m[1][2];
    x.x[3] = d.m[2][0];
    x.x[4] = d.m[0][1];
    return x;
}

Tmatrix33 vector5_to_matrix33(const Tvector5& x) {
    const double x1 = x.x[0], x2 = x.x[1];
    const float d11 = float(-1.1153550716504 * x1 + 0.2988584907226 * x2);
    const float d22 = float(0.2988584907226 * x1 - 1.1153550716504 * x2);
    const float d33 = float(0.81649658092769245 * (x1 + x2));
    const float d23 = x.x[2], d31 = x.x[3], d12 = x.x[4];
    return make_matrix33(d11, d12, d31, d12, d22, d23, d31, d23, d33);
}

Tvector5 dyad_to_vector5(const Tvector3& a, const Tvector3& b) {
    const double xx = double(a.x) * b.x, yy = double(a.y) * b.y, zz = double(a.z) * b.z;
    Tvector5 r;
    r.x[0] = float(1.1153550716504 * xx - 0.2988584907226 * yy - 0.8164965809278 * zz);
    r.x[1] = float(-0.2988584907226 * xx + 1.1153550716504 * yy - 0.8164965809278 * zz);
    r.x[2] = float(-(double(a.y) * b.z + double(a.z) * b.y));
    r.x[3] = float(-(double(a.z) * b.x + double(a.x) * b.z));
    r.x[4] = float(-(double(a.x) * b.y + double(a.y) * b.x));
    return r;
}

float angle_to_hyperplane5(const Tvector5& s, const Tvector5& b) {
    return float(std::abs(clamped_asin(dot_product5(b, s))) * rad_to_deg);
}

float angle_to_halfspace5(const Tvector5& s, const Tvector5& b) {
    const float p = dot_product5(b, s);
    if (p >= 0)
        return 0;
    return float(std::abs(clamped_asin(p)) * rad_to_deg);
}

float angle_to_fry_arc(const Tvector5& s, const Tvector5& b, const Tvector5& c) {
    const float p = dot_product5(b, s);
    const float q = dot_product5(c, s);
    if (p >= 0)
        return float(std::abs(clamped_asin(q)) * rad_to_deg);
    // Outside the arc's half-space (or NaN). Reported distances have always been the arc sine
    // of the fourth root of p^2 + q^2 here, so the square root of the length is deliberate.
    const float r = norm2(make_vector2(p, q));
    return float(clamped_asin(std::sqrt(double(r))) * rad_to_deg);
}

double clamped_asin(double u) {
    // A NaN falls through the clamp and stays NaN.
    const double v = std::clamp(u, -1.0, 1.0);
    return std::atan2(v, std::sqrt(1 - v * v));
}
