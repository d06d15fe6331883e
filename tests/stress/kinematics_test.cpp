// Kinematic axes, right dihedra and densities of axes: hand-worked cases, and the fast counts
// against a count over every pair.

#include "stress/axis_density.h"
#include "stress/kinematic_axes.h"
#include "stress/net_grid.h"
#include "stress/right_dihedra.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

TFaultData datum(TDataType type, Tazpl plane, Tazpl lineation, TSense sense) {
    TSlipData sd;
    sd.Pazpl = plane;
    sd.Lazpl = lineation;
    sd.sense = sense;
    compose_slip_data_vectors(sd);
    TFaultData fd;
    fd.datatype = type;
    fd.SDList.push_back(sd);
    if (type == TDataType::Mec)
        fd.SDList.push_back(compose_second_nodal_plane(sd));
    return fd;
}

TFaultData full(Tazpl plane, Tazpl lineation, TSense sense) {
    return datum(TDataType::Ful, plane, lineation, sense);
}

// Angle in degrees between two lines, in double precision.
double line_angle(Tazpl a, Tazpl b) {
    const auto unit = [](Tazpl o) {
        const double t = o.az * std::numbers::pi / 180, p = o.pl * std::numbers::pi / 180;
        return std::array<double, 3>{std::cos(p) * std::sin(t), std::cos(p) * std::cos(t),
                                     -std::sin(p)};
    };
    const auto u = unit(a), v = unit(b);
    const double c = std::fabs(u[0] * v[0] + u[1] * v[1] + u[2] * v[2]);
    return std::acos(std::min(1.0, c)) * 180 / std::numbers::pi;
}

struct AxesCase {
    const char* name;
    Tazpl plane, lineation;
    TSense sense;
    Tazpl P, T, B;
};

// Worked by hand: n the upward normal, s the hanging wall's slip, T = n + s, P = n - s.
const AxesCase axes_cases[] = {
    {"normal, dip 45 east", {90, 45}, {90, 45}, TSense::N, {0, 90}, {90, 0}, {0, 0}},
    {"reverse, dip 45 east", {90, 45}, {90, 45}, TSense::R, {90, 0}, {0, 90}, {0, 0}},
    {"dextral, vertical N-S", {90, 90}, {0, 0}, TSense::D, {45, 0}, {135, 0}, {0, 90}},
    {"sinistral, vertical N-S", {90, 90}, {180, 0}, TSense::S, {135, 0}, {45, 0}, {0, 90}},
    // Plane 90/60, slip at a rake of 45 from the north strike, normal and sinistral.
    {"oblique normal",
     {90, 60},
     {26.565f, 37.7612f},
     TSense::N,
     {324.067f, 51.8658f},
     {59.895f, 4.5575f},
     {153.435f, 37.7612f}},
};

TEST(KinematicAxes, HandWorkedFaults) {
    for (const AxesCase& c : axes_cases) {
        SCOPED_TRACE(c.name);
        for (TDataType type : {TDataType::Ful, TDataType::Mec}) {
            const auto slip = kinematic_slip(datum(type, c.plane, c.lineation, c.sense));
            ASSERT_TRUE(slip);
            const TKinematicAxes axes = kinematic_axes(*slip);
            EXPECT_LT(line_angle(axes.P, c.P), 0.01);
            EXPECT_LT(line_angle(axes.T, c.T), 0.01);
            EXPECT_LT(line_angle(axes.B, c.B), 0.01);
            EXPECT_GE(axes.P.pl, 0);
            EXPECT_LE(axes.p.z, 0);
        }
    }
}

TEST(KinematicAxes, SecondNodalPlaneGivesTheSameAxes) {
    const TFaultData m = datum(TDataType::Mec, {90, 60}, {26.565f, 37.7612f}, TSense::N);
    TFaultData swapped = m;
    std::swap(swapped.SDList[0], swapped.SDList[1]);
    const TKinematicAxes a = kinematic_axes(*kinematic_slip(m));
    const TKinematicAxes b = kinematic_axes(*kinematic_slip(swapped));
    EXPECT_LT(line_angle(a.P, b.P), 0.01);
    EXPECT_LT(line_angle(a.T, b.T), 0.01);
    EXPECT_LT(line_angle(a.B, b.B), 0.01);
}

