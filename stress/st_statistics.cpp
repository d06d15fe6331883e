#include "stress/st_statistics.h"

#include "core/eigen.h"
#include "core/number_text.h"
#include "core/parallel.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <utility>

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

QString orientation_text(const Tazpl& a, QChar point) {
    return format_float(QStringLiteral("000"), a.az, point) + u'/' +
           format_float(QStringLiteral("00"), a.pl, point);
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

TStressStatistics stress_statistics(const std::vector<TStressTensor>& STSet) {
    const Tvector5 sum = weighted_sum(STSet);
    TStressStatistics statistics;
    statistics.R = norm5(sum);

    const Tvector5 m = normalize5(sum);
    const TPrincipalAxes mean = principal_axes(vector5_to_matrix33(m));
    // A zero sum (no weights, or states that cancel) has no mean state to show or to measure
    // angles from.
    if (statistics.R > 0 && mean.ratio_defined) {
        statistics.mean = TStressStatistics::Mean{mean.greatest, mean.least, mean.ratio};
        statistics.mean_angle = static_cast<float>(angle_sum(STSet, m) * rad_to_deg);
    }
    if (const std::optional<double> angle = confidence_angle(statistics.R))
        statistics.confidence_angle = static_cast<float>(*angle);
    return statistics;
}

QStringList stress_statistics_lines(const std::vector<TStressTensor>& STSet) {
    return stress_statistics_lines(stress_statistics(STSet), locale_decimal_point());
}

QStringList stress_statistics_lines(const TStressStatistics& statistics, QChar point) {
    QStringList lines;
    if (const auto& mean = statistics.mean)
        lines << QStringLiteral("mean stress: ") + orientation_text(mean->sigma1, point) + u' ' +
                     orientation_text(mean->sigma3, point) + u' ' +
                     format_float(QStringLiteral("0.0000"), mean->ratio, point);
    else
        lines << QStringLiteral("mean stress: undefined");
    lines << QStringLiteral("mean sigma-vector length (R) = ") +
                 format_float(QStringLiteral("0.0000"), statistics.R, point);
    const std::optional<float>& angle = statistics.confidence_angle;
    lines << QStringLiteral("59% conf (2 stdev by Theta) = ") +
                 (angle ? format_float(QStringLiteral("##0.00"), *angle, point) +
                              QStringLiteral(" deg")
                        : QStringLiteral("too large dispersion"));
    lines << QStringLiteral("mean Theta to mean = ") +
                 (statistics.mean_angle
                      ? format_float(QStringLiteral("##0.00"), *statistics.mean_angle, point)
                      : QStringLiteral("undefined"));
    return lines;
}

QByteArray stress_statistics_json(const TStressStatistics& statistics) {
    const auto number = [](std::optional<float> value) {
        const QByteArray text = value ? shortest_float_text(*value) : QByteArray();
        return text.isEmpty() ? QByteArray("null") : text;
    };
    const std::optional<TStressStatistics::Mean>& mean = statistics.mean;
    const auto of_mean = [&](auto figure) {
        return number(mean ? std::optional<float>(figure(*mean)) : std::nullopt);
    };
    using Mean = TStressStatistics::Mean;
    const std::pair<const char*, QByteArray> fields[] = {
        {"mean_sigma1_trend", of_mean([](const Mean& m) { return m.sigma1.az; })},
        {"mean_sigma1_plunge", of_mean([](const Mean& m) { return m.sigma1.pl; })},
        {"mean_sigma3_trend", of_mean([](const Mean& m) { return m.sigma3.az; })},
        {"mean_sigma3_plunge", of_mean([](const Mean& m) { return m.sigma3.pl; })},
        {"mean_stress_ratio", of_mean([](const Mean& m) { return m.ratio; })},
        {"mean_vector_length", number(statistics.R)},
        {"confidence_angle", number(statistics.confidence_angle)},
        {"mean_angle_to_mean", number(statistics.mean_angle)},
    };
    QByteArray out = "{";
    for (const auto& [key, value] : fields) {
        if (out.size() > 1)
            out += ", ";
        out += '"' + QByteArray(key) + "\": " + value;
    }
    return out + '}';
}
