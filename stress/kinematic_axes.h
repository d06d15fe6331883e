#pragma once

// Kinematic axes of fault data: the shortening (P), extension (T) and null (B) directions that
// the slip of one datum implies, whatever the stress. They need the sense of slip, so only full
// data with N, R, S or D and focal mechanisms have them.

#include "core/messages.h"
#include "faults/fd_classes.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

// The slip of a datum in double precision: n the unit normal pointing into the hanging wall
// (upward; on a vertical plane the side compose_slip_data_vectors chose), s the unit slip of
// the hanging wall, taken into the plane.
struct TKinematicSlip {
    std::array<double, 3> n{};
    std::array<double, 3> s{};
};

// F data with N, R, S or D and M data (their first nodal plane, which gives the axes of the
// second as well); none for L and S data, for the senses H and U, and for a slip along the
// normal.
std::optional<TKinematicSlip> kinematic_slip(const TFaultData& fd);

// Unit vectors on the lower hemisphere and their trend and plunge.
struct TKinematicAxes {
    Tvector3 p, t, b;
    Tazpl P, T, B;
};

// T along n + s, P along n - s, B along n x s.
TKinematicAxes kinematic_axes(const TKinematicSlip& slip);

struct TDatumAxes {
    int datum = 0; // index in the data set
    TDataType datatype = TDataType::Ful;
    TKinematicAxes axes;
};

struct TKinematicAxesSet {
    std::vector<TDatumAxes> data; // in data-set order
    int without_axes = 0;         // data without a usable sense
};

TKinematicAxesSet kinematic_axes_of_set(const TFaultDataSet& set);
// The slips of the data that have axes, in data-set order.
std::vector<TKinematicSlip> kinematic_slips_of_set(const TFaultDataSet& set);

// The one message that counts the data without axes; empty when every datum has them.
QString missing_axes_message(int without_axes);
// Notes that message, if any.
void report_missing_axes(const TKinematicAxesSet& axes, Messages& messages);
