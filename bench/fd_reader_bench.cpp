// Reading a large fault-slip file of mixed kinds into a data set.

#include "bench/bench_data.h"
#include "faults/fd_reader.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_read_fault_data_file(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.efd"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        state.SkipWithError("cannot write the input");
    f.write(mixed_fault_data(static_cast<int>(state.range(0))));
    f.close();

    EventLog log(dir.filePath(QStringLiteral("QMT.log")));
    NullMessages messages;
    TFaultDataSet set;
    for (auto _ : state) {
        const TFDReadResult result = read_fault_data_file(path, set, log, messages);
        benchmark::DoNotOptimize(result);
    }
    state.counters["data"] = set.count();
}

} // namespace

BENCHMARK(BM_read_fault_data_file)->Arg(100000)->Unit(benchmark::kMillisecond);
