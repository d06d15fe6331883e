#include "stress/inversion_grid.h"

#include "stress/fitness_kernel.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <exception>
#include <mutex>
#include <numbers>
#include <system_error>
#include <thread>

namespace {

constexpr double radians = std::numbers::pi / 180;

// The least whole number of steps that divides span into steps of at most step.
int steps(double span, double step) {
    return std::max(1, int(std::ceil(span / step - 1e-9)));
}

// A pair of axes of the grid, and the pairs of one sigma1 in a row.
struct TAxisPair {
    Tazpl sigma1;
    Tazpl sigma3;
};

struct TAxisGrid {
    std::vector<TAxisPair> pairs;
    std::vector<std::size_t> sigma1_begin; // pairs of sigma1 k: sigma1_begin[k] to [k + 1]
};

bool same(const Tazpl& a, const Tazpl& b) {
    return a.az == b.az && a.pl == b.pl;
}

Tazpl grid_orientation(double azimuth, double plunge) {
    Tazpl a = whole_degree_orientation(azimuth, plunge);
    if (a.pl == 90)
        a.az = 0; // one vertical axis
    return a;
}

TAxisGrid axis_grid(double g) {
    TAxisGrid grid;
    grid.sigma1_begin.push_back(0);
    std::vector<bool> sigma1_seen(360 * 91); // whole-degree azimuth and plunge
    const int around = steps(180, g);
    const auto add_sigma1 = [&](double azimuth, double plunge) {
        const Tazpl sigma1 = grid_orientation(azimuth, plunge);
        const std::size_t key = std::size_t(sigma1.az) * 91 + std::size_t(sigma1.pl);
        if (sigma1_seen[key])
            return;
        sigma1_seen[key] = true;
        // sigma3 around the great circle perpendicular to sigma1, from the horizontal h.
        const double a = azimuth * radians, p = plunge * radians;
        const std::array<double, 3> h{std::cos(a), -std::sin(a), 0};
        const std::array<double, 3> w{-std::sin(p) * std::sin(a), -std::sin(p) * std::cos(a),
                                      -std::cos(p)};
        const std::size_t first = grid.pairs.size();
        for (int j = 0; j < around; ++j) {
            const double theta = 180.0 * j / around * radians;
            const double c = std::cos(theta), s = std::sin(theta);
            const TAxisOrientation o =
                axis_orientation({c * h[0] + s * w[0], c * h[1] + s * w[1], c * h[2] + s * w[2]});
            const Tazpl sigma3 = grid_orientation(o.azimuth, o.plunge);
            if (std::none_of(grid.pairs.begin() + std::ptrdiff_t(first), grid.pairs.end(),
                             [&](const TAxisPair& q) { return same(q.sigma3, sigma3); }))
                grid.pairs.push_back({sigma1, sigma3});
        }
        grid.sigma1_begin.push_back(grid.pairs.size());
    };
    for (int k = 0; k * g < 90 - 1e-9; ++k) {
        const double plunge = k * g;
        // A horizontal line and its opposite are one axis.
        const double span = k == 0 ? 180 : 360;
        const int n = steps(span * std::cos(plunge * radians), g);
        for (int j = 0; j < n; ++j)
            add_sigma1(span * j / n, plunge);
    }
    add_sigma1(0, 90);
    return grid;
}

std::vector<float> grid_ratios(double r) {
    const int n = steps(1, r);
    std::vector<float> ratios;
    for (int k = 0; k <= n; ++k)
        ratios.push_back(float(double(k) / n));
    return ratios;
}

// The score of a state of the grid, by its number in grid order.
struct TRank {
    double mean;
    int fitness;
    std::uint32_t state;
};

// Sorts and numbers what the workers found; the order is total (no two states share a number),
// so sorting in two halves at once and merging gives the same order as one sort.
std::vector<TInversionCandidate> kept_candidates(const TAxisGrid& grid,
                                                 const std::vector<float>& ratios,
                                                 std::vector<TRank>& kept, bool two_threads) {
    kept.erase(
        std::remove_if(kept.begin(), kept.end(), [](const TRank& r) { return r.fitness <= 0; }),
        kept.end());
    const auto before = [](const TRank& a, const TRank& b) {
        if (a.fitness != b.fitness)
            return a.fitness > b.fitness;
        if (a.mean != b.mean)
            return a.mean < b.mean;
        return a.state < b.state;
    };
    const auto middle = kept.begin() + std::ptrdiff_t(kept.size() / 2);
    if (two_threads && kept.size() >= 20000) {
        std::thread helper;
        try {
            helper = std::thread([&] { std::sort(middle, kept.end(), before); });
        } catch (const std::system_error&) {
            std::sort(middle, kept.end(), before);
        }
        std::sort(kept.begin(), middle, before);
        if (helper.joinable())
            helper.join();
        std::inplace_merge(kept.begin(), middle, kept.end(), before);
    } else {
        std::sort(kept.begin(), kept.end(), before);
    }
    std::vector<TInversionCandidate> out;
    out.reserve(kept.size());
    for (const TRank& r : kept) {
        const TAxisPair& pair = grid.pairs[r.state / ratios.size()];
        out.push_back(
            {pair.sigma1, pair.sigma3, ratios[r.state % ratios.size()], r.fitness, r.mean});
    }
    return out;
}

// The workers share the next sigma1 to score; each writes the fitness of its states only.
class GridRun {
public:
    GridRun(const TAxisGrid& grid, const std::vector<float>& ratios, const TFitnessKernel& kernel,
            const TInversionControl& control)
        : grid_(grid), ratios_(ratios), kernel_(kernel), control_(control),
          total_(grid.pairs.size() * ratios.size()), scores_(total_) {}

