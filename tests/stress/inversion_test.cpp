#include "stress/fitness_kernel.h"
#include "stress/inversion_grid.h"
#include "stress/inversion_linear.h"

#include "faults/fd_reader.h"
#include "stress/compatibility.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Vec3 = std::array<double, 3>;

// Deterministic on every standard library: only the raw engine output is used.
class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    double uniform() { return (double(engine_() & 0xffffffffu) + 0.5) / 4294967296.0; }
    double uniform(double low, double high) { return low + (high - low) * uniform(); }
    double gauss() {
        return std::sqrt(-2 * std::log(uniform())) * std::cos(2 * std::numbers::pi * uniform());
    }
    // Uniform over the upper hemisphere: the upward normal of a plane, which points into the
    // hanging wall, so that the slip a state drives on it is the hanging wall's.
    Vec3 direction() {
        const double z = uniform(0, 1), a = uniform(0, 2 * std::numbers::pi);
        const double r = std::sqrt(1 - z * z);
        return {r * std::cos(a), r * std::sin(a), z};
    }

private:
    std::mt19937 engine_;
};

double dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vec3 scaled(double s, const Vec3& a) {
    return {s * a[0], s * a[1], s * a[2]};
}

Vec3 sum(const Vec3& a, const Vec3& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

Vec3 unit(const Vec3& a) {
    return scaled(1 / std::sqrt(dot(a, a)), a);
}

Vec3 vector_of(const Tazpl& a) {
    const double az = a.az * std::numbers::pi / 180, pl = a.pl * std::numbers::pi / 180;
    return {std::cos(pl) * std::sin(az), std::cos(pl) * std::cos(az), -std::sin(pl)};
}

// Angle between two axes (lines), degrees.
double axis_angle(const Vec3& a, const Vec3& b) {
    return std::acos(std::min(1.0, std::abs(dot(unit(a), unit(b))))) * 180 / std::numbers::pi;
}

double axis_angle(const Tazpl& a, const Tazpl& b) {
    return axis_angle(vector_of(a), vector_of(b));
}

// A stress state in double precision: principal axes exactly perpendicular, values 1, ratio, 0.
struct TTruth {
    Vec3 e1, e2, e3;
    double ratio;

    TTruth(const Tazpl& sigma1, const Tazpl& sigma3_near, double phi) : ratio(phi) {
        e1 = vector_of(sigma1);
        const Vec3 near = vector_of(sigma3_near);
        e3 = unit(sum(near, scaled(-dot(near, e1), e1)));
        e2 = cross(e3, e1);
    }
    Vec3 traction(const Vec3& n) const {
        return sum(scaled(dot(e1, n), e1), scaled(ratio * dot(e2, n), e2));
    }
    Vec3 shear(const Vec3& n) const {
        const Vec3 t = traction(n);
        return sum(t, scaled(-dot(t, n), n));
    }
    // The slip this state drives on a plane (compression positive: minus the shear).
    Vec3 slip(const Vec3& n) const { return unit(scaled(-1, shear(n))); }
};

Tvector3 single(const Vec3& v) {
    return make_vector3(float(v[0]), float(v[1]), float(v[2]));
}

// An alternative as a reader makes it: orientations in single precision, then the vectors.
TSlipData alternative(const Vec3& n, const Vec3& slip, bool with_sense) {
    TSlipData sd;
    sd.Pazpl = pole_to_plane(vector3_to_azpl_lower(single(n)));
    sd.Lazpl = vector3_to_azpl_lower(single(slip));
    sd.sense = with_sense ? sense_from_vectors(single(slip), single(cross(n, slip)), single(n))
                          : TSense::U;
    compose_slip_data_vectors(sd);
    return sd;
}

TFaultData datum(TDataType type, const Vec3& n, const Vec3& slip, const Vec3& other_slip = {}) {
    TFaultData fd;
    fd.datatype = type;
    fd.SDList.push_back(alternative(n, slip, type != TDataType::Lin));
    if (type == TDataType::Mec)
        fd.SDList.push_back(compose_second_nodal_plane(fd.SDList[0]));
    if (type == TDataType::Sen) {
        TSlipData sd = alternative(n, other_slip, true);
        sd.Pazpl = fd.SDList[0].Pazpl;
        compose_slip_data_vectors(sd);
        fd.SDList.push_back(sd);
    }
    return fd;
}

// v turned about n by degrees.
Vec3 turned(const Vec3& v, const Vec3& n, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    return sum(scaled(std::cos(a), v), scaled(std::sin(a), cross(n, v)));
}

// Data of every kind from a known state: slip turned by 5 degrees of noise, and one datum in
// ten an outlier with slip in any direction on its plane.
TFaultDataSet synthetic_data(const TTruth& truth, int count, std::uint32_t seed) {
    Random rng(seed);
    TFaultDataSet set;
    const TDataType kinds[] = {TDataType::Ful, TDataType::Ful, TDataType::Mec, TDataType::Lin,
                               TDataType::Sen};
    for (int i = 0; i < count; ++i) {
        const Vec3 n = rng.direction();
        if (std::sqrt(dot(truth.shear(n), truth.shear(n))) < 0.05)
            continue; // near a principal plane the slip is not determined
        const bool outlier = i % 10 == 9;
        const Vec3 v = turned(truth.slip(n), n, outlier ? rng.uniform(60, 300) : 5 * rng.gauss());
        set.FDList.push_back(datum(kinds[i % 5], n, v, turned(v, n, rng.uniform(-50, 50))));
    }
    return set;
}

// The reference: calc_theoretical_slip_and_misfit and the representative of every datum. The
// analysis rewrites every computed field, so one copy of the data serves any number of states.
class ReferenceMisfits {
public:
    explicit ReferenceMisfits(const TFaultDataSet& data) : data_(data) {}
    std::vector<float> operator()(const TStressTensor& st, TMifitMeasure measure) {
        calc_theoretical_slip_and_misfit(data_, theoretical_, st, measure);
        std::vector<float> out;
        for (const TFaultData& fd : data_.FDList)
            out.push_back(fd.rep_misfit);
        return out;
    }

private:
    TFaultDataSet data_;
    TFaultDataSet theoretical_;
};

TFitness reference_fitness(const std::vector<float>& misfits, double tolerance) {
    TFitness f;
    double total = 0;
    for (float m : misfits)
        if (double(m) <= tolerance) {
            ++f.fitness;
            total += m;
        }
    f.mean_misfit = f.fitness > 0 ? total / f.fitness : 0;
    return f;
}

// Data of every kind and sense in any orientation, with the awkward ones: horizontal and
// vertical planes and lineations, and data whose misfit under some grid state is at the
// tolerance, give or take rounding.
TFaultDataSet mixed_data(int count) {
    Random rng(7);
    TFDLineContext context;
    TFaultDataSet set;
    const auto add = [&](const QString& line) {
        if (auto fd = read_fault_datum_line(line, 1, context))
            set.FDList.push_back(*fd);
    };
    for (int i = 0; i < count; ++i) {
        QString line =
            QString(QChar::fromLatin1("FMLS"[i % 4])) +
            QString::asprintf(" %.1f %.1f %.1f %.1f %c", rng.uniform(0, 360), rng.uniform(0, 90),
                              rng.uniform(0, 360), rng.uniform(0, 90), "NRSDHU"[i % 6]);
        if (i % 4 == 3)
            line += QString::asprintf(" & %.1f %.1f D", rng.uniform(0, 360), rng.uniform(0, 90));
        add(line);
    }
    for (const char* line : {"F 0 0 90 0 N", "F 90 90 0 0 S", "M 0 90 180 0 D", "L 45 0 135 0 U",
                             "S 180 90 270 90 N & 0 0 S", "F 30 45 30 45 N", "M 120 60 120 60 R"})
        add(QString::fromLatin1(line));
    // Slip 20 degrees from what a state of every grid drives: sigma1 vertical, sigma3 east and
    // ratio 0.5.
    const TTruth grid_state({0, 90}, {90, 0}, 0.5);
    for (int i = 0; i < 12; ++i) {
        const Vec3 n = rng.direction();
        const double turn = i % 2 ? 20 : -20;
        set.FDList.push_back(
            datum(i % 3 ? TDataType::Ful : TDataType::Mec, n, turned(grid_state.slip(n), n, turn)));
    }
    return set;
}

// Every kernel (vector instructions or not, several tolerances) against the reference, on every
// state of a grid.
void expect_reference_fitness(TMifitMeasure measure) {
    const TFaultDataSet data = mixed_data(40);
    ReferenceMisfits reference_misfits(data);
    const std::vector<TGridState> grid = grid_states(20, 0.25);
    ASSERT_GT(grid.size(), 2000u);
    const double tolerances[] = {20, 90, 1};
    std::vector<TFitnessKernel> kernels;
    for (double t : tolerances)
        for (auto instructions :
             {TFitnessKernel::TInstructions::Best, TFitnessKernel::TInstructions::Portable})
            kernels.emplace_back(data, measure, t, instructions);
    // A scratch each: the kernels adapt to the share of planes they compute exactly.
    std::vector<TFitnessScratch> scratch(kernels.size());
    int mismatches = 0;
    for (const TGridState& g : grid) {
        const TStressTensor st = stress_tensor_from_axes(g.sigma1, g.sigma3, g.ratio);
        const std::vector<float> misfits = reference_misfits(st, measure);
        for (std::size_t k = 0; k < kernels.size(); ++k) {
            const TFitness expected = reference_fitness(misfits, tolerances[k / 2]);
            const TFitness got = kernels[k].evaluate(st, scratch[k]);
            if (got.fitness != expected.fitness ||
                std::abs(got.mean_misfit - expected.mean_misfit) > 1e-9) {
                if (++mismatches <= 5)
                    ADD_FAILURE() << "tolerance " << tolerances[k / 2] << ", kernel " << k
                                  << ", state " << g.sigma1.az << "/" << g.sigma1.pl << " "
                                  << g.sigma3.az << "/" << g.sigma3.pl << " " << g.ratio
                                  << ": fitness " << got.fitness << " (" << expected.fitness
                                  << "), mean " << got.mean_misfit << " (" << expected.mean_misfit
                                  << ")";
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(FitnessKernel, AgreesExactlyWithTheCompatibilityAnalysisBySlipDirection) {
    expect_reference_fitness(TMifitMeasure::SlipDir);
}

TEST(FitnessKernel, AgreesExactlyWithTheCompatibilityAnalysisByFryArc) {
    expect_reference_fitness(TMifitMeasure::DistFry);
}

TEST(FitnessKernel, DataWithoutAlternativesAreNotScored) {
    TFaultDataSet data = mixed_data(8);
    data.FDList.insert(data.FDList.begin() + 2, TFaultData());
    const TFitnessKernel kernel(data, TMifitMeasure::SlipDir, 90);
    EXPECT_EQ(kernel.used_data(), data.count() - 1);
    EXPECT_EQ(grid_usable_data(data), data.count() - 1);
}

// The distance between an arbitrary state and the nearest grid state, by axis and ratio.
TEST(InversionGrid, EveryStateLiesNearAGridState) {
    const struct { double spacing, step; } grids[] = {{4, 0.5}, {7, 0.1}, {12, 0.03}, {30, 0.3}};
    for (const auto& g : grids) {
        const std::vector<TGridState> states = grid_states(g.spacing, g.step);
        std::vector<std::pair<Vec3, Vec3>> pairs;
        std::vector<float> ratios;
        for (const TGridState& s : states) {
            if (s.ratio == 0)
                pairs.emplace_back(vector_of(s.sigma1), vector_of(s.sigma3));
            if (ratios.empty() || s.ratio > ratios.back())
                ratios.push_back(s.ratio);
        }
        EXPECT_EQ(ratios.front(), 0);
        EXPECT_EQ(ratios.back(), 1);
        EXPECT_EQ(states.size(), pairs.size() * ratios.size());
        EXPECT_NEAR(double(states.size()), double(grid_size(g.spacing, g.step)),
                    0.01 * double(states.size()));
        Random rng(3);
        double worst = 0, worst_ratio = 0;
        for (int trial = 0; trial < 30; ++trial) {
            const Vec3 s1 = rng.direction();
            const Vec3 s3 = unit(cross(s1, rng.direction()));
            // The pair whose farther axis is nearest: the greatest least |cosine|.
            double best = 0;
            for (const auto& [a1, a3] : pairs)
                best = std::max(best, std::min(std::abs(dot(s1, a1)), std::abs(dot(s3, a3))));
            worst = std::max(worst, std::acos(std::min(1.0, best)) * 180 / std::numbers::pi);
            const double phi = rng.uniform();
            double nearest = 1;
            for (float r : ratios)
                nearest = std::min(nearest, std::abs(phi - r));
            worst_ratio = std::max(worst_ratio, nearest);
        }
        EXPECT_LE(worst, 1.5 * g.spacing) << "spacing " << g.spacing;
        EXPECT_LE(worst_ratio, g.step / 2 + 1e-9) << "step " << g.step;
    }
}

TEST(InversionGrid, AxesAreWholeDegreesInTheLowerHemisphereWithoutRepeats) {
    const std::vector<TGridState> states = grid_states(10, 0.5);
    std::set<std::array<float, 5>> seen;
    std::set<std::pair<float, float>> vertical_sigma1;
    for (const TGridState& s : states) {
        for (const Tazpl& a : {s.sigma1, s.sigma3}) {
            EXPECT_EQ(a.az, std::nearbyint(a.az));
            EXPECT_EQ(a.pl, std::nearbyint(a.pl));
            EXPECT_TRUE(a.az >= 0 && a.az < 360 && a.pl >= 0 && a.pl <= 90);
        }
        EXPECT_NEAR(axis_angle(s.sigma1, s.sigma3), 90, 1.5);
        if (s.sigma1.pl == 0) {
            EXPECT_LT(s.sigma1.az, 180); // a horizontal axis once, not also its opposite
        }
        if (s.sigma1.pl == 90)
            vertical_sigma1.insert({s.sigma1.az, s.sigma1.pl});
        EXPECT_TRUE(
            seen.insert({s.sigma1.az, s.sigma1.pl, s.sigma3.az, s.sigma3.pl, s.ratio}).second);
    }
    EXPECT_EQ(vertical_sigma1.size(), 1u);
}

struct TRegime {
    const char* name;
    Tazpl sigma1;
    Tazpl sigma3;
    double ratio;
};

const TRegime regimes[] = {
    {"normal", {37, 81}, {123, 2}, 0.35},
    {"reverse", {208, 6}, {95, 76}, 0.6},
    {"strike-slip", {321, 4}, {52, 12}, 0.45},
};

TEST(InversionGrid, FindsTheStateThatMadeNoisyData) {
    for (const TRegime& r : regimes) {
        const TTruth truth(r.sigma1, r.sigma3, r.ratio);
        const TFaultDataSet data = synthetic_data(truth, 70, 11);
        TGridSettings settings;
        settings.spacing = 10;
        settings.ratio_step = 0.25;
        const TGridResult result = grid_search(data, settings);
        ASSERT_FALSE(result.candidates.empty()) << r.name;
        const TInversionCandidate& best = result.candidates.front();
        EXPECT_LE(axis_angle(vector_of(best.sigma1), truth.e1), settings.spacing) << r.name;
        EXPECT_LE(axis_angle(vector_of(best.sigma3), truth.e3), settings.spacing) << r.name;
        EXPECT_LE(std::abs(best.ratio - r.ratio), settings.ratio_step) << r.name;
        EXPECT_GE(best.fitness, data.count() * 7 / 10) << r.name;
    }
}

TEST(InversionGrid, OrderAndFitnessMatchTheReferenceAndNotTheThreads) {
    const TTruth truth(regimes[2].sigma1, regimes[2].sigma3, regimes[2].ratio);
    const TFaultDataSet data = synthetic_data(truth, 40, 5);
    TGridSettings settings;
    settings.spacing = 15;
    settings.ratio_step = 0.25;
    settings.measure = TMifitMeasure::DistFry;
    settings.tolerance = 10;
    settings.threads = 1;
    const TGridResult one = grid_search(data, settings);
    settings.threads = 3;
    const TGridResult three = grid_search(data, settings);
    ASSERT_EQ(one.candidates.size(), three.candidates.size());
    for (std::size_t i = 0; i < one.candidates.size(); ++i) {
        const TInversionCandidate &a = one.candidates[i], &b = three.candidates[i];
        ASSERT_TRUE(a.sigma1 == b.sigma1 && a.sigma3 == b.sigma3 && a.ratio == b.ratio &&
                    a.fitness == b.fitness && a.mean_misfit == b.mean_misfit)
            << "candidate " << i + 1;
    }
    EXPECT_LE(one.candidates.size(), std::size_t(one.evaluated));
    ReferenceMisfits reference_misfits(data);
    for (std::size_t i = 0; i < one.candidates.size(); ++i) {
        const TInversionCandidate& c = one.candidates[i];
        ASSERT_GT(c.fitness, 0);
        if (i < 40 || i % 9 == 0) { // the fittest, and a sample of the rest
            const TFitness ref =
                reference_fitness(reference_misfits(candidate_stress_tensor(c), settings.measure),
                                  settings.tolerance);
            ASSERT_EQ(c.fitness, ref.fitness) << "candidate " << i + 1;
            ASSERT_NEAR(c.mean_misfit, ref.mean_misfit, 1e-9);
        }
        if (i > 0) {
            const TInversionCandidate& p = one.candidates[i - 1];
            ASSERT_TRUE(p.fitness > c.fitness ||
                        (p.fitness == c.fitness && p.mean_misfit <= c.mean_misfit))
                << "candidate " << i + 1;
        }
    }
}

TEST(InversionGrid, CancelledRunReturnsNothingAndProgressOnlyGrows) {
    const TFaultDataSet data = mixed_data(40);
    TGridSettings settings;
    settings.spacing = 10;
    std::atomic<bool> cancel{false};
    std::vector<double> fractions;
    TInversionControl control;
    control.cancel = &cancel;
    control.progress = [&](double f) {
        fractions.push_back(f); // called one at a time
        if (f > 0.3)
            cancel = true;
    };
    const TGridResult cancelled = grid_search(data, settings, control);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.candidates.empty());
    ASSERT_FALSE(fractions.empty());
    EXPECT_LT(fractions.back(), 0.9);

    cancel = false;
    fractions.clear();
    control.progress = [&](double f) { fractions.push_back(f); };
    const TGridResult done = grid_search(data, settings, control);
    EXPECT_FALSE(done.cancelled);
    EXPECT_FALSE(done.candidates.empty());
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_EQ(fractions.back(), 1.0);
}

// Planes on which a state's shear traction has one magnitude: the premise of the linear
// inversion, so that it must give the state back.
TFaultDataSet equal_shear_data(const TTruth& truth, int count, const char* kinds,
                               std::uint32_t seed) {
    Random rng(seed);
    TFaultDataSet set;
    const double tau = 0.3;
    const auto magnitude = [&](const Vec3& n) {
        const Vec3 s = truth.shear(n);
        return std::sqrt(dot(s, s));
    };
    while (set.count() < count) {
        Vec3 n0 = rng.direction();
        if (magnitude(n0) <= tau)
            continue;
        // Toward sigma1, where there is no shear, the magnitude passes tau.
        const Vec3 axis = dot(n0, truth.e1) < 0 ? scaled(-1, truth.e1) : truth.e1;
        double low = 0, high = 1;
        for (int i = 0; i < 80; ++i) {
            const double mid = (low + high) / 2;
            (magnitude(unit(sum(scaled(1 - mid, n0), scaled(mid, axis)))) > tau ? low : high) = mid;
        }
        Vec3 n = unit(sum(scaled(1 - low, n0), scaled(low, axis)));
        n = n[2] < 0 ? scaled(-1, n) : n;
        const char kind = kinds[set.count() % int(std::strlen(kinds))];
        if (kind == 'F') {
            set.FDList.push_back(datum(TDataType::Ful, n, truth.slip(n)));
        } else {
            // 'M': the plane that slipped first; 'm': the auxiliary plane first.
            TFaultData fd = datum(TDataType::Mec, n, truth.slip(n));
            if (kind == 'm') {
                const TSlipData auxiliary = fd.SDList[1];
                fd.SDList = {auxiliary, compose_second_nodal_plane(auxiliary)};
            }
            set.FDList.push_back(fd);
        }
    }
    return set;
}

TEST(InversionLinear, GivesBackTheStateOfEqualShearData) {
    const struct {
        const char* kinds;
        double ratio;
    } cases[] = {{"F", 0.1}, {"F", 0.5}, {"F", 0.9}, {"FFm", 0.3}, {"M", 0.7}};
    for (const TRegime& r : regimes)
        for (const auto& c : cases) {
            const TTruth truth(r.sigma1, r.sigma3, c.ratio);
            const TFaultDataSet data = equal_shear_data(truth, 24, c.kinds, 17);
            TLinearSettings settings;
            settings.resamples = 0;
            const TLinearResult result = linear_inversion(data, settings);
            const std::string what = std::string(r.name) + " " + c.kinds;
            ASSERT_EQ(result.status, TLinearStatus::Solved) << what;
            const TLinearSolution& s = result.solution;
            const Tazpl sigma1 = make_azpl(float(s.sigma1_azimuth), float(s.sigma1_plunge));
            const Tazpl sigma3 = make_azpl(float(s.sigma3_azimuth), float(s.sigma3_plunge));
            EXPECT_LE(axis_angle(vector_of(sigma1), truth.e1), 0.1) << what;
            EXPECT_LE(axis_angle(vector_of(sigma3), truth.e3), 0.1) << what;
            EXPECT_NEAR(s.ratio, c.ratio, 0.005) << what;
            EXPECT_TRUE(result.nodal_choice_stable) << what;
            ASSERT_EQ(result.candidates.size(), 1u);
            EXPECT_LE(axis_angle(result.candidates[0].sigma1, sigma1), 1) << what;

            // The theoretical slip of the solution is the observed slip, not its opposite.
            TFaultDataSet copy = data, theoretical;
            calc_theoretical_slip_and_misfit(
                copy, theoretical, stress_tensor_from_axes(sigma1, sigma3, float(s.ratio)),
                TMifitMeasure::SlipDir);
            for (const TFaultData& fd : copy.FDList)
                EXPECT_LT(fd.rep_misfit, 1) << what;
        }
}

TEST(InversionLinear, CountsWhatItUses) {
    TFDLineContext context;
    TFaultDataSet data;
    for (const char* line : {"F 10 60 100 0 S", "F 200 30 200 30 N", "F 100 45 100 45 U",
                             "M 40 60 310 5 D", "L 120 30 200 20 U", "S 90 80 0 0 S & 180 0 S",
                             "F 300 70 30 0 H", "F 60 50 60 50 R", "M 250 40 250 40 N"})
        data.FDList.push_back(read_fault_datum_line(QString::fromLatin1(line), 1, context).value());
    const TLinearResult result = linear_inversion(data, {20, 1});
    EXPECT_EQ(result.used_ful, 3);
    EXPECT_EQ(result.used_mec, 2);
    EXPECT_EQ(result.not_used, 4);
    EXPECT_EQ(linear_usable_data(data), 5);
}

TEST(InversionLinear, BootstrapIsReproducibleAndEveryCandidateIsARecord) {
    const TTruth truth(regimes[0].sigma1, regimes[0].sigma3, 0.4);
    const TFaultDataSet data = synthetic_data(truth, 60, 23);
    TLinearSettings settings;
    settings.resamples = 50;
    const TLinearResult a = linear_inversion(data, settings);
    const TLinearResult b = linear_inversion(data, settings);
    settings.seed = 2;
    const TLinearResult c = linear_inversion(data, settings);
    ASSERT_EQ(a.status, TLinearStatus::Solved);
    ASSERT_EQ(a.candidates.size(), 51u);
    bool differs = false;
    for (std::size_t i = 0; i < a.candidates.size(); ++i) {
        const TInversionCandidate &x = a.candidates[i], &y = b.candidates[i];
        EXPECT_TRUE(x.sigma1 == y.sigma1 && x.sigma3 == y.sigma3 && x.ratio == y.ratio);
        differs |= !(x.sigma1 == c.candidates[i].sigma1 && x.ratio == c.candidates[i].ratio);
        EXPECT_EQ(x.fitness, 1);
        for (float v : {x.sigma1.az, x.sigma1.pl, x.sigma3.az, x.sigma3.pl})
            EXPECT_EQ(v, std::nearbyint(v));
        EXPECT_TRUE(x.ratio >= 0 && x.ratio <= 1);
        // The resamples scatter about the truth; the noise and outliers allow some degrees.
        EXPECT_LT(axis_angle(x.sigma1, make_azpl(37, 81)), 45);
    }
    EXPECT_TRUE(differs);
}

TEST(InversionLinear, DegenerateDataFailWithoutNumbers) {
    TFDLineContext context;
    const struct {
        const char* name;
        std::vector<const char*> lines;
        TLinearStatus status;
    } cases[] = {
        {"parallel planes",
         {"F 90 40 90 40 N", "F 90 40 0 0 S", "F 90 40 180 0 D", "F 90 40 45 30 N",
          "F 90 40 135 30 N"},
         TLinearStatus::Degenerate},
        {"three usable",
         {"F 90 40 90 40 N", "F 10 70 100 0 S", "F 250 30 250 30 R"},
         TLinearStatus::TooFewData},
        {"no sense",
         {"F 90 40 90 40 U", "F 10 70 100 0 U", "F 250 30 250 30 H", "L 1 2 3 4 U"},
         TLinearStatus::TooFewData},
    };
    for (const auto& c : cases) {
        TFaultDataSet data;
        for (const char* line : c.lines)
            data.FDList.push_back(
                read_fault_datum_line(QString::fromLatin1(line), 1, context).value());
        const TLinearResult result = linear_inversion(data);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_FALSE(result.message.isEmpty()) << c.name;
        EXPECT_TRUE(result.candidates.empty()) << c.name;
        for (double v : {result.solution.sigma1_azimuth, result.solution.ratio})
            EXPECT_TRUE(std::isfinite(v)) << c.name;
    }
}

TEST(InversionChecks, MessagesForValuesOutOfRange) {
    EXPECT_EQ(check_data_count(3),
              QStringLiteral("At least 4 fault data with slip are needed to invert (3 usable)."));
    EXPECT_EQ(check_data_count(4), QString());
    const struct {
        QString (*check)(double);
        double fine_low, fine_high, bad_low, bad_high;
    } ranges[] = {
        {check_grid_spacing, 1, 30, 0.99, 31},
        {check_ratio_step, 0.01, 0.5, 0.009, 0.51},
        {check_tolerance, 1, 90, 0, 90.5},
    };
    for (const auto& r : ranges) {
        EXPECT_TRUE(r.check(r.fine_low).isEmpty());
        EXPECT_TRUE(r.check(r.fine_high).isEmpty());
        EXPECT_FALSE(r.check(r.bad_low).isEmpty());
        EXPECT_FALSE(r.check(r.bad_high).isEmpty());
        EXPECT_FALSE(r.check(std::nan("")).isEmpty());
    }
    EXPECT_TRUE(check_bootstrap_count(0).isEmpty());
    EXPECT_TRUE(check_bootstrap_count(100000).isEmpty());
    EXPECT_FALSE(check_bootstrap_count(-1).isEmpty());
    EXPECT_FALSE(check_bootstrap_count(100001).isEmpty());
    EXPECT_TRUE(check_grid_size(5, 0.1).isEmpty());
    EXPECT_FALSE(check_grid_size(1, 0.01).isEmpty());
    EXPECT_TRUE(no_fitting_candidate_message(12.5).contains(QStringLiteral("12.5 degrees")));
}

TEST(InversionGrid, DataNoStateExplainsLeaveNoCandidate) {
    // Each plane slipped both ways: under any state one of the two slips has a misfit above
    // 90 degrees, which makes the datum incompatible.
    TFDLineContext context;
    TFaultDataSet data;
    for (const char* line :
         {"S 93.7 37.3 93.7 37.3 N & 93.7 37.3 R", "S 211.2 68.9 300.4 12.2 S & 300.4 12.2 D"})
        data.FDList.push_back(read_fault_datum_line(QString::fromLatin1(line), 1, context).value());
    TGridSettings settings;
    settings.spacing = 30;
    settings.ratio_step = 0.5;
    const TGridResult result = grid_search(data, settings);
    EXPECT_FALSE(result.cancelled);
    EXPECT_GT(result.evaluated, 0);
    EXPECT_TRUE(result.candidates.empty());
}

} // namespace