TEST(KinematicAxes, DataWithoutSenseAreCountedInOneMessage) {
    TFaultDataSet set;
    set.FDList = {full({90, 45}, {90, 45}, TSense::N),
                  datum(TDataType::Lin, {90, 45}, {90, 45}, TSense::U),
                  datum(TDataType::Sen, {90, 45}, {90, 45}, TSense::N),
                  full({90, 45}, {90, 45}, TSense::H),
                  full({90, 45}, {90, 45}, TSense::U),
                  full({10, 30}, {190, 10}, TSense::R)};
    const TKinematicAxesSet axes = kinematic_axes_of_set(set);
    ASSERT_EQ(axes.data.size(), 2u);
    EXPECT_EQ(axes.data[1].datum, 5);
    EXPECT_EQ(axes.without_axes, 4);
    EXPECT_EQ(kinematic_slips_of_set(set).size(), 2u);
    RecordingMessages messages;
    report_missing_axes(axes, messages);
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral(
                                  "4 data have no slip sense to give kinematic axes (L and S "
                                  "data, senses H and U): they are left out.")});
    messages.shown.clear();
    report_missing_axes(kinematic_axes_of_set(TFaultDataSet{}), messages);
    EXPECT_TRUE(messages.shown.isEmpty());
}

std::vector<TKinematicSlip> random_slips(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> trend(0, 360), dip(0, 90), rake(-180, 180);
    std::vector<TKinematicSlip> slips;
    while (int(slips.size()) < count) {
        const Tazpl plane{trend(rng), dip(rng)};
        // A lineation of the plane: rotate the strike within the plane.
        const double r = rake(rng) * std::numbers::pi / 180;
        const Tvector3 n = to_upper_hemisphere(azpl_to_vector3(plane_to_pole(plane)));
        const double sx = n.y, sy = -n.x, sl = std::hypot(sx, sy);
        const std::array<double, 3> strike{sl > 0 ? sx / sl : 1, sl > 0 ? sy / sl : 0, 0};
        const std::array<double, 3> dip_dir{n.y * strike[2] - n.z * strike[1],
                                            n.z * strike[0] - n.x * strike[2],
                                            n.x * strike[1] - n.y * strike[0]};
        const Tvector3 l = make_vector3(float(std::cos(r) * strike[0] + std::sin(r) * dip_dir[0]),
                                        float(std::cos(r) * strike[1] + std::sin(r) * dip_dir[1]),
                                        float(std::cos(r) * strike[2] + std::sin(r) * dip_dir[2]));
        const TFaultData fd =
            full(plane, vector3_to_azpl_lower(l), rng() % 2 ? TSense::N : TSense::R);
        if (const auto slip = kinematic_slip(fd))
            slips.push_back(*slip);
    }
    return slips;
}

TEST(RightDihedra, SingleFaultSplitsTheHemisphereAlongItsNodalPlanes) {
    const auto normal = *kinematic_slip(full({90, 45}, {90, 45}, TSense::N));
    const auto reverse = *kinematic_slip(full({90, 45}, {90, 45}, TSense::R));
    const TRightDihedra n = right_dihedra(std::span(&normal, 1));
    const TRightDihedra r = right_dihedra(std::span(&reverse, 1));
    const struct {
        double trend, plunge, normal_percent;
    } nodes[] = {
        {0, 90, 100},  // P, vertical
        {90, 0, 0},    // T
        {90, 45, 50},  // down the dip: on the fault plane
        {270, 45, 50}, // on the auxiliary plane
        {0, 0, 50},    // on both
        {0, 30, 100},  {90, 30, 0},
    };
    for (const auto& node : nodes) {
        const int k = node.plunge == 90
                          ? net_vertical_node
                          : net_node(int(node.plunge / net_step), int(node.trend / net_step));
        EXPECT_EQ(n.percent[std::size_t(k)], node.normal_percent)
            << node.trend << "/" << node.plunge;
    }
    // Half the hemisphere's area each way, and the reverse fault the other way everywhere.
    double compressional = 0, total = 0;
    for (int k = 0; k < net_vertical_node; ++k) {
        const double area = std::cos(net_node_orientation(k).plunge * std::numbers::pi / 180);
        total += area;
        compressional += area * n.percent[std::size_t(k)] / 100;
        ASSERT_EQ(n.halves[std::size_t(k)] + r.halves[std::size_t(k)], 2);
    }
    EXPECT_NEAR(compressional / total, 0.5, 0.005);
}

