// The compatibility analysis of a large data set of mixed kinds under one stress state.

#include "faults/fd_reader.h"
#include "stress/compatibility.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

TFaultDataSet mixed_data(int count) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> az(0, 360), pl(0, 90);
    TFDLineContext context;
    TFaultDataSet set;
    set.FDList.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        QString line = QString::fromLatin1("FMLS").mid(i % 4, 1) +
                       QString::asprintf(" %.1f %.1f %.1f %.1f %c", az(rng), pl(rng), az(rng),
                                         pl(rng), "NRSDHU"[i % 6]);
        if (i % 4 == 3)
            line += QString::asprintf(" & %.1f %.1f N", az(rng), pl(rng));
        if (auto datum = read_fault_datum_line(line, i + 1, context))
            set.FDList.push_back(std::move(*datum));
    }
    return set;
}

void BM_calc_theoretical_slip_and_misfit(benchmark::State& state) {
    TFaultDataSet data = mixed_data(int(state.range(0)));
    TFaultDataSet theoretical;
    const TStressTensor st = stress_tensor_from_axes({36, 88}, {282, 1}, 0.4f);
    for (auto _ : state) {
        calc_theoretical_slip_and_misfit(data, theoretical, st, TMifitMeasure::SlipDir);
        benchmark::DoNotOptimize(theoretical.FDList.data());
    }
    state.counters["data"] = data.count();
}

} // namespace

BENCHMARK(BM_calc_theoretical_slip_and_misfit)->Arg(100000)->Unit(benchmark::kMillisecond);
