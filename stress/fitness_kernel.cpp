#include "stress/fitness_kernel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define QUOMTEL_AVX2_KERNEL 1
#include <immintrin.h>
#endif

// How the counts stay exact: every value compared with the tolerance is a single-precision
// number that the compatibility analysis computes with the same operations in the same order
// (the vector code does one IEEE operation per scalar one, never fused). Each misfit is a
// monotone function of one such number (a dot product of slip vectors, or the 5-D dot products
// of the Fry-arc distance), so "misfit <= tolerance" is a comparison of that number with a
// threshold found once, by bisection over the single-precision numbers with the library's own
// functions. Only the data that count need a misfit, for the mean; it comes from a fast
// arctangent and is checked to round to the same single as the library's would.

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();

// The single-precision misfits of the compatibility analysis.

float slip_angle_reference(float dot) {
    return float(std::acos(std::clamp(double(dot), -1.0, 1.0)) * rad_to_deg);
}

// angle_to_hyperplane5, angle_to_halfspace5 and angle_to_fry_arc inside the half-space.
float asin_angle_reference(float x) {
    return float(std::abs(clamped_asin(x)) * rad_to_deg);
}

// angle_to_fry_arc outside the half-space, from r = norm2(p, q).
float fry_far_angle_reference(float r) {
    return float(clamped_asin(std::sqrt(double(r))) * rad_to_deg);
}

// A Lin datum's slip-direction misfit folded into 0 to 90 degrees, as choose_representative
// folds it (in single precision).
float folded(float misfit) {
    return misfit > 90 ? 180.0f - misfit : misfit;
}

// The arctangent of fdlibm (Sun Microsystems, 1993; s_atan.c), within one unit in the last
// place, for x >= 0 (and +infinity).
constexpr double atanhi[] = {4.63647609000806093515e-01, 7.85398163397448278999e-01,
                             9.82793723247329054082e-01, 1.57079632679489655800e+00};
constexpr double atanlo[] = {2.26987774529616870924e-17, 3.06161699786838301793e-17,
                             1.39033110312309984516e-17, 6.12323399573676603587e-17};
constexpr double aT[] = {
    3.33333333333329318027e-01,  -1.99999999998764832476e-01, 1.42857142725034663711e-01,
    -1.11111104054623557880e-01, 9.09088713343650656196e-02,  -7.69187620504482999495e-02,
    6.66107313738753120669e-02,  -5.83357013379057348645e-02, 4.97687799461593236017e-02,
    -3.65315727442169155270e-02, 1.62858201153657823623e-02};

double atan_nonnegative(double x) {
    int id = -1;
    if (x < 0.4375) {
        // no reduction
    } else if (x < 0.6875) {
        id = 0;
        x = (2 * x - 1) / (2 + x);
    } else if (x < 1.1875) {
        id = 1;
        x = (x - 1) / (x + 1);
    } else if (x < 2.4375) {
        id = 2;
        x = (x - 1.5) / (1 + 1.5 * x);
    } else {
        id = 3;
        x = -1 / x;
    }
    const double z = x * x, w = z * z;
    const double s1 =
        z * (aT[0] + w * (aT[2] + w * (aT[4] + w * (aT[6] + w * (aT[8] + w * aT[10])))));
    const double s2 = w * (aT[1] + w * (aT[3] + w * (aT[5] + w * (aT[7] + w * aT[9]))));
    if (id < 0)
        return x - x * (s1 + s2);
    return atanhi[id] - ((x * (s1 + s2) - atanlo[id]) - x);
}

// atan2(y, x) for y, x >= 0, not both 0.
double atan2_nonnegative(double y, double x) {
    if (y <= x)
        return atan_nonnegative(y / x);
    return (atanhi[3] - atan_nonnegative(x / y)) + atanlo[3];
}

// The single nearest to degrees, when it is certain that the library's angle (within a few
// units of the last place of ours) rounds to the same single; false otherwise, which happens
// about once in a million.
bool settled(double degrees, float& out) {
    constexpr double margin = 0x1p-44;
    const float low = float(degrees * (1 - margin)), high = float(degrees * (1 + margin));
    out = low;
    return low == high;
}

// The misfits the batches below compute, each as the compatibility analysis gives it.
enum class TAngle {
    Slip, // from the dot product of observed and theoretical slip
    Asin, // from a 5-D dot product: a distance to a hyperplane, or to a Fry arc inside its half
    Far,  // from r = norm2(p, q): a distance to a Fry arc outside its half-space
};

float reference_angle(TAngle kind, float x) {
    switch (kind) {
    case TAngle::Slip:
        return slip_angle_reference(x);
    case TAngle::Asin:
        return asin_angle_reference(x);
    case TAngle::Far:
        break;
    }
    return fry_far_angle_reference(x);
}

// The misfit is atan2(y, x) in radians, times 2 for Slip; y and x are never both 0.
void atan2_arguments(TAngle kind, float value, double& y, double& x) {
    switch (kind) {
    case TAngle::Slip: { // arccos(c) = 2 atan2(sqrt(1 - c), sqrt(1 + c))
        const double c = std::clamp(double(value), -1.0, 1.0);
        y = std::sqrt(1 - c);
        x = std::sqrt(1 + c);
        return;
    }
    case TAngle::Asin: { // as clamped_asin forms it
        const double v = std::clamp(double(value), -1.0, 1.0);
        y = std::abs(v);
        x = std::sqrt(1 - v * v);
        return;
    }
    case TAngle::Far:
        break;
    }
    const double v = std::clamp(std::sqrt(double(value)), -1.0, 1.0);
    y = v;
    x = std::sqrt(1 - v * v);
}

// Single-precision numbers in the order of their values, as integers (-0 and +0 alike).
std::int32_t order_key(float x) {
    std::int32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits >= 0 ? bits : -(bits & 0x7fffffff);
}

