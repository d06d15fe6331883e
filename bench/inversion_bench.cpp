// The inversions of fault-slip data: the grid search over the default grid (g = 5 degrees,
// r = 0.1: some 330,000 states) on all cores, and the linear inversion with its bootstrap.

#include "bench/bench_data.h"
#include "core/logger.h"
#include "core/text_file.h"
#include "faults/fd_reader.h"
#include "stress/inversion_grid.h"
#include "stress/inversion_linear.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <random>

namespace {

// mixed_fault_data as a reader gives it: F, M, L and S in turn, every sense letter.
TFaultDataSet mixed_data(int count) {
    EventLog log;
    NullMessages messages;
    TFaultDataSet set;
    read_fault_data_lines(decode_text_lines(mixed_fault_data(count)), QStringLiteral("mixed.efd"),
                          set, log, messages);
    return set;
}

// Ful data with a sense the linear inversion uses, planes and lineations at random.
TFaultDataSet ful_data(int count) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> az(0, 360), pl(0, 90);
    TFDLineContext context;
    TFaultDataSet set;
    for (int i = 0; i < count; ++i) {
        const QString line = QString::asprintf("F %.1f %.1f %.1f %.1f %c", az(rng), pl(rng),
                                               az(rng), pl(rng), "NRSD"[i % 4]);
        if (auto datum = read_fault_datum_line(line, i + 1, context))
            set.FDList.push_back(std::move(*datum));
    }
    return set;
}

void grid_search_bench(benchmark::State& state, TMifitMeasure measure) {
    const TFaultDataSet data = mixed_data(int(state.range(0)));
    TGridSettings settings; // g = 5, r = 0.1, t = 20, one thread per core
    settings.measure = measure;
    long long states = 0;
    std::size_t kept = 0;
    for (auto _ : state) {
        const TGridResult result = grid_search(data, settings);
        states = result.evaluated;
        kept = result.candidates.size();
        benchmark::DoNotOptimize(result.candidates.data());
    }
    state.counters["data"] = data.count();
    state.counters["states"] = double(states);
    state.counters["kept"] = double(kept);
}

void BM_grid_search(benchmark::State& state) {
    grid_search_bench(state, TMifitMeasure::SlipDir);
}

void BM_grid_search_fry_arc(benchmark::State& state) {
    grid_search_bench(state, TMifitMeasure::DistFry);
}

void BM_linear_inversion_bootstrap(benchmark::State& state) {
    const TFaultDataSet data = ful_data(int(state.range(0)));
    TLinearSettings settings;
    settings.resamples = int(state.range(1));
    std::size_t candidates = 0;
    for (auto _ : state) {
        const TLinearResult result = linear_inversion(data, settings);
        candidates = result.candidates.size();
        benchmark::DoNotOptimize(result.candidates.data());
    }
    state.counters["data"] = data.count();
    state.counters["candidates"] = double(candidates);
}

} // namespace

// Wall-clock time: the work runs on worker threads.
BENCHMARK(BM_grid_search)->Arg(60)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_grid_search_fry_arc)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_linear_inversion_bootstrap)->Args({200, 1000})->Unit(benchmark::kMillisecond);
