#pragma once

// Right dihedra (Angelier & Mechler 1977): for every node of the net grid (net_grid.h), the
// percentage of the data for which the node lies in the compressional dihedron of its slip,
// where (u . n)(u . s) < 0 with n and s of kinematic_slip. A node on a nodal plane (within
// nodal_plane_tolerance of it) counts half. sigma1 lies in the 100 % area, sigma3 in the 0 %
// area.

#include "stress/inversion_common.h"
#include "stress/kinematic_axes.h"
#include "stress/net_grid.h"

#include <span>
#include <vector>

// |u . n| or |u . s| up to this puts a node on a nodal plane: the stored orientations are
// single precision, and a node on a plane of whole degrees misses it by about 1e-7.
inline constexpr double nodal_plane_tolerance = 1e-6;

struct TRightDihedra {
    int data = 0;
    // Per node: twice the number of data whose compressional dihedron holds the node, plus the
    // number of data on whose nodal planes it lies.
    std::vector<long long> halves;
    std::vector<double> percent; // per node: 50 halves / data
    bool cancelled = false;
};

// For one datum at direction g: 2 in the compressional dihedron, 1 on a nodal plane, 0 in the
// extensional one.
int dihedron_halves(const TNetVector& g, const TKinematicSlip& slip);

// Both cores share the data; control may stop the count (a cancelled result holds no values).
TRightDihedra right_dihedra(std::span<const TKinematicSlip> slips,
                            const TInversionControl& control = {});