float from_order_key(std::int32_t key) {
    const std::int32_t bits = key >= 0 ? key : (-key) | std::numeric_limits<std::int32_t>::min();
    float x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// The least x in [low, high] where holds(x), for a condition false below some point and true
// from there on; +infinity when it holds nowhere.
template <typename Condition> float first_holding(float low, float high, Condition holds) {
    std::int64_t lo = order_key(low), hi = order_key(high);
    if (!holds(high))
        return inf;
    while (lo < hi) { // holds(hi) is true
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (holds(from_order_key(std::int32_t(mid))))
            hi = mid;
        else
            lo = mid + 1;
    }
    return from_order_key(std::int32_t(lo));
}

// The greatest x in [low, high] where holds(x), for a condition true up to some point and false
// after; -infinity when it holds nowhere, +infinity when it holds at high (and so beyond, for
// functions that the clamp to [-1, 1] makes constant there).
template <typename Condition> float last_holding(float low, float high, Condition holds) {
    std::int64_t lo = order_key(low), hi = order_key(high);
    if (holds(high))
        return inf;
    if (!holds(low))
        return -inf;
    while (lo < hi) { // holds(lo) is true
        const std::int64_t mid = lo + (hi - lo + 1) / 2;
        if (holds(from_order_key(std::int32_t(mid))))
            lo = mid;
        else
            hi = mid - 1;
    }
    return from_order_key(std::int32_t(lo));
}

// Columns of the per-plane numbers of the slip-direction measure.
enum TSlipColumn { NX, NY, NZ, P00, P01, P02, P11, P12, P22, VX, VY, VZ, SlipColumns };
// Columns of the Fry-arc measure: ee, then ep.
constexpr int FryColumns = 10;

// What the slip-direction arithmetic needs of a state.
struct TSlipStress {
    double s[9];     // sg row by row
    double sq_tol;   // the tolerance below which a shear counts as none, squared
    double limit_t2; // squared traction below which there is none: sq_tol times the size of sg
};

TSlipStress slip_stress(const Tmatrix33& sg) {
    // As theoretical_slip judges noise: shear below a millionth of the traction is none, and
    // so is traction below a millionth of the tensor's size (squared Frobenius norm).
    constexpr double tolerance = 1e-6, squared_tolerance = tolerance * tolerance;
    TSlipStress s;
    double size = 0;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) {
            s.s[3 * i + j] = sg.m[i][j];
            size += double(sg.m[i][j]) * sg.m[i][j];
        }
    s.sq_tol = squared_tolerance;
    s.limit_t2 = squared_tolerance * size;
    return s;
}

// The dot product of observed and theoretical slip of plane i, as calc_theoretical_slip_and_
// misfit computes it: traction, shear traction through the rounded projector, the noise test,
// normalisation, negation and the product, each rounded to single where it rounds there. The
// quotients are formed in single precision, which gives the same singles: a quotient of singles
// rounded to double and then to single is the quotient rounded to single once, double having
// more than twice the digits (Figueroa 1995).
float slip_dot(const double* a, std::size_t lanes, const TSlipStress& s, std::size_t i) {
    const auto col = [a, lanes, i](int c) { return a[std::size_t(c) * lanes + i]; };
    const double nx = col(NX), ny = col(NY), nz = col(NZ);
    const double tx = float(s.s[0] * nx + s.s[1] * ny + s.s[2] * nz);
    const double ty = float(s.s[3] * nx + s.s[4] * ny + s.s[5] * nz);
    const double tz = float(s.s[6] * nx + s.s[7] * ny + s.s[8] * nz);
    float sx = float(col(P00) * tx + col(P01) * ty + col(P02) * tz);
    float sy = float(col(P01) * tx + col(P11) * ty + col(P12) * tz);
    float sz = float(col(P02) * tx + col(P12) * ty + col(P22) * tz);
    const double t2 = tx * tx + ty * ty + tz * tz;
    const double s2 = double(sx) * sx + double(sy) * sy + double(sz) * sz;
    if (s2 < s.sq_tol * t2 || t2 < s.limit_t2)
        return -0.0f; // no shear: the theoretical slip is the zero vector
    const float r = float(std::sqrt(s2));
    if (r != 0) {
        sx /= r;
        sy /= r;
        sz /= r;
    }
    return -float(col(VX) * sx + col(VY) * sy + col(VZ) * sz);
}

void slip_dots_portable(const double* a, std::size_t lanes, const TSlipStress& s, float* out) {
    for (std::size_t i = 0; i < lanes; ++i)
        out[i] = slip_dot(a, lanes, s, i);
}

// Columns of the estimate of the slip-direction dot product: n n^T and v' n^T + n v'^T, v' the
// slip made perpendicular to n, each as xx, yy, zz, xy, xz, yz (off the diagonal doubled).
enum TEstimateColumn { N0 = 0, W0 = 6, EstimateColumns = 12 };

// The symmetric part S of sg and S^2, and the squared shear below which an estimate is not
// trusted.
struct TSlipEstimate {
    float s[6];
    float q[6];
    float floor;
};

// How far an estimate may lie from the exact dot product; planes whose estimate is nearer a
// threshold than this are computed exactly. Where the squared shear traction is at least
// estimate_floor times the squared size of the tensor, the estimate is within about 1e-3 (the
// single-precision sums, 6e-4 relative on the squared shear, and the reciprocal square root
// approximation, 3.7e-4): four times over.
constexpr float estimate_margin = 4e-3f;
constexpr double estimate_floor = 4e-3;

TSlipEstimate slip_estimate(const Tmatrix33& sg) {
    double m[3][3], size = 0;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) {
            m[i][j] = (double(sg.m[i][j]) + sg.m[j][i]) / 2;
            size += m[i][j] * m[i][j];
        }
    double q[3][3];
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            q[i][j] = m[i][0] * m[0][j] + m[i][1] * m[1][j] + m[i][2] * m[2][j];
    const std::size_t row[6] = {0, 1, 2, 0, 0, 1}, column[6] = {0, 1, 2, 1, 2, 2};
    TSlipEstimate e;
    for (std::size_t k = 0; k < 6; ++k) {
        e.s[k] = float(m[row[k]][column[k]]);
        e.q[k] = float(q[row[k]][column[k]]);
    }
    e.floor = float(estimate_floor * size);
    return e;
}

// ee . ss and ep . ss of each plane, as dot_product5 sums them.
void fry_dots_portable(const double* a, std::size_t lanes, const Tvector5& ss, float* p, float* q) {
    for (std::size_t i = 0; i < lanes; ++i) {
        double pe = 0, qe = 0;
        for (std::size_t k = 0; k < 5; ++k) {
            pe += a[k * lanes + i] * double(ss.x[k]);
            qe += a[(k + 5) * lanes + i] * double(ss.x[k]);
        }
        p[i] = float(pe);
        q[i] = float(qe);
    }
}

// Selections from a run of dot products, indices and values appended to out from out[n] on;
// each returns the new n.

// The planes whose d is not strictly between low and high (NaN among them).
std::size_t select_outside(const float* d, std::size_t begin, std::size_t end, float low,
                           float high, std::uint32_t* out, std::size_t n) {
    for (std::size_t i = begin; i < end; ++i) {
        out[n] = std::uint32_t(i);
        n += !(d[i] > low && d[i] < high);
    }
    return n;
}

// The planes whose d lies in [low, high), or is NaN.
std::size_t select_inside(const float* d, std::size_t begin, std::size_t end, float low, float high,
                          std::uint32_t* out, std::size_t n) {
    for (std::size_t i = begin; i < end; ++i) {
        out[n] = std::uint32_t(i);
        n += !(d[i] < low || d[i] >= high);
    }
    return n;
}

