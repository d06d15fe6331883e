#include "stress/st_statistics.h"

#include "core/eigen.h"
#include "core/number_text.h"

#include <algorithm>
#include <cmath>
#include <optional>

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

} // namespace

QStringList stress_statistics_lines(const std::vector<TStressTensor>& STSet) {
    Tvector5 sum;
    for (const TStressTensor& st : STSet)
        sum = add5(sum, scale5(st.Ln, st.ss));
    const float R = norm5(sum);

    const Tvector5 m = normalize5(sum);
    const TPrincipalAxes mean = principal_axes(vector5_to_matrix33(m));
    // A zero sum (no weights, or states that cancel) has no mean state to show or to measure
    // angles from.
    const bool mean_defined = R > 0 && mean.ratio_defined;

    float A = 0;
    for (const TStressTensor& st : STSet) {
        // A state on the mean may round to a dot product just above 1.
        const float d = std::clamp(dot_product5(st.ss, m), -1.0f, 1.0f);
        A = static_cast<float>(A + std::acos(double(d)) * st.Ln);
    }
    A = static_cast<float>(A * rad_to_deg);

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
