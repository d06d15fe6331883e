#pragma once

// Large buffers the readers fill once: the bytes of a file, the states of a result.

#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// Asks for huge pages for a large buffer not touched yet: a million states take some 170 MB,
// and on some systems faulting that in by 4 KB pages costs more than building the states; the
// bytes of a large file cost more to fault in than to read.
inline void advise_huge_pages([[maybe_unused]] const void* data,
                              [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t huge = std::uintptr_t(2) << 20;
    const std::uintptr_t begin = (std::uintptr_t(data) + huge - 1) & ~(huge - 1);
    const std::uintptr_t end = (std::uintptr_t(data) + bytes) & ~(huge - 1);
    if (end >= begin + 4 * huge)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}
