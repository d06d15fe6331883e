#include "plot/net_contours.h"

#include <QPolygonF>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double radians = std::numbers::pi / 180;
constexpr double outside = -std::numeric_limits<double>::infinity();

// Rows of the marching grid: -1 is a row of nodes outside the net, on the horizon's nodes and
// below every level, which closes the outlines along the primitive; 0 to net_rings - 1 the
// rings; net_rings the vertical, the same node in every column.
constexpr int first_row = -1;
constexpr int last_row = net_rings;
constexpr int rows = last_row - first_row + 1;

class TMarchingGrid {
public:
    TMarchingGrid(std::span<const double> values, std::span<const QPointF> positions)
        : values_(values), positions_(positions) {}

    double value(int row, int column) const {
        if (row < 0)
            return outside;
        return values_[std::size_t(node(row, column))];
    }
    QPointF position(int row, int column) const {
        return positions_[std::size_t(node(row < 0 ? 0 : row, column))];
    }

private:
    static int node(int row, int column) {
        return row >= net_rings ? net_vertical_node : net_node(row, column);
    }
    std::span<const double> values_;
    std::span<const QPointF> positions_;
};

// Edges: along a row from (row, column) to (row, column + 1), or across from (row, column) to
// (row + 1, column).
int along(int row, int column) {
    return ((row - first_row) * net_columns + (column % net_columns)) * 2;
}
int across(int row, int column) {
    return ((row - first_row) * net_columns + (column % net_columns)) * 2 + 1;
}

struct TEdgeEnds {
    int row0, column0, row1, column1;
};

TEdgeEnds edge_ends(int edge) {
    const int cell = edge / 2;
    const int row = cell / net_columns + first_row, column = cell % net_columns;
    if (edge % 2 == 0)
        return {row, column, row, (column + 1) % net_columns};
    return {row, column, row + 1, column};
}

// Where the level crosses the edge; the same point for both cells that share it.
QPointF crossing(const TMarchingGrid& grid, int edge, double level) {
    const TEdgeEnds e = edge_ends(edge);
    const double f0 = grid.value(e.row0, e.column0), f1 = grid.value(e.row1, e.column1);
    const QPointF p0 = grid.position(e.row0, e.column0), p1 = grid.position(e.row1, e.column1);
    if (f0 == outside)
        return p1;
    if (f1 == outside)
        return p0;
    const double t = (level - f0) / (f1 - f0);
    return p0 + t * (p1 - p0);
}

} // namespace

QPointF net_position(double trend, double plunge, TProjection projection, const TBaseCircle& net) {
    const double half_off_vertical = (90 - plunge) / 2 * radians;
    const double rho = projection == TProjection::EArea
                           ? net.R * std::numbers::sqrt2 * std::sin(half_off_vertical)
                           : net.R * std::tan(half_off_vertical);
    const double t = trend * radians;
    return {net.C.x() + rho * std::sin(t), net.C.y() - rho * std::cos(t)};
}

std::vector<QPointF> net_node_positions(TProjection projection, const TBaseCircle& net) {
    std::vector<QPointF> positions(net_node_count);
    for (int node = 0; node < net_node_count; ++node) {
        const TNetNodeOrientation o = net_node_orientation(node);
        positions[std::size_t(node)] = net_position(o.trend, o.plunge, projection, net);
    }
    return positions;
}

QPainterPath contour_region(std::span<const double> values, double level,
                            std::span<const QPointF> positions) {
    const TMarchingGrid grid(values, positions);
    // next[e]: the edge where the outline leaves the cell it entered at e, with the inside on
    // its left in the order of rows and columns.
    std::vector<int> next(std::size_t(rows) * net_columns * 2, -1);
    std::vector<char> inside_row(net_columns), inside_above(net_columns);
    for (int column = 0; column < net_columns; ++column)
        inside_row[std::size_t(column)] = grid.value(first_row, column) >= level;
    for (int row = first_row; row < last_row; ++row) {
        for (int column = 0; column < net_columns; ++column)
            inside_above[std::size_t(column)] = grid.value(row + 1, column) >= level;
        for (int column = 0; column < net_columns; ++column) {
            const int right = (column + 1) % net_columns;
            // Corners counter-clockwise: a (row, column), b (row, right), c (row + 1, right),
            // d (row + 1, column); edge k runs from corner k to corner k + 1.
            const bool in[4] = {
                bool(inside_row[std::size_t(column)]), bool(inside_row[std::size_t(right)]),
                bool(inside_above[std::size_t(right)]), bool(inside_above[std::size_t(column)])};
            const int edge[4] = {along(row, column), across(row, column + 1),
                                 along(row + 1, column), across(row, column)};
            int crossings = 0;
            for (int k = 0; k < 4; ++k)
                crossings += in[k] != in[(k + 1) % 4];
            if (crossings == 0)
                continue;
            // In a saddle the mean of the corners tells whether the centre joins the two
            // inside corners: then the outline turns to the next edge counter-clockwise, else
            // to the one before.
            bool joined = false;
            if (crossings == 4)
                joined = (grid.value(row, column) + grid.value(row, right) +
                          grid.value(row + 1, right) + grid.value(row + 1, column)) /
                             4 >=
                         level;
            for (int k = 0; k < 4; ++k) {
                if (!in[k] || in[(k + 1) % 4])
                    continue;
                if (crossings == 4) {
                    next[std::size_t(edge[k])] = edge[joined ? (k + 1) % 4 : (k + 3) % 4];
                    continue;
                }
                for (int j = 1; j < 4; ++j)
                    if (!in[(k + j) % 4] && in[(k + j + 1) % 4])
                        next[std::size_t(edge[k])] = edge[(k + j) % 4];
            }
        }
        inside_row.swap(inside_above);
    }

    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    QPolygonF outline;
    for (std::size_t start = 0; start < next.size(); ++start) {
        if (next[start] < 0)
            continue;
        outline.clear();
        for (int e = int(start); next[std::size_t(e)] >= 0;) {
            const QPointF p = crossing(grid, e, level);
            if (outline.isEmpty() || outline.back() != p)
                outline.push_back(p);
            const int following = next[std::size_t(e)];
            next[std::size_t(e)] = -1;
            e = following;
        }
        if (outline.size() > 2) {
            path.addPolygon(outline);
            path.closeSubpath();
        }
    }
    return path;
}

std::vector<QPainterPath> contour_regions(std::span<const double> values,
                                          std::span<const double> levels, TProjection projection,
                                          const TBaseCircle& net) {
    const std::vector<QPointF> positions = net_node_positions(projection, net);
    std::vector<QPainterPath> regions;
    regions.reserve(levels.size());
    for (double level : levels)
        regions.push_back(contour_region(values, level, positions));
    return regions;
}
