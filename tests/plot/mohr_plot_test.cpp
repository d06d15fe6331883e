#include "plot/mohr_plot.h"

#include <QImage>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

const QRgb white = qRgb(255, 255, 255);
const QRgb grey = qRgb(128, 128, 128);

TFaultData datum(float normal, float shear, float misfit, int rep_isd = 0) {
    TFaultData fd;
    fd.SDList.resize(1);
    fd.SDList[0].normal_stress = normal;
    fd.SDList[0].shear_stress = shear;
    fd.rep_isd = rep_isd;
    fd.rep_misfit = misfit;
    return fd;
}

QImage render(const TFaultDataSet* set, float sr, bool designated = true, int max_misfit = 180) {
    TMohrPlotStyles styles;
    init_Mohr_style(styles);
    TStressTensor st;
    st.sr = sr;
    QImage img(mohr_plot_size, mohr_plot_size, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter painter(&img);
    draw_Mohr_diagram(painter, styles, set, designated ? &st : nullptr, max_misfit);
    return img;
}

TEST(MohrPlot, WithoutDataOrStressStateOnlyTheGreyAxes) {
    const QImage frame = render(nullptr, 0.5f);
    for (QPoint p : {QPoint(150, 800), QPoint(920, 800), QPoint(150, 555), QPoint(150, 310)})
        EXPECT_EQ(frame.pixel(p), grey) << p.x() << "," << p.y();
    // Past the ends and the round caps of the 4-pixel pen; no circles.
    for (QPoint p : {QPoint(926, 800), QPoint(150, 304), QPoint(500, 450), QPoint(0, 0)})
        EXPECT_EQ(frame.pixel(p), white) << p.x() << "," << p.y();
    TFaultDataSet set;
    set.FDList.push_back(datum(0.5f, 0.5f, 0));
    EXPECT_EQ(render(&set, 0.5f, false), frame);
}

TEST(MohrPlot, PointPositionAndColourByMisfitOverMaxMisfit) {
    const std::vector<std::tuple<float, float, float, int, QPoint, QRgb>> cases{
        {0.5f, 0.5f, 0, 180, {500, 450}, qRgb(0, 0, 235)}, // top of the largest circle
        {0.6f, 0.3f, 180, 180, {570, 590}, qRgb(235, 0, 0)},
        {0.6f, 0.3f, 90, 180, {570, 590}, qRgb(0, 235, 0)},
        {0.6f, 0.3f, 45, 90, {570, 590}, qRgb(0, 235, 0)}, // middle of the Fry scale
    };
    for (const auto& [normal, shear, misfit, max_misfit, pixel, colour] : cases) {
        TFaultDataSet set;
        set.FDList.push_back(datum(normal, shear, misfit));
        const QImage img = render(&set, 0.5f, true, max_misfit);
        EXPECT_EQ(img.pixel(pixel), colour) << misfit << " of " << max_misfit;
        // Radius 5; the black shadow 2 right and down shows beyond it.
        EXPECT_EQ(img.pixel(pixel + QPoint(0, -5)), colour);
        EXPECT_EQ(img.pixel(pixel + QPoint(6, 6)), qRgb(0, 0, 0));
    }
}

TEST(MohrPlot, DatumWithoutRepresentativeIsSkipped) {
    TFaultDataSet set;
    set.FDList.push_back(datum(0.6f, 0.3f, 0, -1));
    set.FDList.push_back(datum(0.6f, 0.3f, 0, 1)); // one alternative only
    const TFaultDataSet empty;
    EXPECT_EQ(render(&set, 0.5f), render(&empty, 0.5f));
}

TEST(MohrPlot, CirclesFollowTheStressRatio) {
    // Circle tops: sigma3-sigma2 at (325, 625) and sigma2-sigma1 at (675, 625) for ratio 0.5;
    // ratio 0 shrinks the first to the origin and lays the second on the largest one.
    const TFaultDataSet empty;
    const std::vector<std::tuple<float, QPoint, QRgb>> cases{
        {0.5f, {325, 625}, grey},  {0.5f, {675, 625}, grey},  {0.5f, {500, 450}, grey},
        {0.0f, {325, 625}, white}, {0.0f, {675, 625}, white}, {0.0f, {500, 450}, grey},
    };
    for (const auto& [sr, pixel, colour] : cases)
        EXPECT_EQ(render(&empty, sr).pixel(pixel), colour) << sr << " " << pixel.x();
}

} // namespace
