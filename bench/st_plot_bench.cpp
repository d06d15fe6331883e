// Drawing many stress states as scattered tadpoles into the stress picture.

#include "plot/st_plot.h"
#include "stress/st_list_text.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// Perpendicular axis pairs spread over the sphere, each state of weight 1.
std::vector<TStressTensor> random_states(int count) {
    std::mt19937 rng(11);
    std::normal_distribution<double> g;
    std::uniform_real_distribution<double> ratio(0, 1);
    std::vector<TStressTensor> states(static_cast<std::size_t>(count));
    for (TStressTensor& st : states) {
        const Tvector3 a = normalize3({float(g(rng)), float(g(rng)), float(g(rng))});
        const Tvector3 b =
            normalize3(cross_product3(a, {float(g(rng)), float(g(rng)), float(g(rng))}));
        st.e_vec[0] = a;
        st.e_vec[2] = b;
        st.ax[0] = vector3_to_azpl_lower(a);
        st.ax[2] = vector3_to_azpl_lower(b);
        build_stress_tensor(st, float(ratio(rng)));
        st.Ln = 1;
    }
    return states;
}

void BM_StressStates(benchmark::State& state, QImage::Format format) {
    std::vector<TStressTensor> states = random_states(int(state.range(0)));
    TSTPlotStyles styles;
    setup_stress_plot_styles(styles);
    const TSTDrawSettings settings{TEmphasis::Num, 1.0f, true, true};
    const TPlottedNumbers numbers = update_plotted_numbers(states, 0, TEmphasis::Num, 1, 1);
    QImage image(st_plot_width, st_plot_height, format);
    int drawn = 0;
    for (auto _ : state) {
        QPainter painter(&image);
        draw_stress_states(painter, styles, settings, states, 1, numbers,
                           [&drawn](int n) { drawn = n; });
    }
    state.counters["symbols"] = drawn;
}

BENCHMARK_CAPTURE(BM_StressStates, RGB32, QImage::Format_RGB32)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StressStates, ARGB32_Premultiplied, QImage::Format_ARGB32_Premultiplied)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// The stress view's list of a million shown states: one line at a time, and all at once.
void BM_StressListOneByOne(benchmark::State& state) {
    std::vector<TStressTensor> states = random_states(int(state.range(0)));
    for (TStressTensor& st : states)
        st.Le = 1;
    for (auto _ : state) {
        QStringList lines;
        for (std::size_t p = 0; p < states.size(); ++p)
            lines.append(st_list_line(states[p], int(p), u'.'));
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_StressListOneByOne)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_StressListLines(benchmark::State& state) {
    std::vector<TStressTensor> states = random_states(int(state.range(0)));
    for (TStressTensor& st : states)
        st.Le = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(st_list_lines(states, u'.').data());
}
BENCHMARK(BM_StressListLines)
    ->Arg(1000000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
