#pragma once

// The stress-state plot: sigma1 and sigma3 axes of the shown stress states as tadpoles on two
// nets, with legends; the region tests and the designation overlays. Plain functions over the
// data of the session.

#include "plot/draw_operations.h"
#include "plot/st_symbols.h"
#include "stress/st_classes.h"

#include <QPainter>
#include <QPoint>
#include <QSize>

#include <array>
#include <functional>
#include <span>
#include <stop_token>

inline constexpr int st_plot_width = 2000;
inline constexpr int st_plot_height = 1000;

struct TSTPlotStyles {
    std::array<TBaseCircle, 2> basecircle; // sigma1 net, sigma3 net
    TStressSymbolSpec symbST;
    TStressSymbolSpec symbST_plunge_legend;
    TStressSymbolSpec symbST_size_legend;
};

void setup_stress_plot_styles(TSTPlotStyles& styles);

// The net of a Tsigma1or3 value; not_specified counts as sigma1.
const TBaseCircle& net_of(const TSTPlotStyles& styles, Tsigma1or3 net);

// The view's display settings at drawing time.
struct TSTDrawSettings {
    TEmphasis emphasis = TEmphasis::Siz;
    float df = 1.0f;          // dispersion of the copies with Num
    bool tadpole_tail = true; // CheckBoxTadpoleTail
    bool color = true;        // CheckBoxCLGS: colour, else grey
    bool labels = false;      // the nets' names, their north marks and the scale's ends
};

// What update_plotted_numbers derives; the defaults are the view's values before a load.
struct TPlottedNumbers {
    float min_Ln_show = 1; // fitness threshold that counts as one symbol
    float max_Le = 0;      // weight range, for the size legend
    float min_Le = 0;
    int Nst_to_be_plotted = 0; // symbols (Num) or states (Siz) to draw
};

// Writes Le of every record. Call only while a result is loaded.
TPlottedNumbers update_plotted_numbers(std::span<TStressTensor> STSet, float ef, TEmphasis emphasis,
                                       float max_Ln, float min_Ln_nonzero);

// White picture, both nets, colour scale, plunge legend and (Siz only) the size legend, whose
// labels run from max_Ln down to the threshold; with settings.labels, "σ1" and "σ3" at the outer
// top corners, "N" over each net and "0" and "1" under the ends of the colour scale.
void draw_stress_plot_frame(QPainter& canvas, const TSTPlotStyles& styles,
                            const TSTDrawSettings& settings, float max_Ln,
                            const TPlottedNumbers& numbers);

// Told the symbols (Num) or states (Siz) drawn so far, after each shown state; the last call
// reports Nst_to_be_plotted.
using TSTProgress = std::function<void(int drawn)>;

// The frame, then every state with Le >= 1 in list order, so later (fitter) states lie on top.
// Resets the random seed to 0 first: the same data give the same picture. On a plain raster
// image the tadpoles are painted from the last back to the first instead (st_raster.h), to the
// same pixels. stop is looked at between states (and within a state of very many copies) on
// the drawing threads; once it is requested the drawing ends early. Returns false when a stop
// was requested: the picture may then lack any of the states.
bool draw_stress_states(QPainter& canvas, const TSTPlotStyles& styles,
                        const TSTDrawSettings& settings, std::span<const TStressTensor> STSet,
                        float max_Ln, const TPlottedNumbers& numbers,
                        const TSTProgress& progress = {}, std::stop_token stop = {});

// Region tests on picture points.
Tsigma1or3 net_under_cursor(QPoint p); // sigma1 left of x = 1000
bool inside_net(QPoint p, const TBaseCircle& net);

struct TRatioPick {
    float ratio = 0; // 0 left of the colour scale, 1 right of it
    int arrow_x = 0; // clamped to the scale
};
TRatioPick stress_ratio_at(int x);

// The net under p and the direction there; off the net the direction is taken horizontal and
// the point moves onto the primitive circle.
struct TNetCursor {
    Tsigma1or3 net = Tsigma1or3::not_specified;
    Tazpl azpl;
    QPoint point;
};
TNetCursor cursor_on_net(QPoint p, const TSTPlotStyles& styles);

// The box of a cursor circle, corners included.
struct TCircleBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TCircleBox&) const = default;
};

// Marks of a designation on the displayed picture, with the pen they are drawn with. Circle and
// girdle are drawn not-xor, so drawing one again removes it. The arrow is drawn in plain colour
// on the white ground above the colour scale; not-xor in the same colour turns it back to white.
// A mark still at its reset value (all zero) stands for nothing on the picture and is not
// removed.
struct TDesignationOverlays {
    TCircleBox designate_circle;
    std::array<QPoint, 181> designate_girdle{};
    std::array<QPoint, 6> designate_arrow{};
    TColorValue pen_color = black_value;
    int pen_width = 5;
};

// At the start of a designation: all marks forgotten (those on the picture stay), pen black, 5.
void reset_designation_overlays(TDesignationOverlays& overlays);

// Removes the stored circle, then draws one of radius 30 around p.
void draw_cursor_circle(QPainter& canvas, TDesignationOverlays& overlays, QPoint p);

// The great-circle half perpendicular to first_axis on the net opposite to it, from one
// horizontal end through the steepest point to the other.
std::array<QPoint, 181> girdle_points(const Tazpl& first_axis, const TBaseCircle& opposite_net);
// Removes the stored girdle, then draws the one of first_axis.
void draw_girdle(QPainter& canvas, TDesignationOverlays& overlays, const Tazpl& first_axis,
                 const TBaseCircle& opposite_net);
// The stored girdle point nearest to p (the first of equals).
QPoint nearest_girdle_point(const TDesignationOverlays& overlays, QPoint p);

// Removes the stored arrow, then draws a downward arrow at x in the colour of the ratio.
void draw_ratio_arrow(QPainter& canvas, TDesignationOverlays& overlays, int x, float ratio,
                      bool color);