// The values d at or below low, or at or above high.
std::size_t values_outside(const float* d, std::size_t begin, std::size_t end, float low,
                           float high, float* out, std::size_t n) {
    for (std::size_t i = begin; i < end; ++i) {
        out[n] = d[i];
        n += (d[i] <= low) | (d[i] >= high);
    }
    return n;
}

// The kinds of Fry-arc distance of a plane: angle_to_fry_arc (Ful, Mec), angle_to_hyperplane5
// (Lin) and angle_to_halfspace5 (Sen).
enum class TFryPlane { Arc, Hyperplane, Halfspace };

// Planes whose distance is to be computed, by formula, and where each goes.
struct TFryLists {
    float* asin_argument;
    std::uint32_t* asin_plane;
    std::size_t asin_count;
    float* far_argument;
    std::uint32_t* far_plane;
    std::size_t far_count;
};

// The Fry-arc thresholds of a kernel.
struct TFryLimits {
    float asin_limit; // a distance by arcsine is within the tolerance up to |x| = asin_limit
    float far_limit;  // a distance outside the half-space up to r = far_limit
    bool inside_counts;
};

// Marks the planes from begin to end whose distance is within the tolerance, and lists those
// whose distance is not simply 0.
void classify_fry(TFryPlane kind, const float* p, const float* q, std::size_t begin,
                  std::size_t end, const TFryLimits& limits, std::uint8_t* within,
                  TFryLists& lists) {
    const auto to_asin = [&lists](std::size_t i, float x) {
        lists.asin_argument[lists.asin_count] = x;
        lists.asin_plane[lists.asin_count++] = std::uint32_t(i);
    };
    for (std::size_t i = begin; i < end; ++i) {
        switch (kind) {
        case TFryPlane::Arc: // inside the half-space (p >= 0) by q, outside by norm2(p, q)
            if (p[i] >= 0) {
                within[i] = std::abs(q[i]) <= limits.asin_limit;
                if (within[i])
                    to_asin(i, q[i]);
            } else {
                const float r = float(std::sqrt(double(p[i]) * p[i] + double(q[i]) * q[i]));
                within[i] = r <= limits.far_limit;
                if (within[i]) {
                    lists.far_argument[lists.far_count] = r;
                    lists.far_plane[lists.far_count++] = std::uint32_t(i);
                }
            }
            break;
        case TFryPlane::Hyperplane: // by the product with ep
            within[i] = std::abs(q[i]) <= limits.asin_limit;
            if (within[i])
                to_asin(i, q[i]);
            break;
        case TFryPlane::Halfspace: // by the product with ee: 0 inside
            within[i] = p[i] >= 0 ? limits.inside_counts : -p[i] <= limits.asin_limit;
            if (p[i] < 0 && within[i])
                to_asin(i, p[i]);
            break;
        }
    }
}

// The sum of d from begin to end in double precision, in four interleaved parts.
double sum_of(const float* d, std::size_t begin, std::size_t end) {
    double part[4] = {0, 0, 0, 0};
    std::size_t i = begin;
    for (; i + 4 <= end; i += 4)
        for (std::size_t k = 0; k < 4; ++k)
            part[k] += d[i + k];
    for (; i < end; ++i)
        part[0] += d[i];
    return (part[0] + part[1]) + (part[2] + part[3]);
}

#if QUOMTEL_AVX2_KERNEL

#define QUOMTEL_AVX2 __attribute__((target("avx2")))

QUOMTEL_AVX2 inline __m256d to_single(__m256d x) {
    return _mm256_cvtps_pd(_mm256_cvtpd_ps(x));
}

// a0 b0 + a1 b1 + a2 b2, summed from the left.
QUOMTEL_AVX2 inline __m256d sum3(__m256d a0, __m256d b0, __m256d a1, __m256d b1, __m256d a2,
                                 __m256d b2) {
    return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(a0, b0), _mm256_mul_pd(a1, b1)),
                         _mm256_mul_pd(a2, b2));
}

// The numbers of a state in vectors.
struct TSlipVectors {
    __m256d m[9];
    __m256d sq_tol;
    __m256d limit_t2;
};

QUOMTEL_AVX2 inline TSlipVectors slip_vectors(const TSlipStress& s) {
    TSlipVectors v;
    for (int k = 0; k < 9; ++k)
        v.m[k] = _mm256_set1_pd(s.s[k]);
    v.sq_tol = _mm256_set1_pd(s.sq_tol);
    v.limit_t2 = _mm256_set1_pd(s.limit_t2);
    return v;
}

// slip_dots_portable for four planes, given their columns c.
QUOMTEL_AVX2 inline __m128 slip_dots4(const TSlipVectors& k, const __m256d* c) {
    const __m256d* m = k.m;
    const __m256d tx = to_single(sum3(m[0], c[NX], m[1], c[NY], m[2], c[NZ]));
    const __m256d ty = to_single(sum3(m[3], c[NX], m[4], c[NY], m[5], c[NZ]));
    const __m256d tz = to_single(sum3(m[6], c[NX], m[7], c[NY], m[8], c[NZ]));
    __m256d sx = to_single(sum3(c[P00], tx, c[P01], ty, c[P02], tz));
    __m256d sy = to_single(sum3(c[P01], tx, c[P11], ty, c[P12], tz));
    __m256d sz = to_single(sum3(c[P02], tx, c[P12], ty, c[P22], tz));
    const __m256d t2 = sum3(tx, tx, ty, ty, tz, tz);
    const __m256d s2 = sum3(sx, sx, sy, sy, sz, sz);
    const __m256d none = _mm256_or_pd(_mm256_cmp_pd(s2, _mm256_mul_pd(k.sq_tol, t2), _CMP_LT_OQ),
                                      _mm256_cmp_pd(t2, k.limit_t2, _CMP_LT_OQ));
    sx = _mm256_andnot_pd(none, sx);
    sy = _mm256_andnot_pd(none, sy);
    sz = _mm256_andnot_pd(none, sz);
    const __m256d r = to_single(_mm256_sqrt_pd(_mm256_andnot_pd(none, s2)));
    const __m256d r_zero = _mm256_cmp_pd(r, _mm256_setzero_pd(), _CMP_EQ_OQ);
    // Where r is 0 the quotient is discarded; the shear itself (0 or tiny) stands.
    const __m256d ux = _mm256_blendv_pd(to_single(_mm256_div_pd(sx, r)), sx, r_zero);
    const __m256d uy = _mm256_blendv_pd(to_single(_mm256_div_pd(sy, r)), sy, r_zero);
    const __m256d uz = _mm256_blendv_pd(to_single(_mm256_div_pd(sz, r)), sz, r_zero);
    const __m256d d = sum3(c[VX], ux, c[VY], uy, c[VZ], uz);
    return _mm256_cvtpd_ps(_mm256_xor_pd(d, _mm256_set1_pd(-0.0)));
}

