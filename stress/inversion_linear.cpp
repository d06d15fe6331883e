#include "stress/inversion_linear.h"

#include "core/eigen.h"
#include "core/number_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <random>

namespace {

using Vec3 = std::array<double, 3>;
using Vec5 = std::array<double, 5>;
using Mat5 = std::array<std::array<double, 5>, 5>;

double dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

bool usable_sense(TSense sense) {
    return sense == TSense::N || sense == TSense::R || sense == TSense::S || sense == TSense::D;
}

// A plane with its unit normal and the unit slip within it; the normal equations it adds.
struct TPlane {
    Vec3 n{};
    Vec3 v{};
    Mat5 g{}; // A^T A
    Vec5 h{}; // A^T (-v)
};

// The unknowns are the components of the deviatoric tensor S (compression positive):
// S = [[x0, x2, x3], [x2, x1, x4], [x3, x4, -x0 - x1]].
Vec3 tensor_times(const Vec5& x, const Vec3& n) {
    return {x[0] * n[0] + x[2] * n[1] + x[3] * n[2], x[2] * n[0] + x[1] * n[1] + x[4] * n[2],
            x[3] * n[0] + x[4] * n[1] - (x[0] + x[1]) * n[2]};
}

Vec3 shear(const Vec3& t, const Vec3& n) {
    const double normal = dot(t, n);
    return {t[0] - normal * n[0], t[1] - normal * n[1], t[2] - normal * n[2]};
}

// The plane of an alternative; none when its slip has no part within the plane.
std::optional<TPlane> plane_of(const TSlipData& sd) {
    TPlane p;
    p.n = {sd.n.x, sd.n.y, sd.n.z};
    const double n_length = std::sqrt(dot(p.n, p.n));
    if (!(n_length > 0))
        return std::nullopt;
    for (double& c : p.n)
        c /= n_length;
    const Vec3 v = shear({sd.v.x, sd.v.y, sd.v.z}, p.n);
    const double v_length = std::sqrt(dot(v, v));
    if (!(v_length > 1e-6))
        return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i)
        p.v[i] = v[i] / v_length;
    // Column k of A is the shear traction of the k-th unit tensor; the slip is along minus the
    // shear traction (compression positive), with the same magnitude on every plane.
    std::array<Vec3, 5> a;
    for (std::size_t k = 0; k < 5; ++k) {
        Vec5 unit{};
        unit[k] = 1;
        a[k] = shear(tensor_times(unit, p.n), p.n);
    }
    for (std::size_t i = 0; i < 5; ++i) {
        for (std::size_t j = 0; j < 5; ++j)
            p.g[i][j] = dot(a[i], a[j]);
        p.h[i] = -dot(a[i], p.v);
    }
    return p;
}

// Cosine of the misfit of a plane under S: larger is better; 0 without shear traction.
double fit(const Vec5& x, const TPlane& p) {
    const Vec3 tau = shear(tensor_times(x, p.n), p.n);
    const double length = std::sqrt(dot(tau, tau));
    return length > 0 ? -dot(p.v, tau) / length : 0;
}

struct TNormalEquations {
    Mat5 g{};
    Vec5 h{};

    void add(const TPlane& p) {
        for (std::size_t i = 0; i < 5; ++i) {
            for (std::size_t j = 0; j < 5; ++j)
                g[i][j] += p.g[i][j];
            h[i] += p.h[i];
        }
    }

    // Cholesky; none when a pivot shows the data do not determine all five components.
    std::optional<Vec5> solve() const {
        double largest = 0;
        for (std::size_t i = 0; i < 5; ++i)
            largest = std::max(largest, g[i][i]);
        if (!(largest > 0))
            return std::nullopt;
        Mat5 l{};
        for (std::size_t j = 0; j < 5; ++j) {
            double d = g[j][j];
            for (std::size_t k = 0; k < j; ++k)
                d -= l[j][k] * l[j][k];
            if (!(d > 1e-10 * largest))
                return std::nullopt;
            l[j][j] = std::sqrt(d);
            for (std::size_t i = j + 1; i < 5; ++i) {
                double s = g[i][j];
                for (std::size_t k = 0; k < j; ++k)
                    s -= l[i][k] * l[j][k];
                l[i][j] = s / l[j][j];
            }
        }
        Vec5 y{}, x{};
        for (std::size_t i = 0; i < 5; ++i) {
            double s = h[i];
            for (std::size_t k = 0; k < i; ++k)
                s -= l[i][k] * y[k];
            y[i] = s / l[i][i];
        }
        for (std::size_t i = 5; i-- > 0;) {
            double s = y[i];
            for (std::size_t k = i + 1; k < 5; ++k)
                s -= l[k][i] * x[k];
            x[i] = s / l[i][i];
        }
        return x;
    }
};

