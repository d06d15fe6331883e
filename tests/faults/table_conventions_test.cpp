#include "faults/table_conventions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double eps = 1e-4;

TEST(TableConventions, QuadrantBearings) {
    const struct {
        const char16_t* text;
        std::optional<double> azimuth;
    } rows[] = {
        {u"N30E", 30}, {u"S20W", 200}, {u"N80W", 280},  {u"S10E", 170},    {u"n45w", 315},
        {u"N0E", 0},   {u"S90W", 270}, {u"N 30 E", 30}, {u"123.5", 123.5}, {u"N100E", {}},
        {u"E30N", {}}, {u"N30", {}},   {u"", {}},       {u"NE", {}},       {u"N-5E", {}},
    };
    for (const auto& row : rows) {
        const std::optional<double> got = bearing_from_text(QStringView(row.text));
        ASSERT_EQ(got.has_value(), row.azimuth.has_value())
            << QStringView(row.text).toString().toStdString();
        if (got) {
            EXPECT_NEAR(*got, *row.azimuth, eps) << QStringView(row.text).toString().toStdString();
        }
    }
}

TEST(TableConventions, DipDirectionFromStrike) {
    EXPECT_EQ(dip_direction_by_rule(30, TStrikeRule::Right), 120);
    EXPECT_EQ(dip_direction_by_rule(30, TStrikeRule::Left), 300);
    EXPECT_EQ(dip_direction_by_rule(300, TStrikeRule::Right), 30);
    EXPECT_EQ(dip_direction_by_rule(0, TStrikeRule::Left), 270);
    // Whatever the rule of the strike, the quadrant decides the side.
    const struct {
        double strike, quadrant;
        std::optional<double> dip_direction;
    } rows[] = {
        {30, 135, 120}, {30, 315, 300},  {30, 90, 120},   {30, 270, 300},
        {30, 0, 300},   {210, 135, 120}, {0, 90, 90},     {0, 270, 270},
        {0, 0, {}},     {0, 180, {}},    {200, 315, 290}, {350, 45, 80},
    };
    for (const auto& row : rows) {
        const std::optional<double> got = dip_direction_toward(row.strike, row.quadrant);
        ASSERT_EQ(got.has_value(), row.dip_direction.has_value())
            << row.strike << " " << row.quadrant;
        if (got) {
            EXPECT_NEAR(*got, *row.dip_direction, eps) << row.strike << " " << row.quadrant;
        }
    }
}

// Worked by hand on a plane dipping 45° east (strike 0 by the right-hand rule): the strike
// vector is north, down-dip is (√½, 0, −√½); slip = cos(rake)·north − sin(rake)·down-dip.
TEST(TableConventions, RakeToLineationAndSense) {
    const double t = std::atan2(0.5, std::sqrt(0.5)) * 180 / M_PI; // 35.26°
    const struct {
        double dip_direction, dip, rake, trend, plunge;
        TSense sense;
    } rows[] = {
        {90, 45, 90, 90, 45, TSense::R},
        {90, 45, -90, 90, 45, TSense::N},
        {90, 45, 0, 0, 0, TSense::S},
        {90, 45, 180, 180, 0, TSense::D},
        {90, 45, -180, 180, 0, TSense::D},
        {90, 45, 45, 180 - t, 30, TSense::R},
        {90, 45, -45, t, 30, TSense::N},
        {90, 45, 135, t, 30, TSense::R},
        {90, 45, -135, 180 - t, 30, TSense::N},
        // A vertical plane striking west: along strike is west, up-dip is straight up.
        {0, 90, 0, 270, 0, TSense::S},
        {0, 90, 90, 0, 90, TSense::R},
        {0, 90, 170, 270, 10, TSense::D},
        // Gently dipping to the south-west.
        {225, 30, -90, 225, 30, TSense::N},
        {225, 30, 90, 225, 30, TSense::R},
    };
    for (const auto& row : rows) {
        const TSlipFromRake got = slip_from_rake(row.dip_direction, row.dip, row.rake);
        SCOPED_TRACE(testing::Message()
                     << row.dip_direction << "/" << row.dip << " rake " << row.rake);
        if (row.plunge < 90) {
            EXPECT_NEAR(got.lineation.az, row.trend, 1e-3);
        }
        EXPECT_NEAR(got.lineation.pl, row.plunge, 1e-3);
        EXPECT_EQ(got.sense, row.sense);
        // The datum the line format makes of it moves the hanging wall the rake's way.
        TSlipData sd;
        sd.Pazpl = make_azpl(float(row.dip_direction), float(row.dip));
        sd.Lazpl = got.lineation;
        sd.sense = got.sense;
        compose_slip_data_vectors(sd);
        const double c = std::cos(row.rake * M_PI / 180), s = std::sin(row.rake * M_PI / 180);
        const double st = (row.dip_direction - 90) * M_PI / 180,
                     dd = row.dip_direction * M_PI / 180;
        const double dip = row.dip * M_PI / 180;
        const double ux = c * std::sin(st) - s * std::cos(dip) * std::sin(dd);
        const double uy = c * std::cos(st) - s * std::cos(dip) * std::cos(dd);
        const double uz = s * std::sin(dip);
        EXPECT_GT(sd.v.x * ux + sd.v.y * uy + sd.v.z * uz, 0.999);
    }
}

