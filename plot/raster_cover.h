#pragma once

// Opaque figures painted last to first onto a QImage. The first colour a pixel receives this way
// is the one it keeps, since every figure still to come was drawn under it. A figure whose
// footprint is covered already is skipped without being rasterised; one that shows is drawn by
// QPainter where it belongs, on a blank picture of the canvas's size, and only those of its
// pixels that are still bare are kept. Pictures of many thousands of overlapping figures need
// few of them drawn, and each that is drawn gets the pixels QPainter gives it on the canvas.
//
// Footprints must hold every pixel a figure can paint: rectangles, or dilations of its outline.
//
// A figure that recurs in the same shape, such as a symbol drawn in one of a few hundred
// orientations, can be drawn once as a stamp and put wherever it recurs: QPainter's raster
// engine gives a figure moved by whole pixels the same pixels, moved.

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <span>
#include <vector>

// How far from a figure's outline the centres of the pixels QPainter paints for it may lie
// (rasterisers sample pixels at their centres): half the pen's width, or the pixel beside a thin
// line of the cosmetic stroker, or nothing for a fill with no pen; and a pixel more, to spare.
double pen_reach(const QPen& pen);
// How far beyond the bounding box of a segment's end points, in whole pixels, a pen paints: for
// thin lines exactly as far as the cosmetic stroker goes, for others with a pixel to spare.
int pen_box_margin(const QPen& pen);
// The x extent, on the horizontal line at height y, of the points within r of segment a-b; false
// if the line misses them.
bool capsule_row(QPoint a, QPoint b, double y, double r, double& lo, double& hi);

// The pixels of a figure, in runs along rows, relative to an anchor point.
struct TRasterStamp {
    struct Run {
        int dy, x0, x1; // row and columns relative to the anchor
        std::uint32_t pixel;
    };
    std::vector<Run> runs;
    QRect box; // of the runs, relative to the anchor
};

class TRasterCover {
public:
    // Whether figures painted onto canvas can be painted this way: a QImage of 32-bit pixels in
    // device pixels (no transform), no clip, antialiasing, opacity or composition other than
    // plain source-over, and a transparent background for dashes. Figures must themselves be
    // opaque; the caller checks its pens and brushes.
    static bool applies(const QPainter& canvas);

    explicit TRasterCover(QPainter& canvas);
    TRasterCover(const TRasterCover&) = delete;
    TRasterCover& operator=(const TRasterCover&) = delete;

    QRect picture() const { return QRect(0, 0, width_, height_); }

    // True when every pixel of the footprint is covered; footprints are clipped to the picture.
    bool covered(QRect footprint) const;
    // The pixels whose centres lie within r of a point of the open polyline; within r in x and
    // in y of a point of the closed polygon or its inside.
    bool covered_polyline(std::span<const QPoint> points, double r) const;
    bool covered_polygon(std::span<const QPoint> points, double r) const;

    // A painter on a picture of the canvas's size, with the canvas's render hints, blank
    // wherever the cover is bare; the caller sets pen and brush, draws one figure and hands its
    // footprint to take().
    QPainter& blank() { return blank_painter_; }
    // The same on a picture blank everywhere, for figures to be lifted as stamps.
    QPainter& stamp_blank() { return stamp_painter_; }
    // The figure's pixels within the footprint go under the cover where it is still bare; the
    // footprint is blank again.
    void take(QRect footprint);
    // The same for a footprint made of rectangles: each is swept but for what it shares with
    // the one before (and with before, swept already).
    void take(std::span<const QRect> footprint, QRect before = QRect());
    // The same for a polyline with a thin pen: the boxes of its segments grown by margin, those
    // that are covered left alone. What the line painted there stays on the blank, where
    // nothing can take it any more: the blank need only be blank where the cover is bare.
    void take_segments(std::span<const QPoint> points, int margin);

    // The figure just drawn on the stamp blank within the footprint, relative to anchor; the
    // stamp blank is blank again.
    TRasterStamp lift(QRect footprint, QPoint anchor);
    // Whether every pixel of the stamp at anchor is covered, and putting its pixels that are
    // still bare under the cover. The stamp must lie within the picture.
    bool covered(const TRasterStamp& stamp, QPoint anchor) const;
    void put(const TRasterStamp& stamp, QPoint anchor);

    // Paints the covered pixels onto the canvas; the cover is spent.
    void finish();

private:
    bool row_covered(int y, int x0, int x1) const;
    // The pixels within x0 ... x1, y0 ... y1 of the tiles open in word w of tile column tx.
    bool tiles_covered(std::uint64_t open, int w, int tx, int x0, int y0, int x1, int y1) const;
    // Takes pixels x0 ... x1 of row y; lo ... hi are widened to the pixels newly covered.
    void sweep(int y, int x0, int x1, int& lo, int& hi);
    void update_tiles(QRect r);
    template <class Interval> bool covered_rows(int y0, int y1, Interval interval) const;

    QPainter& canvas_;
    int width_ = 0;
    int height_ = 0;
    QImage layer_;
    QImage blank_;
    QPainter blank_painter_;
    QImage stamp_blank_;
    QPainter stamp_painter_;
    std::uint32_t* layer_pixels_ = nullptr;
    std::uint32_t* blank_pixels_ = nullptr;
    std::uint32_t* stamp_pixels_ = nullptr;
    std::size_t stride_ = 0; // pixels per row of all three
    // Covered pixels, a bit each, rows of words_ 64-bit words; bits past the right edge are set.
    int words_ = 0;
    std::vector<std::uint64_t> bits_;
    // 8 x 8 tiles whose pixels are all covered, column by column of tiles: a quick answer for
    // the large footprints that lie in the thick of a crowded picture.
    int tile_words_ = 0;
    std::vector<std::uint64_t> tiles_;
};
