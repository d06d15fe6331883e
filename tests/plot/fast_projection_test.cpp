#include "plot/fast_projection.h"

#include "plot/fd_symbols.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr TProjection both[] = {TProjection::EArea, TProjection::EAngle};

QPoint reference(const Tvector3& v, TProjection projection, QPoint centre, int radius) {
    return azpl_to_point(vector3_to_azpl(v), projection, centre, radius);
}

// The vector the chain projects to offsets (dx, dy) from the centre, for offsets inside the
// net: the inverse of each projection, rounded to single precision as data are.
Tvector3 unprojected(double dx, double dy, TProjection projection, int radius) {
    const double rho = std::hypot(dx, dy) / radius;
    const double z =
        projection == TProjection::EArea ? rho * rho - 1 : (rho * rho - 1) / (rho * rho + 1);
    const double h = std::sqrt(std::max(0.0, 1 - z * z)) / std::max(std::hypot(dx, dy), 1e-300);
    return make_vector3(float(dx * h), float(dy * h), float(z));
}

TEST(VectorProjector, SpecialVectorsAsTheChain) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Tvector3 rows[] = {
        {0, 0, -1},
        {0, 0, 1},
        {0, 0, 0},
        {1, 0, 0},
        {0, 1, 0},
        {-1, 0, 0},
        {0, -1, 0},
        {-0.0f, 1, 0},
        {0, -0.0f, -1},
        {1e-20f, 0, -1},
        {3, 4, -12},
        {0.2f, 0.3f, 0.9f},
        {0.6f, 0.8f, 1e-7f},
        {1e-3f, 1e-3f, -1},
        {nan, 0, 0},
        {0, 0, nan},
        {inf, 1, 0},
        {1, 1, -inf},
        {0.5f, 0.5f, 0.7071f},
        {0.7f, 0.1f, 0.99999f},
    };
    for (const TProjection projection : both)
        for (const int radius : {450, 7}) {
            const TVectorProjector project(projection, QPoint(500, 500), radius);
            for (const Tvector3& v : rows) {
                const QPoint expected = reference(v, projection, QPoint(500, 500), radius);
                EXPECT_EQ(project(v), expected) << v.x << " " << v.y << " " << v.z;
                const QPointF near = project.approximate(v);
                EXPECT_LE(std::fabs(near.x() - expected.x()), 0.51) << v.x << " " << v.y;
                EXPECT_LE(std::fabs(near.y() - expected.y()), 0.51) << v.x << " " << v.y;
            }
        }
}

// Random directions over the sphere and vectors of other lengths, and vectors that the chain
// projects within a hair of a half pixel, where only the chain itself can say which way.
TEST(VectorProjector, RandomAndHalfwayVectorsAsTheChain) {
    std::mt19937 rng(5);
    std::normal_distribution<double> gauss;
    std::uniform_real_distribution<double> offset(-440, 440), length(0.5, 1.5);
    for (const TProjection projection : both) {
        const TVectorProjector project(projection, QPoint(500, 500), 450);
        int mismatches = 0, far = 0;
        for (int i = 0; i < 60000; ++i) {
            Tvector3 v;
            if (i % 3 == 2) {
                // Offsets of a whole pixel and a half in x, any in y.
                const double dx = std::round(offset(rng)) + 0.5, dy = offset(rng);
                v = unprojected(dx, dy, projection, 450);
            } else {
                v = normalize3(
                    make_vector3(float(gauss(rng)), float(gauss(rng)), float(gauss(rng))));
                if (i % 3 == 1)
                    v = scale3(float(length(rng)), v);
            }
            const QPoint expected = reference(v, projection, QPoint(500, 500), 450);
            mismatches += project(v) != expected;
            const QPointF near = project.approximate(v);
            far += std::fabs(near.x() - expected.x()) > 0.51 ||
                   std::fabs(near.y() - expected.y()) > 0.51;
        }
        EXPECT_EQ(mismatches, 0) << int(projection);
        EXPECT_EQ(far, 0) << int(projection);
    }
}

TEST(DirectionTables, GiveDirectionInPlaneBitForBit) {
    // And so the same points for great circles and possible slips.
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> az(0, 360), dip(0, 90);
    for (int i = 0; i < 200; ++i) {
        const Tmatrix33 m = plane_direction_matrix({az(rng), dip(rng)});
        for (int t = 0; t <= 180; ++t)
            ASSERT_EQ(matrix_vector3(m, half_turn_directions()[std::size_t(t)]),
                      direction_in_plane(m, float(t)))
                << t;
        for (int k = 0; k < 45; ++k)
            ASSERT_EQ(matrix_vector3(m, possible_slip_directions()[std::size_t(k)]),
                      direction_in_plane(m, 8.0f * float(k)))
                << k;
    }
}

// Footprints of great circles are judged from their approximate points: each must lie within
// half a pixel and a hundredth of the point drawn, up to dips of some 87 degrees.
TEST(ApproximateGreatCircle, WithinHalfAPixelOfEveryPointDrawn) {
    std::mt19937 rng(13);
    std::uniform_real_distribution<float> az(0, 360), dip(0, 87.4f);
    for (const TProjection projection : both) {
        const TVectorProjector project(projection, QPoint(500, 500), 450);
        double worst = 0;
        for (int i = 0; i < 1500; ++i) {
            const float d = i % 50 == 0 ? 87.43f : i % 50 == 1 ? 0 : dip(rng);
            const Tmatrix33 m = plane_direction_matrix({az(rng), d});
            ASSERT_GE(1 + m.m[2][1], 1e-3f) << d;
            std::array<float, padded_circle> x, y;
            approximate_great_circle(m, projection, QPoint(500, 500), 450, x, y);
            for (std::size_t t = 0; t <= 180; ++t) {
                const QPoint p = project(matrix_vector3(m, half_turn_directions()[t]));
                worst = std::max(
                    {worst, std::fabs(double(x[t]) - p.x()), std::fabs(double(y[t]) - p.y())});
            }
            EXPECT_EQ(x[183], x[180]);
        }
        EXPECT_LE(worst, 0.51) << int(projection);
    }
}

} // namespace
