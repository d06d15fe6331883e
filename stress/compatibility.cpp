#include "stress/compatibility.h"

#include <algorithm>
#include <cmath>

namespace {

double squared_length(const Tvector3& v) {
    return double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z;
}

// The squared Frobenius norm, the size of a tensor against which a traction counts as none.
double squared_size(const Tmatrix33& m) {
    double sum = 0;
    for (const auto& row : m.m)
        for (float x : row)
            sum += double(x) * x;
    return sum;
}

// theoretical_slip with the tensor's size computed once for many planes.
TTheoreticalSlip slip_on_plane(const Tmatrix33& sg, double sg_squared_size, const Tvector3& n) {
    TTheoreticalSlip slip;
    slip.traction = matrix_vector3(sg, n);
    slip.shear = project_onto_plane3(slip.traction, n);
    // On a principal plane of axes given in degrees the shear traction is rounding noise, which
    // normalize3 would blow up into a slip in any direction: shear below a millionth of the
    // traction is none. So is all traction below a millionth of the tensor's size, as on the
    // plane normal to a sigma3 of zero, where traction and shear are noise alike.
    constexpr double tolerance = 1e-6, squared_tolerance = tolerance * tolerance;
    const double t2 = squared_length(slip.traction), s2 = squared_length(slip.shear);
    if (s2 < squared_tolerance * t2 || t2 < squared_tolerance * sg_squared_size)
        slip.shear = Tvector3{};
    // normalize3 leaves a zero shear traction at zero: such a plane has no theoretical slip.
    slip.v_theo = negate3(normalize3(slip.shear));
    return slip;
}

// arccos of a dot product of unit vectors that rounding may have pushed just beyond +-1.
float angle_degrees(float dot) {
    return float(std::acos(std::clamp(double(dot), -1.0, 1.0)) * rad_to_deg);
}

void analyse_alternative(TSlipData& sd, const Tmatrix33& sg, double sg_squared_size) {
    const TTheoreticalSlip slip = slip_on_plane(sg, sg_squared_size, sd.n);
    sd.v_theo = slip.v_theo;
    sd.Lazpl_theo = vector3_to_azpl_lower(sd.v_theo);
    sd.misfit_angle = angle_degrees(dot_product3(sd.v, sd.v_theo));
    sd.shear_stress = norm3(slip.shear);
    // The normal traction: never negative, also when rounding makes the difference so.
    const float t2 = squared_norm3(slip.traction), s2 = squared_norm3(slip.shear);
    sd.normal_stress = float(std::sqrt(std::max(0.0, double(t2) - double(s2))));
}

void distance_to_fry_arc(TFaultData& fd, const Tvector5& ss) {
    switch (fd.datatype) {
    case TDataType::Ful:
    case TDataType::Mec: {
        const size_t planes = fd.datatype == TDataType::Ful ? 1 : 2;
        for (size_t i = 0; i < std::min(fd.SDList.size(), planes); ++i)
            fd.SDList[i].d_to_Fry_arc = angle_to_fry_arc(ss, fd.SDList[i].ee, fd.SDList[i].ep);
        break;
    }
    case TDataType::Lin:
        fd.SDList[0].d_to_Fry_arc = angle_to_hyperplane5(ss, fd.SDList[0].ep);
        break;
    case TDataType::Sen:
        for (TSlipData& sd : fd.SDList)
            sd.d_to_Fry_arc = angle_to_halfspace5(ss, sd.ee);
        break;
    }
}

} // namespace

void choose_representative(TFaultData& fd, TMifitMeasure measure) {
    const bool slip_dir = measure == TMifitMeasure::SlipDir;
    auto misfit = [&](const TSlipData& sd) { return slip_dir ? sd.misfit_angle : sd.d_to_Fry_arc; };
    fd.rep_isd = 0;
    switch (fd.datatype) {
    case TDataType::Ful:
        fd.rep_misfit = misfit(fd.SDList[0]);
        break;
    case TDataType::Mec:
        // The smaller misfit; on a tie the second nodal plane.
        if (fd.SDList.size() > 1 && misfit(fd.SDList[0]) >= misfit(fd.SDList[1]))
            fd.rep_isd = 1;
        fd.rep_misfit = misfit(fd.SDList[size_t(fd.rep_isd)]);
        break;
    case TDataType::Lin:
        // A lineation without sense fits either way along itself.
        if (slip_dir && fd.SDList[0].misfit_angle > 90)
            fd.SDList[0].misfit_angle = 180 - fd.SDList[0].misfit_angle;
        fd.rep_misfit = misfit(fd.SDList[0]);
        break;
    case TDataType::Sen:
        fd.rep_misfit = 0;
        if (slip_dir) {
            for (const TSlipData& sd : fd.SDList)
                if (sd.misfit_angle > 90) {
                    fd.rep_misfit = 180;
                    break;
                }
        } else {
            for (size_t i = 0; i < fd.SDList.size(); ++i)
                if (fd.SDList[i].d_to_Fry_arc > fd.rep_misfit) {
                    fd.rep_misfit = fd.SDList[i].d_to_Fry_arc;
                    fd.rep_isd = int(i);
                }
        }
        break;
    }
}

namespace {

TFaultData theoretical_datum(const TSlipData& s) {
    TSlipData t;
    t.v = s.v_theo;
    t.b = cross_product3(s.n, s.v_theo);
    t.n = s.n;
    t.sense = model_sense_from_vectors(t.v, t.b, t.n);
    t.Pazpl = s.Pazpl;
    t.Lazpl = vector3_to_azpl_lower(t.v);
    TFaultData fd;
    fd.datatype = TDataType::Ful;
    fd.SDList.push_back(t);
    return fd;
}

} // namespace

TTheoreticalSlip theoretical_slip(const Tmatrix33& sg, const Tvector3& n) {
    return slip_on_plane(sg, squared_size(sg), n);
}

TSense model_sense_from_vectors(Tvector3 v, Tvector3 b, Tvector3 n) {
    if (!(n.z > 0)) {
        v = negate3(v);
        b = negate3(b);
    }
    if (v.z > 0)
        return TSense::R;
    if (v.z < 0)
        return TSense::N;
    if (b.z > 0)
        return TSense::S;
    if (b.z < 0)
        return TSense::D;
    return TSense::H;
}

void calc_theoretical_slip_and_misfit(TFaultDataSet& data, TFaultDataSet& theoretical,
                                      const TStressTensor& stress, TMifitMeasure measure) {
    const TStressTensor st = stress;
    theoretical.clear_FD();
    theoretical.FDList.reserve(data.FDList.size());
    const double sg_squared_size = squared_size(st.sg);
    for (TFaultData& fd : data.FDList) {
        if (fd.SDList.empty()) {
            theoretical.FDList.emplace_back(); // keeps datum k of both sets together
            continue;
        }
        for (TSlipData& sd : fd.SDList)
            analyse_alternative(sd, st.sg, sg_squared_size);
        distance_to_fry_arc(fd, st.ss);
        choose_representative(fd, measure);
        theoretical.FDList.push_back(theoretical_datum(fd.SDList[size_t(fd.rep_isd)]));
    }
}
