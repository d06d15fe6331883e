#include "plot/fd_symbols.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Shape = std::vector<QPoint>;

TBaseCircle net() {
    TBaseCircle c;
    c.C = QPoint(500, 500);
    c.R = 450;
    return c;
}

TSlipData composed(Tazpl plane, Tazpl line, TSense sense = TSense::U) {
    TSlipData sd;
    sd.Pazpl = plane;
    sd.Lazpl = line;
    sd.sense = sense;
    compose_slip_data_vectors(sd);
    return sd;
}

// A sense-only datum on the plane whose alternatives slip along u(t) for each t.
TFaultData sense_only(const Tazpl& plane, const std::vector<float>& slips) {
    TFaultData fd;
    fd.datatype = TDataType::Sen;
    for (const float t : slips) {
        fd.SDList.push_back(composed(plane, {}));
        fd.SDList.back().v = direction_in_plane(plane_direction_matrix(plane), t);
    }
    return fd;
}

Shape offsets(Shape points, QPoint anchor) {
    for (QPoint& p : points)
        p -= anchor;
    return points;
}

TEST(DirectionInPlane, StrikeDipAndUpperHalf) {
    const auto near = [](Tazpl a, Tazpl b) {
        return std::fabs(a.az - b.az) < 1e-3 && std::fabs(a.pl - b.pl) < 1e-3;
    };
    for (const Tazpl plane : {Tazpl{0, 30}, Tazpl{250, 80}}) {
        const Tmatrix33 m = plane_direction_matrix(plane);
        EXPECT_TRUE(near(vector3_to_azpl(direction_in_plane(m, 90)), plane));
        EXPECT_TRUE(
            near(vector3_to_azpl(direction_in_plane(m, 0)), {float_mod(plane.az + 90, 360), 0}));
        EXPECT_GT(direction_in_plane(m, 270).z, 0.1f);
    }
}

TEST(SlipArrow, StrikeSlipOnlyForSteepPlaneAndGentleSlip) {
    const std::tuple<Tazpl, float, bool> rows[] = {{{90, 90}, 0, true},
                                                   {{90, 90}, -0.33f, true},
                                                   {{90, 90}, -0.34f, false},
                                                   {{90, 90}, 0.6f, false},
                                                   {{90, 60}, 0, false}};
    for (const auto& [plane, vz, strike_slip] : rows) {
        TSlipData sd = composed(plane, {});
        sd.v = {0, float(std::sqrt(1.0 - double(vz) * vz)), vz};
        sd.Lazpl = vector3_to_azpl_lower(sd.v);
        const QPoint p = azpl_to_point(sd.Lazpl, TProjection::EArea, net());
        // A dip-slip arrow starts at the lineation point.
        EXPECT_EQ(slip_arrow_points(net(), TProjection::EArea, 12, sd).front() != p, strike_slip)
            << "v.z " << vz;
    }
}

TEST(SlipArrow, StrikeSlipGeometry) {
    // Vertical E-W plane, horizontal lineation at the east point: the radius is the local x axis.
    const auto east = [](TSense sense, int size) {
        const TSlipData sd = composed({0, 90}, {90, 0}, sense);
        return offsets(slip_arrow_points(net(), TProjection::EArea, size, sd), {950, 500});
    };
    EXPECT_EQ(east(TSense::D, 12),
              Shape({{24, -18}, {36, -6}, {0, -6}, {0, 6}, {-36, 6}, {-24, 18}}));
    EXPECT_EQ(east(TSense::S, 12),
              Shape({{24, 18}, {36, 6}, {0, 6}, {0, -6}, {-36, -6}, {-24, -18}}));
    EXPECT_EQ(east(TSense::D, 5), Shape({{10, -6}, {15, -2}, {0, -2}, {0, 2}, {-15, 2}, {-10, 6}}));
    // At the north point the local x axis points up.
    const TSlipData north = composed({90, 90}, {0, 0}, TSense::D);
    EXPECT_EQ(offsets(slip_arrow_points(net(), TProjection::EArea, 12, north), {500, 50}),
              Shape({{-18, -24}, {-6, -36}, {-6, 0}, {6, 0}, {6, 36}, {18, 24}}));
}

