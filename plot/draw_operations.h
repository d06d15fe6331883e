#pragma once

// Stereonet projection, diagram frames and the painter helpers every plot shares. All drawing
// goes through QPainter with integer points, so the same calls serve the view's QImage and the
// SVG, PDF and metafile recorders. None of these routines turns antialiasing on: the caller
// decides, and the computed pixels stay where they are.

#include "core/math_operations.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPoint>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

enum class TProjection { EArea, EAngle };

// Stored colour value: red + 256 green + 65536 blue.
using TColorValue = std::uint32_t;

// The value that stands for "no colour": nothing is painted with it.
inline constexpr TColorValue no_color_value = 536870911; // 0x1FFFFFFF
inline constexpr TColorValue white_value = 16777215;
inline constexpr TColorValue black_value = 0;
inline constexpr TColorValue grey_value = 8421504;    // 128, 128, 128
inline constexpr TColorValue silver_value = 12632256; // 192, 192, 192

QColor color_from_value(TColorValue v);

// Round caps and joins, so that arrow heads drawn back and forth along one segment stay clean at
// any width; style is Qt::SolidLine, Qt::DotLine or Qt::NoPen.
QPen make_pen(TColorValue color, int width = 1, Qt::PenStyle style = Qt::SolidLine);
// Solid brush.
QBrush make_brush(TColorValue color);

// The canvas takes over colour, width and style; the owner keeps its own objects.
void give_pen_brush(QPainter& canvas, const QPen& pen, const QBrush& brush);

// Nearest integer, halves to the even neighbour. A value beyond +-2^24 (an orientation out of
// range projects far outside any picture) gives the bound, and NaN the lower one: off the
// picture, never an undefined conversion.
int nearest(double x);

struct TBaseCircle {
    QPoint C{0, 0};
    int R = 0;
    QPen pen = make_pen(black_value);
    QBrush brs = make_brush(white_value);
    int tick_size = 0;
};

struct TCoordAxes2D {
    Tvector2 O;
    std::array<Tvector2, 2> e{};
    Tvector2 max;
    Tvector2 min;
    QPen pen = make_pen(black_value);
};

QPoint azpl_to_point(const Tazpl& azpl, TProjection projection, const TBaseCircle& circle);
// The same on a net given by centre and radius alone: symbols project on small local nets
// many times per picture, and a TBaseCircle carries a pen and a brush.
QPoint azpl_to_point(const Tazpl& azpl, TProjection projection, QPoint centre, int radius);
// Not clamped to the net: points outside the primitive circle give negative plunges (or 0 in
// the equal-area projection beyond R sqrt 2).
Tazpl point_to_azpl(QPoint point, TProjection projection, const TBaseCircle& circle);

// White from (0, 0) to (width, height); leaves a clear pen and a white brush on the canvas.
void clear_canvas(QPainter& canvas, int width, int height);
void draw_base_circle(QPainter& canvas, const TBaseCircle& circle);

QPoint axes_to_canvas(const Tvector2& v, const TCoordAxes2D& axes);
void draw_coord_axes(QPainter& canvas, const TCoordAxes2D& axes);

// Local shape points rotated by theta (radians, clockwise on the screen) about the anchor.
std::vector<QPoint> rotate_shape(std::span<const QPoint> shape, double theta, QPoint anchor);
// Rotated about (0, 0), rounded, then moved to the anchor: the tangent symbols keep their
// shape exactly around the pole this way.
std::vector<QPoint> rotate_shape_then_move(std::span<const QPoint> shape, double theta,
                                           QPoint anchor);

// Angle of the line from a to b on the canvas.
double canvas_angle(QPoint a, QPoint b);
// Angle of the radius through p: a local x axis rotated by it points outward through p.
double radial_angle(QPoint p, const TBaseCircle& circle);

// Ellipse filling the box (left, top) to (right, bottom).
void draw_ellipse_box(QPainter& canvas, int left, int top, int right, int bottom);
