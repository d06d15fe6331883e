#pragma once

// Cheap readings of this process's memory and time, for bounds in tests. Linux only; the
// readings are 0 elsewhere, which keeps every bound trivially met.

#include <QElapsedTimer>
#include <QFile>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define QUOMTEL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUOMTEL_TEST_ASAN 1
#endif
#endif

#ifdef QUOMTEL_TEST_ASAN
#include <cstddef>
// From the sanitizer's allocator; not every compiler ships the header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
// Sanitized builds run several times slower; time bounds are scaled by this.
inline constexpr int sanitizer_slowdown = 10;
#else
#include <malloc.h>
inline constexpr int sanitizer_slowdown = 1;
#endif

// Bytes the program holds on the heap now. The sanitizer's allocator keeps freed blocks in a
// quarantine, which the resident size counts and this does not.
inline long long heap_in_use() {
#ifdef QUOMTEL_TEST_ASAN
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
#endif
}

// Gives the pages of freed blocks back to the system, so that the resident size that follows
// counts what is held rather than what the allocator keeps at hand.
inline void release_free_memory() {
#ifndef QUOMTEL_TEST_ASAN
    malloc_trim(0);
#endif
}

// Resident set size now, in bytes.
inline long long resident_bytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// Starts a new peak of the resident set (VmHWM), so that a peak measures what follows.
inline void reset_peak_resident() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The highest resident set size since the start or the last reset, in bytes.
inline long long peak_resident_bytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

// Peak memory above the level at the start, and time, of what runs in between.
class ResourceWatch {
public:
    ResourceWatch() : base_(resident_bytes()) {
        reset_peak_resident();
        timer_.start();
    }
    // 0 under the sanitizer, whose shadow memory and quarantine swamp what the code holds.
    long long peak_growth_bytes() const {
#ifdef QUOMTEL_TEST_ASAN
        return 0;
#else
        return peak_resident_bytes() - base_;
#endif
    }
    qint64 elapsed_ms() const {
        return timer_.elapsed();
    }

private:
    long long base_;
    QElapsedTimer timer_;
};