// The principal axes of a solution: sigma1 the greatest compression.
struct TPrincipal {
    TAxisOrientation sigma1;
    TAxisOrientation sigma3;
    double ratio = 0;
};

std::optional<TPrincipal> principal(const Vec5& x) {
    const Tmatrix33d s = {{{x[0], x[2], x[3]}, {x[2], x[1], x[4]}, {x[3], x[4], -x[0] - x[1]}}};
    const TEigen3 e = eigen3(s);
    const double spread = e.values[0] - e.values[2];
    const double size = std::max(std::abs(e.values[0]), std::abs(e.values[2]));
    if (!(spread > 1e-12 * size))
        return std::nullopt;
    const auto column = [&e](std::size_t k) {
        return Vec3{e.vectors[0][k], e.vectors[1][k], e.vectors[2][k]};
    };
    TPrincipal p;
    p.sigma1 = axis_orientation(column(0));
    p.sigma3 = axis_orientation(column(2));
    p.ratio = std::clamp((e.values[1] - e.values[2]) / spread, 0.0, 1.0);
    return p;
}

TInversionCandidate candidate_of(const TPrincipal& p) {
    TInversionCandidate c;
    c.sigma1 = whole_degree_orientation(p.sigma1.azimuth, p.sigma1.plunge);
    c.sigma3 = whole_degree_orientation(p.sigma3.azimuth, p.sigma3.plunge);
    c.ratio = float(p.ratio);
    c.fitness = 1;
    return c;
}

double tenths(double degrees) {
    const double t = std::nearbyint(degrees * 10) / 10;
    return t >= 360 ? t - 360 : t;
}

// The used data: Ful planes, and both nodal planes of each Mec datum.
struct TUsedData {
    std::vector<TPlane> ful;
    std::vector<std::array<TPlane, 2>> mec;
    int not_used = 0;
};

TUsedData used_data(const TFaultDataSet& data) {
    TUsedData used;
    for (const TFaultData& fd : data.FDList) {
        bool taken = false;
        if (!fd.SDList.empty() && usable_sense(fd.SDList[0].sense)) {
            if (fd.datatype == TDataType::Ful) {
                if (auto p = plane_of(fd.SDList[0])) {
                    used.ful.push_back(*p);
                    taken = true;
                }
            } else if (fd.datatype == TDataType::Mec && fd.SDList.size() >= 2) {
                auto first = plane_of(fd.SDList[0]), second = plane_of(fd.SDList[1]);
                if (first && second) {
                    used.mec.push_back({*first, *second});
                    taken = true;
                }
            }
        }
        used.not_used += taken ? 0 : 1;
    }
    return used;
}

// A selection of the used data (all of them, or a resample): indices into ful and mec, each
// Mec datum with its chosen nodal plane.
struct TSelection {
    std::vector<std::size_t> ful;
    std::vector<std::size_t> mec;
    std::vector<int> choice; // per entry of mec: 0 or 1
};

struct TSolved {
    Vec5 x{};
    int rounds = 0;
    bool stable = true;
};

// choose_representative's rule: the second plane unless the first fits strictly better.
int better_plane(const Vec5& x, const std::array<TPlane, 2>& planes) {
    return fit(x, planes[0]) > fit(x, planes[1]) ? 0 : 1;
}

std::optional<Vec5> solve_selection(const TUsedData& used, const TSelection& s) {
    TNormalEquations eq;
    for (std::size_t i : s.ful)
        eq.add(used.ful[i]);
    for (std::size_t k = 0; k < s.mec.size(); ++k)
        eq.add(used.mec[s.mec[k]][std::size_t(s.choice[k])]);
    return eq.solve();
}

// Solves, then chooses the nodal planes again until the choice holds (at most 20 rounds).
std::optional<TSolved> solve_iterated(const TUsedData& used, TSelection& s) {
    TSolved out;
    for (out.rounds = 1;; ++out.rounds) {
        const std::optional<Vec5> x = solve_selection(used, s);
        if (!x)
            return std::nullopt;
        out.x = *x;
        bool changed = false;
        for (std::size_t k = 0; k < s.mec.size(); ++k) {
            const int c = better_plane(out.x, used.mec[s.mec[k]]);
            changed |= c != s.choice[k];
            s.choice[k] = c;
        }
        if (!changed)
            return out;
        if (out.rounds == 20) {
            out.stable = false;
            return out;
        }
    }
}

