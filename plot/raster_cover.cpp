#include "plot/raster_cover.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

// Larger pictures are left to the vector route: the cover holds three more of them.
constexpr int max_side = 4096;

// Bits x0 ... x1 of a row of words all set.
bool all_set(const std::uint64_t* row, int x0, int x1) {
    const int w0 = x0 >> 6, w1 = x1 >> 6;
    const std::uint64_t first = ~std::uint64_t(0) << (x0 & 63);
    const std::uint64_t last = ~std::uint64_t(0) >> (63 - (x1 & 63));
    if (w0 == w1)
        return (~row[w0] & first & last) == 0;
    if ((~row[w0] & first) != 0 || (~row[w1] & last) != 0)
        return false;
    for (int w = w0 + 1; w < w1; ++w)
        if (row[w] != ~std::uint64_t(0))
            return false;
    return true;
}

// Rows of words for n bits, the bits past n set.
int padded_words(int n, int rows, std::vector<std::uint64_t>& bits) {
    const int words = (n + 63) / 64;
    bits.assign(std::size_t(words) * std::size_t(rows), 0);
    if (n % 64 != 0)
        for (int y = 0; y < rows; ++y)
            bits[std::size_t(y) * std::size_t(words) + std::size_t(words - 1)] = ~std::uint64_t(0)
                                                                                 << (n % 64);
    return words;
}

// Pixel columns whose centres x + 0.5 lie in [a, b], clipped to 0 ... width - 1.
bool columns(double a, double b, int width, int& x0, int& x1) {
    const double lo = std::max(std::ceil(a - 0.5), 0.0);
    const double hi = std::min(std::floor(b - 0.5), double(width - 1));
    if (!(lo <= hi))
        return false;
    x0 = int(lo);
    x1 = int(hi);
    return true;
}

// Pixel rows whose centres y + 0.5 lie within r of [a, b], clipped to 0 ... height - 1.
bool rows(double a, double b, double r, int height, int& y0, int& y1) {
    return columns(a - r, b + r, height, y0, y1);
}

} // namespace

double pen_reach(const QPen& pen) {
    if (pen.style() == Qt::NoPen)
        return 1;
    if (pen.widthF() <= 1)
        return 2.5;
    return pen.widthF() / 2 + 1;
}

int pen_box_margin(const QPen& pen) {
    // The cosmetic stroker steps along the major axis from the first end to the last, one pixel
    // across at most, and caps or closes a gap with one pixel beyond an end.
    if (pen.style() != Qt::NoPen && pen.widthF() <= 1)
        return 1;
    return int(std::ceil(pen_reach(pen)));
}

bool capsule_row(QPoint a, QPoint b, double y, double r, double& lo, double& hi) {
    const double ax = a.x(), ay = a.y(), dx = b.x() - ax, dy = b.y() - ay;
    lo = HUGE_VAL;
    hi = -HUGE_VAL;
    const auto disc = [&](double px, double py) {
        const double d = y - py;
        if (std::fabs(d) <= r) {
            const double w = std::sqrt(r * r - d * d);
            lo = std::min(lo, px - w);
            hi = std::max(hi, px + w);
        }
    };
    disc(ax, ay);
    disc(ax + dx, ay + dy);
    const double l2 = dx * dx + dy * dy;
    const double v = y - ay;
    if (l2 > 0 && dy != 0) {
        // Within r of the line through a and b: |(x - ax) dy - v dx| <= r |b - a| ...
        const double rl = r * std::sqrt(l2);
        double s0 = (v * dx - rl) / dy, s1 = (v * dx + rl) / dy;
        if (s0 > s1)
            std::swap(s0, s1);
        // ... and between the perpendiculars through a and b: 0 <= (x - ax) dx + v dy <= l2.
        if (dx != 0) {
            double u0 = -v * dy / dx, u1 = (l2 - v * dy) / dx;
            if (u0 > u1)
                std::swap(u0, u1);
            s0 = std::max(s0, u0);
            s1 = std::min(s1, u1);
        } else if (v * dy < 0 || v * dy > l2) {
            s1 = s0 - 1;
        }
        if (s0 <= s1) {
            lo = std::min(lo, ax + s0);
            hi = std::max(hi, ax + s1);
        }
    } else if (l2 > 0 && std::fabs(v) <= r) {
        lo = std::min(lo, std::min(ax, ax + dx));
        hi = std::max(hi, std::max(ax, ax + dx));
    }
    return lo <= hi;
}

