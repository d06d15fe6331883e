#include "stress/compatibility.h"

#include "faults/fd_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <vector>

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

// Axes typed in degrees are principal only to single precision: sigma1 typed 0/90 left a shear
// traction of some 1e-8 on a horizontal plane, which became a full slip in any direction (four
// horizontal planes got misfits 0, 90, 135 and 180 and sense R). Every principal plane now gets
// what a plane without shear traction gets, the plane normal to sigma3 (no traction) too.
TEST(Compatibility, PrincipalPlanesOfAxesInDegreesHaveNoSlip) {
    const char* horizontal[] = {"F 0 0 90 0 N", "F 90 0 180 0 N", "F 180 0 270 0 N",
                                "F 270 0 0 0 N", "F 123 0 33 0 R"};
    const struct {
        const char* what;
        TStressTensor st;
        std::vector<const char*> vertical; // normal to the horizontal axes
    } rows[] = {
        {"sigma1 0/90",
         stress_tensor_from_axes({0, 90}, {90, 0}, 0.5f),
         {"F 90 90 0 0 N", "F 0 90 90 0 N", "F 270 90 0 0 N"}},
        {"sigma1 37/90",
         stress_tensor_from_axes({37, 90}, {127, 0}, 0.3f),
         {"F 127 90 37 0 N", "F 37 90 127 0 N", "F 217 90 127 0 N"}},
        {"sigma1 90/0, sigma3 vertical",
         stress_tensor_from_axes({90, 0}, {0, 90}, 0.5f),
         {"F 90 90 0 0 N", "F 0 90 90 0 N", "F 180 90 90 0 N"}},
        {"sigma1 90/0, sigma2 vertical",
         stress_tensor_from_axes({90, 0}, {0, 0}, 0.5f),
         {"F 90 90 0 0 N", "F 0 90 90 0 N", "F 270 90 0 0 N"}},
    };
    for (const auto& row : rows) {
        TFaultDataSet data, theoretical;
        std::vector<const char*> lines(std::begin(horizontal), std::end(horizontal));
        lines.insert(lines.end(), row.vertical.begin(), row.vertical.end());
        for (const char* line : lines)
            data.FDList.push_back(datum(QString::fromLatin1(line)));
        calc_theoretical_slip_and_misfit(data, theoretical, row.st, TMifitMeasure::SlipDir);
        for (size_t i = 0; i < lines.size(); ++i) {
            const TSlipData& sd = data.FDList[i].SDList[0];
            EXPECT_EQ(theoretical_slip(row.st.sg, sd.n).shear, Tvector3{})
                << row.what << ": " << lines[i];
            EXPECT_EQ(sd.v_theo, Tvector3{}) << row.what << ": " << lines[i];
            EXPECT_EQ(sd.shear_stress, 0.0f) << row.what << ": " << lines[i];
            EXPECT_EQ(sd.misfit_angle, 90.0f) << row.what << ": " << lines[i];
            EXPECT_EQ(theoretical.FDList[i].SDList[0].sense, TSense::H)
                << row.what << ": " << lines[i];
        }
    }
}

// The tolerance takes only rounding noise: a plane a hundredth of a degree off a principal
// plane, and any ordinary plane, keep the slip their shear traction gives.
TEST(Compatibility, PlanesWithShearKeepTheirSlip) {
    const TStressTensor vertical_sigma1 = stress_tensor_from_axes({0, 90}, {90, 0}, 0.5f);
    const char* lines[] = {"F 0 0.01 0 0.01 N", "F 90 89.99 0 0 N", "F 90 45 90 45 N",
                           "F 200 30 250 20 R"};
    for (const TStressTensor& st : {vertical_sigma1, thrust}) {
        for (const char* line : lines) {
            const Tvector3 n = datum(QString::fromLatin1(line)).SDList[0].n;
            const Tvector3 shear = project_onto_plane3(matrix_vector3(st.sg, n), n);
            const TTheoreticalSlip slip = theoretical_slip(st.sg, n);
            EXPECT_EQ(slip.shear, shear) << line;
            EXPECT_EQ(slip.v_theo, negate3(normalize3(shear))) << line;
            EXPECT_NEAR(norm3(slip.v_theo), 1, 1e-6) << line;
        }
    }
}

TEST(Compatibility, ModelSense) {
    EXPECT_EQ(model_sense_from_vectors({0, 0, 1}, {0, 0, 0}, {0, 0, 1}), TSense::R);
    EXPECT_EQ(model_sense_from_vectors({0, 0, 1}, {0, 0, 0}, {1, 0, 0}), TSense::N); // z = 0 turns
    EXPECT_EQ(model_sense_from_vectors({1, 0, 0}, {0, 0, 1}, {0, 0, 1}), TSense::S);
    EXPECT_EQ(model_sense_from_vectors({1, 0, 0}, {0, 0, -1}, {0, 0, 1}), TSense::D);
    EXPECT_EQ(model_sense_from_vectors({1, 0, 0}, {0, 0, 0}, {0, 0, 1}), TSense::H);
}

} // namespace