// slip_dots_portable four planes at a time.
QUOMTEL_AVX2 void slip_dots_avx2(const double* a, std::size_t lanes, const TSlipStress& s,
                                 float* out) {
    const TSlipVectors k = slip_vectors(s);
    for (std::size_t i = 0; i < lanes; i += 4) {
        __m256d c[SlipColumns];
        for (int col = 0; col < SlipColumns; ++col)
            c[col] = _mm256_loadu_pd(a + std::size_t(col) * lanes + i);
        _mm_storeu_ps(out + i, slip_dots4(k, c));
    }
}

// The same for the planes at[0] to at[count - 1] only, each into out[at[k]].
QUOMTEL_AVX2 void slip_dots_at_avx2(const double* a, std::size_t lanes, const TSlipStress& s,
                                    const std::uint32_t* at, std::size_t count, float* out) {
    const TSlipVectors k = slip_vectors(s);
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        __m256d c[SlipColumns];
        for (int col = 0; col < SlipColumns; ++col) {
            const double* column = a + std::size_t(col) * lanes;
            c[col] = _mm256_set_pd(column[at[i + 3]], column[at[i + 2]], column[at[i + 1]],
                                   column[at[i]]);
        }
        alignas(16) float d[4];
        _mm_store_ps(d, slip_dots4(k, c));
        for (std::size_t j = 0; j < 4; ++j)
            out[at[i + j]] = d[j];
    }
    for (; i < count; ++i)
        out[at[i]] = slip_dot(a, lanes, s, at[i]);
}

// For each 8-bit mask, the positions of its set bits in order, a byte each: what moves the
// selected lanes of eight to the front.
struct TCompactionTable {
    std::uint64_t order[256];
    constexpr TCompactionTable() : order{} {
        for (unsigned mask = 0; mask < 256; ++mask) {
            unsigned n = 0;
            for (unsigned bit = 0; bit < 8; ++bit)
                if (mask & (1u << bit))
                    order[mask] |= std::uint64_t(bit) << (8 * n++);
        }
    }
};
constexpr TCompactionTable compaction;

QUOMTEL_AVX2 inline __m256i lane_order(unsigned mask) {
    return _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(std::int64_t(compaction.order[mask])));
}

// The selections above, eight planes at a time, without branches: the selected lanes are moved
// to the front and all eight stored (out has room for eight past the last selected).
QUOMTEL_AVX2 std::size_t select_outside_avx2(const float* d, std::size_t begin, std::size_t end,
                                             float low, float high, std::uint32_t* out,
                                             std::size_t n) {
    const __m256 lo = _mm256_set1_ps(low), hi = _mm256_set1_ps(high);
    std::size_t i = begin;
    for (; i + 8 <= end; i += 8) {
        const __m256 v = _mm256_loadu_ps(d + i);
        const __m256 inside =
            _mm256_and_ps(_mm256_cmp_ps(v, lo, _CMP_GT_OQ), _mm256_cmp_ps(v, hi, _CMP_LT_OQ));
        const unsigned mask = ~unsigned(_mm256_movemask_ps(inside)) & 0xffu;
        const __m256i index = _mm256_add_epi32(lane_order(mask), _mm256_set1_epi32(int(i)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n), index);
        n += unsigned(__builtin_popcount(mask));
    }
    return select_outside(d, i, end, low, high, out, n);
}

QUOMTEL_AVX2 std::size_t select_inside_avx2(const float* d, std::size_t begin, std::size_t end,
                                            float low, float high, std::uint32_t* out,
                                            std::size_t n) {
    const __m256 lo = _mm256_set1_ps(low), hi = _mm256_set1_ps(high);
    std::size_t i = begin;
    for (; i + 8 <= end; i += 8) {
        const __m256 v = _mm256_loadu_ps(d + i);
        const __m256 outside =
            _mm256_or_ps(_mm256_cmp_ps(v, lo, _CMP_LT_OQ), _mm256_cmp_ps(v, hi, _CMP_GE_OQ));
        const unsigned mask = ~unsigned(_mm256_movemask_ps(outside)) & 0xffu;
        const __m256i index = _mm256_add_epi32(lane_order(mask), _mm256_set1_epi32(int(i)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n), index);
        n += unsigned(__builtin_popcount(mask));
    }
    return select_inside(d, i, end, low, high, out, n);
}

QUOMTEL_AVX2 std::size_t values_outside_avx2(const float* d, std::size_t begin, std::size_t end,
                                             float low, float high, float* out, std::size_t n) {
    const __m256 lo = _mm256_set1_ps(low), hi = _mm256_set1_ps(high);
    std::size_t i = begin;
    for (; i + 8 <= end; i += 8) {
        const __m256 v = _mm256_loadu_ps(d + i);
        const __m256 outside =
            _mm256_or_ps(_mm256_cmp_ps(v, lo, _CMP_LE_OQ), _mm256_cmp_ps(v, hi, _CMP_GE_OQ));
        const unsigned mask = unsigned(_mm256_movemask_ps(outside));
        _mm256_storeu_ps(out + n, _mm256_permutevar8x32_ps(v, lane_order(mask)));
        n += unsigned(__builtin_popcount(mask));
    }
    return values_outside(d, i, end, low, high, out, n);
}

// For each 8-bit mask, a byte 0 or 1 per bit.
struct TByteTable {
    std::uint64_t bytes[256];
    constexpr TByteTable() : bytes{} {
        for (unsigned mask = 0; mask < 256; ++mask)
            for (unsigned bit = 0; bit < 8; ++bit)
                if (mask & (1u << bit))
                    bytes[mask] |= std::uint64_t(1) << (8 * bit);
    }
};
constexpr TByteTable byte_table;

// Appends the lanes of mask: the values of v and their plane numbers from first on.
QUOMTEL_AVX2 inline void append_lanes(unsigned mask, __m256 v, std::size_t first, float* values,
                                      std::uint32_t* planes, std::size_t& count) {
    const __m256i order = lane_order(mask);
    _mm256_storeu_ps(values + count, _mm256_permutevar8x32_ps(v, order));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(planes + count),
                        _mm256_add_epi32(order, _mm256_set1_epi32(int(first))));
    count += unsigned(__builtin_popcount(mask));
}

