#pragma once

// Symbols of the stress-state plot and the Mohr diagram: tadpoles with their scatter, the
// plunge, size and colour legends, Mohr half-circles, point symbols, the two colour maps and the
// random generator that scatters tadpoles.

#include "plot/draw_operations.h"

#include <QBrush>
#include <QPainter>
#include <QPen>

#include <cstdint>
#include <memory>

// Point symbols of the Mohr diagram.
struct TSymbolSpec {
    QPen pen = make_pen(black_value);
    QBrush brs = make_brush(white_value);
    int size = 5; // radius
    QPen sh_pen = make_pen(black_value);
    QBrush sh_brs = make_brush(white_value);
    int sh_offset = 3; // shadow shift right and down
};

// Tadpoles: a head at one principal axis, a tail toward another.
struct TStressSymbolSpec {
    QPen tp_pen = make_pen(black_value);
    QBrush tp_brs = make_brush(white_value);
    int head_size = 0; // radius of the head
    int tail_size = 0; // tail length of a horizontal tail direction
    QPen sh_pen = make_pen(black_value);
    QBrush sh_brs = make_brush(white_value);
    int sh_offset = 0;
};

// How a weight shows: Num as that many scattered copies, Siz as the size of one head.
enum class TEmphasis { Num, Siz };

// Copies a weight stands for: its integer part, 0 below 1, saturating at INT_MAX.
int symbol_count(float weight);

// The process-wide generator of the scatter: seed = seed * 134775813 + 1 (mod 2^32), value =
// seed / 2^32. The stress plot resets the seed before each drawing so pictures repeat.
void set_random_seed(std::uint32_t seed);
std::uint32_t random_seed();
double random_value(); // in [0, 1)

// The generator stepped by hand, for drawing from the last tadpole back to the first: the value
// a seed stands for, the seed steps values later (earlier when negative), and the seed one value
// earlier.
constexpr double random_value_of(std::uint32_t seed) {
    return seed / 4294967296.0;
}
std::uint32_t random_seed_advanced(std::uint32_t seed, std::int64_t steps);
constexpr std::uint32_t random_seed_before(std::uint32_t seed) {
    // The multiplier is odd, so it has an inverse modulo 2^32; Newton's iteration doubles the
    // correct low bits each step.
    constexpr std::uint32_t a = 134775813u;
    std::uint32_t inverse = a;
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - a * inverse;
    return (seed - 1u) * inverse;
}

// Where the copies of one tadpole go before the scatter moves them.
struct TTadpoleLayout {
    QPoint head;        // of an unmoved copy
    QPoint tail_offset; // from a head to its tail, the same for every copy
    int radius = 0;     // of the head
    int spread = 0;     // a copy moves by up to half of it each way
    int copies = 1;
};

TTadpoleLayout tadpole_layout(const TBaseCircle& circle, const Tazpl& head_dir, TEmphasis emphasis,
                              const TStressSymbolSpec& symb, float dispersion, float weight,
                              const Tazpl& tail_dir);
// The same in two steps, for callers that may not need the tail: all but the tail offset, and
// the tail offset. Within tail_size + 1 pixels each way for tail plunges from 0 to 90.
TTadpoleLayout tadpole_head_layout(const TBaseCircle& circle, const Tazpl& head_dir,
                                   TEmphasis emphasis, const TStressSymbolSpec& symb,
                                   float dispersion, float weight);
QPoint tadpole_tail_offset(const TStressSymbolSpec& symb, const Tazpl& tail_dir);
// The head of a copy moved by the random values rho1 and rho2, by up to half the spread each way.
QPoint moved_head(const TTadpoleLayout& layout, double rho1, double rho2);
// Whether a head lies on the net, the primitive circle included.
bool on_net(QPoint head, const TBaseCircle& circle);
// A head moved off the net comes back in through the opposite side: the axis with its opposite
// sense.
QPoint head_back_on_net(QPoint head, const TBaseCircle& circle);
// The head of a copy: moved, and back on the net when moved off it.
QPoint scattered_head(const TTadpoleLayout& layout, const TBaseCircle& circle, double rho1,
                      double rho2);

// The head goes by equal area whatever the other plots use; the tail runs in the azimuth of
// tail_dir, shortened by its plunge like an equal-angle projection on a net of radius
// tail_size. Consumes two random values per copy drawn.
void draw_tadpole(QPainter& canvas, const TBaseCircle& circle, const Tazpl& head_dir,
                  bool draw_tail, TEmphasis emphasis, const TStressSymbolSpec& symb,
                  float dispersion, float weight, const Tazpl& tail_dir);

// Draws tadpoles exactly as draw_tadpole does, for the many tadpoles of one picture. On a plain
// raster canvas (a QImage without transform, clipping, antialiasing or blending) every distinct
// head and tail shape is rasterised once by Qt itself and then copied into the image, pixel for
// pixel, in the same order; on any other canvas each tadpole is drawn directly. Lives for one
// picture, while the canvas paints on the same image.
class TTadpolePainter {
public:
    explicit TTadpolePainter(QPainter& canvas);
    ~TTadpolePainter();
    TTadpolePainter(const TTadpolePainter&) = delete;
    TTadpolePainter& operator=(const TTadpolePainter&) = delete;

    void draw(const TBaseCircle& circle, const Tazpl& head_dir, bool draw_tail, TEmphasis emphasis,
              const TStressSymbolSpec& symb, float dispersion, float weight, const Tazpl& tail_dir);

private:
    struct Stamps;
    QPainter& canvas_;
    std::unique_ptr<Stamps> stamps_; // null when the canvas is not a plain raster image
};

// The state of the canvas and the styles of symb let TTadpolePainter copy stamps.
bool tadpoles_can_be_copied(const QPainter& canvas, const TStressSymbolSpec& symb);

// Ten tadpoles for plunges 0, 10, ..., 90 in a row at height H * vertical.
void draw_plunge_legend(QPainter& canvas, const TBaseCircle& circle, int W, int H, float left,
                        float right, float vertical, const TStressSymbolSpec& symb);

// Four graded heads, from the largest weight down to the smallest, with the values they stand
// for.
void draw_size_legend(QPainter& canvas, const TBaseCircle& circle, int W, int H, float left,
                      float right, float top, float bottom, const TStressSymbolSpec& symb,
                      float max_label, float min_label, float max_weight, float min_weight);

// Horizontal bar from 0 to 1 in 99 overlapping bands, in colour or grey.
void draw_color_scale(QPainter& canvas, int W, int H, float left, float right, float top,
                      float bottom, bool color);

// Upper halves of the three Mohr circles of principal values s1, s2, s3.
void draw_Mohr_circles(QPainter& canvas, const TCoordAxes2D& axes, float s1, float s2, float s3);

// A circle with its shadow at diagram point (x, y).
void draw_point_symbol(QPainter& canvas, const TCoordAxes2D& axes, const TSymbolSpec& symb, float x,
                       float y);

// Colour values for x in 0..1. Outside that range x is taken as the nearer end: below 0 (and
// NaN) as 0, above 1 as 1.
TColorValue gray_color(float x);
// Blue through cyan, green and yellow to red, 235 the full channel.
TColorValue rainbow_color(float x);
