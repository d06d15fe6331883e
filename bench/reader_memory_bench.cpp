// What the readers hold while they read: files of blank lines, which make no data at all, and
// large files of data, through the session as the window and the batch tool read them. The
// counters give, in megabytes, the file, the peak resident size above the level before the
// reading, what the data read keep resident afterwards, and the peak beyond the readers'
// allowance of three times the file plus the data read (0 or less: within it).

#include "bench/bench_data.h"
#include "session/session.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr double megabyte = 1024.0 * 1024.0;

double resident_mb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0; // kB
    return 0;
}

// Freed pages back to the system, so that the resident size counts what is held.
void release_free_memory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

bool write_blank_lines(const QString& path, qint64 bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray piece(1 << 20, '\n');
    for (qint64 done = 0; done < bytes; done += piece.size())
        if (f.write(piece) != piece.size())
            return false;
    return true;
}

using Workspace = SessionWorkspace;

// Reads once with read, then sets the counters; files are the bytes of every file read.
template <typename Read> void measure(benchmark::State& state, double files, Read read) {
    release_free_memory();
    const double before = resident_mb();
    reset_peak_memory();
    for (auto _ : state)
        if (!read())
            state.SkipWithError("not read");
    const double peak = peak_memory_mb() - before;
    release_free_memory();
    const double data = resident_mb() - before;
    const double file = files / megabyte;
    state.counters["file_MB"] = file;
    state.counters["peak_MB"] = peak;
    state.counters["data_MB"] = data;
    state.counters["over_MB"] = peak - (3 * file + data);
}

// A fault-slip file of blank lines, range(0) MB.
void BM_ReadBlankFaultData(benchmark::State& state) {
    Workspace w;
    const QString path = w.path("blank.efd");
    const qint64 bytes = state.range(0) << 20;
    if (!write_blank_lines(path, bytes))
        return state.SkipWithError("cannot write the file");
    measure(state, double(bytes), [&] { return w.session.read_FD(path); });
    state.counters["data"] = w.session.FDSet.count();
}

// A result of blank lines only, range(0) MB: read whole, then refused at its first line.
void BM_ReadBlankResult(benchmark::State& state) {
    Workspace w;
    const QString path = w.path("blank.tlv");
    const qint64 bytes = state.range(0) << 20;
    if (!write_blank_lines(path, bytes))
        return state.SkipWithError("cannot write the file");
    measure(state, double(bytes), [&] { return !w.session.read_IR(path); });
}

void BM_ReadFaultDataMemory(benchmark::State& state) {
    Workspace w;
    const QString path = w.path("bench.efd");
    const QByteArray text = mixed_fault_data(int(state.range(0)));
    if (!write_file(path, text))
        return state.SkipWithError("cannot write the data");
    measure(state, double(text.size()), [&] { return w.session.read_FD(path); });
    state.counters["data"] = w.session.FDSet.count();
}

void BM_ReadResultMemory(benchmark::State& state) {
    Workspace w;
    const QString path = w.path("bench.tlv");
    const int states = int(state.range(0));
    const QByteArray cgp = cgp_text(states, 11);
    const QByteArray result = result_text(2000, states, 11);
    if (!write_file(w.path("bench.cgp"), cgp) || !write_file(path, result))
        return state.SkipWithError("cannot write the result");
    // Beside the result: the session looks beside the executable first.
    measure(state, double(cgp.size() + result.size()), [&] { return w.session.read_IR(path); });
    state.counters["states"] = double(w.session.STSet.size());
}

} // namespace

BENCHMARK(BM_ReadBlankFaultData)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBlankResult)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFaultDataMemory)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadResultMemory)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