// classify_fry eight planes at a time (the lists have room for eight past their end).
QUOMTEL_AVX2 void classify_fry_avx2(TFryPlane kind, const float* p, const float* q,
                                    std::size_t begin, std::size_t end, const TFryLimits& limits,
                                    std::uint8_t* within, TFryLists& lists) {
    const __m256 zero = _mm256_setzero_ps(), sign = _mm256_set1_ps(-0.0f);
    const __m256 asin_limit = _mm256_set1_ps(limits.asin_limit);
    const __m256 far_limit = _mm256_set1_ps(limits.far_limit);
    const __m256 inside_counts =
        _mm256_castsi256_ps(_mm256_set1_epi32(limits.inside_counts ? -1 : 0));
    std::size_t i = begin;
    for (; i + 8 <= end; i += 8) {
        const __m256 pv = _mm256_loadu_ps(p + i), qv = _mm256_loadu_ps(q + i);
        const __m256 inside = _mm256_cmp_ps(pv, zero, _CMP_GE_OQ);
        __m256 ok = zero;
        switch (kind) {
        case TFryPlane::Arc: {
            const __m256d p0 = _mm256_cvtps_pd(_mm256_castps256_ps128(pv));
            const __m256d p1 = _mm256_cvtps_pd(_mm256_extractf128_ps(pv, 1));
            const __m256d q0 = _mm256_cvtps_pd(_mm256_castps256_ps128(qv));
            const __m256d q1 = _mm256_cvtps_pd(_mm256_extractf128_ps(qv, 1));
            const __m128 r0 = _mm256_cvtpd_ps(
                _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(p0, p0), _mm256_mul_pd(q0, q0))));
            const __m128 r1 = _mm256_cvtpd_ps(
                _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(p1, p1), _mm256_mul_pd(q1, q1))));
            const __m256 r = _mm256_set_m128(r1, r0);
            ok = _mm256_blendv_ps(_mm256_cmp_ps(r, far_limit, _CMP_LE_OQ),
                                  _mm256_cmp_ps(_mm256_andnot_ps(sign, qv), asin_limit, _CMP_LE_OQ),
                                  inside);
            append_lanes(unsigned(_mm256_movemask_ps(_mm256_and_ps(ok, inside))), qv, i,
                         lists.asin_argument, lists.asin_plane, lists.asin_count);
            append_lanes(unsigned(_mm256_movemask_ps(_mm256_andnot_ps(inside, ok))), r, i,
                         lists.far_argument, lists.far_plane, lists.far_count);
            break;
        }
        case TFryPlane::Hyperplane:
            ok = _mm256_cmp_ps(_mm256_andnot_ps(sign, qv), asin_limit, _CMP_LE_OQ);
            append_lanes(unsigned(_mm256_movemask_ps(ok)), qv, i, lists.asin_argument,
                         lists.asin_plane, lists.asin_count);
            break;
        case TFryPlane::Halfspace: {
            const __m256 out_ok = _mm256_cmp_ps(_mm256_xor_ps(pv, sign), asin_limit, _CMP_LE_OQ);
            ok = _mm256_blendv_ps(out_ok, inside_counts, inside);
            append_lanes(unsigned(_mm256_movemask_ps(_mm256_andnot_ps(inside, ok))), pv, i,
                         lists.asin_argument, lists.asin_plane, lists.asin_count);
            break;
        }
        }
        const std::uint64_t bytes = byte_table.bytes[unsigned(_mm256_movemask_ps(ok))];
        std::memcpy(within + i, &bytes, sizeof bytes);
    }
    classify_fry(kind, p, q, i, end, limits, within, lists);
}

// Estimates of the dot products of eight planes at a time: minus v'^T S n over the shear
// traction's length sqrt(n^T S^2 n - (n^T S n)^2), in single precision with the reciprocal
// square root approximation. NaN where the shear is too small for the estimate.
__attribute__((target("avx2,fma"))) void slip_estimates_avx2(const float* a, std::size_t lanes,
                                                             const TSlipEstimate& e, float* out) {
    __m256 s[6], q[6];
    for (std::size_t k = 0; k < 6; ++k) {
        s[k] = _mm256_set1_ps(e.s[k]);
        q[k] = _mm256_set1_ps(e.q[k]);
    }
    const __m256 floor = _mm256_set1_ps(e.floor), sign = _mm256_set1_ps(-0.0f);
    const __m256 nan = _mm256_set1_ps(std::numeric_limits<float>::quiet_NaN());
    for (std::size_t i = 0; i < lanes; i += 8) {
        __m256 b = _mm256_setzero_ps(), t2 = _mm256_setzero_ps(), w = _mm256_setzero_ps();
        for (std::size_t k = 0; k < 6; ++k) {
            const __m256 n = _mm256_loadu_ps(a + (N0 + k) * lanes + i);
            b = _mm256_fmadd_ps(n, s[k], b);
            t2 = _mm256_fmadd_ps(n, q[k], t2);
            w = _mm256_fmadd_ps(_mm256_loadu_ps(a + (W0 + k) * lanes + i), s[k], w);
        }
        const __m256 shear2 = _mm256_fnmadd_ps(b, b, t2);
        const __m256 trusted = _mm256_cmp_ps(shear2, floor, _CMP_GE_OQ);
        const __m256 d = _mm256_mul_ps(_mm256_xor_ps(w, sign), _mm256_rsqrt_ps(shear2));
        _mm256_storeu_ps(out + i, _mm256_blendv_ps(nan, d, trusted));
    }
}

QUOMTEL_AVX2 void fry_dots_avx2(const double* a, std::size_t lanes, const Tvector5& ss, float* p,
                                float* q) {
    __m256d s[5];
    for (std::size_t k = 0; k < 5; ++k)
        s[k] = _mm256_set1_pd(ss.x[k]);
    for (std::size_t i = 0; i < lanes; i += 4) {
        __m256d pe = _mm256_setzero_pd(), qe = _mm256_setzero_pd();
        for (std::size_t k = 0; k < 5; ++k) {
            pe = _mm256_add_pd(pe, _mm256_mul_pd(_mm256_loadu_pd(a + k * lanes + i), s[k]));
            qe = _mm256_add_pd(qe, _mm256_mul_pd(_mm256_loadu_pd(a + (k + 5) * lanes + i), s[k]));
        }
        _mm_storeu_ps(p + i, _mm256_cvtpd_ps(pe));
        _mm_storeu_ps(q + i, _mm256_cvtpd_ps(qe));
    }
}

// c + w acc: a step of Horner's rule.
QUOMTEL_AVX2 inline __m256d horner_step(__m256d acc, __m256d w, double c) {
    return _mm256_add_pd(_mm256_set1_pd(c), _mm256_mul_pd(w, acc));
}

