#pragma once

// A stress state: principal directions, stress ratio, the reduced and the normalised deviatoric
// tensor, and the bookkeeping of an inversion result.

#include "core/math_operations.h"

#include <QString>

#include <array>
#include <span>

struct TStressTensor {
    Tmatrix33 sg;                  // reduced tensor E diag(1, sr, 0) E^T, compression positive
    Tmatrix33 sg_prime;            // normalised deviatoric tensor
    std::array<Tvector3, 3> e_vec; // sigma1, sigma2, sigma3 directions
    std::array<Tazpl, 3> ax;       // their orientations
    float sr = 0;                  // stress ratio (s2 - s3) / (s1 - s3)
    int L = 0;                     // fitness in the inversion result; -1 when designated
    float Le = 0;                  // enhanced weight; its integer part is the number of symbols
    float Ln = 0;                  // fitness divided by the sum of fitness
    int id = 0;                    // number in the result, from 1; -1 when designated
    Tvector5 ss;                   // sg_prime as a unit 5-vector
};

// The two stress stereonets.
enum class Tsigma1or3 { sigma1, sigma3, not_specified };

QString sigma1or3_name(Tsigma1or3 a);
Tsigma1or3 other_axis(Tsigma1or3 a);
// Index of the net's axis in e_vec and ax: 0 for sigma1, 2 for sigma3.
int axis_index(Tsigma1or3 a);

// e_vec[0] and e_vec[2] (and ax[0], ax[2]) must hold sigma1 and sigma3. The designation runs
// the two halves at different clicks.
void build_stress_tensor(TStressTensor& st, float phi);
// sigma2 = sigma3 x sigma1 and its lower-hemisphere orientation.
void build_intermediate_axis(TStressTensor& st);
// sr, sg, sg_prime and ss from the three axes.
void build_tensors(TStressTensor& st, float phi);

// A stress state from the orientations of sigma1 and sigma3, built as a designation builds it.
TStressTensor stress_tensor_from_axes(const Tazpl& sigma1, const Tazpl& sigma3, float phi);

// The fittest state: the highest fitness, the first of equals by number; null for none.
const TStressTensor* fittest_state(std::span<const TStressTensor> states);

int compare_stress_by_L(const TStressTensor& a, const TStressTensor& b);