TEST(RightDihedra, RunsAlongRingsEqualTheCountAtEveryNode) {
    std::vector<TKinematicSlip> slips = random_slips(40, 7);
    // A horizontal plane and a vertical slip, whose runs along a ring are asked node by node.
    slips.push_back({{0, 0, 1}, {1, 0, 0}});
    slips.push_back({{1, 0, 0}, {0, 0, -1}});
    const TRightDihedra dihedra = right_dihedra(slips);
    ASSERT_EQ(dihedra.data, 42);
    for (int k = 0; k < net_node_count; ++k) {
        long long halves = 0;
        for (const TKinematicSlip& slip : slips)
            halves += dihedron_halves(net_node_vector(k), slip);
        ASSERT_EQ(dihedra.halves[std::size_t(k)], halves) << "node " << k;
    }
}

int node_at(double trend, double plunge) {
    return plunge == 90
               ? net_vertical_node
               : net_node(int(std::lround(plunge / net_step)), int(std::lround(trend / net_step)));
}

struct DensityCase {
    const char* name;
    std::vector<Tazpl> axes;
    TDensityMethod method;
    std::vector<std::array<double, 3>> nodes; // trend, plunge, expected density
};

// Kamb: 1 - cos theta = 9 / (N + 9) and density = count / sqrt(N A (1 - A)); with N = 1 the
// circle reaches plunge asin(0.1) = 5.74 from the vertical axis, with N = 3 it is 75.5 degrees
// wide. 1 % area: 8.11 degrees.
const DensityCase density_cases[] = {
    {"one vertical, Kamb",
     {{0, 90}},
     TDensityMethod::Kamb,
     {{0, 90, 1 / 0.3}, {123, 6, 1 / 0.3}, {123, 5.5, 0}}},
    {"one vertical, 1 %", {{0, 90}}, TDensityMethod::Schmidt, {{200, 82, 100}, {200, 81.5, 0}}},
    {"three, Kamb",
     {{0, 90}, {0, 85}, {180, 85}},
     TDensityMethod::Kamb,
     {{0, 90, 4}, {0, 15, 2 / 0.75}, {0, 0, 0}}},
    {"three, 1 %",
     {{0, 90}, {0, 85}, {180, 85}},
     TDensityMethod::Schmidt,
     {{0, 90, 100}, {0, 84, 200.0 / 3}, {0, 80, 100.0 / 3}}},
    // Both ends of a horizontal axis count: 90/0 lies 5 degrees from 275/0.
    {"horizontal, 1 %", {{275, 0}}, TDensityMethod::Schmidt, {{90, 0, 100}, {80, 0, 0}}},
};

TEST(AxisDensity, HandWorkedNodes) {
    for (const DensityCase& c : density_cases) {
        SCOPED_TRACE(c.name);
        std::vector<TWeightedAxis> axes;
        for (const Tazpl& a : c.axes)
            axes.push_back({azpl_to_vector3(a), 1});
        const TAxisDensity d = axis_density(axes, c.method);
        EXPECT_EQ(d.axes, static_cast<long long>(c.axes.size()));
        for (const auto& [trend, plunge, expected] : c.nodes)
            EXPECT_NEAR(d.values[std::size_t(node_at(trend, plunge))], expected, 1e-9)
                << trend << "/" << plunge;
    }
}

std::vector<TWeightedAxis> random_axes(int count, unsigned seed, int largest_weight) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> g;
    std::vector<TWeightedAxis> axes;
    for (int i = 0; i < count; ++i) {
        const Tvector3 u = normalize3(make_vector3(g(rng), g(rng), g(rng)));
        axes.push_back({u, 1 + static_cast<long long>(rng() % unsigned(largest_weight))});
    }
    return axes;
}