// atan2_nonnegative four at a time: the same reduction and polynomial, the ranges chosen by
// blends instead of branches.
QUOMTEL_AVX2 void atan2_avx2(const double* y, const double* x, std::size_t n, double* out) {
    const __m256d one = _mm256_set1_pd(1), two = _mm256_set1_pd(2), zero = _mm256_setzero_pd();
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256d yy = _mm256_loadu_pd(y + i), xx = _mm256_loadu_pd(x + i);
        // Past 45 degrees, pi/2 - atan(x / y).
        const __m256d swap = _mm256_cmp_pd(yy, xx, _CMP_GT_OQ);
        const __m256d z =
            _mm256_div_pd(_mm256_blendv_pd(yy, xx, swap), _mm256_blendv_pd(xx, yy, swap));
        const __m256d r0 = _mm256_cmp_pd(z, _mm256_set1_pd(0.4375), _CMP_GE_OQ);
        const __m256d r1 = _mm256_cmp_pd(z, _mm256_set1_pd(0.6875), _CMP_GE_OQ);
        __m256d num = _mm256_blendv_pd(z, _mm256_sub_pd(_mm256_mul_pd(two, z), one), r0);
        num = _mm256_blendv_pd(num, _mm256_sub_pd(z, one), r1);
        __m256d den = _mm256_blendv_pd(one, _mm256_add_pd(two, z), r0);
        den = _mm256_blendv_pd(den, _mm256_add_pd(z, one), r1);
        const __m256d t = _mm256_div_pd(num, den);
        __m256d hi = _mm256_blendv_pd(zero, _mm256_set1_pd(atanhi[0]), r0);
        hi = _mm256_blendv_pd(hi, _mm256_set1_pd(atanhi[1]), r1);
        __m256d lo = _mm256_blendv_pd(zero, _mm256_set1_pd(atanlo[0]), r0);
        lo = _mm256_blendv_pd(lo, _mm256_set1_pd(atanlo[1]), r1);
        const __m256d tt = _mm256_mul_pd(t, t), w = _mm256_mul_pd(tt, tt);
        __m256d odd = _mm256_set1_pd(aT[10]);
        for (int k : {8, 6, 4, 2, 0})
            odd = horner_step(odd, w, aT[k]);
        __m256d even = _mm256_set1_pd(aT[9]);
        for (int k : {7, 5, 3, 1})
            even = horner_step(even, w, aT[k]);
        const __m256d s = _mm256_add_pd(_mm256_mul_pd(tt, odd), _mm256_mul_pd(w, even));
        // hi - ((t s - lo) - t), which is t - t s where hi and lo are 0.
        const __m256d a =
            _mm256_sub_pd(hi, _mm256_sub_pd(_mm256_sub_pd(_mm256_mul_pd(t, s), lo), t));
        const __m256d swapped =
            _mm256_add_pd(_mm256_sub_pd(_mm256_set1_pd(atanhi[3]), a), _mm256_set1_pd(atanlo[3]));
        _mm256_storeu_pd(out + i, _mm256_blendv_pd(a, swapped, swap));
    }
    for (; i < n; ++i)
        out[i] = atan2_nonnegative(y[i], x[i]);
}

bool has_avx2() {
    return __builtin_cpu_supports("avx2");
}

bool has_fma() {
    return __builtin_cpu_supports("fma");
}

#else

bool has_avx2() {
    return false;
}

bool has_fma() {
    return false;
}

#endif

// The misfits of values, each exactly the single the compatibility analysis gives: from a fast
// arctangent where that settles the single, else from the library's functions.
void exact_angles(TAngle kind, const float* in, std::size_t n, float* out, bool avx2) {
    constexpr std::size_t chunk = 64;
    double y[chunk], x[chunk], a[chunk];
    const double scale = (kind == TAngle::Slip ? 2 : 1) * rad_to_deg;
    for (std::size_t b = 0; b < n; b += chunk) {
        const std::size_t m = std::min(chunk, n - b);
        for (std::size_t i = 0; i < m; ++i)
            atan2_arguments(kind, in[b + i], y[i], x[i]);
#if QUOMTEL_AVX2_KERNEL
        if (avx2)
            atan2_avx2(y, x, m, a);
        else
#endif
            for (std::size_t i = 0; i < m; ++i)
                a[i] = atan2_nonnegative(y[i], x[i]);
        for (std::size_t i = 0; i < m; ++i)
            if (!settled(a[i] * scale, out[b + i]))
                out[b + i] = reference_angle(kind, in[b + i]);
    }
}

} // namespace

struct TFitnessScratch::TBuffers {
    std::vector<float> first;          // dot products, or the 5-D products with ee
    std::vector<float> second;         // the greater dot product of Mec data, or those with ep
    std::vector<float> values;         // what counts, or the arguments of its misfits
    std::vector<float> angles;         // misfits
    std::vector<float> distance;       // Fry arc: distance of each plane that may count
    std::vector<std::uint32_t> planes; // plane numbers
    std::vector<float> far_values;     // Fry arc: the arguments of distances outside half-spaces
    std::vector<std::uint32_t> far_planes;
    std::vector<std::uint8_t> within; // Fry arc: the plane's distance is within the tolerance
    double exact_share = 0;           // of the planes the last evaluation computed exactly
};

TFitnessScratch::TFitnessScratch() : b_(std::make_unique<TBuffers>()) {}
TFitnessScratch::~TFitnessScratch() = default;
TFitnessScratch::TFitnessScratch(TFitnessScratch&&) noexcept = default;
TFitnessScratch& TFitnessScratch::operator=(TFitnessScratch&&) noexcept = default;

struct TFitnessKernel::TPrepared {
    TMifitMeasure measure = TMifitMeasure::SlipDir;
    double tolerance = 0;
    bool avx2 = false;
    int used = 0;

    // Planes in the order: Ful, first nodal planes of Mec, second nodal planes of Mec (the
    // first again where there is none), Lin, then every alternative of each Sen datum.
    std::size_t ful = 0, mec = 0, lin = 0;
    std::vector<std::size_t> sen_begin; // Sen datum k has planes sen_begin[k] to [k + 1]
    std::size_t planes = 0;
    std::size_t lanes = 0; // planes, padded to whole vectors
    std::vector<double> columns;
    // Slip direction on vector instructions: the estimates first, exact arithmetic for the
    // planes they leave open.
    bool estimates = false;
    std::vector<float> estimate_columns;

    std::size_t mec_second() const { return ful + mec; }
    std::size_t lin_begin() const { return ful + 2 * mec; }

    // Slip direction: the misfit is at most the tolerance from dot = above on; a folded Lin
    // misfit also up to dot = fold_below; a misfit is above 90 below dot = right_angle.
    float above = 0, fold_below = 0, right_angle = 0;
    // Fry arc: within the half-space a distance is at most the tolerance up to |x| = asin_limit,
    // outside it up to r = far_limit.
    float asin_limit = 0, far_limit = 0;

    void fill(const std::vector<const TSlipData*>& order);
    void find_thresholds();
    TFitness slip_direction(const TStressTensor& st, TFitnessScratch::TBuffers& scratch) const;
    TFitness fry_arc(const TStressTensor& st, TFitnessScratch::TBuffers& scratch) const;
};