    void work() {
        try {
            TFitnessScratch scratch;
            for (;;) {
                const std::size_t k = next_.fetch_add(1);
                if (k + 1 >= grid_.sigma1_begin.size() || stopped())
                    return;
                score_sigma1(k, scratch);
                report((grid_.sigma1_begin[k + 1] - grid_.sigma1_begin[k]) * ratios_.size());
            }
        } catch (...) {
            const std::lock_guard lock(mutex_);
            if (!error_)
                error_ = std::current_exception();
            failed_ = true;
        }
    }

    bool stopped() const { return failed_.load() || control_.cancelled(); }
    std::exception_ptr error() const { return error_; }
    std::vector<TRank>& scores() { return scores_; }
    std::size_t total() const { return total_; }

private:
    void score_sigma1(std::size_t k, TFitnessScratch& scratch) {
        TStressTensor st{};
        st.ax[0] = grid_.pairs[grid_.sigma1_begin[k]].sigma1;
        st.e_vec[0] = azpl_to_vector3(st.ax[0]);
        for (std::size_t i = grid_.sigma1_begin[k]; i < grid_.sigma1_begin[k + 1]; ++i) {
            if (stopped())
                return;
            // build_stress_tensor in its two halves, the ratios sharing the axes.
            st.ax[2] = grid_.pairs[i].sigma3;
            st.e_vec[2] = azpl_to_vector3(st.ax[2]);
            build_intermediate_axis(st);
            for (std::size_t r = 0; r < ratios_.size(); ++r) {
                build_tensors(st, ratios_[r]);
                const std::size_t state = i * ratios_.size() + r;
                const TFitness f = kernel_.evaluate(st, scratch);
                scores_[state] = {f.mean_misfit, f.fitness, std::uint32_t(state)};
            }
        }
    }

    void report(std::size_t states) {
        done_.fetch_add(states);
        if (!control_.progress)
            return;
        // Read under the lock, so that the fractions reported never go back.
        const std::lock_guard lock(mutex_);
        const std::size_t done = done_.load();
        const double fraction = double(done) / double(total_);
        if (done < total_ ? fraction < reported_ + 0.005 : reported_ == 1)
            return;
        reported_ = fraction;
        control_.progress(fraction);
    }

    const TAxisGrid& grid_;
    const std::vector<float>& ratios_;
    const TFitnessKernel& kernel_;
    const TInversionControl& control_;
    const std::size_t total_;
    std::vector<TRank> scores_;
    std::atomic<std::size_t> next_{0};
    std::atomic<std::size_t> done_{0};
    std::atomic<bool> failed_{false};
    std::mutex mutex_; // the progress callback and the error
    double reported_ = 0;
    std::exception_ptr error_;
};

} // namespace

std::vector<TGridState> grid_states(double spacing, double ratio_step) {
    const TAxisGrid grid = axis_grid(spacing);
    const std::vector<float> ratios = grid_ratios(ratio_step);
    std::vector<TGridState> states;
    states.reserve(grid.pairs.size() * ratios.size());
    for (const TAxisPair& pair : grid.pairs)
        for (float ratio : ratios)
            states.push_back({pair.sigma1, pair.sigma3, ratio});
    return states;
}

long long grid_size(double spacing, double ratio_step) {
    // Without the whole-degree rounding, which leaves out only a few pairs.
    const int around = steps(180, spacing);
    long long sigma1 = 1;
    for (int k = 0; k * spacing < 90 - 1e-9; ++k)
        sigma1 += steps((k == 0 ? 180 : 360) * std::cos(k * spacing * radians), spacing);
    return sigma1 * around * (steps(1, ratio_step) + 1);
}

QString check_grid_size(double spacing, double ratio_step) {
    const long long size = grid_size(spacing, ratio_step);
    if (size <= largest_grid)
        return {};
    return QStringLiteral("A grid of %1 stress states is too large (at most %2): choose a wider "
                          "spacing or a larger stress-ratio step.")
        .arg(size)
        .arg(largest_grid);
}

int grid_usable_data(const TFaultDataSet& data) {
    return int(std::count_if(data.FDList.begin(), data.FDList.end(),
                             [](const TFaultData& fd) { return !fd.SDList.empty(); }));
}

TGridResult grid_search(const TFaultDataSet& data, const TGridSettings& settings,
                        const TInversionControl& control) {
    const TAxisGrid grid = axis_grid(settings.spacing);
    const std::vector<float> ratios = grid_ratios(settings.ratio_step);
    const TFitnessKernel kernel(data, settings.measure, settings.tolerance);
    GridRun run(grid, ratios, kernel, control);

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t wanted = std::min<std::size_t>(
        settings.threads > 0 ? std::size_t(settings.threads) : cores, grid.sigma1_begin.size());
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < wanted; ++i) {
        try {
            helpers.emplace_back([&run] { run.work(); });
        } catch (const std::system_error&) {
            break; // fewer threads, the same result
        }
    }
    run.work();
    for (std::thread& t : helpers)
        t.join();
    if (run.error())
        std::rethrow_exception(run.error());

    TGridResult result;
    result.used_data = kernel.used_data();
    if (control.cancelled()) {
        result.cancelled = true;
        return result;
    }
    result.evaluated = (long long)run.total();
    result.candidates = kept_candidates(grid, ratios, run.scores(), wanted > 1);
    return result;
}
