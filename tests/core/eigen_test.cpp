#include "core/eigen.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace {

Tmatrix33d diag(double a, double b, double c) {
    return {{{a, 0, 0}, {0, b, 0}, {0, 0, c}}};
}

// R D R^T with R a rotation of rational entries, so that no axis is along a coordinate axis.
Tmatrix33d rotated(const Tmatrix33d& d) {
    const double r[3][3] = {
        {1 / 3., 2 / 3., 2 / 3.}, {2 / 3., 1 / 3., -2 / 3.}, {2 / 3., -2 / 3., 1 / 3.}};
    Tmatrix33d out{};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            for (std::size_t k = 0; k < 3; ++k)
                out[i][j] += r[i][k] * d[k][k] * r[j][k];
    return out;
}

// Descending values, orthonormal columns and A v = lambda v for each column.
void expect_decomposition(const Tmatrix33d& a, const TEigen3& e, double tol) {
    EXPECT_GE(e.values[0], e.values[1]);
    EXPECT_GE(e.values[1], e.values[2]);
    for (std::size_t k = 0; k < 3; ++k)
        for (std::size_t l = 0; l < 3; ++l) {
            double dot = 0, av = 0;
            for (std::size_t j = 0; j < 3; ++j) {
                dot += e.vectors[j][k] * e.vectors[j][l];
                av += a[l][j] * e.vectors[j][k];
            }
            EXPECT_NEAR(dot, k == l ? 1.0 : 0.0, 1e-9) << "columns " << k << ", " << l;
            EXPECT_NEAR(av, e.values[k] * e.vectors[l][k], tol) << "column " << k << " row " << l;
        }
}

TEST(Eigen, DiagonalMatricesInAnyOrder) {
    const double diagonals[][3] = {{3, 1, 2}, {1, 2, 3}, {2, 3, 1}, {3, 2, 1}, {-4, 0, 7}};
    for (const auto& d : diagonals) {
        SCOPED_TRACE(testing::Message() << d[0] << "," << d[1] << "," << d[2]);
        const TEigen3 e = eigen3(diag(d[0], d[1], d[2]));
        EXPECT_NEAR(e.values[0], std::max({d[0], d[1], d[2]}), 1e-12);
        EXPECT_NEAR(e.values[2], std::min({d[0], d[1], d[2]}), 1e-12);
        // Each column is the coordinate axis whose diagonal entry is its eigenvalue.
        for (std::size_t k = 0; k < 3; ++k)
            for (std::size_t j = 0; j < 3; ++j)
                EXPECT_NEAR(std::abs(e.vectors[j][k]), std::abs(d[j] - e.values[k]) < 1e-9, 1e-9);
    }
}

TEST(Eigen, OrthonormalForGeneralRepeatedAndNearlyRepeatedValues) {
    struct Case {
        const char* name;
        Tmatrix33d a;
        double tol;
    };
    const Case cases[] = {
        {"general", rotated(diag(4, -1, 2.5)), 1e-12},
        {"upper pair", diag(2, 2, 1), 1e-12},
        {"lower pair", diag(1, 2, 2), 1e-12},
        {"isotropic", diag(5, 5, 5), 1e-12},
        {"rotated pair", rotated(diag(2, 2, 1)), 1e-7},
        {"rotated isotropic", rotated(diag(5, 5, 5)), 1e-6},
        {"nearly repeated", rotated(diag(3, 1 + 1e-9, 1)), 1e-7},
        {"horizontal axis", {{{2, 1, 0}, {1, 2, 0}, {0, 0, 5}}}, 1e-12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expect_decomposition(c.a, eigen3(c.a), c.tol);
    }
    for (double v : eigen3(diag(5, 5, 5)).values)
        EXPECT_DOUBLE_EQ(v, 5);
    EXPECT_EQ(normalize_double3({0, 0, 0}), (Tvector3d{0, 0, 0}));
}

TEST(PrincipalAxes, AxesAndRatio) {
    const TPrincipalAxes p = principal_axes(make_matrix33(1, 0, 0, 0, 0.5f, 0, 0, 0, 0));
    EXPECT_FLOAT_EQ(p.greatest.az, 90);
    EXPECT_NEAR(p.greatest.pl, 0, 1e-5);
    EXPECT_FLOAT_EQ(p.least.pl, 90);
    EXPECT_TRUE(p.ratio_defined);
    EXPECT_FLOAT_EQ(p.ratio, 0.5f);

    const TPrincipalAxes iso = principal_axes(make_matrix33(2, 0, 0, 0, 2, 0, 0, 0, 2));
    EXPECT_FALSE(iso.ratio_defined);
    EXPECT_EQ(iso.ratio, 0);
    EXPECT_FALSE(std::isnan(iso.greatest.az) || std::isnan(iso.least.pl));
}

} // namespace