void TFitnessKernel::TPrepared::fill(const std::vector<const TSlipData*>& order) {
    planes = order.size();
    lanes = (planes + 7) / 8 * 8;
    const int count = measure == TMifitMeasure::SlipDir ? SlipColumns : FryColumns;
    columns.assign(std::size_t(count) * lanes, 0.0);
    if (estimates)
        estimate_columns.assign(std::size_t(EstimateColumns) * lanes, 0.0f);
    const auto at = [this](int c, std::size_t i) -> double& {
        return columns[std::size_t(c) * lanes + i];
    };
    // The lanes past the last plane: a plane that gives ordinary numbers, never read.
    TSlipData padding;
    padding.n = make_vector3(0, 0, 1);
    padding.v = make_vector3(1, 0, 0);
    for (std::size_t i = 0; i < lanes; ++i) {
        const TSlipData& sd = i < planes ? *order[i] : padding;
        if (measure == TMifitMeasure::SlipDir) {
            // The projector I - n n^T as project_onto_plane3 rounds it: symmetric.
            const double c[3] = {sd.n.x, sd.n.y, sd.n.z};
            const auto projector = [&c](std::size_t r, std::size_t k) {
                return double(float((r == k ? 1.0 : 0.0) - c[r] * c[k]));
            };
            at(NX, i) = sd.n.x;
            at(NY, i) = sd.n.y;
            at(NZ, i) = sd.n.z;
            at(P00, i) = projector(0, 0);
            at(P01, i) = projector(0, 1);
            at(P02, i) = projector(0, 2);
            at(P11, i) = projector(1, 1);
            at(P12, i) = projector(1, 2);
            at(P22, i) = projector(2, 2);
            at(VX, i) = sd.v.x;
            at(VY, i) = sd.v.y;
            at(VZ, i) = sd.v.z;
            if (estimates) {
                const double n[3] = {sd.n.x, sd.n.y, sd.n.z};
                const double along = sd.v.x * n[0] + sd.v.y * n[1] + sd.v.z * n[2];
                const double v[3] = {sd.v.x - along * n[0], sd.v.y - along * n[1],
                                     sd.v.z - along * n[2]};
                const std::size_t row[6] = {0, 1, 2, 0, 0, 1}, column[6] = {0, 1, 2, 1, 2, 2};
                for (std::size_t k = 0; k < 6; ++k) {
                    const std::size_t r = row[k], c = column[k];
                    const double twice = r == c ? 1 : 2;
                    estimate_columns[(N0 + k) * lanes + i] = float(twice * n[r] * n[c]);
                    estimate_columns[(W0 + k) * lanes + i] =
                        float(r == c ? v[r] * n[r] : v[r] * n[c] + v[c] * n[r]);
                }
            }
        } else {
            for (int k = 0; k < 5; ++k) {
                at(k, i) = sd.ee.x[std::size_t(k)];
                at(k + 5, i) = sd.ep.x[std::size_t(k)];
            }
        }
    }
}

void TFitnessKernel::TPrepared::find_thresholds() {
    const double t = tolerance;
    above = first_holding(-2, 2, [t](float x) { return slip_angle_reference(x) <= t; });
    right_angle = first_holding(-2, 2, [](float x) { return slip_angle_reference(x) <= 90; });
    // Below right_angle a Lin misfit folds; the folded value falls as the dot product rises.
    fold_below = last_holding(-2, std::nextafter(right_angle, -inf),
                              [t](float x) { return folded(slip_angle_reference(x)) <= t; });
    asin_limit = last_holding(0, 4, [t](float x) { return asin_angle_reference(x) <= t; });
    far_limit = last_holding(0, 4, [t](float r) { return fry_far_angle_reference(r) <= t; });
}

TFitness TFitnessKernel::TPrepared::slip_direction(const TStressTensor& st,
                                                   TFitnessScratch::TBuffers& scratch) const {
    scratch.first.resize(lanes);
    scratch.second.resize(mec);
    scratch.values.resize(planes + 8); // the selections store eight at a time
    scratch.planes.resize(planes + 8);
    float* dot = scratch.first.data();
    const TSlipStress stress = slip_stress(st.sg);
    auto select_outside_ = select_outside;
    auto select_inside_ = select_inside;
    auto values_outside_ = values_outside;
#if QUOMTEL_AVX2_KERNEL
    if (avx2) {
        select_outside_ = select_outside_avx2;
        select_inside_ = select_inside_avx2;
        values_outside_ = values_outside_avx2;
    }
    // Where most planes need the exact numbers anyway (states that explain most data), they
    // are all computed at once; the share of the last state decides, and after a run of such
    // states the estimates are tried again.
    if (estimates && scratch.exact_share < 0.4) {
        slip_estimates_avx2(estimate_columns.data(), lanes, slip_estimate(st.sg), dot);
        // The planes whose estimate lies within the margin of a threshold that matters for
        // them, or that count (their misfit goes into the mean), are made exact. The others
        // keep an estimate on the same side of every threshold as the exact number.
        const float m = estimate_margin;
        std::uint32_t* open = scratch.planes.data();
        std::size_t opened = select_outside_(dot, 0, lin_begin(), -inf, above - m, open, 0);
        opened = select_outside_(dot, lin_begin(), lin_begin() + lin, fold_below + m, above - m,
                                 open, opened);
        opened = select_inside_(dot, lin_begin() + lin, planes, right_angle - m, right_angle + m,
                                open, opened);
        slip_dots_at_avx2(columns.data(), lanes, stress, open, opened, dot);
        scratch.exact_share = double(opened) / double(std::max<std::size_t>(planes, 1));
    } else if (avx2) {
        slip_dots_avx2(columns.data(), lanes, stress, dot);
        scratch.exact_share *= 0.8;
    } else
#endif
        slip_dots_portable(columns.data(), lanes, stress, dot);

    // The dot products of the data that count: the misfit is at most the tolerance from
    // above on, and a Lin datum's folded misfit also up to fold_below.
    float* values = scratch.values.data();
    std::size_t n = values_outside_(dot, 0, ful, -inf, above, values, 0);
    // A Mec datum takes the nodal plane of smaller misfit: the greater dot product.
    float* better = scratch.second.data();
    for (std::size_t i = 0; i < mec; ++i)
        better[i] = std::max(dot[ful + i], dot[mec_second() + i]);
    n = values_outside_(better, 0, mec, -inf, above, values, n);
    const std::size_t unfolded = n;
    n = values_outside_(dot, lin_begin(), lin_begin() + lin, fold_below, above, values, n);
    // A Sen datum is compatible (0) when no alternative has a misfit above 90, else 180.
    std::size_t compatible = 0;
    for (std::size_t k = 0; k + 1 < sen_begin.size(); ++k) {
        bool all = true;
        for (std::size_t i = sen_begin[k]; i < sen_begin[k + 1]; ++i)
            all &= !(dot[i] < right_angle);
        compatible += all;
    }
    const std::size_t incompatible = sen_begin.size() - 1 - compatible;
    const bool compatible_counts = 0 <= tolerance, incompatible_counts = 180 <= tolerance;
    double sum = incompatible_counts ? 180.0 * double(incompatible) : 0.0;
    scratch.angles.resize(n);
    float* angles = scratch.angles.data();
    exact_angles(TAngle::Slip, values, n, angles, avx2);
    for (std::size_t i = 0; i < unfolded; ++i)
        sum += angles[i];
    for (std::size_t i = unfolded; i < n; ++i)
        sum += folded(angles[i]);
    TFitness out;
    out.fitness =
        int(n + (compatible_counts ? compatible : 0) + (incompatible_counts ? incompatible : 0));
    out.mean_misfit = out.fitness > 0 ? sum / out.fitness : 0.0;
    return out;
}