bool TRasterCover::applies(const QPainter& canvas) {
    if (!canvas.isActive())
        return false;
    const QPaintDevice* device = canvas.device();
    if (!device || device->devType() != QInternal::Image)
        return false;
    const auto* image = static_cast<const QImage*>(device);
    const QImage::Format f = image->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        return false;
    return image->devicePixelRatio() == 1 && image->width() <= max_side &&
           image->height() <= max_side && canvas.deviceTransform().isIdentity() &&
           !canvas.hasClipping() && canvas.opacity() == 1 &&
           canvas.compositionMode() == QPainter::CompositionMode_SourceOver &&
           !canvas.testRenderHint(QPainter::Antialiasing) &&
           canvas.backgroundMode() == Qt::TransparentMode;
}

TRasterCover::TRasterCover(QPainter& canvas)
    : canvas_(canvas), width_(canvas.device()->width()), height_(canvas.device()->height()),
      layer_(width_, height_, QImage::Format_ARGB32_Premultiplied),
      blank_(width_, height_, QImage::Format_ARGB32_Premultiplied),
      stamp_blank_(width_, height_, QImage::Format_ARGB32_Premultiplied) {
    layer_.fill(0);
    blank_.fill(0);
    stamp_blank_.fill(0);
    layer_pixels_ = reinterpret_cast<std::uint32_t*>(layer_.bits());
    blank_pixels_ = reinterpret_cast<std::uint32_t*>(blank_.bits());
    stamp_pixels_ = reinterpret_cast<std::uint32_t*>(stamp_blank_.bits());
    stride_ = std::size_t(layer_.bytesPerLine() / 4);
    for (QPainter* painter : {&blank_painter_, &stamp_painter_}) {
        painter->begin(painter == &blank_painter_ ? &blank_ : &stamp_blank_);
        painter->setRenderHints(painter->renderHints(), false);
        painter->setRenderHints(canvas.renderHints(), true);
    }
    words_ = padded_words(width_, height_, bits_);
    // Tiles by columns: a footprint spans few columns of tiles, and a column's full tiles are
    // one or two words.
    tile_words_ = padded_words((height_ + 7) / 8, (width_ + 7) / 8, tiles_);
}

bool TRasterCover::row_covered(int y, int x0, int x1) const {
    return all_set(bits_.data() + std::size_t(y) * std::size_t(words_), x0, x1);
}

bool TRasterCover::covered(QRect footprint) const {
    const int x0 = std::max(footprint.left(), 0), x1 = std::min(footprint.right(), width_ - 1);
    const int y0 = std::max(footprint.top(), 0), y1 = std::min(footprint.bottom(), height_ - 1);
    if (x0 > x1 || y0 > y1)
        return true;
    // Tile by tile: the pixels are looked at only in tiles not yet full.
    const int ty0 = y0 >> 3, ty1 = y1 >> 3;
    const int w0 = ty0 >> 6, w1 = ty1 >> 6;
    const std::uint64_t first = ~std::uint64_t(0) << (ty0 & 63);
    const std::uint64_t last = ~std::uint64_t(0) >> (63 - (ty1 & 63));
    const std::uint64_t* column = tiles_.data() + std::size_t(x0 >> 3) * std::size_t(tile_words_);
    for (int tx = x0 >> 3; tx <= x1 >> 3; ++tx, column += tile_words_)
        for (int w = w0; w <= w1; ++w) {
            const std::uint64_t open = ~column[w] & (w == w0 ? first : ~std::uint64_t(0)) &
                                       (w == w1 ? last : ~std::uint64_t(0));
            if (open != 0 && !tiles_covered(open, w, tx, x0, y0, x1, y1))
                return false;
        }
    return true;
}

bool TRasterCover::tiles_covered(std::uint64_t open, int w, int tx, int x0, int y0, int x1,
                                 int y1) const {
    const int xa = std::max(x0, tx * 8), xb = std::min(x1, tx * 8 + 7);
    for (; open != 0; open &= open - 1) {
        const int ty = w * 64 + std::countr_zero(open);
        for (int y = std::max(y0, ty * 8); y <= std::min(y1, ty * 8 + 7); ++y)
            if (!row_covered(y, xa, xb))
                return false;
    }
    return true;
}

template <class Interval> bool TRasterCover::covered_rows(int y0, int y1, Interval interval) const {
    for (int y = y0; y <= y1; ++y) {
        double lo = 0, hi = 0;
        int x0 = 0, x1 = 0;
        if (interval(y + 0.5, lo, hi) && columns(lo, hi, width_, x0, x1) && !row_covered(y, x0, x1))
            return false;
    }
    return true;
}

