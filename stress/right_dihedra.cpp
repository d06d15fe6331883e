#include "stress/right_dihedra.h"

namespace {

// Fewer data are counted faster on one core than a second one starts.
constexpr std::size_t enough_for_two_cores = 16;

// +1 on the side n points to, -1 on the other, 0 on the plane.
int side(const TNetVector& g, const TNetVector& n) {
    const double d = net_dot(g, n);
    return d > nodal_plane_tolerance ? 1 : d < -nodal_plane_tolerance ? -1 : 0;
}

// Adds, for one datum, the product of its two sides at every node: +1 in the extensional
// dihedron, -1 in the compressional one, 0 on a nodal plane.
void add_slip(const TKinematicSlip& slip, TNetSums& products) {
    const TCapCentre n_plus = cap_centre(slip.n), s_plus = cap_centre(slip.s);
    const TCapCentre n_minus = opposite(n_plus), s_minus = opposite(s_plus);
    constexpr double e = nodal_plane_tolerance;
    for (int ring = 0; ring < net_rings; ++ring) {
        const auto np = cap_run(ring, n_plus, e, true), nm = cap_run(ring, n_minus, e, true);
        const auto sp = cap_run(ring, s_plus, e, true), sm = cap_run(ring, s_minus, e, true);
        if (np && nm && sp && sm) {
            const auto add = [&](TColumnRun a, TColumnRun b, long long sign) {
                for_each_overlap(a, b, [&](int first, int count) {
                    products.add_run(ring, {first, count}, sign);
                });
            };
            add(*np, *sp, 1);
            add(*nm, *sm, 1);
            add(*np, *sm, -1);
            add(*nm, *sp, -1);
            continue;
        }
        for (int column = 0; column < net_columns; ++column) {
            const int node = net_node(ring, column);
            const TNetVector& g = net_node_vector(node);
            products.add_node(node, side(g, slip.n) * side(g, slip.s));
        }
    }
    const TNetVector& down = net_node_vector(net_vertical_node);
    products.add_node(net_vertical_node, side(down, slip.n) * side(down, slip.s));
}

bool add_slips(std::span<const TKinematicSlip> slips, TNetSums& products,
               const TInversionControl& control, bool reports) {
    constexpr std::size_t poll = 64;
    for (std::size_t i = 0; i < slips.size(); ++i) {
        if (i % poll == 0) {
            if (control.cancelled())
                return false;
            if (reports && control.progress)
                control.progress(double(i) / double(slips.size()));
        }
        add_slip(slips[i], products);
    }
    return true;
}

} // namespace

int dihedron_halves(const TNetVector& g, const TKinematicSlip& slip) {
    return 1 - side(g, slip.n) * side(g, slip.s);
}

TRightDihedra right_dihedra(std::span<const TKinematicSlip> slips,
                            const TInversionControl& control) {
    TRightDihedra dihedra;
    dihedra.data = int(slips.size());
    if (slips.empty())
        return dihedra;
    const auto sums =
        sum_over_net(slips, enough_for_two_cores,
                     [&](std::span<const TKinematicSlip> part, TNetSums& products, bool reports) {
                         return add_slips(part, products, control, reports);
                     });
    if (!sums || control.cancelled()) {
        dihedra.cancelled = true;
        return dihedra;
    }
    const std::vector<long long> products = sums->sums();
    dihedra.halves.resize(products.size());
    dihedra.percent.resize(products.size());
    for (std::size_t i = 0; i < products.size(); ++i) {
        dihedra.halves[i] = dihedra.data - products[i];
        dihedra.percent[i] = 50.0 * double(dihedra.halves[i]) / dihedra.data;
    }
    if (control.progress)
        control.progress(1);
    return dihedra;
}