TEST(TableConventions, PitchFromEitherEndOfTheStrike) {
    const double t = std::atan2(0.5 * std::sqrt(0.5), std::sqrt(0.75)) * 180 / M_PI; // 22.2°
    const double p = std::asin(0.5 * std::sqrt(0.5)) * 180 / M_PI;                   // 20.7°
    const struct {
        double pitch, end;
        std::optional<double> trend, plunge;
    } rows[] = {
        {30, 0, t, p},         {30, 45, t, p},    {30, 315, t, p}, {30, 180, 180 - t, p},
        {30, 225, 180 - t, p}, {0, 0, 0, 0},      {90, 0, 90, 45}, {90, 180, 90, 45},
        {30, 90, {}, {}},      {30, 270, {}, {}},
    };
    for (const auto& row : rows) {
        const std::optional<Tazpl> got = lineation_from_pitch(90, 45, row.pitch, row.end);
        ASSERT_EQ(got.has_value(), row.trend.has_value()) << row.pitch << " " << row.end;
        if (got) {
            EXPECT_NEAR(got->az, *row.trend, 1e-3) << row.pitch << " " << row.end;
            EXPECT_NEAR(got->pl, *row.plunge, 1e-3) << row.pitch << " " << row.end;
        }
    }
}

TEST(TableConventions, CellTexts) {
    EXPECT_EQ(sense_from_text(u"Right-lateral"), TSense::D);
    EXPECT_EQ(sense_from_text(u"left lateral"), TSense::S);
    EXPECT_EQ(sense_from_text(u"THRUST"), TSense::R);
    EXPECT_EQ(sense_from_text(u"n"), TSense::N);
    EXPECT_EQ(sense_from_text(u"unknown"), TSense::U);
    EXPECT_FALSE(sense_from_text(u"oblique"));
    EXPECT_FALSE(sense_from_text(u"ſ")); // the long s is no S
    EXPECT_EQ(datatype_from_text(u"focal mechanism"), TDataType::Mec);
    EXPECT_EQ(datatype_from_text(u"l"), TDataType::Lin);
    EXPECT_FALSE(datatype_from_text(u"X"));
    const struct {
        const char16_t* text;
        bool decimal_comma;
        std::optional<double> value;
    } numbers[] = {
        {u" 12.5 ", false, 12.5}, {u"+3", false, 3},     {u"-4e1", false, -40},
        {u".5", false, 0.5},      {u"12,5", true, 12.5}, {u"12.5", true, 12.5},
        {u"12,5", false, {}},     {u"inf", false, {}},   {u"nan", false, {}},
        {u"+-3", false, {}},      {u"", false, {}},      {u"1e999", false, {}},
        {u"3 4", false, {}},
    };
    for (const auto& row : numbers) {
        const std::optional<double> got = table_number(QStringView(row.text), row.decimal_comma);
        ASSERT_EQ(got.has_value(), row.value.has_value())
            << QStringView(row.text).toString().toStdString();
        if (got) {
            EXPECT_EQ(*got, *row.value);
        }
    }
    const std::optional<TAngleWithDirection> dip = angle_with_direction(u"45 SE");
    ASSERT_TRUE(dip && dip->direction);
    EXPECT_EQ(dip->angle, 45);
    EXPECT_EQ(*dip->direction, 135);
    EXPECT_FALSE(angle_with_direction(u"45XY"));
}

TEST(TableConventions, LineationOffItsPlane) {
    const Tazpl plane = make_azpl(90, 45);
    EXPECT_NEAR(angle_off_plane(plane, make_azpl(0, 0)), 0, 1e-4);
    EXPECT_NEAR(angle_off_plane(plane, make_azpl(90, 45)), 0, 1e-4);
    EXPECT_NEAR(angle_off_plane(plane, make_azpl(270, 45)), 90, 1e-4); // the pole
    EXPECT_NEAR(angle_off_plane(plane, make_azpl(90, 55)), 10, 1e-4);
    const Tazpl moved = project_onto_plane(plane, make_azpl(90, 55));
    EXPECT_NEAR(moved.az, 90, 1e-3);
    EXPECT_NEAR(moved.pl, 45, 1e-3);
}

} // namespace
