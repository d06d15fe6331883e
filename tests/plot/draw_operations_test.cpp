#include "plot/draw_operations.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TBaseCircle net() {
    TBaseCircle c;
    c.C = QPoint(500, 500);
    c.R = 450;
    return c;
}

constexpr TProjection both[] = {TProjection::EArea, TProjection::EAngle};

TEST(AzplToPoint, KnownPoints) {
    struct Row {
        Tazpl d;
        QPoint area, angle;
    };
    const Row rows[] = {
        {{0, 0}, {500, 50}, {500, 50}},      {{90, 0}, {950, 500}, {950, 500}},
        {{180, 0}, {500, 950}, {500, 950}},  {{270, 0}, {50, 500}, {50, 500}},
        {{137, 90}, {500, 500}, {500, 500}}, {{0, 30}, {500, 500 - 318}, {500, 500 - 260}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(azpl_to_point(r.d, TProjection::EArea, net()), r.area) << r.d.az << "/" << r.d.pl;
        EXPECT_EQ(azpl_to_point(r.d, TProjection::EAngle, net()), r.angle)
            << r.d.az << "/" << r.d.pl;
    }
}

// Orientations out of range come from broken files; they must land off the picture, not in an
// undefined conversion (equal-angle plunge -90 projects to some 10^10 pixels).
TEST(AzplToPoint, OutOfRangeOrientationsStayFarOutside) {
    EXPECT_EQ(nearest(2.5), 2);
    EXPECT_EQ(nearest(-3.5), -4);
    EXPECT_EQ(nearest(1e300), 1 << 24);
    EXPECT_EQ(nearest(-1e300), -(1 << 24));
    EXPECT_EQ(nearest(std::nan("")), -(1 << 24));
    for (const Tazpl d : {Tazpl{120, -90}, Tazpl{3e38f, 3e38f}, Tazpl{-1e30f, -95}}) {
        for (TProjection projection : both) {
            const QPoint p = azpl_to_point(d, projection, net());
            EXPECT_LE(std::abs(p.x()), (1 << 24) + 500) << d.az << "/" << d.pl;
            EXPECT_LE(std::abs(p.y()), (1 << 24) + 500) << d.az << "/" << d.pl;
        }
    }
}

TEST(PointToAzpl, CentreDirectionsAndOutside) {
    for (const TProjection p : both) {
        const Tazpl centre = point_to_azpl({500, 500}, p, net());
        EXPECT_NEAR(centre.az, 90, 1e-4);
        EXPECT_NEAR(centre.pl, 90, 1e-4);
        EXPECT_NEAR(point_to_azpl({500, 800}, p, net()).az, 180, 1e-4) << "below";
        EXPECT_NEAR(point_to_azpl({200, 500}, p, net()).az, 270, 1e-4) << "left";
        const float pl = point_to_azpl({949, 500}, p, net()).pl;
        EXPECT_TRUE(pl > 0 && pl < 0.3) << pl;
        EXPECT_LT(point_to_azpl({500, 1000}, p, net()).pl, 0) << "outside the primitive";
    }
    // Equal area runs out of sphere at R sqrt 2; beyond it the plunge is 0.
    EXPECT_EQ(point_to_azpl({500, 1200}, TProjection::EArea, net()).pl, 0);
    EXPECT_LT(point_to_azpl({500, 1200}, TProjection::EAngle, net()).pl, -20);
}

TEST(PointToAzpl, RoundTripWithinOnePixel) {
    // Both projections stretch at least R / 2 pixels per radian anywhere inside the net.
    const double one_pixel = 2.0 / 450;
    for (const TProjection p : both)
        for (int az = 0; az < 360; az += 7)
            for (int pl = 0; pl <= 90; pl += 3) {
                const Tazpl d{float(az), float(pl)};
                const Tazpl back = point_to_azpl(azpl_to_point(d, p, net()), p, net());
                const Tvector3 a = azpl_to_vector3(d), b = azpl_to_vector3(back);
                const double angle = std::atan2(norm3(cross_product3(a, b)), dot_product3(a, b));
                EXPECT_LE(angle, one_pixel) << az << "/" << pl << " projection " << int(p);
            }
}

TEST(CoordAxes, ShearedFrameHalvesToEvenAndLinesStartAtTheOrigin) {
    TCoordAxes2D axes;
    axes.O = {100.5f, 180.5f};
    axes.e = {Tvector2{8, 0}, Tvector2{3, -8}};
    EXPECT_EQ(axes_to_canvas({0, 0}, axes), QPoint(100, 180));
    EXPECT_EQ(axes_to_canvas({1, 1}, axes), QPoint(112, 172));
    EXPECT_EQ(axes_to_canvas({-1, 0}, axes), QPoint(92, 180));

    axes.max = {10, 10};
    QImage img(200, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    draw_coord_axes(painter, axes);
    painter.end();
    for (const QPoint p : {QPoint(100, 180), QPoint(180, 180), QPoint(130, 100)})
        EXPECT_EQ(img.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
    EXPECT_EQ(img.pixel(98, 180), qRgb(255, 255, 255));
}

} // namespace
