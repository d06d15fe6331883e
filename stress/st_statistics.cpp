#include "stress/st_statistics.h"

#include "core/eigen.h"
#include "core/number_text.h"
#include "core/parallel.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

namespace {

// Twice the angle whose chord on the unit sphere is the angular spread of a five-dimensional
// von Mises-Fisher distribution of mean length R; nothing when the spread exceeds the diameter.
std::optional<double> confidence_angle(float R) {
    // R = 1 (one state, or states that coincide) has infinite concentration and no spread;
    // rounding may put R a hair above 1, where 1 - R^2 turns negative.
    if (!(R < 1))
        return 0.0;
    const double r = R;
    const float kappa = static_cast<float>(r * (5 - r * r) / (1 - r * r));
    if (!(kappa > 0))
        return std::nullopt; // R = 0: no concentration at all
    const float s = static_cast<float>(1 / std::sqrt(double(kappa)));
    if (s > 2)
        return std::nullopt;
    const float theta = static_cast<float>(2 * std::asin(s / 2.0) * rad_to_deg);
    return 2.0 * theta;
}

QString orientation_text(const Tazpl& a) {
    return format_float(QStringLiteral("000"), a.az) + u'/' +
           format_float(QStringLiteral("00"), a.pl);
}

// add5(sum, scale5(Ln, ss)) over the states in their order, which the rounding depends on.
Tvector5 weighted_sum(const std::vector<TStressTensor>& STSet) {
    Tvector5 sum;
    for (const TStressTensor& st : STSet)
        for (size_t i = 0; i < 5; ++i)
            sum.x[i] = float(double(sum.x[i]) + float(double(st.Ln) * st.ss.x[i]));
    return sum;
}

// The weighted angle of each state to the mean direction m, in radians.
void weighted_angles(std::span<const TStressTensor> states, const Tvector5& m, double* out) {
    for (const TStressTensor& st : states) {
        // A state on the mean may round to a dot product just above 1.
        const float d = std::clamp(dot_product5(st.ss, m), -1.0f, 1.0f);
        *out++ = std::acos(double(d)) * st.Ln;
    }
}

// Below this many states, a second thread is not worth starting.
constexpr size_t fewest_states_for_two_threads = 20000;

// The sum of the weighted angles in the order of the states; the angles of a large set are
// worked out on two threads.
float angle_sum(const std::vector<TStressTensor>& STSet, const Tvector5& m) {
    const size_t n = STSet.size();
    std::vector<double> angles(n);
    const std::span<const TStressTensor> all(STSet);
    if (n < fewest_states_for_two_threads) {
        weighted_angles(all, m, angles.data());
    } else {
        const size_t half = n / 2;
        run_both([&] { weighted_angles(all.first(half), m, angles.data()); },
                 [&] { weighted_angles(all.subspan(half), m, angles.data() + half); });
    }
    float A = 0;
    for (const double angle : angles)
        A = static_cast<float>(A + angle);
    return A;
}

} // namespace

QStringList stress_statistics_lines(const std::vector<TStressTensor>& STSet) {
    const Tvector5 sum = weighted_sum(STSet);
    const float R = norm5(sum);

    const Tvector5 m = normalize5(sum);
    const TPrincipalAxes mean = principal_axes(vector5_to_matrix33(m));
    // A zero sum (no weights, or states that cancel) has no mean state to show or to measure
    // angles from.
    const bool mean_defined = R > 0 && mean.ratio_defined;

    const float A = static_cast<float>(angle_sum(STSet, m) * rad_to_deg);

    QStringList lines;
    if (mean_defined)
        lines << QStringLiteral("mean stress: ") + orientation_text(mean.greatest) + u' ' +
                     orientation_text(mean.least) + u' ' +
                     format_float(QStringLiteral("0.0000"), mean.ratio);
    else
        lines << QStringLiteral("mean stress: undefined");
    lines << QStringLiteral("mean sigma-vector length (R) = ") +
                 format_float(QStringLiteral("0.0000"), R);
    const std::optional<double> angle = confidence_angle(R);
    lines << QStringLiteral("59% conf (2 stdev by Theta) = ") +
                 (angle ? format_float(QStringLiteral("##0.00"), *angle) + QStringLiteral(" deg")
                        : QStringLiteral("too large dispersion"));
    lines << QStringLiteral("mean Theta to mean = ") +
                 (mean_defined ? format_float(QStringLiteral("##0.00"), A)
                               : QStringLiteral("undefined"));
    return lines;
}
