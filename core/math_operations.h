#pragma once

// Small fixed-size vectors, matrices and orientations of the whole program.
// Fields are single precision; every formula is evaluated in double precision and rounded to
// single once, when it is stored. Frame: x east, y north, z up. Orientations are
// (azimuth, plunge) in degrees, plunge positive downward.

#include <array>

// The conversion constants of the program (deliberately these literals, not pi/180 exactly).
inline constexpr double deg_to_rad = 0.01745329252;
inline constexpr double rad_to_deg = 57.29577951;

struct Tvector2 {
    float x = 0;
    float y = 0;
    bool operator==(const Tvector2&) const = default;
};

struct Tvector3 {
    float x = 0;
    float y = 0;
    float z = 0;
    bool operator==(const Tvector3&) const = default;
};

// A point of the five-dimensional space of deviatoric tensors.
struct Tvector5 {
    std::array<float, 5> x{};
    bool operator==(const Tvector5&) const = default;
};

// Row by row: m[i][j] is row i, column j (m[0][0] = m11, m[0][1] = m12, ...).
struct Tmatrix33 {
    std::array<std::array<float, 3>, 3> m{};
    bool operator==(const Tmatrix33&) const = default;
};

// Orientation in degrees: azimuth (or dip direction), then plunge (or dip).
struct Tazpl {
    float az = 0;
    float pl = 0;
    bool operator==(const Tazpl&) const = default;
};

// Construction and element-wise arithmetic.
Tvector2 make_vector2(float x, float y);
Tvector3 make_vector3(float x, float y, float z);
Tazpl make_azpl(float az, float pl);
Tmatrix33 make_matrix33(float m11, float m12, float m13, float m21, float m22, float m23, float m31,
                        float m32, float m33);
Tmatrix33 identity33();
Tvector2 add2(const Tvector2& a, const Tvector2& b);
Tvector2 scale2(float s, const Tvector2& v);
Tvector3 add3(const Tvector3& a, const Tvector3& b);
Tvector3 subtract3(const Tvector3& a, const Tvector3& b);
Tvector3 scale3(float s, const Tvector3& v);
Tvector3 negate3(const Tvector3& v);
Tvector5 add5(const Tvector5& a, const Tvector5& b);
Tvector5 scale5(float s, const Tvector5& v);

// Products, lengths and normalisation.
float dot_product3(const Tvector3& a, const Tvector3& b);
float dot_product5(const Tvector5& a, const Tvector5& b);
Tvector3 cross_product3(const Tvector3& a, const Tvector3& b);
float norm2(const Tvector2& v);
float norm3(const Tvector3& v);
float norm5(const Tvector5& v);
float squared_norm3(const Tvector3& v);
// The length is rounded to single before the divisions; a zero vector comes back unchanged.
Tvector3 normalize3(const Tvector3& v);
Tvector5 normalize5(const Tvector5& v);

// Matrices.
Tmatrix33 matrix_product33(const Tmatrix33& a, const Tmatrix33& b);
Tvector3 matrix_vector3(const Tmatrix33& m, const Tvector3& v);
Tmatrix33 transpose33(const Tmatrix33& m);
// (I - n n^T) a for a unit n; the entries of I - n n^T are rounded to single first.
Tvector3 project_onto_plane3(const Tvector3& a, const Tvector3& n);

// Orientations.
// x - m trunc(x / m): the result has the sign of x.
float float_mod(float x, float m);
// (phi, theta) = (float_mod(90 - az, 360), pl + 90).
Tvector2 azpl_to_spherical(const Tazpl& azpl);
Tvector3 azpl_to_vector3(const Tazpl& azpl);
Tazpl vector3_to_azpl(const Tvector3& v);
Tazpl vector3_to_azpl_lower(const Tvector3& v);
Tvector3 to_lower_hemisphere(const Tvector3& v);
Tvector3 to_upper_hemisphere(const Tvector3& v);
Tazpl plane_to_pole(const Tazpl& plane);
Tazpl pole_to_plane(const Tazpl& pole);

// Five-dimensional representation of deviatoric tensors.
Tvector5 matrix33_to_vector5(const Tmatrix33& d);
Tmatrix33 vector5_to_matrix33(const Tvector5& x);
// Minus the 5-vector of a b^T + b a^T.
Tvector5 dyad_to_vector5(const Tvector3& a, const Tvector3& b);
float angle_to_hyperplane5(const Tvector5& s, const Tvector5& b);
float angle_to_halfspace5(const Tvector5& s, const Tvector5& b);
// Angular distance from s to the arc {x . c = 0, x . b >= 0} of the unit sphere.
float angle_to_fry_arc(const Tvector5& s, const Tvector5& b, const Tvector5& c);

// Arc sine of a value that rounding may have pushed just outside [-1, 1]: the argument is
// clamped to that range first.
double clamped_asin(double u);
