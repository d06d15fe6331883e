#include "stress/compatibility.h"

#include "faults/fd_reader.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TFaultData datum(const QString& line) {
    TFDLineContext context;
    return read_fault_datum_line(line, 1, context).value();
}

// sigma1 horizontal east-west, sigma3 vertical: a thrust regime.
const TStressTensor thrust = stress_tensor_from_axes({90, 0}, {0, 90}, 0.5f);

TEST(Compatibility, WorkedThrustExample) {
    TFaultDataSet data, theoretical;
    data.FDList.push_back(datum("F 90 45 90 45 R"));
    calc_theoretical_slip_and_misfit(data, theoretical, thrust, TMifitMeasure::SlipDir);
    const TSlipData& sd = data.FDList[0].SDList[0];
    // Up-dip toward 270, rising at 45 degrees.
    EXPECT_NEAR(sd.v_theo.x, -0.7071, 1e-4);
    EXPECT_NEAR(sd.v_theo.z, 0.7071, 1e-4);
    EXPECT_NEAR(sd.Lazpl_theo.az, 90, 1e-3);
    EXPECT_NEAR(sd.Lazpl_theo.pl, 45, 1e-3);
    EXPECT_NEAR(sd.normal_stress, 0.5, 1e-5);
    EXPECT_NEAR(sd.shear_stress, 0.5, 1e-5);
    EXPECT_NEAR(sd.misfit_angle, 0, 0.05);
    EXPECT_NEAR(sd.d_to_Fry_arc, 0, 0.05);
    ASSERT_EQ(theoretical.count(), 1);
    EXPECT_EQ(theoretical.FDList[0].datatype, TDataType::Ful);
    EXPECT_EQ(theoretical.FDList[0].SDList[0].sense, TSense::R);
    EXPECT_EQ(theoretical.FDList[0].SDList[0].Pazpl, make_azpl(90, 45));
}

TEST(Compatibility, OppositeSlipIsFarFromTheFryArc) {
    TFaultDataSet data, theoretical;
    data.FDList.push_back(datum("F 90 45 90 45 N"));
    calc_theoretical_slip_and_misfit(data, theoretical, thrust, TMifitMeasure::DistFry);
    const TSlipData& sd = data.FDList[0].SDList[0];
    EXPECT_NEAR(sd.misfit_angle, 180, 0.05);
    const float p = dot_product5(sd.ee, thrust.ss);
    EXPECT_NEAR(sd.d_to_Fry_arc, std::asin(std::sqrt(std::abs(p))) * rad_to_deg, 0.01);
    EXPECT_GT(sd.d_to_Fry_arc, 0);
    EXPECT_EQ(data.FDList[0].rep_misfit, sd.d_to_Fry_arc);
}

TEST(Compatibility, LineationFoldsOnlyUnderSlipDirection) {
    TFaultDataSet data, theoretical;
    // A lineation 150 degrees from the predicted up-dip slip: 30 degrees the other way.
    data.FDList.push_back(datum("L 90 45 90 45 U"));
    TSlipData& sd = data.FDList[0].SDList[0];
    const Tvector3 up_dip = negate3(sd.v), across = cross_product3(sd.n, up_dip);
    const double a = 150 * deg_to_rad;
    sd.v = add3(scale3(float(std::cos(a)), up_dip), scale3(float(std::sin(a)), across));
    sd.b = cross_product3(sd.n, sd.v);
    sd.ee = dyad_to_vector5(sd.v, sd.n);
    sd.ep = dyad_to_vector5(sd.b, sd.n);
    calc_theoretical_slip_and_misfit(data, theoretical, thrust, TMifitMeasure::SlipDir);
    EXPECT_NEAR(sd.misfit_angle, 30, 0.05);
    EXPECT_NEAR(data.FDList[0].rep_misfit, 30, 0.05);
    calc_theoretical_slip_and_misfit(data, theoretical, thrust, TMifitMeasure::DistFry);
    EXPECT_NEAR(sd.misfit_angle, 150, 0.05);
    EXPECT_EQ(data.FDList[0].rep_misfit, sd.d_to_Fry_arc);
}

