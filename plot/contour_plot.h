#pragma once

// Density contours and right dihedra on a net: filled bands from light to dark, the contour
// lines, and a legend that names what is counted, how, and what each band holds. Plain data
// in, drawing on any QPainter out; the same paths go to the screen, PNG, SVG, PDF and EMF.

#include "plot/draw_operations.h"
#include "stress/axis_density.h"
#include "stress/right_dihedra.h"

#include <QPainter>
#include <QPainterPath>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <span>
#include <vector>

struct TContourStyle {
    std::vector<TColorValue> ramp; // from the lowest band to the highest, interpolated between
    QPen line_pen;                 // the contour lines; Qt::NoPen for none
    QPen outline_pen;              // the 100 % area of the right dihedra
    int legend_pixels = 22;        // text height of the legend
};

// Light yellow through orange to dark red, thin dark lines.
TContourStyle density_contour_style();
// Greys from light to dark, no lines, a black outline.
TContourStyle dihedra_contour_style();

// The default levels: 2, 4, 6, ... sigma for Kamb (wider steps, 5, 10, 20, ..., when that would
// give more than 10 levels), 1, 2, 4, 8, 16, ... % for the 1 % area; up to the highest value,
// and at least the first level.
std::vector<double> default_density_levels(TDensityMethod method, double max_value);
// The levels that are finite and increase strictly, in order: what a user's list comes to.
std::vector<double> usable_levels(std::span<const double> levels);

// The colour of band k of count bands (band k lies between level k and level k + 1).
TColorValue band_color(const TContourStyle& style, int band, int bands);

// Filled regions of one net: region k is where the value reaches levels[k].
struct TContourBands {
    std::vector<double> levels;
    std::vector<QPainterPath> regions;
    std::vector<TColorValue> colors;
};

TContourBands contour_bands(std::span<const double> values, std::span<const double> levels,
                            TProjection projection, const TBaseCircle& net,
                            const TContourStyle& style);
// The regions filled from the lowest level up, then their outlines with the line pen.
void draw_contour_bands(QPainter& canvas, const TContourBands& bands, const QPen& line_pen);

// The right dihedra's bands: every 10 %, and the 100 % area (halfway to the next lower value a
// node can have) last, outlined.
TContourBands dihedra_bands(const TRightDihedra& dihedra, TProjection projection,
                            const TBaseCircle& net, const TContourStyle& style);
void draw_dihedra_bands(QPainter& canvas, const TContourBands& bands, const TContourStyle& style);

// The outline of a net drawn over bands, without its white fill.
void draw_net_outline(QPainter& canvas, const TBaseCircle& net);

struct TLegendRow {
    TColorValue fill = white_value;
    QString text;
    bool outlined = false; // drawn with the style's outline pen
};

struct TContourLegend {
    QStringList heading; // one line each, over the rows
    std::vector<TLegendRow> rows;
    QString footing; // under the rows; may be empty
};

// "P axes" / "Kamb, N = 36" over the bands ("2 – 4σ", ..., "≥ 10σ"), "max 11.2σ" under them.
TContourLegend density_legend(const QString& subject_caption, const TAxisDensity& density,
                              const TContourBands& bands);
// The highest density, "11.2σ" or "23.4 %".
QString density_max_text(const TAxisDensity& density);
// "Right dihedra" / "N = 36" over "0 – 10 %", ..., "90 – 100 %", "100 %" (outlined).
TContourLegend dihedra_legend(const TRightDihedra& dihedra, const TContourBands& bands);

// Rows of a swatch and its text from top_left down; returns the size taken.
QSize draw_contour_legend(QPainter& canvas, QPoint top_left, const TContourLegend& legend,
                          const TContourStyle& style);

// Kinematic axes as the field has them: P open circles, T filled ones; B small grey squares
// when asked.
struct TKinematicSymbolStyle {
    int radius = 9;
    QPen pen = make_pen(black_value, 2);
    TColorValue p_fill = white_value;
    TColorValue t_fill = black_value;
    bool show_b = false;
    TColorValue b_fill = 8421504; // grey
};

void draw_kinematic_axes(QPainter& canvas, const TBaseCircle& net, TProjection projection,
                         const TKinematicAxesSet& axes, const TKinematicSymbolStyle& style);
// "P axes ○  T axes ●" as a legend row pair from top_left; returns the size taken.
QSize draw_kinematic_axes_legend(QPainter& canvas, QPoint top_left,
                                 const TKinematicSymbolStyle& symbols, int pixels);
