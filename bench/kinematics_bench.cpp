// Densities of many axes, right dihedra of many data, and the stress plot's density emphasis
// for a large result.

#include "plot/kinematics_plot.h"
#include "stress/axis_density.h"
#include "stress/inversion_common.h"
#include "stress/right_dihedra.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

Tvector3 random_unit(std::mt19937& rng) {
    std::normal_distribution<float> g;
    return normalize3(make_vector3(g(rng), g(rng), g(rng)));
}

// Every axis different, weights 1 to 100: nothing merges.
std::vector<TWeightedAxis> random_axes(int count) {
    std::mt19937 rng(3);
    std::vector<TWeightedAxis> axes(static_cast<std::size_t>(count));
    for (TWeightedAxis& a : axes)
        a = {random_unit(rng), 1 + static_cast<long long>(rng() % 100)};
    return axes;
}

void BM_AxisDensity(benchmark::State& state, TDensityMethod method) {
    const std::vector<TWeightedAxis> axes = random_axes(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(axis_density(axes, method).max_value);
}
BENCHMARK_CAPTURE(BM_AxisDensity, Kamb, TDensityMethod::Kamb)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_AxisDensity, OnePercent, TDensityMethod::Schmidt)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_RightDihedra(benchmark::State& state) {
    std::mt19937 rng(5);
    std::vector<TKinematicSlip> slips;
    while (int(slips.size()) < state.range(0)) {
        const Tvector3 a = random_unit(rng), b = random_unit(rng);
        TKinematicSlip slip{{a.x, a.y, a.z}, {b.x, b.y, b.z}};
        if (slip.n[2] < 0)
            slip.n = {-slip.n[0], -slip.n[1], -slip.n[2]};
        const double k = net_dot(slip.s, slip.n);
        for (int i = 0; i < 3; ++i)
            slip.s[std::size_t(i)] -= k * slip.n[std::size_t(i)];
        const double length = std::sqrt(net_dot(slip.s, slip.s));
        for (double& c : slip.s)
            c /= length;
        slips.push_back(slip);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(right_dihedra(slips).percent.data());
}
BENCHMARK(BM_RightDihedra)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// States as a CGP file holds them, axes in whole degrees, fitness 0 to 50: from the states to
// the picture of both densities.
void BM_StressDensityPicture(benchmark::State& state) {
    std::mt19937 rng(7);
    std::vector<TStressTensor> states(static_cast<std::size_t>(state.range(0)));
    for (TStressTensor& st : states) {
        const Tvector3 a = random_unit(rng);
        const Tvector3 b = normalize3(cross_product3(a, random_unit(rng)));
        const TAxisOrientation s1 = axis_orientation({a.x, a.y, a.z});
        const TAxisOrientation s3 = axis_orientation({b.x, b.y, b.z});
        st.ax[0] = whole_degree_orientation(s1.azimuth, s1.plunge);
        st.ax[2] = whole_degree_orientation(s3.azimuth, s3.plunge);
        st.L = int(rng() % 51);
    }
    TSTPlotStyles styles;
    setup_stress_plot_styles(styles);
    QImage image(st_plot_width, st_plot_height, QImage::Format_RGB32);
    for (auto _ : state) {
        const TAxisDensity s1 =
            axis_density(stress_axes(states, Tsigma1or3::sigma1), TDensityMethod::Schmidt);
        const TAxisDensity s3 =
            axis_density(stress_axes(states, Tsigma1or3::sigma3), TDensityMethod::Schmidt);
        QPainter painter(&image);
        draw_stress_density(painter, styles, true, s1, s3);
    }
}
BENCHMARK(BM_StressDensityPicture)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