TFitness TFitnessKernel::TPrepared::fry_arc(const TStressTensor& st,
                                            TFitnessScratch::TBuffers& scratch) const {
    scratch.first.resize(lanes);
    scratch.second.resize(lanes);
    scratch.distance.assign(lanes, 0.0f);
    scratch.within.resize(lanes);
    scratch.values.resize(planes + 8); // the lists are stored eight at a time
    scratch.planes.resize(planes + 8);
    scratch.far_values.resize(planes + 8);
    scratch.far_planes.resize(planes + 8);
    scratch.angles.resize(planes);
    float* p = scratch.first.data();
    float* q = scratch.second.data();
    auto classify = classify_fry;
#if QUOMTEL_AVX2_KERNEL
    if (avx2) {
        fry_dots_avx2(columns.data(), lanes, st.ss, p, q);
        classify = classify_fry_avx2;
    } else
#endif
        fry_dots_portable(columns.data(), lanes, st.ss, p, q);

    // Which planes are within the tolerance, by the thresholds; then the distances of those.
    std::uint8_t* within = scratch.within.data();
    TFryLists lists{scratch.values.data(),     scratch.planes.data(),     0,
                    scratch.far_values.data(), scratch.far_planes.data(), 0};
    const TFryLimits limits{asin_limit, far_limit, 0 <= tolerance};
    classify(TFryPlane::Arc, p, q, 0, lin_begin(), limits, within, lists);
    classify(TFryPlane::Hyperplane, p, q, lin_begin(), lin_begin() + lin, limits, within, lists);
    classify(TFryPlane::Halfspace, p, q, lin_begin() + lin, planes, limits, within, lists);
    float* distance = scratch.distance.data();
    float* angles = scratch.angles.data();
    exact_angles(TAngle::Asin, lists.asin_argument, lists.asin_count, angles, avx2);
    for (std::size_t k = 0; k < lists.asin_count; ++k)
        distance[lists.asin_plane[k]] = angles[k];
    exact_angles(TAngle::Far, lists.far_argument, lists.far_count, angles, avx2);
    for (std::size_t k = 0; k < lists.far_count; ++k)
        distance[lists.far_plane[k]] = angles[k];

    // distance is 0 where a plane is not within the tolerance.
    std::size_t n = 0;
    for (std::size_t i = 0; i < ful; ++i)
        n += within[i];
    double sum = sum_of(distance, 0, ful);
    // The nodal plane nearer its arc represents a Mec datum.
    for (std::size_t i = 0; i < mec; ++i) {
        const std::size_t a = ful + i, b = mec_second() + i;
        const float nearer = std::min(within[a] ? distance[a] : inf, within[b] ? distance[b] : inf);
        const bool counts = within[a] | within[b];
        n += counts;
        sum += counts ? nearer : 0.0f;
    }
    for (std::size_t i = lin_begin(); i < lin_begin() + lin; ++i)
        n += within[i];
    sum += sum_of(distance, lin_begin(), lin_begin() + lin);
    // A Sen datum: the farthest of its half-spaces.
    for (std::size_t k = 0; k + 1 < sen_begin.size(); ++k) {
        bool all = true;
        float farthest = 0;
        for (std::size_t i = sen_begin[k]; i < sen_begin[k + 1]; ++i) {
            all &= within[i] != 0;
            farthest = std::max(farthest, distance[i]);
        }
        n += all;
        sum += all ? farthest : 0.0f;
    }
    TFitness out;
    out.fitness = int(n);
    out.mean_misfit = n > 0 ? sum / double(n) : 0.0;
    return out;
}

TFitnessKernel::TFitnessKernel(const TFaultDataSet& data, TMifitMeasure measure, double tolerance,
                               TInstructions instructions)
    : p_(std::make_unique<TPrepared>()) {
    TPrepared& p = *p_;
    p.measure = measure;
    p.tolerance = tolerance;
    p.avx2 = instructions == TInstructions::Best && has_avx2();
    p.estimates = p.avx2 && has_fma() && measure == TMifitMeasure::SlipDir;

    std::vector<const TSlipData*> ful, mec_first, mec_second, lin, sen;
    std::vector<std::size_t> sen_begin{0};
    for (const TFaultData& fd : data.FDList) {
        if (fd.SDList.empty())
            continue; // the analysis gives it no representative
        ++p.used;
        const std::vector<TSlipData>& sd = fd.SDList;
        switch (fd.datatype) {
        case TDataType::Ful:
            ful.push_back(&sd[0]);
            break;
        case TDataType::Mec:
            mec_first.push_back(&sd[0]);
            mec_second.push_back(&sd[sd.size() > 1 ? 1 : 0]);
            break;
        case TDataType::Lin:
            lin.push_back(&sd[0]);
            break;
        case TDataType::Sen:
            for (const TSlipData& alternative : sd)
                sen.push_back(&alternative);
            sen_begin.push_back(sen.size());
            break;
        }
    }
    p.ful = ful.size();
    p.mec = mec_first.size();
    p.lin = lin.size();
    std::vector<const TSlipData*> order;
    order.reserve(ful.size() + 2 * mec_first.size() + lin.size() + sen.size());
    for (const auto* part : {&ful, &mec_first, &mec_second, &lin, &sen})
        order.insert(order.end(), part->begin(), part->end());
    const std::size_t sen_start = order.size() - sen.size();
    for (std::size_t& b : sen_begin)
        b += sen_start;
    p.sen_begin = std::move(sen_begin);
    p.fill(order);
    p.find_thresholds();
}

TFitnessKernel::~TFitnessKernel() = default;
TFitnessKernel::TFitnessKernel(TFitnessKernel&&) noexcept = default;
TFitnessKernel& TFitnessKernel::operator=(TFitnessKernel&&) noexcept = default;

TFitness TFitnessKernel::evaluate(const TStressTensor& st, TFitnessScratch& scratch) const {
    return p_->measure == TMifitMeasure::SlipDir ? p_->slip_direction(st, *scratch.b_)
                                                 : p_->fry_arc(st, *scratch.b_);
}

TFitness TFitnessKernel::evaluate(const TStressTensor& st) const {
    TFitnessScratch scratch;
    return evaluate(st, scratch);
}

int TFitnessKernel::used_data() const {
    return p_->used;
}

bool TFitnessKernel::vectorised() const {
    return p_->avx2;
}
