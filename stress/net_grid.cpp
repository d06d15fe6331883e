#include "stress/net_grid.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double radians = std::numbers::pi / 180;

// The rounding of the estimates below stays far under this; a ring whose dot products lie
// this far from c all pass or all fail.
constexpr double sure_margin = 1e-12;
// Below this amplitude along a ring, rounding could break the run into pieces.
constexpr double smallest_amplitude = 1e-6;

int wrapped(int column) {
    if (column >= 0 && column < net_columns)
        return column;
    column %= net_columns;
    return column < 0 ? column + net_columns : column;
}

// The slope of the dot product along a ring, per radian, above which its rounding (about
// 1e-15) moves the ends of an arc by less than 1e-6 radians.
constexpr double steep_along_ring = 1e-9;
// 0.02 node spacings = 0.01 degrees, well over the estimate's error below.
constexpr double clear_of_node = 0.02;

bool clear_of_nodes(double position) {
    const double above = position - std::floor(position);
    return above > clear_of_node && above < 1 - clear_of_node;
}

// acos for 0 <= k <= 1, within 6.7e-5 radians = 0.004 degrees (Abramowitz & Stegun 4.4.45): the
// start of a search that the nodes themselves finish.
double rough_acos(double k) {
    return std::sqrt(1 - k) * (1.5707288 + k * (-0.2121144 + k * (0.0742610 - 0.0187293 * k)));
}

double rough_acos_degrees(double k) {
    return rough_acos(k) / radians;
}

constexpr double nodes_per_radian = 1 / (radians * net_step);

// The sines and cosines of the rings' plunges and of the columns' trends; a node vector is
// made of them by one product per component, in the table and in the runs alike.
struct TNetTrig {
    std::array<double, net_rings> cos_plunge{};
    std::array<double, net_rings> sin_plunge{};
    std::array<double, net_rings> inverse_cos_plunge{};
    std::array<double, net_columns> sin_trend{};
    std::array<double, net_columns> cos_trend{};
};

const TNetTrig& net_trig() {
    static const TNetTrig trig = [] {
        TNetTrig t;
        for (int ring = 0; ring < net_rings; ++ring) {
            t.cos_plunge[std::size_t(ring)] = std::cos(ring * net_step * radians);
            t.sin_plunge[std::size_t(ring)] = std::sin(ring * net_step * radians);
            t.inverse_cos_plunge[std::size_t(ring)] = 1 / t.cos_plunge[std::size_t(ring)];
        }
        for (int column = 0; column < net_columns; ++column) {
            t.sin_trend[std::size_t(column)] = std::sin(column * net_step * radians);
            t.cos_trend[std::size_t(column)] = std::cos(column * net_step * radians);
        }
        return t;
    }();
    return trig;
}

inline TNetVector ring_node_vector(const TNetTrig& t, int ring, int column) {
    const double cp = t.cos_plunge[std::size_t(ring)];
    return {cp * t.sin_trend[std::size_t(column)], cp * t.cos_trend[std::size_t(column)],
            -t.sin_plunge[std::size_t(ring)]};
}

std::vector<TNetVector> make_node_vectors() {
    const TNetTrig& trig = net_trig();
    std::vector<TNetVector> vectors(net_node_count);
    for (int ring = 0; ring < net_rings; ++ring)
        for (int column = 0; column < net_columns; ++column)
            vectors[std::size_t(ring * net_columns + column)] =
                ring_node_vector(trig, ring, column);
    vectors[net_vertical_node] = {0, 0, -1};
    return vectors;
}

const std::vector<TNetVector>& node_vectors() {
    static const std::vector<TNetVector> vectors = make_node_vectors();
    return vectors;
}

TColumnRun complement(TColumnRun run) {
    if (run.count == 0)
        return {0, net_columns};
    if (run.count >= net_columns)
        return {};
    return {wrapped(run.first + run.count), net_columns - run.count};
}

} // namespace

int net_node(int ring, int column) {
    return ring * net_columns + wrapped(column);
}

TNetNodeOrientation net_node_orientation(int node) {
    if (node == net_vertical_node)
        return {0, 90};
    return {(node % net_columns) * net_step, (node / net_columns) * net_step};
}

const TNetVector& net_node_vector(int node) {
    return node_vectors()[std::size_t(node)];
}

TCapCentre cap_centre(const TNetVector& v) {
    TCapCentre centre;
    centre.v = v;
    centre.horizontal = std::hypot(v[0], v[1]);
    centre.trend = std::atan2(v[0], v[1]) / radians;
    return centre;
}

TCapCentre opposite(const TCapCentre& centre) {
    TCapCentre o = centre;
    o.v = {-centre.v[0], -centre.v[1], -centre.v[2]};
    o.trend = centre.trend + 180;
    return o;
}

bool cap_contains(int node, const TNetVector& v, double c, bool strict) {
    const double d = net_dot(net_node_vector(node), v);
    return strict ? d > c : d >= c;
}