TEST(SlipArrow, DipSlipTipFollowsTheSlipSense) {
    // Lineation right of the centre: normal slip points outward, reverse slip inward.
    for (const auto& [sense, dx] : {std::pair{TSense::N, 48}, std::pair{TSense::R, -48}}) {
        const TSlipData sd = composed({90, 50}, {90, 50}, sense);
        const QPoint p = azpl_to_point(sd.Lazpl, TProjection::EAngle, net());
        const Shape expected{{0, 0}, {dx, 0}, {dx * 3 / 4, dx / 4}, {dx, 0}, {dx * 3 / 4, -dx / 4},
                             {dx, 0}};
        EXPECT_EQ(offsets(slip_arrow_points(net(), TProjection::EAngle, 12, sd), p), expected);
    }
}

TEST(TangentLineation, PointsWhereThePoleMovesTowardTheSlip) {
    // The pole of a plane dipping east lies left of the centre; normal slip tilts it outward.
    for (const auto& [sense, dx] : {std::pair{TSense::N, -20}, std::pair{TSense::R, 20}}) {
        const TSlipData sd = composed({90, 60}, {90, 60}, sense);
        const QPoint p0 = azpl_to_point(plane_to_pole(sd.Pazpl), TProjection::EArea, net());
        const Shape arrow{{-dx, 0}, {dx, 0}, {dx / 2, dx / 2}, {dx, 0}, {dx / 2, -dx / 2}, {dx, 0}};
        EXPECT_EQ(offsets(tangent_lineation_points(net(), TProjection::EArea, 10, sd, false), p0),
                  arrow);
        EXPECT_EQ(offsets(tangent_lineation_points(net(), TProjection::EArea, 10, sd, true), p0),
                  Shape(arrow.begin(), arrow.begin() + 2));
    }
}

TEST(PossibleSlips, FanRunsAroundThePlaneWithoutAJump) {
    // Slips at c - 90 + w and c + 90 - w admit the arc c +- w.
    const std::pair<std::vector<float>, std::vector<int>> rows[] = {
        {{-46, 46}, {40, 41, 42, 43, 44, 0, 1, 2, 3, 4, 5}}, // 320..352 then 0..40
        {{50, 190}, {13, 14, 15, 16, 17}},                   // 104..136
        {{-56, 88}, {0, 1, 2, 3, 4}},                        // 0..32
    };
    for (const auto& [slips, expected] : rows) {
        const TFaultData fd = sense_only({30, 50}, slips);
        EXPECT_EQ(contiguous_slip_indices(fd), expected);
        const Shape fan = possible_slip_fan_points(net(), TProjection::EArea, 10, fd);
        ASSERT_EQ(fan.size(), expected.size() + 1);
        for (std::size_t k = 1; k < fan.size(); ++k)
            EXPECT_NEAR(std::hypot(fan[k].x() - fan[0].x(), fan[k].y() - fan[0].y()), 20, 1);
    }
}

TEST(PossibleSlips, NoCommonDirectionLeavesOnlyTheDotAtThePole) {
    const TFaultData fd = sense_only({200, 40}, {0, 120, 240});
    EXPECT_TRUE(admissible_slip_indices(fd).empty());
    TSlipSymbolSpec symb; // arrows and fan would show in red, the dot is black
    symb.ar_pen = symb.tl_pen = make_pen(255, 2);
    symb.ar_size = symb.tl_size = 10;
    QImage img(1000, 1000, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    draw_possible_slip_arrows(painter, net(), TProjection::EArea, symb, fd);
    draw_possible_slip_fan(painter, net(), TProjection::EArea, symb, fd);
    painter.end();
    int black = 0, other = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            (c == qRgb(0, 0, 0) ? black : other) += c != qRgb(255, 255, 255);
        }
    EXPECT_EQ(other, 0);
    EXPECT_TRUE(black > 4 && black < 30) << black;
    const QPoint p0 = possible_slip_fan_points(net(), TProjection::EArea, 10, fd).front();
    EXPECT_EQ(img.pixel(p0), qRgb(0, 0, 0));
}

} // namespace
