// The mapping between the pixels of a view's picture area and those of the plot it shows.

#include "plot/picture_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

const QSize stress_picture(2000, 1000);
const QSize square_picture(1000, 1000);

TEST(PictureFit, AreaPointsBecomePicturePoints) {
    // picture, area size, area point, picture point
    const std::tuple<QSize, QSize, QPoint, QPoint> rows[] = {
        {stress_picture, {814, 407}, {203, 203}, {499, 499}},
        {stress_picture, {1000, 1000}, {100, 50}, {200, 100}},  // the width limits
        {stress_picture, {2500, 1200}, {700, 300}, {700, 300}}, // larger: shown 1:1
        {square_picture, {400, 800}, {200, 100}, {500, 250}},   // the width limits
        {square_picture, {900, 500}, {250, 250}, {500, 500}},   // the height limits
        {square_picture, {501, 800}, {1, 0}, {2, 0}},           // 1.996: rounds up
        {square_picture, {0, 0}, {7, 9}, {7, 9}},               // nothing shown: 1:1
    };
    for (const auto& [picture, area, point, expected] : rows)
        EXPECT_EQ(picture_point(point, picture, area), expected)
            << area.width() << " x " << area.height();
}

TEST(PictureFit, ShownSizeKeepsTheAspectAndNeverEnlarges) {
    EXPECT_EQ(shown_picture_size(stress_picture, {1000, 700}), QSize(1000, 500));
    // 2000 / (1 / 0.407) falls short of 814 in floating point: the side must not lose a pixel.
    EXPECT_EQ(shown_picture_size(stress_picture, {814, 407}), QSize(814, 407));
    EXPECT_EQ(shown_picture_size(stress_picture, {3000, 3000}), stress_picture);
    EXPECT_EQ(shown_picture_size(square_picture, {600, 900}), QSize(600, 600));
    EXPECT_EQ(shown_picture_size(QSize(0, 0), {600, 900}), QSize(0, 0));
}

TEST(PictureFit, AimedClicksLandOnTheirPicturePoints) {
    const QSize areas[] = {{2200, 1400}, {2000, 1000}, {1100, 600}, {813, 501}, {640, 900}};
    const QPoint points[] = {{0, 0}, {500, 500}, {1045, 505}, {960, 940}, {1999, 999}};
    for (const QSize picture : {stress_picture, square_picture})
        for (const QSize area : areas) {
            // Half an area pixel, rounded: as near as a reduced picture lets a click land.
            const double tolerance = picture_scale(picture, area) / 2 + 0.5;
            for (const QPoint p : points) {
                const QPoint back = picture_point(area_point(p, picture, area), picture, area);
                EXPECT_LE(std::abs(back.x() - p.x()), tolerance) << area.width() << " " << p.x();
                EXPECT_LE(std::abs(back.y() - p.y()), tolerance) << area.height() << " " << p.y();
            }
        }
}

} // namespace
