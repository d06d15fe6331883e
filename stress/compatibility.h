#pragma once

// How well a stress state explains fault data: theoretical slip, misfit angle, distance to the
// Fry arc, normal and shear stress on every alternative, and a representative per datum.

#include "faults/fd_classes.h"
#include "stress/st_classes.h"

enum class TMifitMeasure { SlipDir, DistFry };

// The worst misfit of a measure, in degrees: 180 for the slip direction, 90 for the Fry arc.
constexpr int max_misfit(TMifitMeasure measure) {
    return measure == TMifitMeasure::SlipDir ? 180 : 90;
}

// The slip the stress state drives on a plane of upward unit normal n: minus the shear
// traction, normalised (compression positive, so this is how the hanging wall moves). A plane
// without shear traction gets the zero vector; so does one whose shear traction is below a
// millionth of its traction, or whose traction is below a millionth of the tensor's size
// (Frobenius norm), where either is rounding noise.
struct TTheoreticalSlip {
    Tvector3 traction;
    Tvector3 shear;
    Tvector3 v_theo;
};
TTheoreticalSlip theoretical_slip(const Tmatrix33& sg, const Tvector3& n);

TSense model_sense_from_vectors(Tvector3 v, Tvector3 b, Tvector3 n);

// Picks the representative alternative and misfit of an analysed datum.
void choose_representative(TFaultData& fd, TMifitMeasure measure);

// Rewrites the computed fields of every alternative of data and the representative of every
// datum, and rebuilds theoretical: one Ful datum per datum of data, in the same order.
void calc_theoretical_slip_and_misfit(TFaultDataSet& data, TFaultDataSet& theoretical,
                                      const TStressTensor& st, TMifitMeasure measure);