TEST(Compatibility, RepresentativeByKind) {
    TFaultData mec;
    mec.datatype = TDataType::Mec;
    mec.SDList.resize(2);
    mec.SDList[0].misfit_angle = mec.SDList[1].misfit_angle = 12;
    choose_representative(mec, TMifitMeasure::SlipDir);
    EXPECT_EQ(mec.rep_isd, 1); // a tie goes to the second nodal plane
    mec.SDList[1].d_to_Fry_arc = 3;
    mec.SDList[0].d_to_Fry_arc = 2;
    choose_representative(mec, TMifitMeasure::DistFry);
    EXPECT_EQ(mec.rep_isd, 0);
    EXPECT_EQ(mec.rep_misfit, 2);

    TFaultData sen;
    sen.datatype = TDataType::Sen;
    sen.SDList.resize(3);
    const float misfits[] = {20, 95, 130}, distances[] = {0, 12.5f, 12.5f};
    for (int i = 0; i < 3; ++i) {
        sen.SDList[i].misfit_angle = misfits[i];
        sen.SDList[i].d_to_Fry_arc = distances[i];
    }
    choose_representative(sen, TMifitMeasure::SlipDir);
    EXPECT_EQ(sen.rep_isd, 0);
    EXPECT_EQ(sen.rep_misfit, 180);
    choose_representative(sen, TMifitMeasure::DistFry);
    EXPECT_EQ(sen.rep_isd, 1);
    EXPECT_EQ(sen.rep_misfit, 12.5f);
    for (TSlipData& sd : sen.SDList)
        sd.d_to_Fry_arc = sd.misfit_angle = 0;
    choose_representative(sen, TMifitMeasure::SlipDir);
    EXPECT_EQ(sen.rep_misfit, 0);
    choose_representative(sen, TMifitMeasure::DistFry);
    EXPECT_EQ(sen.rep_isd, 0);
    EXPECT_EQ(sen.rep_misfit, 0);
}

TEST(Compatibility, DegeneratePlanesStayFinite) {
    TFaultDataSet data, theoretical;
    // Normal along sigma1 (no shear traction) and along sigma3 (no traction at all).
    data.FDList.push_back(datum("F 270 90 0 0 N"));
    data.FDList.push_back(datum("F 0 0 90 0 N"));
    data.FDList.push_back(datum("S 90 45 90 45 R & 0 0 S"));
    calc_theoretical_slip_and_misfit(data, theoretical, thrust, TMifitMeasure::SlipDir);
    for (const TFaultData& fd : data.FDList) {
        EXPECT_TRUE(std::isfinite(fd.rep_misfit));
        for (const TSlipData& sd : fd.SDList) {
            EXPECT_TRUE(std::isfinite(sd.misfit_angle));
            EXPECT_TRUE(std::isfinite(sd.normal_stress));
            EXPECT_TRUE(std::isfinite(sd.shear_stress));
            EXPECT_TRUE(std::isfinite(sd.d_to_Fry_arc));
            EXPECT_TRUE(std::isfinite(sd.Lazpl_theo.az) && std::isfinite(sd.Lazpl_theo.pl));
        }
    }
    EXPECT_NEAR(data.FDList[0].SDList[0].normal_stress, 1, 1e-5);
    EXPECT_NEAR(data.FDList[0].SDList[0].shear_stress, 0, 1e-5);
    EXPECT_EQ(theoretical.count(), 3);

    TFaultDataSet empty;
    calc_theoretical_slip_and_misfit(empty, theoretical, thrust, TMifitMeasure::SlipDir);
    EXPECT_EQ(theoretical.count(), 0);
}

TEST(Compatibility, ModelSense) {
    EXPECT_EQ(model_sense_from_vectors({0, 0, 1}, {0, 0, 0}, {0, 0, 1}), TSense::R);
    EXPECT_EQ(model_sense_from_vectors({0, 0, 1}, {0, 0, 0}, {1, 0, 0}), TSense::N); // z = 0 turns
    EXPECT_EQ(model_sense_from_vectors({1, 0, 0}, {0, 0, 1}, {0, 0, 1}), TSense::S);
    EXPECT_EQ(model_sense_from_vectors({1, 0, 0}, {0, 0, -1}, {0, 0, 1}), TSense::D);
    EXPECT_EQ(model_sense_from_vectors({1, 0, 0}, {0, 0, 0}, {0, 0, 1}), TSense::H);
}

} // namespace
