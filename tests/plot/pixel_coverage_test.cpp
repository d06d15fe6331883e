#include "plot/pixel_coverage.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

namespace {

// The same picture kept one pixel at a time.
struct TPlainCoverage {
    int width, height;
    std::vector<char> taken;

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool at(int x, int y) const { return taken[std::size_t(y * width + x)] != 0; }
    bool rows_taken(const std::vector<TPixelRun>& rows, QPoint a) const {
        for (const TPixelRun& r : rows)
            for (int x = r.x0; x <= r.x1; ++x)
                if (inside(a.x() + x, a.y() + r.dy) && !at(a.x() + x, a.y() + r.dy))
                    return false;
        return true;
    }
};

std::vector<TPixelRun> random_rows(std::mt19937& rng, int max_width) {
    std::uniform_int_distribution<int> top(-12, 4), height(1, 20), x(-max_width, max_width);
    std::vector<TPixelRun> rows;
    const int first = top(rng);
    for (int dy = first, end = first + height(rng); dy < end; ++dy) {
        const int a = x(rng), b = x(rng);
        rows.push_back({dy, std::min(a, b), std::max(a, b)});
    }
    return rows;
}

TEST(PixelCoverage, AgreesWithEveryPixelLookedAtAlone) {
    std::vector<TPixelRun> block;
    for (int dy = 0; dy < 64; ++dy)
        block.push_back({dy, 0, 63});
    // Sizes off the 64-pixel words and blocks, and on them.
    const std::pair<int, int> sizes[] = {{203, 77}, {64, 64}, {130, 141}};
    for (const auto& [width, height] : sizes) {
        std::mt19937 rng(unsigned(width * height));
        std::uniform_int_distribution<int> ax(-30, width + 30), ay(-30, height + 30);
        TPixelCoverage coverage(width, height);
        TPlainCoverage plain{width, height, std::vector<char>(std::size_t(width * height))};
        for (int figure = 0; figure < 600; ++figure) {
            const std::vector<TPixelRun> runs = random_rows(rng, 30);
            const QPoint a(ax(rng), ay(rng));
            // Handed on: exactly the pixels of the runs within the picture not taken before.
            TPlainCoverage expected = plain;
            for (const TPixelRun& r : runs)
                for (int x = r.x0; x <= r.x1; ++x)
                    if (plain.inside(a.x() + x, a.y() + r.dy))
                        expected.taken[std::size_t((a.y() + r.dy) * width + a.x() + x)] = 1;
            coverage.take(runs, a, [&](int y, int x, int length) {
                for (int i = x; i < x + length; ++i) {
                    ASSERT_TRUE(plain.inside(i, y));
                    EXPECT_FALSE(plain.at(i, y)) << i << "," << y;
                    plain.taken[std::size_t(y * width + i)] = 1;
                }
            });
            ASSERT_EQ(plain.taken, expected.taken) << "figure " << figure;
            // Boxes of whole blocks are answered exactly.
            for (int by = 0; by * 64 < height; ++by)
                for (int bx = 0; bx * 64 < width; ++bx) {
                    EXPECT_EQ(
                        coverage.hidden(TPixelBox{64 * bx, 64 * by, 64 * bx + 63, 64 * by + 63}),
                        plain.rows_taken(block, {64 * bx, 64 * by}))
                        << "block " << bx << "," << by << " after " << figure;
                }
            if (figure % 25 != 0)
                continue;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(coverage.taken(x, y), plain.at(x, y)) << x << "," << y;
            // Outlines with their shadow copies exactly as well.
            for (int k = 0; k < 30; ++k) {
                const std::vector<TPixelRun> rows = random_rows(rng, 12);
                const int shadow = std::uniform_int_distribution<int>(-4, 4)(rng);
                const TStampOutline outline(rows, 0, shadow);
                const QPoint at(ax(rng), ay(rng)), s(shadow, shadow);
                EXPECT_EQ(coverage.hidden(outline, at, s),
                          plain.rows_taken(rows, at) && plain.rows_taken(rows, at + s))
                    << "outline at " << at.x() << "," << at.y() << " after " << figure;
            }
        }
        // Taken all over at last, the picture hides any box.
        std::vector<TPixelRun> all;
        for (int y = 0; y < height; ++y)
            all.push_back({y, 0, width - 1});
        EXPECT_EQ(coverage.hidden(TPixelBox{-5, -5, width + 5, height + 5}),
                  plain.rows_taken(all, {0, 0}));
        coverage.take(all, {0, 0}, [](int, int, int) {});
        EXPECT_TRUE(coverage.hidden(TPixelBox{-5, -5, width + 5, height + 5}));
    }
}

TEST(PixelCoverage, ABlockIsHiddenOnlyOnceEveryPixelIsTaken) {
    // The pixel left for last, relative to the block at (64, 128), and whether the rows are taken
    // from the top down or from the bottom up.
    const std::tuple<int, int, bool> rows[] = {{63, 63, true}, {0, 56, true},  {5, 7, false},
                                               {63, 0, false}, {31, 40, true}, {8, 63, false},
                                               {0, 0, true}};
    const QPoint corner(64, 128);
    const TPixelBox block{64, 128, 127, 191};
    std::vector<TPixelRun> whole;
    for (int dy = 0; dy < 64; ++dy)
        whole.push_back({dy, 0, 63});
    const TStampOutline outline(whole, 0, 0);
    for (const auto& [x, y, down] : rows) {
        TPixelCoverage coverage(200, 260);
        for (int i = 0; i < 64; ++i) {
            const int dy = down ? i : 63 - i;
            std::vector<TPixelRun> row;
            if (dy != y)
                row.push_back({dy, 0, 63});
            if (dy == y && x > 0)
                row.push_back({dy, 0, x - 1});
            if (dy == y && x < 63)
                row.push_back({dy, x + 1, 63});
            coverage.take(row, corner, [](int, int, int) {});
        }
        EXPECT_FALSE(coverage.hidden(block)) << x << "," << y;
        EXPECT_FALSE(coverage.hidden(outline, corner, {0, 0})) << x << "," << y;
        int handed = 0;
        coverage.take(whole, corner, [&](int, int, int length) { handed += length; });
        EXPECT_EQ(handed, 1);
        EXPECT_TRUE(coverage.hidden(block)) << x << "," << y;
        EXPECT_TRUE(coverage.hidden(outline, corner, {0, 0})) << x << "," << y;
    }
}

} // namespace
