#include "stress/inversion_common.h"

#include <algorithm>
#include <cmath>

namespace {

// As the CGP reader rounds what it reads: to single first, then to the nearest whole number
// in the default rounding mode, which sends halves to the even neighbour.
float whole_degrees(double value) {
    return std::nearbyint(static_cast<float>(value));
}

bool in_range(double value, double low, double high) {
    return value >= low && value <= high; // false for NaN
}

QString number(double value) {
    return QString::number(value, 'g', 6);
}

} // namespace

Tazpl whole_degree_orientation(double azimuth, double plunge) {
    float az = whole_degrees(azimuth);
    if (az == 360)
        az = 0;
    return make_azpl(az, whole_degrees(plunge));
}

TAxisOrientation axis_orientation(const std::array<double, 3>& v) {
    double x = v[0], y = v[1], z = v[2];
    if (z > 0) {
        x = -x;
        y = -y;
        z = -z;
    }
    const double length = std::sqrt(x * x + y * y + z * z);
    TAxisOrientation out;
    out.azimuth = std::atan2(x, y) * rad_to_deg;
    if (out.azimuth < 0)
        out.azimuth += 360;
    if (out.azimuth >= 360)
        out.azimuth -= 360;
    out.plunge = std::asin(std::min(1.0, -z / length)) * rad_to_deg;
    return out;
}

TStressTensor candidate_stress_tensor(const TInversionCandidate& candidate, int id) {
    TStressTensor st = stress_tensor_from_axes(candidate.sigma1, candidate.sigma3, candidate.ratio);
    st.L = candidate.fitness;
    st.id = id;
    return st;
}

QString check_data_count(int usable) {
    if (usable >= fewest_inversion_data)
        return {};
    return QStringLiteral("At least %1 fault data with slip are needed to invert (%2 usable).")
        .arg(fewest_inversion_data)
        .arg(usable);
}

QString check_grid_spacing(double degrees) {
    if (in_range(degrees, 1, 30))
        return {};
    return QStringLiteral("The grid spacing must lie between 1 and 30 degrees (it is %1).")
        .arg(number(degrees));
}

QString check_ratio_step(double step) {
    if (in_range(step, 0.01, 0.5))
        return {};
    return QStringLiteral("The stress-ratio step must lie between 0.01 and 0.5 (it is %1).")
        .arg(number(step));
}

QString check_tolerance(double degrees) {
    if (in_range(degrees, 1, 90))
        return {};
    return QStringLiteral("The misfit tolerance must lie between 1 and 90 degrees (it is %1).")
        .arg(number(degrees));
}

QString check_bootstrap_count(long long resamples) {
    if (resamples >= 0 && resamples <= 100000)
        return {};
    return QStringLiteral(
               "The number of bootstrap resamples must lie between 0 and 100000 (it is %1).")
        .arg(resamples);
}

QString no_fitting_candidate_message(double tolerance) {
    return QStringLiteral("No stress state of the grid explains any fault datum within the misfit "
                          "tolerance of %1 degrees.")
        .arg(number(tolerance));
}
