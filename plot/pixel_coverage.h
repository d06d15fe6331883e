#pragma once

// Which pixels of a picture painted from the last figure back to the first are taken already.
// A pixel keeps the first colour it receives this way, the one the last figure over it leaves
// when painting in order; a figure whose pixels are all taken is hidden and need not be painted.

#include "plot/tadpole_stamps.h"

#include <QPoint>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

// A box of pixels, its edges included.
struct TPixelBox {
    int left, top, right, bottom;

    TPixelBox moved(QPoint p) const {
        return {left + p.x(), top + p.y(), right + p.x(), bottom + p.y()};
    }
    TPixelBox grown(int d) const { return {left - d, top - d, right + d, bottom + d}; }
    TPixelBox joined(const TPixelBox& b) const {
        return {std::min(left, b.left), std::min(top, b.top), std::max(right, b.right),
                std::max(bottom, b.bottom)};
    }
    bool meets(const TPixelBox& b) const {
        return left <= b.right && b.left <= right && top <= b.bottom && b.top <= bottom;
    }
    // The pixels in both; left > right or top > bottom when there are none.
    TPixelBox met(const TPixelBox& b) const {
        return {std::max(left, b.left), std::max(top, b.top), std::min(right, b.right),
                std::min(bottom, b.bottom)};
    }
};

// One bit per pixel, set when the pixel is taken, and from the start beyond the picture. Above
// the pixels, in the same layout, a bit for each tile of 8 x 8 pixels all taken and one for each
// block of 64 x 64 pixels all taken, so that a figure deep under others is found hidden with a
// few tests.
class TPixelCoverage {
public:
    TPixelCoverage(int width, int height);

    TPixelBox area() const { return {0, 0, width_ - 1, height_ - 1}; }
    bool taken(int x, int y) const { return pixel_row(y)[x >> 6] >> (x & 63) & 1; }

    // Whether every pixel of the box within the picture is taken; by the blocks alone, so only
    // certain for boxes of whole blocks.
    bool hidden(const TPixelBox& box) const {
        const int y0 = std::max(box.top, 0), y1 = std::min(box.bottom, height_ - 1);
        const int x0 = std::max(box.left, 0), x1 = std::min(box.right, width_ - 1);
        if (y0 > y1 || x0 > x1)
            return true;
        for (int b = y0 >> 6; b <= y1 >> 6; ++b)
            if (!all_set(block_row(b), x0 >> 6, x1 >> 6))
                return false;
        return true;
    }

    // Whether every pixel within the picture of the outlined shape at anchor and at anchor +
    // shadow is taken: by the tiles where they are full, else row by row.
    bool hidden(const TStampOutline& shape, QPoint anchor, QPoint shadow) const {
        int y = anchor.y() + shape.group_top();
        for (const TStampOutline::Extent& g : shape.groups()) {
            const int y0 = std::max(y, 0), y1 = std::min(y + 7, height_ - 1);
            const int x0 = std::max(anchor.x() + g.x0, 0);
            const int x1 = std::min(anchor.x() + g.x1, width_ - 1);
            y += 8;
            if (y0 > y1 || x0 > x1)
                continue;
            if (all_set(tile_row(y0 >> 3), x0 >> 3, x1 >> 3) &&
                ((y1 >> 3) == (y0 >> 3) || all_set(tile_row(y1 >> 3), x0 >> 3, x1 >> 3)))
                continue;
            if (!rows_taken(shape, anchor, y0, y1) || !rows_taken(shape, anchor + shadow, y0, y1))
                return false;
        }
        return true;
    }

    // Takes the pixels of the runs at anchor within the picture that are not taken yet, and
    // hands each stretch of them to fill(y, x, length).
    template <class Fill> void take(std::span<const TPixelRun> runs, QPoint anchor, Fill&& fill) {
        for (const TPixelRun& r : runs) {
            const int y = anchor.y() + r.dy;
            if (y < 0 || y >= height_)
                continue;
            const int x0 = std::max(anchor.x() + r.x0, 0);
            const int x1 = std::min(anchor.x() + r.x1, width_ - 1);
            if (x0 > x1)
                continue;
            std::uint64_t* row = pixel_row(y);
            for (int w = x0 >> 6; w <= x1 >> 6; ++w) {
                const std::uint64_t old = row[w];
                std::uint64_t m =
                    bit_span(w == x0 >> 6 ? x0 & 63 : 0, w == x1 >> 6 ? x1 & 63 : 63) & ~old;
                if (m == 0)
                    continue;
                row[w] = old | m;
                const std::uint64_t filled = full_bytes(old | m) & ~full_bytes(old);
                while (m != 0) {
                    const int first = std::countr_zero(m);
                    const int length = std::countr_one(m >> first);
                    fill(y, w * 64 + first, length);
                    m = length == 64 ? 0 : m & ~(((std::uint64_t(1) << length) - 1) << first);
                }
                if (filled != 0)
                    mark_full_tiles(y >> 3, w, filled);
            }
        }
    }

private:
    static constexpr std::uint64_t all_ones = ~std::uint64_t(0);

    // Bits lo..hi of a word.
    static std::uint64_t bit_span(int lo, int hi) {
        return (all_ones << lo) & (all_ones >> (63 - hi));
    }
    // Bit 8k set where byte k is all ones.
    static std::uint64_t full_bytes(std::uint64_t v) {
        v &= v >> 4;
        v &= v >> 2;
        v &= v >> 1;
        return v & 0x0101010101010101u;
    }
    // Whether bits first..last of a row of words are all set.
    static bool all_set(const std::uint64_t* words, int first, int last) {
        const int w0 = first >> 6, w1 = last >> 6;
        if (w0 == w1) {
            const std::uint64_t m = bit_span(first & 63, last & 63);
            return (words[w0] & m) == m;
        }
        const std::uint64_t m0 = bit_span(first & 63, 63), m1 = bit_span(0, last & 63);
        if ((words[w0] & m0) != m0 || (words[w1] & m1) != m1)
            return false;
        for (int w = w0 + 1; w < w1; ++w)
            if (words[w] != all_ones)
                return false;
        return true;
    }

    std::uint64_t* pixel_row(int y) { return &pixels_[std::size_t(y) * std::size_t(words_)]; }
    const std::uint64_t* pixel_row(int y) const {
        return &pixels_[std::size_t(y) * std::size_t(words_)];
    }
    const std::uint64_t* tile_row(int band) const {
        return &tiles_[std::size_t(band) * std::size_t(tile_words_)];
    }
    const std::uint64_t* block_row(int b) const {
        return &blocks_[std::size_t(b) * std::size_t(block_words_)];
    }

    // Whether the pixels of the shape's rows at anchor from y0 to y1 are taken.
    bool rows_taken(const TStampOutline& shape, QPoint anchor, int y0, int y1) const {
        y0 = std::max(y0, anchor.y() + shape.top());
        y1 = std::min(y1, anchor.y() + shape.bottom());
        for (int y = y0; y <= y1; ++y) {
            const TStampOutline::Extent e = shape.row(y - anchor.y());
            const int x0 = std::max(anchor.x() + e.x0, 0);
            const int x1 = std::min(anchor.x() + e.x1, width_ - 1);
            if (x0 <= x1 && !all_set(pixel_row(y), x0, x1))
                return false;
        }
        return true;
    }

    void mark_full_tiles(int band, int w, std::uint64_t candidates);

    int width_, height_;
    int words_;       // per row of pixels
    int bands_;       // of 8 rows, as many as the blocks have
    int tile_words_;  // per band
    int block_words_; // per row of blocks
    std::vector<std::uint64_t> pixels_, tiles_, blocks_;
};
