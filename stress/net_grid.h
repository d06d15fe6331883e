#pragma once

// The directions where densities and right dihedra are evaluated: rings of equal plunge every
// half degree from the horizon to 89.5 degrees, each of 720 nodes every half degree of trend
// from north, and the vertical. On a 1000-pixel net neighbouring nodes lie 2 to 6 pixels
// apart, so contours drawn between them are smooth. Whether a node lies within a cap of the
// sphere is decided by one evaluation of a dot product in double precision, net_dot; the fast
// paths of the counts find, ring by ring, the run of nodes where that evaluation passes, and
// ask the nodes themselves at the ends of each run.

#include "core/parallel.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

inline constexpr int net_columns = 720; // trends 0, 0.5, ..., 359.5 degrees
inline constexpr int net_rings = 180;   // plunges 0, 0.5, ..., 89.5 degrees
inline constexpr double net_step = 0.5; // degrees between neighbouring rings and columns
inline constexpr int net_vertical_node = net_rings * net_columns;
inline constexpr int net_node_count = net_vertical_node + 1;

using TNetVector = std::array<double, 3>;

// The node of a ring and column; the column is taken modulo net_columns.
int net_node(int ring, int column);

struct TNetNodeOrientation {
    double trend = 0;
    double plunge = 0;
};
TNetNodeOrientation net_node_orientation(int node);

// (cos pl sin tr, cos pl cos tr, -sin pl): x east, y north, z up. The vertical is (0, 0, -1).
const TNetVector& net_node_vector(int node);

// The one evaluation of g . v that every count and test uses.
inline double net_dot(const TNetVector& g, const TNetVector& v) {
    return g[0] * v[0] + g[1] * v[1] + g[2] * v[2];
}

// Columns first, first + 1, ... (modulo net_columns), count of them.
struct TColumnRun {
    int first = 0;
    int count = 0;
    bool operator==(const TColumnRun&) const = default;
};

// The centre of a cap of the sphere, with what the runs along the rings need of it.
struct TCapCentre {
    TNetVector v{};
    double horizontal = 0; // length of the horizontal part of v
    double trend = 0;      // degrees, of the horizontal part
};
TCapCentre cap_centre(const TNetVector& v);
TCapCentre opposite(const TCapCentre& centre);

// The nodes g of the ring where net_dot(g, v) > c (strict) or >= c. In exact arithmetic they
// form one run; the ends of the run found are checked node by node. None when the dot product
// hardly changes along the ring (v within a hair of the vertical): then each node must be
// asked with cap_contains.
std::optional<TColumnRun> cap_run(int ring, const TCapCentre& centre, double c, bool strict);
bool cap_contains(int node, const TNetVector& v, double c, bool strict);
// cap_run of the rings first_ring to last_ring into runs[0], runs[1], ...: the same runs,
// faster over many rings.
void cap_runs(const TCapCentre& centre, double c, bool strict, int first_ring, int last_ring,
              std::span<std::optional<TColumnRun>> runs);

// Calls f(first, count) for each stretch of columns common to both runs (at most two).
template <typename F> void for_each_overlap(TColumnRun a, TColumnRun b, F&& f) {
    const auto pieces = [](TColumnRun r, std::array<TColumnRun, 2>& out) {
        if (r.first + r.count <= net_columns) {
            out = {r, TColumnRun{}};
            return;
        }
        out = {TColumnRun{r.first, net_columns - r.first},
               TColumnRun{0, r.first + r.count - net_columns}};
    };
    std::array<TColumnRun, 2> pa, pb;
    pieces(a, pa);
    pieces(b, pb);
    for (const TColumnRun& x : pa)
        for (const TColumnRun& y : pb) {
            const int first = x.first > y.first ? x.first : y.first;
            const int end_x = x.first + x.count, end_y = y.first + y.count;
            const int end = end_x < end_y ? end_x : end_y;
            if (x.count > 0 && y.count > 0 && end > first)
                f(first, end - first);
        }
}

// Sums of integer weights over the nodes, added a run at a time: each ring keeps the
// differences of its sums from column to column until sums() adds them up.
class TNetSums {
public:
    TNetSums();
    void add_run(int ring, TColumnRun run, long long weight);
    void add_node(int node, long long weight);
    // Adds the other's sums into these.
    void merge(const TNetSums& other);
    // The sum at every node.
    std::vector<long long> sums() const;

private:
    std::vector<long long> steps_; // net_rings rows of net_columns + 1
    std::vector<long long> nodes_; // added node by node, the rings' nodes; empty until then
    long long vertical_ = 0;
};

// Adds items into sums over the net: add(part, sums, reports) adds a part of the items into
// sums of its own and returns false when it was cancelled; reports tells the part that may
// report progress. With at least `enough` items the two halves go to the two cores; the
// integer sums come out the same either way. None when cancelled.
template <typename T, typename Add>
std::optional<TNetSums> sum_over_net(std::span<const T> items, std::size_t enough, Add&& add) {
    TNetSums first;
    if (items.size() < enough)
        return add(items, first, true) ? std::optional<TNetSums>(std::move(first)) : std::nullopt;
    TNetSums second;
    bool first_done = true, second_done = true;
    const std::size_t half = items.size() / 2;
    run_both([&] { first_done = add(items.subspan(0, half), first, true); },
             [&] { second_done = add(items.subspan(half), second, false); });
    if (!first_done || !second_done)
        return std::nullopt;
    first.merge(second);
    return first;
}
