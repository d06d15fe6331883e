#pragma once

// Contours of values at the nodes of the net grid (stress/net_grid.h) on the picture of a net:
// marching squares over the rings and columns, the crossing points interpolated linearly along
// the edges between nodes and placed in picture coordinates (not rounded). The area where the
// value reaches a level comes out as closed outlines, nested ones bounding holes (odd-even
// fill); along the primitive circle an outline follows the chords between the horizon's nodes,
// which the net's own outline covers. No painter clipping is needed, which the metafile
// recorder would not honour.

#include "plot/draw_operations.h"
#include "stress/net_grid.h"

#include <QPainterPath>
#include <QPointF>

#include <span>
#include <vector>

// Where a direction (degrees) lies on the net, in picture coordinates, not rounded.
QPointF net_position(double trend, double plunge, TProjection projection, const TBaseCircle& net);

// The picture positions of every node of the net grid.
std::vector<QPointF> net_node_positions(TProjection projection, const TBaseCircle& net);

// The area where values (one per node) are at least level.
QPainterPath contour_region(std::span<const double> values, double level,
                            std::span<const QPointF> positions);

// One region per level, in the order of the levels.
std::vector<QPainterPath> contour_regions(std::span<const double> values,
                                          std::span<const double> levels, TProjection projection,
                                          const TBaseCircle& net);