bool TRasterCover::covered_polyline(std::span<const QPoint> points, double r) const {
    if (points.empty())
        return true;
    const std::size_t segments = std::max<std::size_t>(points.size() - 1, 1);
    for (std::size_t k = 0; k < segments; ++k) {
        const QPoint a = points[k], b = points[std::min(k + 1, points.size() - 1)];
        int y0 = 0, y1 = 0;
        if (!rows(std::min(a.y(), b.y()), std::max(a.y(), b.y()), r, height_, y0, y1))
            continue;
        const bool covered = covered_rows(y0, y1, [&](double y, double& lo, double& hi) {
            return capsule_row(a, b, y, r, lo, hi);
        });
        if (!covered)
            return false;
    }
    return true;
}

bool TRasterCover::covered_polygon(std::span<const QPoint> points, double r) const {
    if (points.empty())
        return true;
    const auto [low, high] = std::minmax_element(points.begin(), points.end(),
                                                 [](QPoint a, QPoint b) { return a.y() < b.y(); });
    int y0 = 0, y1 = 0;
    if (!rows(low->y(), high->y(), r, height_, y0, y1))
        return true;
    // Each row meets the inside between its leftmost and rightmost crossing of the outline;
    // an edge's reach along a row lies within r of its part within r of the row.
    return covered_rows(y0, y1, [&](double y, double& lo, double& hi) {
        lo = HUGE_VAL;
        hi = -HUGE_VAL;
        for (std::size_t k = 0; k < points.size(); ++k) {
            const QPoint a = points[k], b = points[(k + 1) % points.size()];
            const double ay = a.y(), dy = b.y() - ay;
            double t0 = 0, t1 = 1;
            if (dy != 0) {
                t0 = std::max(std::min((y - r - ay) / dy, (y + r - ay) / dy), 0.0);
                t1 = std::min(std::max((y - r - ay) / dy, (y + r - ay) / dy), 1.0);
            } else if (std::fabs(ay - y) > r) {
                continue;
            }
            if (t0 > t1)
                continue;
            const double x0 = a.x() + t0 * (b.x() - a.x()), x1 = a.x() + t1 * (b.x() - a.x());
            lo = std::min(lo, std::min(x0, x1) - r);
            hi = std::max(hi, std::max(x0, x1) + r);
        }
        return lo <= hi;
    });
}

void TRasterCover::sweep(int y, int x0, int x1, int& lo, int& hi) {
    std::uint32_t* from = blank_pixels_ + std::size_t(y) * stride_;
    std::uint32_t* to = layer_pixels_ + std::size_t(y) * stride_;
    std::uint64_t* bits = bits_.data() + std::size_t(y) * std::size_t(words_);
    int x = x0;
    while (x <= x1) {
        // The blank is mostly blank: four pixels at a time.
        if (x + 3 <= x1) {
            std::uint64_t a = 0, b = 0;
            std::memcpy(&a, from + x, sizeof a);
            std::memcpy(&b, from + x + 2, sizeof b);
            if ((a | b) == 0) {
                x += 4;
                continue;
            }
        }
        if (from[x] != 0) {
            const std::uint64_t bit = std::uint64_t(1) << (x & 63);
            if ((bits[x >> 6] & bit) == 0) {
                to[x] = from[x];
                bits[x >> 6] |= bit;
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
            from[x] = 0;
        }
        ++x;
    }
}

void TRasterCover::take(QRect footprint) {
    take(std::span<const QRect>(&footprint, 1), QRect());
}

void TRasterCover::take(std::span<const QRect> footprint, QRect before) {
    for (const QRect& rect : footprint) {
        const QRect r = rect.intersected(picture());
        if (r.isEmpty())
            continue;
        int lo = width_, hi = -1, top = height_, bottom = -1;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            int row_lo = width_, row_hi = -1;
            if (y < before.top() || y > before.bottom()) {
                sweep(y, r.left(), r.right(), row_lo, row_hi);
            } else {
                // Left and right of the part swept with the rectangle before.
                sweep(y, r.left(), std::min(r.right(), before.left() - 1), row_lo, row_hi);
                sweep(y, std::max(r.left(), before.right() + 1), r.right(), row_lo, row_hi);
            }
            if (row_hi >= 0) {
                lo = std::min(lo, row_lo);
                hi = std::max(hi, row_hi);
                top = std::min(top, y);
                bottom = y;
            }
        }
        if (hi >= 0)
            update_tiles(QRect(QPoint(lo, top), QPoint(hi, bottom)));
        before = r;
    }
}

