#pragma once

// Heads and tails of tadpoles as Qt rasterises them, kept as runs of pixels around the point they
// are drawn at, and the plain raster image they are copied into. An aliased shape drawn at a
// whole-pixel position comes out the same wherever it lies, so copying its runs gives the
// painter's own pixels at a fraction of the cost.

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

// Pixels x0..x1 of row dy, relative to the anchor of the shape.
struct TPixelRun {
    int dy, x0, x1;
};

// Where a shape lies, for finding it hidden: the columns of each of its rows, and the columns
// it reaches together with its copy at a shadow offset in each group of 8 rows.
class TStampOutline {
public:
    struct Extent {
        std::int16_t x0, x1; // relative to the anchor; x0 > x1 for none
    };

    TStampOutline() = default;
    // rows: the extent of each row, rows in increasing order. spread widens the shape by that
    // many pixels in every direction: the shape moved anywhere within +-spread lies inside.
    TStampOutline(std::span<const TPixelRun> rows, int spread, int shadow);

    // Groups of rows group_top() + 8 k to group_top() + 8 k + 7, the shadow copy included.
    int group_top() const { return group_top_; }
    std::span<const Extent> groups() const {
        return {groups_ <= few_groups ? few_.data() : many_.data(), groups_};
    }
    // The shape's own rows, top() to bottom().
    int top() const { return top_; }
    int bottom() const { return top_ + int(rows_.size()) - 1; }
    Extent row(int dy) const { return rows_[std::size_t(dy - top_)]; }

private:
    // The groups of a tail are read for each tadpole tested and kept within the stamp, in the
    // memory fetched with it.
    static constexpr std::size_t few_groups = 16;
    int group_top_ = 0, top_ = 0;
    std::size_t groups_ = 0;
    std::array<Extent, few_groups> few_{};
    std::vector<Extent> many_;
    std::vector<Extent> rows_;
};

struct TTadpoleStamp {
    // The outlines come first: they are read for every tadpole tested, the runs for few.
    TStampOutline outline;             // of the shape, with the cache's shadow offset
    TStampOutline spread_outline;      // of the shape moved anywhere within the cache's spread
    std::vector<TPixelRun> pen, brush; // no pixel in both: the pen's runs cover the brush's
};

// Stamps of heads (ellipses of draw_ellipse_box) and tails (lines) in one pen each, rasterised on
// first use; the stamps stay where they are while the cache lives. One thread at a time.
class TStampCache {
public:
    static constexpr int limit = 1000; // larger shapes are not kept

    TStampCache() = default;
    // With outlines; spread from 0 to limit, shadow from -limit to limit.
    TStampCache(int spread, int shadow);

    // A stamp lies within this many pixels of its shape's box: -r to r each way for a head, from
    // (0, 0) to d for a tail.
    static int margin(const QPen& pen) { return pen.width() + 2; }

    // Whether stamps can be made with the pen: a whole width, up to 255.
    static bool usable(const QPen& pen);
    // Whether shapes drawn with either pen are the same, colour aside.
    static bool same_shapes(const QPen& a, const QPen& b);

    // Ellipse in the box (-r, -r) to (r, r); nullptr for an unusable pen or r outside 0..limit.
    const TTadpoleStamp* head(int r, const QPen& pen, const QBrush& brush);
    // Line from (0, 0) to d; nullptr for an unusable pen or d beyond limit.
    const TTadpoleStamp* tail(QPoint d, const QPen& pen);

private:
    template <class DrawShape>
    TTadpoleStamp rasterise(QRect box, const QPen& pen, const QBrush& brush,
                            DrawShape&& draw_shape);

    bool outlines_ = false;
    int spread_ = 0, shadow_ = 0;
    std::unordered_map<std::uint64_t, TTadpoleStamp> cache_;
    QImage scratch_;
};

// The pixels of a QImage of 32-bit pixels at device pixel ratio 1, as a painter on it paints them.
class TStampImage {
public:
    // The image the canvas paints on, when it is such an image.
    static std::optional<TStampImage> of(const QPainter& canvas);
    // Whether the canvas paints opaque colours straight onto the pixels at this moment: no
    // antialiasing, transform, clipping, blending or opacity.
    static bool plain_state(const QPainter& canvas);

    int width() const { return width_; }
    int height() const { return height_; }
    QRgb* row(int y) const { return reinterpret_cast<QRgb*>(bits_ + y * bytes_per_line_); }

    // Sets the pixels of the runs placed at anchor to value, within the image.
    void copy(std::span<const TPixelRun> runs, QPoint anchor, QRgb value) const;

private:
    uchar* bits_ = nullptr;
    qsizetype bytes_per_line_ = 0;
    int width_ = 0, height_ = 0;
};

// Drawn without any trace of the colour beneath: solid, fully opaque (or no brush).
bool opaque_solid(const QPen& pen);
bool opaque_solid(const QBrush& brush);