std::optional<TColumnRun> cap_run(int ring, const TCapCentre& centre, double c, bool strict) {
    // Along the ring g . v = amplitude cos(trend - centre trend) + offset.
    const TNetTrig& trig = net_trig();
    const double amplitude = trig.cos_plunge[std::size_t(ring)] * centre.horizontal;
    const double offset = -trig.sin_plunge[std::size_t(ring)] * centre.v[2];
    if (amplitude < smallest_amplitude)
        return std::nullopt;
    if (offset + amplitude < c - sure_margin)
        return TColumnRun{};
    if (offset - amplitude > c + sure_margin)
        return TColumnRun{0, net_columns};
    const double k = (c - offset) / amplitude;
    if (k < 0) // more than half the ring: its rest is a cap around the opposite direction
        return complement(*cap_run(ring, opposite(centre), -c, !strict));

    const auto passes = [&](int column) {
        const double d = net_dot(ring_node_vector(trig, ring, wrapped(column)), centre.v);
        return strict ? d > c : d >= c;
    };
    const double k1 = k < 1 ? k : 1.0;
    const double half_width = rough_acos_degrees(k1);
    const double lo_end = (centre.trend - half_width) / net_step;
    const double hi_end = (centre.trend + half_width) / net_step;
    int lo = int(std::ceil(lo_end));
    int hi = int(std::floor(hi_end));
    // Where the dot product changes fast enough along the ring, its rounding moves the ends of
    // the arc by far less than the error of the estimate; ends clear of the nodes by more than
    // that are where the estimate puts them.
    if (amplitude * std::sqrt(1 - k1 * k1) > steep_along_ring && clear_of_nodes(lo_end) &&
        clear_of_nodes(hi_end))
        return lo <= hi ? TColumnRun{wrapped(lo), hi - lo + 1} : TColumnRun{};
    // Else the nodes at the ends decide.
    while (lo <= hi && !passes(lo))
        ++lo;
    while (hi >= lo && !passes(hi))
        --hi;
    if (lo > hi) {
        const int below = int(std::floor(centre.trend / net_step));
        if (passes(below))
            lo = hi = below;
        else if (passes(below + 1))
            lo = hi = below + 1;
        else
            return TColumnRun{};
    }
    while (hi - lo + 1 < net_columns && passes(lo - 1))
        --lo;
    while (hi - lo + 1 < net_columns && passes(hi + 1))
        ++hi;
    return TColumnRun{wrapped(lo), hi - lo + 1};
}

void cap_runs(const TCapCentre& centre, double c, bool strict, int first_ring, int last_ring,
              std::span<std::optional<TColumnRun>> runs) {
    // The common case first, for all rings at once: an arc of less than half the ring whose
    // ends lie clear of the nodes. The rings do not depend on each other, so the processor
    // overlaps their divisions and roots.
    const TNetTrig& trig = net_trig();
    const double inverse = 1 / centre.horizontal;
    const double centre_column = centre.trend / net_step;
    for (int ring = first_ring; ring <= last_ring; ++ring) {
        const double amplitude = trig.cos_plunge[std::size_t(ring)] * centre.horizontal;
        const double offset = -trig.sin_plunge[std::size_t(ring)] * centre.v[2];
        std::optional<TColumnRun>& run = runs[std::size_t(ring - first_ring)];
        if (amplitude >= smallest_amplitude && offset + amplitude < c - sure_margin) {
            run = TColumnRun{};
            continue;
        }
        // No division here: the estimate's own error is far larger than their rounding.
        const double k = (c - offset) * trig.inverse_cos_plunge[std::size_t(ring)] * inverse;
        const double half_width = rough_acos(k < 0 ? 0 : k < 1 ? k : 1) * nodes_per_radian;
        const double lo_end = centre_column - half_width;
        const double hi_end = centre_column + half_width;
        if (amplitude >= smallest_amplitude && k >= 0 && k < 1 &&
            amplitude * amplitude * (1 - k * k) > steep_along_ring * steep_along_ring &&
            clear_of_nodes(lo_end) && clear_of_nodes(hi_end)) {
            const int lo = int(std::ceil(lo_end)), hi = int(std::floor(hi_end));
            run = lo <= hi ? TColumnRun{wrapped(lo), hi - lo + 1} : TColumnRun{};
            continue;
        }
        run = cap_run(ring, centre, c, strict);
    }
}

TNetSums::TNetSums() : steps_(std::size_t(net_rings) * (net_columns + 1), 0) {}

void TNetSums::add_run(int ring, TColumnRun run, long long weight) {
    if (run.count <= 0)
        return;
    long long* row = &steps_[std::size_t(ring) * (net_columns + 1)];
    const int end = run.first + run.count;
    row[run.first] += weight;
    if (end <= net_columns) {
        row[end] -= weight;
    } else {
        row[net_columns] -= weight;
        row[0] += weight;
        row[end - net_columns] -= weight;
    }
}

void TNetSums::add_node(int node, long long weight) {
    if (node == net_vertical_node) {
        vertical_ += weight;
        return;
    }
    if (nodes_.empty())
        nodes_.assign(net_vertical_node, 0);
    nodes_[std::size_t(node)] += weight;
}

void TNetSums::merge(const TNetSums& other) {
    for (std::size_t i = 0; i < steps_.size(); ++i)
        steps_[i] += other.steps_[i];
    if (nodes_.empty())
        nodes_ = other.nodes_;
    else
        for (std::size_t i = 0; i < other.nodes_.size(); ++i)
            nodes_[i] += other.nodes_[i];
    vertical_ += other.vertical_;
}

std::vector<long long> TNetSums::sums() const {
    std::vector<long long> out(net_node_count, 0);
    for (int ring = 0; ring < net_rings; ++ring) {
        const long long* row = &steps_[std::size_t(ring) * (net_columns + 1)];
        long long running = 0;
        for (int column = 0; column < net_columns; ++column) {
            running += row[column];
            out[std::size_t(ring * net_columns + column)] = running;
        }
    }
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        out[i] += nodes_[i];
    out[net_vertical_node] = vertical_;
    return out;
}
