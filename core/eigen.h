#pragma once

// Closed-form eigen-decomposition of real symmetric 3 x 3 matrices (double precision) and the
// single-precision front end that gives the greatest and least principal axes of a stress tensor.

#include "core/math_operations.h"

#include <array>

using Tmatrix33d = std::array<std::array<double, 3>, 3>;
using Tvector3d = std::array<double, 3>;

struct TEigen3 {
    // Descending: values[0] >= values[1] >= values[2].
    std::array<double, 3> values{};
    // Column k (vectors[j][k], j = 0..2) is the unit eigenvector of values[k].
    Tmatrix33d vectors{};
};

// Roots of the characteristic cubic, descending.
std::array<double, 3> eigenvalues3(const Tmatrix33d& a);
// Adjugate of (A - lambda I); every non-zero row is parallel to the eigenvector of a simple
// eigenvalue lambda.
Tmatrix33d shifted_adjugate(const Tmatrix33d& a, double lambda);
// v / |v|; a zero vector comes back as zero (the caller completes the basis).
Tvector3d normalize_double3(const Tvector3d& v);
void sort3_descending(double& v1, double& v2, double& v3);
// Orthonormal eigenvectors even for repeated eigenvalues.
TEigen3 eigen3(const Tmatrix33d& a);

struct TPrincipalAxes {
    Tazpl greatest;  // axis of the greatest eigenvalue, lower hemisphere
    Tazpl least;     // axis of the least eigenvalue, lower hemisphere
    float ratio = 0; // (lambda2 - lambda3) / (lambda1 - lambda3)
    // False when lambda1 = lambda3 to within single-precision resolution: the ratio is then
    // undefined and left at 0.
    bool ratio_defined = false;
};

TPrincipalAxes principal_axes(const Tmatrix33& s);