// A uniform index below n from the raw 32-bit output of the engine, by rejection, so that the
// draws are the same with every standard library.
std::size_t draw_index(std::mt19937& engine, std::size_t n) {
    const std::uint64_t range = std::uint64_t(1) << 32;
    const std::uint64_t limit = range - range % n;
    for (;;) {
        const std::uint64_t r = std::uint64_t(engine()) & 0xffffffffu;
        if (r < limit)
            return std::size_t(r % n);
    }
}

TLinearResult failure(TLinearResult result, TLinearStatus status, const QString& message) {
    result.status = status;
    result.message = message;
    result.candidates.clear();
    return result;
}

const QString cancelled_message = QStringLiteral("The inversion was cancelled.");
const QString degenerate_message =
    QStringLiteral("The fault data do not determine a stress tensor: their planes are too "
                   "nearly parallel or too few kinds of them.");

} // namespace

QString linear_solution_text(const TLinearSolution& s) {
    const auto angle = [](double v) { return format_float(QStringLiteral("0.0"), v); };
    return QStringLiteral("sigma1 = %1/%2, sigma3 = %3/%4, stress ratio = %5")
        .arg(angle(s.sigma1_azimuth), angle(s.sigma1_plunge), angle(s.sigma3_azimuth),
             angle(s.sigma3_plunge), format_float(QStringLiteral("0.000"), s.ratio));
}

int linear_usable_data(const TFaultDataSet& data) {
    const TUsedData used = used_data(data);
    return int(used.ful.size() + used.mec.size());
}

TLinearResult linear_inversion(const TFaultDataSet& data, const TLinearSettings& settings,
                               const TInversionControl& control) {
    const TUsedData used = used_data(data);
    TLinearResult result;
    result.used_ful = int(used.ful.size());
    result.used_mec = int(used.mec.size());
    result.not_used = used.not_used;
    const std::size_t count = used.ful.size() + used.mec.size();
    if (const QString m = check_data_count(int(count)); !m.isEmpty())
        return failure(result, TLinearStatus::TooFewData, m);

    TSelection all;
    for (std::size_t i = 0; i < used.ful.size(); ++i)
        all.ful.push_back(i);
    for (std::size_t k = 0; k < used.mec.size(); ++k)
        all.mec.push_back(k);
    all.choice.assign(used.mec.size(), 0);
    if (!used.mec.empty() && used.ful.size() >= 4) {
        TSelection ful_only{all.ful, {}, {}};
        if (const std::optional<Vec5> x = solve_selection(used, ful_only))
            for (std::size_t k = 0; k < used.mec.size(); ++k)
                all.choice[k] = better_plane(*x, used.mec[k]);
    }
    const std::optional<TSolved> solved = solve_iterated(used, all);
    const std::optional<TPrincipal> p = solved ? principal(solved->x) : std::nullopt;
    if (!p)
        return failure(result, TLinearStatus::Degenerate, degenerate_message);
    result.nodal_rounds = solved->rounds;
    result.nodal_choice_stable = solved->stable;
    result.solution = {tenths(p->sigma1.azimuth), tenths(p->sigma1.plunge),
                       tenths(p->sigma3.azimuth), tenths(p->sigma3.plunge),
                       std::nearbyint(p->ratio * 1000) / 1000};
    result.candidates.reserve(std::size_t(settings.resamples) + 1);
    result.candidates.push_back(candidate_of(*p));

    std::mt19937 engine(settings.seed);
    TSelection resample;
    double reported = 0;
    for (int b = 0; b < settings.resamples; ++b) {
        if (control.cancelled())
            return failure(result, TLinearStatus::Cancelled, cancelled_message);
        resample.ful.clear();
        resample.mec.clear();
        resample.choice.clear();
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t k = draw_index(engine, count);
            if (k < used.ful.size()) {
                resample.ful.push_back(k);
            } else {
                resample.mec.push_back(k - used.ful.size());
                resample.choice.push_back(all.choice[k - used.ful.size()]);
            }
        }
        const std::optional<TSolved> r = solve_iterated(used, resample);
        const std::optional<TPrincipal> rp = r ? principal(r->x) : std::nullopt;
        if (rp)
            result.candidates.push_back(candidate_of(*rp));
        else
            ++result.degenerate_resamples;
        const double fraction = double(b + 1) / settings.resamples;
        if (control.progress && (fraction >= reported + 0.01 || b + 1 == settings.resamples)) {
            reported = fraction;
            control.progress(fraction);
        }
    }
    result.status = TLinearStatus::Solved;
    return result;
}