TEST(AxisDensity, FastCountsEqualTheCountOverEveryPair) {
    for (TDensityMethod method : {TDensityMethod::Kamb, TDensityMethod::Schmidt}) {
        const std::vector<TWeightedAxis> axes = random_axes(120, 11 + int(method), 5);
        const TAxisDensity d = axis_density(axes, method);
        std::vector<TNetVector> units;
        for (const TWeightedAxis& a : axes)
            units.push_back(unit_axis(a.u));
        for (int k = 0; k < net_node_count; ++k) {
            long long count = 0;
            for (std::size_t i = 0; i < axes.size(); ++i)
                if (std::fabs(net_dot(net_node_vector(k), units[i])) >= d.cos_radius)
                    count += axes[i].weight;
            ASSERT_EQ(d.counts[std::size_t(k)], count) << "node " << k;
        }
    }
}

TEST(AxisDensity, WeightedSetEqualsTheSetWithRepeatedAxes) {
    const std::vector<TWeightedAxis> weighted = random_axes(300, 5, 4);
    std::vector<TWeightedAxis> repeated;
    for (const TWeightedAxis& a : weighted)
        for (long long k = 0; k < a.weight; ++k)
            repeated.push_back({k % 2 ? negate3(a.u) : a.u, 1}); // either end
    for (TDensityMethod method : {TDensityMethod::Kamb, TDensityMethod::Schmidt}) {
        const TAxisDensity a = axis_density(weighted, method);
        const TAxisDensity b = axis_density(repeated, method);
        EXPECT_EQ(a.axes, b.axes);
        EXPECT_EQ(a.counts, b.counts);
        EXPECT_EQ(a.values, b.values);
    }
}

TEST(AxisDensity, StatesCountByFitness) {
    std::vector<TStressTensor> states(4);
    const int fitness[] = {3, 0, -1, 2};
    for (std::size_t i = 0; i < states.size(); ++i) {
        states[i] = stress_tensor_from_axes({float(10 * i), 80}, {float(10 * i + 90), 10}, 0.5f);
        states[i].L = fitness[i];
    }
    const std::vector<TWeightedAxis> s1 = stress_axes(states, Tsigma1or3::sigma1);
    const std::vector<TWeightedAxis> s3 = stress_axes(states, Tsigma1or3::sigma3);
    ASSERT_EQ(s1.size(), 2u);
    EXPECT_EQ(s1[0].weight, 3);
    EXPECT_EQ(s1[1].weight, 2);
    EXPECT_EQ(s3[1].u, azpl_to_vector3({120, 10}));
    EXPECT_EQ(axis_density(s1, TDensityMethod::Schmidt).axes, 5);
    EXPECT_TRUE(axis_density(std::vector<TWeightedAxis>{}, TDensityMethod::Kamb).values.empty());
}

TEST(AxisDensity, NamesOfTheBatchOptions) {
    for (TDensitySubject s :
         {TDensitySubject::Poles, TDensitySubject::Lineations, TDensitySubject::P,
          TDensitySubject::T, TDensitySubject::Sigma1, TDensitySubject::Sigma3})
        EXPECT_EQ(density_subject_from_name(density_subject_name(s)), s);
    EXPECT_EQ(density_method_from_name(u"Schmidt"), TDensityMethod::Schmidt);
    EXPECT_EQ(density_method_from_name(u"kamb"), TDensityMethod::Kamb);
    EXPECT_FALSE(density_method_from_name(u"gauss"));
    EXPECT_FALSE(density_subject_from_name(u""));
}

TEST(AxisDensity, CancelledRunHoldsNoValues) {
    std::atomic<bool> cancel{true};
    TInversionControl control;
    control.cancel = &cancel;
    const TAxisDensity d = axis_density(random_axes(10, 1, 1), TDensityMethod::Kamb, control);
    EXPECT_TRUE(d.cancelled);
    EXPECT_TRUE(d.values.empty());
}

} // namespace
