#pragma once

// Projection of direction vectors onto a net, point for point as
// azpl_to_point(vector3_to_azpl(v), ...) gives it, without its trigonometry. The position is
// computed from the vector directly in double precision; only where it lies so near a rounding
// boundary that the single-precision steps of that chain could round it the other way is the
// chain itself asked. Pictures of many great circles project millions of vectors.

#include "core/math_operations.h"
#include "plot/draw_operations.h"

#include <QPoint>
#include <QPointF>

#include <array>

class TVectorProjector {
public:
    TVectorProjector(TProjection projection, QPoint centre, int radius);

    // Exactly azpl_to_point(vector3_to_azpl(v), projection, centre, radius).
    QPoint operator()(const Tvector3& v) const;
    // Cheaper still: a point within 0.51 pixel of that one in x and in y.
    QPointF approximate(const Tvector3& v) const;

private:
    // Offsets from the centre before rounding, and how far the chain's may stray from them;
    // false where the chain must be asked (no direction, NaN, far off the net).
    bool offsets(const Tvector3& v, double& dx, double& dy, double& bound) const;
    QPoint reference(const Tvector3& v) const;

    TProjection projection_;
    QPoint centre_;
    int radius_;
};

// direction_in_plane's unit vectors (cos t, sin t, 0) for t = 0, 1, ..., 180 degrees: a great
// circle is drawn through these 181 directions.
const std::array<Tvector3, 181>& half_turn_directions();

// The 181 points of the great circle of plane matrix m (plane_direction_matrix), each within
// 0.01 pixel of where the chain puts it before rounding, in single precision and four at a time:
// footprints of every circle of a picture. For dips of 0 to 87 degrees (1 + m[2][1] >= 0.001);
// nearer vertical, the circle passes too near the centre for single precision there. The last
// three of the 184 points repeat the 181st.
inline constexpr std::size_t padded_circle = 184;
void approximate_great_circle(const Tmatrix33& m, TProjection projection, QPoint centre, int radius,
                              std::array<float, padded_circle>& x,
                              std::array<float, padded_circle>& y);
