#include "stress/st_classes.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// E diag(d) E^T, with the columns of E the three axes.
Tmatrix33 rotate_diagonal(const std::array<Tvector3, 3>& e, float d0, float d1, float d2) {
    const Tmatrix33 basis =
        make_matrix33(e[0].x, e[1].x, e[2].x, e[0].y, e[1].y, e[2].y, e[0].z, e[1].z, e[2].z);
    Tmatrix33 diagonal = identity33();
    diagonal.m[0][0] = d0;
    diagonal.m[1][1] = d1;
    diagonal.m[2][2] = d2;
    return matrix_product33(basis, matrix_product33(diagonal, transpose33(basis)));
}

} // namespace

QString sigma1or3_name(Tsigma1or3 a) {
    switch (a) {
    case Tsigma1or3::sigma1:
        return QStringLiteral("sigma1");
    case Tsigma1or3::sigma3:
        return QStringLiteral("sigma3");
    case Tsigma1or3::not_specified:
        break;
    }
    return QStringLiteral("not_specified");
}

Tsigma1or3 other_axis(Tsigma1or3 a) {
    switch (a) {
    case Tsigma1or3::sigma1:
        return Tsigma1or3::sigma3;
    case Tsigma1or3::sigma3:
        return Tsigma1or3::sigma1;
    case Tsigma1or3::not_specified:
        break;
    }
    return Tsigma1or3::not_specified;
}

int axis_index(Tsigma1or3 a) {
    return a == Tsigma1or3::sigma3 ? 2 : 0;
}

void build_intermediate_axis(TStressTensor& st) {
    st.e_vec[1] = cross_product3(st.e_vec[2], st.e_vec[0]);
    const Tvector3 e1 = st.e_vec[1];
    st.ax[1] = vector3_to_azpl(e1.z > 0 ? negate3(e1) : e1);
}

void build_tensors(TStressTensor& st, float phi) {
    st.sr = phi;
    st.sg = rotate_diagonal(st.e_vec, 1, phi, 0);
    const double p = phi;
    const float k = float(std::sqrt(3 * p * p - 3 * p + 3));
    st.sg_prime =
        rotate_diagonal(st.e_vec, float((2 - p) / k), float((2 * p - 1) / k), float((-p - 1) / k));
    st.ss = matrix33_to_vector5(st.sg_prime);
}

void build_stress_tensor(TStressTensor& st, float phi) {
    build_intermediate_axis(st);
    build_tensors(st, phi);
}

TStressTensor stress_tensor_from_axes(const Tazpl& sigma1, const Tazpl& sigma3, float phi) {
    TStressTensor st{};
    st.ax[0] = sigma1;
    st.ax[2] = sigma3;
    st.e_vec[0] = azpl_to_vector3(sigma1);
    st.e_vec[2] = azpl_to_vector3(sigma3);
    build_stress_tensor(st, phi);
    return st;
}

int compare_stress_by_L(const TStressTensor& a, const TStressTensor& b) {
    // Widened so that fitness values of opposite signs cannot overflow the difference.
    const long long d = static_cast<long long>(a.L) - b.L;
    return static_cast<int>(std::clamp<long long>(d, INT_MIN, INT_MAX));
}

const TStressTensor* fittest_state(std::span<const TStressTensor> states) {
    const TStressTensor* best = nullptr;
    for (const TStressTensor& st : states)
        if (!best || st.L > best->L || (st.L == best->L && st.id < best->id))
            best = &st;
    return best;
}
