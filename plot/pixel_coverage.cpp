#include "plot/pixel_coverage.h"

TPixelCoverage::TPixelCoverage(int width, int height)
    : width_(width), height_(height), words_((width + 63) / 64), bands_((height + 63) / 64 * 8),
      tile_words_((words_ + 7) / 8), block_words_((words_ + 63) / 64),
      pixels_(std::size_t(bands_) * 8 * std::size_t(words_)),
      tiles_(std::size_t(bands_) * std::size_t(tile_words_)),
      blocks_(std::size_t(bands_ / 8) * std::size_t(block_words_)) {
    const int spare = width % 64;
    for (int y = 0; y < bands_ * 8; ++y) {
        std::uint64_t* row = pixel_row(y);
        if (y >= height)
            std::fill(row, row + words_, all_ones);
        else if (spare != 0)
            row[words_ - 1] = all_ones << spare;
    }
    for (int band = 0; band < bands_; ++band)
        for (int w = 0; w < words_; ++w)
            mark_full_tiles(band, w, all_ones);
}

// Pixel word w of a band covers tiles 8w..8w+7: byte w % 8 of tile word w / 8. Sets those of
// them now full, among the candidates (bit 8k for the tile of byte k), and the block above them
// when it is full too.
void TPixelCoverage::mark_full_tiles(int band, int w, std::uint64_t candidates) {
    std::uint64_t all = all_ones;
    for (int y = band * 8; y < band * 8 + 8; ++y)
        all &= pixel_row(y)[w];
    std::uint64_t full = full_bytes(all) & candidates;
    if (full == 0)
        return;
    std::uint64_t& tiles =
        tiles_[std::size_t(band) * std::size_t(tile_words_) + std::size_t(w / 8)];
    const int shift = (w % 8) * 8;
    for (; full != 0; full &= full - 1)
        tiles |= std::uint64_t(1) << (shift + std::countr_zero(full) / 8);
    if (((tiles >> shift) & 0xFF) != 0xFF)
        return;
    const int block_band = band / 8;
    std::uint64_t block = all_ones;
    for (int b = block_band * 8; b < block_band * 8 + 8; ++b)
        block &= tile_row(b)[w / 8];
    if (((block >> shift) & 0xFF) == 0xFF)
        blocks_[std::size_t(block_band) * std::size_t(block_words_) + std::size_t(w / 64)] |=
            std::uint64_t(1) << (w % 64);
}
