#pragma once

// Symbols of fault data on a stereonet: great circles, slip arrows and bars, tangent-lineation
// arrows and bars at the poles, and the possible slips of sense-only data.

#include "faults/fd_classes.h"
#include "plot/draw_operations.h"

#include <QPainter>
#include <QPen>
#include <QPoint>

#include <array>
#include <cstdint>
#include <vector>

struct TSlipSymbolSpec {
    QPen gc_pen = make_pen(black_value);
    QBrush gc_brs = make_brush(white_value);
    QPen ar_pen = make_pen(black_value);
    QBrush ar_brs = make_brush(white_value);
    int ar_size = 0;
    QPen tl_pen = make_pen(black_value);
    QBrush tl_brs = make_brush(white_value);
    int tl_size = 0;
    TColorValue font_color = black_value;
};

// Directions within a plane (dip direction, dip): u(t) = M (cos t, sin t, 0). u(0) is the
// strike direction of azimuth a + 90, u(90) the dip vector; u(t) points upward for t in
// (180, 360).
Tmatrix33 plane_direction_matrix(const Tazpl& plane);
Tvector3 direction_in_plane(const Tmatrix33& m, float t_degrees);

void draw_great_circle(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                       const TSlipSymbolSpec& symb, const Tazpl& plane);
void draw_slip_arrow(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                     const TSlipSymbolSpec& symb, const TSlipData& sd);
void draw_lineation_bar(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                        const TSlipSymbolSpec& symb, const TSlipData& sd);
void draw_possible_slip_arrows(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                               const TSlipSymbolSpec& symb, const TFaultData& fd);
void draw_tangent_lineation(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                            const TSlipSymbolSpec& symb, const TSlipData& sd);
void draw_tangent_lineation_bar(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                                const TSlipSymbolSpec& symb, const TSlipData& sd);
void draw_possible_slip_fan(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                            const TSlipSymbolSpec& symb, const TFaultData& fd);
// The fan and its dot from possible_slip_fan_points' points.
void draw_fan_points(QPainter& canvas, const TSlipSymbolSpec& symb,
                     const std::vector<QPoint>& points);

// Local shapes, before rotation; a is the size unit.
enum class TStrikeSlipKind { S, D };
std::array<QPoint, 6> make_strike_slip_arrow(std::int16_t a, TStrikeSlipKind kind);
// Starts with the anchor (0, 0): a shaft of 4a with two barbs at its head.
std::array<QPoint, 6> make_dip_slip_arrow(std::int16_t a);
std::array<QPoint, 2> make_lineation_bar(std::int16_t a);
std::array<QPoint, 6> make_tangent_arrow(std::int16_t a);
std::array<QPoint, 2> make_tangent_bar(std::int16_t a);

// The canvas points the routines above draw, for callers that need the geometry itself.
std::vector<QPoint> slip_arrow_points(const TBaseCircle& circle, TProjection projection,
                                      int ar_size, const TSlipData& sd);
std::vector<QPoint> lineation_bar_points(const TBaseCircle& circle, TProjection projection,
                                         int ar_size, const TSlipData& sd);
std::vector<QPoint> tangent_lineation_points(const TBaseCircle& circle, TProjection projection,
                                             int tl_size, const TSlipData& sd, bool bar);
// The candidate slips within a plane, (cos t, sin t, 0) for t = 8i degrees (i = 0 ... 44), as
// direction_in_plane takes them: in the plane of matrix m they are matrix_vector3(m, d[i]).
const std::array<Tvector3, 45>& possible_slip_directions();
// Indices i of t = 8i degrees (i = 0 ... 44) that every alternative admits, in increasing order.
std::vector<int> admissible_slip_indices(const TFaultData& fd);
// The slip draw_possible_slip_arrows draws for admissible index i, on the first alternative's
// plane.
TSlipData possible_slip(const TFaultData& fd, int index);
// The pole as a downward normal: where tangent-lineation symbols and fans sit.
Tvector3 lower_pole(const TSlipData& sd);
// Admissible indices rotated so that they follow each other around the plane without a jump.
std::vector<int> contiguous_slip_indices(const TFaultData& fd);
// The fan polygon: the pole, then one point per admissible direction.
std::vector<QPoint> possible_slip_fan_points(const TBaseCircle& circle, TProjection projection,
                                             int tl_size, const TFaultData& fd);
