// The largest sessions a geologist brings, through the session as the window and the batch tool
// run them: drawing a million stress states, plotting 10^5 and 10^6 data, writing the result
// files, reading large files, and a vector Mohr diagram of a million data. Memory counters give
// the peak resident size during the benchmark in megabytes.

#include "bench/bench_data.h"
#include "session/session.h"
#include "stress/st_statistics.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Workspace : SessionWorkspace {
    // A result of a few data and many states whose fitness lies in 0..35 (some 3 % of zero).
    bool open_states(int states) {
        const QString result = path("bench.tlv");
        return write_file(path("bench.cgp"), cgp_text(states, 11)) &&
               write_file(result, result_text(10, states, 11, 35)) && session.read_IR(result);
    }
    bool open_data(int count) {
        const QString data = path("bench.efd");
        return write_file(data, mixed_fault_data(count)) && session.read_FD(data);
    }
    bool designate() { return session.designate(make_azpl(36, 88), make_azpl(282, 1), 0.4f); }
};

void BM_StressPlotPng(benchmark::State& state, TEmphasis emphasis) {
    Workspace w;
    if (!w.open_states(int(state.range(0))) || !w.session.set_enhance(u"0", u'.'))
        return state.SkipWithError("cannot open the states");
    w.session.set_emphasis(emphasis);
    for (auto _ : state)
        if (!w.session.save_graph_ST(w.path("stress.png")))
            state.SkipWithError("not written");
    state.counters["shown"] = w.session.plotted.Nst_to_be_plotted;
}

void BM_FaultDataPlotPng(benchmark::State& state, TPlotMethod method) {
    Workspace w;
    if (!w.open_data(int(state.range(0))))
        return state.SkipWithError("cannot open the data");
    w.session.set_plot_method(method);
    for (auto _ : state)
        if (!w.session.save_graph_FD(w.path("data.png")))
            state.SkipWithError("not written");
}

void BM_MisfitAndTheoreticalFiles(benchmark::State& state) {
    Workspace w;
    if (!w.open_data(int(state.range(0))) || !w.designate())
        return state.SkipWithError("cannot open the data");
    for (auto _ : state)
        if (!w.session.save_data_misfit(w.path("misfit.txt")) ||
            !w.session.save_data_theoretical(w.path("theoretical.efd")))
            state.SkipWithError("not written");
}

void BM_ReadFaultData(benchmark::State& state) {
    Workspace w;
    const QString data = w.path("bench.efd");
    if (!write_file(data, mixed_fault_data(int(state.range(0)))))
        return state.SkipWithError("cannot write the data");
    reset_peak_memory();
    for (auto _ : state)
        if (!w.session.read_FD(data))
            state.SkipWithError("not read");
    state.counters["peak_MB"] = peak_memory_mb();
}

void BM_ReadResultAndStatistics(benchmark::State& state) {
    Workspace w;
    const QString result = w.path("bench.tlv");
    const int states = int(state.range(0));
    if (!write_file(w.path("bench.cgp"), cgp_text(states, 11)) ||
        !write_file(result, result_text(2000, states, 11)))
        return state.SkipWithError("cannot write the result");
    for (auto _ : state) {
        if (!w.session.read_IR(result))
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(stress_statistics_lines(w.session.STSet));
    }
}

void BM_MohrSvg(benchmark::State& state) {
    Workspace w;
    if (!w.open_data(int(state.range(0))) || !w.designate())
        return state.SkipWithError("cannot open the data");
    reset_peak_memory();
    for (auto _ : state)
        if (!w.session.save_graph_Mohr(w.path("mohr.svg")))
            state.SkipWithError("not written");
    state.counters["peak_MB"] = peak_memory_mb();
}

} // namespace

BENCHMARK_CAPTURE(BM_StressPlotPng, Size, TEmphasis::Siz)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StressPlotPng, Number, TEmphasis::Num)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FaultDataPlotPng, GreatCircles, TPlotMethod::GCA)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FaultDataPlotPng, TangentLineations, TPlotMethod::TLD)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MisfitAndTheoreticalFiles)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFaultData)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadResultAndStatistics)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MohrSvg)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
