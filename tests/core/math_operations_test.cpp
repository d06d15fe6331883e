#include "core/math_operations.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

Tvector5 v5(float a, float b, float c, float d, float e) {
    return Tvector5{{a, b, c, d, e}};
}

TEST(Orientation, AzplToVectorKeepsTheRoundingOfTheRadians) {
    struct Case {
        float az, pl, x, y, z;
    };
    const Case cases[] = {
        {0, 0, -4.371139e-8f, 1, -4.371139e-8f},
        {90, 0, 1, 0, -4.371139e-8f},
        {45, 30, 0.6123724f, 0.6123725f, -0.5000001f},
        {0, 90, 3.821371e-15f, -8.742278e-8f, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.az << "/" << c.pl);
        const Tvector3 v = azpl_to_vector3(make_azpl(c.az, c.pl));
        EXPECT_FLOAT_EQ(v.x, c.x);
        EXPECT_FLOAT_EQ(v.y, c.y);
        EXPECT_FLOAT_EQ(v.z, c.z);
    }
    // The tiny negative y of a vertical line turns its azimuth round to 180.
    const Tazpl back = vector3_to_azpl(azpl_to_vector3(make_azpl(0, 90)));
    EXPECT_FLOAT_EQ(back.az, 180);
    EXPECT_FLOAT_EQ(back.pl, 90);
}

TEST(Orientation, VectorToAzpl) {
    struct Case {
        Tvector3 v;
        bool lower;
        float az, pl;
    };
    const Case cases[] = {
        {{0, 1, 0}, false, 0, 0},         {{-1, 0, 0}, false, 270, 0},
        {{0, 0, 1}, false, 0, -90},       {{0, 0, 1}, true, 180, 90},
        {{0, 0, 1.0005f}, false, 0, -90}, {{0, 0, -1.0005f}, false, 0, 90},
        {{0, 0, -1.0005f}, true, 0, 90},  {{0.5f, -0.5f, 0.7071068f}, true, 315, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.v.x << "," << c.v.y << "," << c.v.z);
        const Tazpl r = c.lower ? vector3_to_azpl_lower(c.v) : vector3_to_azpl(c.v);
        EXPECT_FLOAT_EQ(r.az, c.az);
        EXPECT_NEAR(r.pl, c.pl, 2e-5);
    }
}

TEST(Orientation, FloatModKeepsTheSignOfTheDividend) {
    const float cases[][3] = {{-30, 360, -30}, {450, 360, 90}, {360, 360, 0}, {-400, 360, -40}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(float_mod(c[0], c[1]), c[2]) << c[0];
}

TEST(Orientation, PlanePoleAndHemispheres) {
    EXPECT_EQ(plane_to_pole(make_azpl(120, 30)), make_azpl(300, 60));
    EXPECT_EQ(pole_to_plane(make_azpl(300, 60)), make_azpl(120, 30));
    EXPECT_FLOAT_EQ(plane_to_pole(make_azpl(77, 0)).pl, 90);
    const Tvector3 flat{0.6f, -0.8f, 0};
    EXPECT_EQ(to_lower_hemisphere(flat), flat);
    EXPECT_EQ(to_upper_hemisphere(flat), flat);
    EXPECT_EQ(to_lower_hemisphere(make_vector3(1, 2, 3)), make_vector3(-1, -2, -3));
    EXPECT_EQ(to_upper_hemisphere(make_vector3(1, 2, -3)), make_vector3(-1, -2, 3));
}

TEST(FiveD, TensorRoundTripIsotropicPartAndZero) {
    const Tvector5 x = v5(0.3f, -0.7f, 0.25f, -0.1f, 0.5f);
    const Tvector5 back = matrix33_to_vector5(vector5_to_matrix33(x));
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(back.x[i], x.x[i], 1e-6) << i;
    EXPECT_EQ(matrix33_to_vector5(identity33()), Tvector5{});
    EXPECT_EQ(normalize5(Tvector5{}), Tvector5{});
    EXPECT_EQ(normalize3(Tvector3{}), Tvector3{});
}

TEST(FiveD, DyadOfPerpendicularUnitVectors) {
    const Tvector3 a = normalize3(make_vector3(1, 2, 2));
    const Tvector3 b = normalize3(make_vector3(2, -2, 1));
    const Tvector5 d = dyad_to_vector5(a, b);
    EXPECT_NEAR(norm5(d), 1, 1e-6);
    const Tmatrix33 s = make_matrix33(0.4f, 0.2f, -0.3f, 0.2f, -0.1f, 0.5f, -0.3f, 0.5f, -0.3f);
    EXPECT_NEAR(dot_product5(d, matrix33_to_vector5(s)), -dot_product3(b, matrix_vector3(s, a)),
                1e-6);
}

TEST(FiveD, AnglesToHyperplaneHalfspaceAndFryArc) {
    const Tvector5 b = v5(1, 0, 0, 0, 0), c = v5(0, 1, 0, 0, 0);
    EXPECT_NEAR(angle_to_fry_arc(v5(0.6f, 0.8f, 0, 0, 0), b, c), 53.1301f, 1e-4);
    EXPECT_NEAR(angle_to_fry_arc(v5(-0.6f, 0, 0.8f, 0, 0), b, c), 50.7685f, 1e-4);
    EXPECT_FLOAT_EQ(angle_to_halfspace5(v5(0.6f, 0.8f, 0, 0, 0), b), 0);
    EXPECT_FLOAT_EQ(angle_to_halfspace5(v5(0, 1, 0, 0, 0), b), 0);
    EXPECT_NEAR(angle_to_halfspace5(v5(-0.5f, 0, 0.8660254f, 0, 0), b), 30, 1e-4);
    EXPECT_NEAR(angle_to_hyperplane5(v5(-0.5f, 0, 0.8660254f, 0, 0), b), 30, 1e-4);
    // A dot product rounded just past 1 stays on the domain of the arc sine.
    const Tvector5 over = v5(1.0000001f, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(angle_to_hyperplane5(over, over), 90);
    EXPECT_FLOAT_EQ(angle_to_fry_arc(scale5(-1, over), over, c), 90);
    EXPECT_DOUBLE_EQ(clamped_asin(-1.5), -std::asin(1.0));
}

} // namespace
