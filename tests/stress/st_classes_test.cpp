#include "stress/st_classes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

namespace {

TStressTensor built(const Tvector3& sigma1, const Tvector3& sigma3, float phi) {
    TStressTensor st;
    st.e_vec[0] = sigma1;
    st.e_vec[2] = sigma3;
    st.ax[0] = vector3_to_azpl(sigma1);
    st.ax[2] = vector3_to_azpl(sigma3);
    build_stress_tensor(st, phi);
    return st;
}

void expect_diagonal(const Tmatrix33& m, float d0, float d1, float d2) {
    const float d[3] = {d0, d1, d2};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            EXPECT_NEAR(m.m[i][j], i == j ? d[i] : 0.0f, 1e-6f) << i << ' ' << j;
}

TEST(StressTensor, ReducedAndDeviatoricFormsOfTheStressRatio) {
    // sigma1 east and sigma3 up make E the identity: sigma2 = z x x = y.
    const float r3 = std::sqrt(3.0f);
    const struct {
        float phi;
        float d[3];
        float dp[3];
    } rows[] = {
        {0.5f, {1, 0.5f, 0}, {1, 0, -1}},
        {0.0f, {1, 0, 0}, {2 / r3, -1 / r3, -1 / r3}},
        {1.0f, {1, 1, 0}, {1 / r3, 1 / r3, -2 / r3}},
    };
    for (const auto& row : rows) {
        const TStressTensor st = built(make_vector3(1, 0, 0), make_vector3(0, 0, 1), row.phi);
        EXPECT_EQ(st.e_vec[1], make_vector3(0, 1, 0));
        EXPECT_EQ(st.sr, row.phi);
        expect_diagonal(st.sg, row.d[0], row.d[1], row.d[2]);
        expect_diagonal(st.sg_prime, row.dp[0], row.dp[1], row.dp[2]);
    }
}

TEST(StressTensor, UnitFiveVectorAndZeroTraceForAnyRatio) {
    const Tvector3 a = normalize3(make_vector3(0.3f, -0.5f, -0.8f));
    const Tvector3 b = normalize3(cross_product3(a, make_vector3(0, 0, 1)));
    for (const float phi : {0.0f, 0.1f, 0.37f, 0.5f, 0.82f, 1.0f}) {
        const TStressTensor st = built(a, b, phi);
        EXPECT_NEAR(norm5(st.ss), 1.0f, 2e-6f) << phi;
        EXPECT_NEAR(st.sg_prime.m[0][0] + st.sg_prime.m[1][1] + st.sg_prime.m[2][2], 0, 2e-6f);
        EXPECT_NEAR(st.sg_prime.m[0][1], st.sg_prime.m[1][0], 1e-6f);
    }
}

TEST(StressTensor, IntermediateAxisIsSigma3CrossSigma1InTheLowerHemisphere) {
    TStressTensor vertical;
    vertical.ax[0] = make_azpl(0, 90);
    vertical.ax[2] = make_azpl(0, 0);
    vertical.e_vec[0] = azpl_to_vector3(vertical.ax[0]);
    vertical.e_vec[2] = azpl_to_vector3(vertical.ax[2]);
    build_stress_tensor(vertical, 0.5f);
    EXPECT_NEAR(vertical.e_vec[0].z, -1, 1e-6f);
    EXPECT_NEAR(vertical.e_vec[1].x, -1, 1e-6f);
    EXPECT_NEAR(vertical.ax[1].az, 270, 1e-4f);
    EXPECT_NEAR(vertical.ax[1].pl, 0, 1e-4f);

    const TStressTensor east = built(make_vector3(1, 0, 0), make_vector3(0, 0, -1), 0.5f);
    EXPECT_EQ(east.e_vec[1], make_vector3(0, -1, 0));
    EXPECT_NEAR(east.ax[1].az, 180, 1e-4f);
    EXPECT_NEAR(east.ax[1].pl, 0, 1e-4f);
}

TEST(StressTensor, OtherAxisAndFitnessOrder) {
    for (const Tsigma1or3 a : {Tsigma1or3::sigma1, Tsigma1or3::sigma3, Tsigma1or3::not_specified})
        EXPECT_EQ(other_axis(other_axis(a)), a);
    EXPECT_EQ(other_axis(Tsigma1or3::sigma1), Tsigma1or3::sigma3);
    EXPECT_EQ(other_axis(Tsigma1or3::not_specified), Tsigma1or3::not_specified);

    TStressTensor three, seven;
    three.L = 3;
    seven.L = 7;
    EXPECT_EQ(compare_stress_by_L(three, seven), -4);
    EXPECT_EQ(compare_stress_by_L(seven, three), 4);
}

TEST(StressTensor, FittestIsTheFirstOfEqualsByNumber) {
    // fitness and number of each state, index of the fittest (-1: none)
    const std::pair<std::vector<std::pair<int, int>>, int> rows[] = {
        {{}, -1},
        {{{3, 1}, {7, 2}, {5, 3}}, 1},
        {{{7, 9}, {7, 4}, {2, 1}}, 1}, // a sorted result need not list equals by number
        {{{0, 1}}, 0},
    };
    for (const auto& [fitness_and_id, expected] : rows) {
        std::vector<TStressTensor> states(fitness_and_id.size());
        for (size_t i = 0; i < states.size(); ++i)
            std::tie(states[i].L, states[i].id) = fitness_and_id[i];
        const TStressTensor* best = fittest_state(states);
        EXPECT_EQ(best ? int(best - states.data()) : -1, expected);
    }
}

} // namespace
