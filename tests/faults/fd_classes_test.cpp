#include "faults/fd_classes.h"

#include <QString>

#include <gtest/gtest.h>

namespace {

TSlipData composed(float dipdir, float dip, float trend, float plunge, TSense sense) {
    TSlipData sd;
    sd.Pazpl = make_azpl(dipdir, dip);
    sd.Lazpl = make_azpl(trend, plunge);
    sd.sense = sense;
    compose_slip_data_vectors(sd);
    return sd;
}

void expect_near3(const Tvector3& v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

TEST(ComposeSlipDataVectors, NormalPointsUpIntoTheHangingWall) {
    // Horizontal plane: vertical normal.
    const TSlipData flat = composed(37, 0, 0, 0, TSense::U);
    expect_near3(flat.n, 0, 0, 1);

    // Vertical plane: the pole's z is a hair below zero, so the normal is flipped toward the
    // dip direction and ends a hair above zero.
    const TSlipData vertical = composed(90, 90, 0, 0, TSense::U);
    expect_near3(vertical.n, 1, 0, 0);
    EXPECT_GT(vertical.n.z, 0.0f);
    EXPECT_NEAR(vertical.n.z, 4.4e-8f, 1e-8f);

    // A horizontal lineation points a hair downward.
    EXPECT_LT(vertical.v.z, 0.0f);
    EXPECT_NEAR(vertical.v.z, -4.4e-8f, 1e-8f);
}

TEST(ComposeSlipDataVectors, DipSenseRules) {
    const TSlipData normal = composed(120, 40, 120, 30, TSense::N);
    EXPECT_LT(normal.v.z, 0.0f);
    const TSlipData reverse = composed(120, 40, 120, 30, TSense::R);
    EXPECT_GT(reverse.v.z, 0.0f);
    // Same line, opposite way: trend + 180, plunge upward.
    const Tazpl up = vector3_to_azpl(reverse.v);
    EXPECT_NEAR(up.az, 300, 1e-3);
    EXPECT_NEAR(up.pl, -30, 1e-3);
    expect_near3(reverse.b, -normal.b.x, -normal.b.y, -normal.b.z);
}

TEST(ComposeSlipDataVectors, StrikeSlipSenseRules) {
    // Plane dipping 80 toward east, horizontal lineation toward north.
    const TSlipData sinistral = composed(90, 80, 0, 0, TSense::S);
    EXPECT_GT(sinistral.v.y, 0.99f);
    EXPECT_GT(sinistral.b.z, 0.0f);
    const TSlipData dextral = composed(90, 80, 0, 0, TSense::D);
    EXPECT_LT(dextral.v.y, -0.99f);
    EXPECT_LT(dextral.b.z, 0.0f);
}

TEST(ComposeSlipDataVectors, WithoutSenseTheLineationIsKeptAsRead) {
    for (TSense sense : {TSense::H, TSense::U}) {
        for (float plunge : {0.0f, 30.0f, 90.0f}) {
            const TSlipData sd = composed(90, 80, 200, plunge, sense);
            EXPECT_EQ(sd.v, azpl_to_vector3(make_azpl(200, plunge)));
        }
    }
}

TEST(ComposeSlipDataVectors, FiveVectorsFollowTheSlip) {
    const TSlipData sd = composed(90, 60, 90, 60, TSense::N);
    EXPECT_EQ(sd.ee, dyad_to_vector5(sd.v, sd.n));
    EXPECT_EQ(sd.ep, dyad_to_vector5(sd.b, sd.n));
    // Slip in the plane: both are unit 5-vectors and orthogonal.
    EXPECT_NEAR(norm5(sd.ee), 1, 1e-5);
    EXPECT_NEAR(norm5(sd.ep), 1, 1e-5);
    EXPECT_NEAR(dot_product5(sd.ee, sd.ep), 0, 1e-5);
}

TEST(SecondNodalPlane, ExchangesNormalAndSlip) {
    // Dip-slip normal fault 90/60: the auxiliary plane is 270/30 with slip 270/30.
    const TSlipData first = composed(90, 60, 90, 60, TSense::N);
    const TSlipData second = compose_second_nodal_plane(first);
    EXPECT_NEAR(second.Pazpl.az, 270, 1e-3);
    EXPECT_NEAR(second.Pazpl.pl, 30, 1e-3);
    EXPECT_NEAR(second.Lazpl.az, 270, 1e-3);
    EXPECT_NEAR(second.Lazpl.pl, 30, 1e-3);
    EXPECT_EQ(second.sense, TSense::N);
    EXPECT_GE(second.n.z, 0.0f);
    EXPECT_EQ(second.ee, dyad_to_vector5(second.v, second.n));
    EXPECT_EQ(second.ep, dyad_to_vector5(second.b, second.n));
    // The computed fields keep their defaults.
    EXPECT_EQ(second.misfit_angle, 0.0f);
    EXPECT_EQ(second.Lazpl_theo, Tazpl{});
}

TEST(SecondNodalPlane, KeepsADipSenseAndALowerHemisphereLineation) {
    struct Row {
        float dipdir, dip, trend, plunge;
        TSense sense;
    };
    const Row rows[] = {{90, 60, 90, 60, TSense::N},   {90, 60, 90, 60, TSense::R},
                        {40, 60, 310, 5, TSense::N},   {40, 60, 310, 5, TSense::R},
                        {200, 35, 240, 20, TSense::N}, {200, 35, 240, 20, TSense::R},
                        {10, 85, 100, 10, TSense::N},  {10, 85, 100, 10, TSense::R}};
    for (const Row& r : rows) {
        const TSlipData second =
            compose_second_nodal_plane(composed(r.dipdir, r.dip, r.trend, r.plunge, r.sense));
        EXPECT_EQ(second.sense, r.sense) << r.dipdir << "/" << r.dip;
        EXPECT_GE(second.Lazpl.pl, 0.0f);
        EXPECT_LE(second.Lazpl.pl, 90.0f);
        EXPECT_GE(second.Pazpl.az, 0.0f);
        EXPECT_LT(second.Pazpl.az, 360.0f);
    }
}

TEST(SenseFromVectors, VerticalComponentDecidesUnlessExactlyZero) {
    const Tvector3 up{0, 0, 1};
    EXPECT_EQ(sense_from_vectors({1, 0, -1e-30f}, {0, 0, 1}, up), TSense::N);
    EXPECT_EQ(sense_from_vectors({1, 0, 1e-30f}, {0, 0, -1}, up), TSense::R);
    EXPECT_EQ(sense_from_vectors({1, 0, 0}, {0, 0, 1e-30f}, up), TSense::S);
    EXPECT_EQ(sense_from_vectors({1, 0, 0}, {0, 0, -1e-30f}, up), TSense::D);
    EXPECT_EQ(sense_from_vectors({1, 0, 0}, {0, 0, 0}, up), TSense::H);
    // A downward normal turns all three first.
    EXPECT_EQ(sense_from_vectors({1, 0, -0.5f}, {0, 0, 0}, {0, 0, -1}), TSense::R);
    EXPECT_EQ(sense_from_vectors({1, 0, 0}, {0, 0, 0.5f}, {0, 0, -1}), TSense::D);
}

TEST(FaultDataModel, DefaultsAndLetters) {
    const TSlipData sd;
    EXPECT_EQ(sd.sense, TSense::U);
    EXPECT_EQ(sd.v, Tvector3{});
    const TFaultData fd;
    EXPECT_EQ(fd.datatype, TDataType::Ful);
    EXPECT_EQ(fd.rep_isd, -1);
    EXPECT_EQ(fd.rep_misfit, -1.0f);
    EXPECT_TRUE(fd.SDList.empty());
    EXPECT_EQ(TFaultDataSet().count(), 0);

    EXPECT_EQ(QString(datatype_letter(TDataType::Ful)) + datatype_letter(TDataType::Mec) +
                  datatype_letter(TDataType::Lin) + datatype_letter(TDataType::Sen),
              QStringLiteral("FMLS"));
    QString senses;
    for (TSense s : {TSense::N, TSense::R, TSense::S, TSense::D, TSense::H, TSense::U})
        senses += sense_letter(s);
    EXPECT_EQ(senses, QStringLiteral("NRSDHU"));
    EXPECT_EQ(sense_from_letter(u'r'), TSense::R);
    EXPECT_EQ(sense_from_letter(u'x'), TSense::U);
    EXPECT_EQ(sense_from_letter(u'1'), TSense::U);
}

TEST(FaultDataModel, ClearingReleasesEveryAlternative) {
    TFaultDataSet set;
    for (int i = 0; i < 3; ++i) {
        TFaultData fd;
        fd.datatype = TDataType::Sen;
        fd.SDList.resize(4);
        set.FDList.push_back(fd);
    }
    EXPECT_EQ(set.count(), 3);
    set.FDList[0].clear_SD();
    EXPECT_TRUE(set.FDList[0].SDList.empty());
    set.clear_FD();
    EXPECT_EQ(set.count(), 0);
}

} // namespace
