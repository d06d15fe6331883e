#include "stress/kinematic_axes.h"

#include "stress/inversion_common.h"

#include <cmath>

namespace {

using TVec = std::array<double, 3>;

TVec to_double(const Tvector3& v) {
    return {v.x, v.y, v.z};
}

double dot(const TVec& a, const TVec& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

double length(const TVec& a) {
    return std::sqrt(dot(a, a));
}

TVec scaled(const TVec& a, double k) {
    return {a[0] * k, a[1] * k, a[2] * k};
}

TVec combined(const TVec& a, double k, const TVec& b) {
    return {a[0] + k * b[0], a[1] + k * b[1], a[2] + k * b[2]};
}

TVec cross(const TVec& a, const TVec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

bool has_sense(TSense sense) {
    return sense == TSense::N || sense == TSense::R || sense == TSense::S || sense == TSense::D;
}

// A slip this close to the normal has no direction in the plane worth the name.
constexpr double shortest_slip_in_plane = 1e-6;

void set_axis(const TVec& v, Tvector3& unit, Tazpl& orientation) {
    TVec u = scaled(v, 1 / length(v));
    if (u[2] > 0)
        u = scaled(u, -1);
    unit = make_vector3(float(u[0]), float(u[1]), float(u[2]));
    const TAxisOrientation o = axis_orientation(u);
    orientation = make_azpl(float(o.azimuth), float(o.plunge));
}

} // namespace

std::optional<TKinematicSlip> kinematic_slip(const TFaultData& fd) {
    if (fd.SDList.empty() || (fd.datatype != TDataType::Ful && fd.datatype != TDataType::Mec))
        return std::nullopt;
    const TSlipData& sd = fd.SDList.front();
    if (!has_sense(sd.sense))
        return std::nullopt;
    const TVec n0 = to_double(sd.n);
    const double n_length = length(n0);
    if (!(n_length > 0))
        return std::nullopt;
    const TVec n = scaled(n0, 1 / n_length);
    // A measured lineation misses its plane by a degree or two; on the plane, P and T stay at
    // right angles and the dihedra are bounded by two perpendicular planes.
    const TVec v = to_double(sd.v);
    const TVec in_plane = combined(v, -dot(v, n), n);
    const double s_length = length(in_plane);
    if (!(s_length > shortest_slip_in_plane))
        return std::nullopt;
    return TKinematicSlip{n, scaled(in_plane, 1 / s_length)};
}

TKinematicAxes kinematic_axes(const TKinematicSlip& slip) {
    TKinematicAxes axes;
    set_axis(combined(slip.n, 1, slip.s), axes.t, axes.T);
    set_axis(combined(slip.n, -1, slip.s), axes.p, axes.P);
    set_axis(cross(slip.n, slip.s), axes.b, axes.B);
    return axes;
}

TKinematicAxesSet kinematic_axes_of_set(const TFaultDataSet& set) {
    TKinematicAxesSet out;
    for (int i = 0; i < set.count(); ++i) {
        const TFaultData& fd = set.FDList[std::size_t(i)];
        if (const auto slip = kinematic_slip(fd))
            out.data.push_back({i, fd.datatype, kinematic_axes(*slip)});
        else
            ++out.without_axes;
    }
    return out;
}

std::vector<TKinematicSlip> kinematic_slips_of_set(const TFaultDataSet& set) {
    std::vector<TKinematicSlip> slips;
    for (const TFaultData& fd : set.FDList)
        if (const auto slip = kinematic_slip(fd))
            slips.push_back(*slip);
    return slips;
}

QString missing_axes_message(int without_axes) {
    if (without_axes <= 0)
        return {};
    if (without_axes == 1)
        return QStringLiteral("1 datum has no slip sense to give kinematic axes "
                              "(L and S data, senses H and U): it is left out.");
    return QStringLiteral("%1 data have no slip sense to give kinematic axes "
                          "(L and S data, senses H and U): they are left out.")
        .arg(without_axes);
}

void report_missing_axes(const TKinematicAxesSet& axes, Messages& messages) {
    const QString text = missing_axes_message(axes.without_axes);
    if (!text.isEmpty())
        messages.note(text);
}