void TRasterCover::take_segments(std::span<const QPoint> points, int margin) {
    // Where a segment's box is covered, whatever the figure painted there is hidden: it stays
    // on the blank, under the cover, and only boxes still bare are swept. Runs of segments are
    // tried first, most being covered whole.
    const auto box = [&](std::size_t from, std::size_t to) {
        int x0 = points[from].x(), x1 = x0, y0 = points[from].y(), y1 = y0;
        for (std::size_t k = from + 1; k <= to; ++k) {
            x0 = std::min(x0, points[k].x());
            x1 = std::max(x1, points[k].x());
            y0 = std::min(y0, points[k].y());
            y1 = std::max(y1, points[k].y());
        }
        return QRect(QPoint(x0 - margin, y0 - margin), QPoint(x1 + margin, y1 + margin));
    };
    constexpr std::size_t run = 8;
    std::array<QRect, 1> bare;
    QRect before;
    for (std::size_t from = 0; from + 1 < points.size(); from += run) {
        const std::size_t to = std::min(from + run, points.size() - 1);
        if (covered(box(from, to)))
            continue;
        for (std::size_t k = from; k < to; ++k) {
            bare[0] = box(k, k + 1);
            if (covered(bare[0]))
                continue;
            take(bare, before);
            before = bare[0].intersected(picture());
        }
    }
}

TRasterStamp TRasterCover::lift(QRect footprint, QPoint anchor) {
    TRasterStamp stamp;
    const QRect r = footprint.intersected(picture());
    if (r.isEmpty())
        return stamp;
    std::uint32_t* from = stamp_pixels_ + std::size_t(r.top()) * stride_;
    for (int y = r.top(); y <= r.bottom(); ++y, from += stride_)
        for (int x = r.left(); x <= r.right(); ++x) {
            const std::uint32_t pixel = from[x];
            if (pixel == 0)
                continue;
            from[x] = 0;
            const int dy = y - anchor.y(), dx = x - anchor.x();
            if (!stamp.runs.empty()) {
                TRasterStamp::Run& run = stamp.runs.back();
                if (run.dy == dy && run.x1 == dx - 1 && run.pixel == pixel) {
                    run.x1 = dx;
                    continue;
                }
            }
            stamp.runs.push_back({dy, dx, dx, pixel});
        }
    for (const TRasterStamp::Run& run : stamp.runs)
        stamp.box |= QRect(QPoint(run.x0, run.dy), QPoint(run.x1, run.dy));
    return stamp;
}

bool TRasterCover::covered(const TRasterStamp& stamp, QPoint anchor) const {
    if (covered(stamp.box.translated(anchor)))
        return true;
    for (const TRasterStamp::Run& run : stamp.runs)
        if (!row_covered(anchor.y() + run.dy, anchor.x() + run.x0, anchor.x() + run.x1))
            return false;
    return true;
}

void TRasterCover::put(const TRasterStamp& stamp, QPoint anchor) {
    bool news = false;
    for (const TRasterStamp::Run& run : stamp.runs) {
        const int y = anchor.y() + run.dy;
        std::uint32_t* to = layer_pixels_ + std::size_t(y) * stride_;
        std::uint64_t* bits = bits_.data() + std::size_t(y) * std::size_t(words_);
        for (int x = anchor.x() + run.x0; x <= anchor.x() + run.x1; ++x) {
            const std::uint64_t bit = std::uint64_t(1) << (x & 63);
            if ((bits[x >> 6] & bit) == 0) {
                to[x] = run.pixel;
                bits[x >> 6] |= bit;
                news = true;
            }
        }
    }
    if (news)
        update_tiles(stamp.box.translated(anchor));
}

void TRasterCover::update_tiles(QRect r) {
    for (int tx = r.left() >> 3; tx <= r.right() >> 3; ++tx) {
        std::uint64_t* tiles = tiles_.data() + std::size_t(tx) * std::size_t(tile_words_);
        for (int ty = r.top() >> 3; ty <= r.bottom() >> 3; ++ty) {
            const std::uint64_t bit = std::uint64_t(1) << (ty & 63);
            if (tiles[ty >> 6] & bit)
                continue;
            bool full = true;
            for (int y = ty * 8; full && y < std::min(ty * 8 + 8, height_); ++y)
                full = ((bits_[std::size_t(y) * std::size_t(words_) + std::size_t(tx >> 3)] >>
                         ((tx & 7) * 8)) &
                        0xFF) == 0xFF;
            if (full)
                tiles[ty >> 6] |= bit;
        }
    }
}

void TRasterCover::finish() {
    blank_painter_.end();
    stamp_painter_.end();
    canvas_.drawImage(QPoint(0, 0), layer_);
}
