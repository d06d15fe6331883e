#include "plot/fd_plot.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

const QRgb white = qRgb(255, 255, 255);
const QRgb grey = qRgb(128, 128, 128);

TFDPlotStyles styles() {
    TFDPlotStyles s;
    set_FD_plot_styles(s);
    return s;
}

QImage render(const TFDPlotLayers& layers) {
    QImage img(fd_plot_size, fd_plot_size, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter painter(&img);
    draw_FD_plot(painter, styles(), layers);
    return img;
}

TFaultDataSet one_datum(TDataType type, float dipdir, float dip, TSense sense) {
    TSlipData sd;
    sd.Pazpl = {dipdir, dip};
    sd.Lazpl = {dipdir, dip};
    sd.sense = sense;
    compose_slip_data_vectors(sd);
    TFaultData fd;
    fd.datatype = type;
    fd.SDList.push_back(sd);
    if (type == TDataType::Mec)
        fd.SDList.push_back(compose_second_nodal_plane(sd));
    TFaultDataSet set;
    set.FDList.push_back(fd);
    return set;
}

TEST(Stars, ShapesAroundTheOrigin) {
    using Star = std::array<QPoint, 11>;
    // clang-format off
    const Star star3{{{0, 10}, {-26, 15}, {-9, -5}, {0, -30}, {9, -5}, {26, 15},
                      {0, 10}, {0, 10}, {0, 10}, {0, 10}, {0, 10}}};
    const Star star4{{{-7, 7}, {-30, 0}, {-7, -7}, {0, -30}, {7, -7}, {30, 0}, {7, 7}, {0, 30},
                      {-7, 7}, {-7, 7}, {-7, 7}}};
    const Star star5{{{0, 10}, {-18, 24}, {-10, 3}, {-29, -9}, {-6, -8}, {0, -30}, {6, -8},
                      {29, -9}, {10, 3}, {18, 24}, {0, 10}}};
    // clang-format on
    EXPECT_EQ(make_star3(), star3);
    EXPECT_EQ(make_star4(), star4);
    EXPECT_EQ(make_star5(), star5);
}

TEST(FDPlot, EmptyNetIsAGreyRingWithFourTicks) {
    const QImage img = render({});
    // Ring, ticks ending 20 pixels out.
    for (const QPoint p :
         {QPoint(818, 182), QPoint(500, 31), QPoint(969, 500), QPoint(500, 969), QPoint(31, 500)})
        EXPECT_EQ(img.pixel(p), grey) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(0, 0), QPoint(999, 999), QPoint(500, 500), QPoint(500, 25),
                           QPoint(975, 500), QPoint(840, 160)})
        EXPECT_EQ(img.pixel(p), white) << p.x() << "," << p.y();
    // The 4-pixel outline is centred on the circle: as thick on the far sides as on the near.
    for (const int d : {48, 51})
        EXPECT_TRUE(img.pixel(510, d) == grey && img.pixel(1000 - d - 1, 510) == grey) << d;
    for (const int d : {47, 52})
        EXPECT_TRUE(img.pixel(510, d) == white && img.pixel(1000 - d - 1, 510) == white) << d;
}

TEST(FDPlot, SelectedDatumIsRedOverTheOthers) {
    // Two data on one spot: the first, when picked, must not hide under the second.
    TFaultDataSet set = one_datum(TDataType::Ful, 120, 60, TSense::N);
    set.FDList.push_back(set.FDList[0]);
    const QPoint tip = tangent_lineation_points(styles().basecircle, TProjection::EArea, 10,
                                                set.FDList[0].SDList[0], false)[1];
    for (const auto& [selected, colour] :
         {std::pair{0, qRgb(255, 0, 0)}, std::pair{1, qRgb(255, 0, 0)},
          std::pair{-1, qRgb(0, 0, 0)}, std::pair{2, qRgb(0, 0, 0)}}) {
        TFDPlotLayers layers;
        layers.loaded = &set;
        layers.selected = selected;
        EXPECT_EQ(render(layers).pixel(tip), colour) << "selected " << selected;
    }
}

TEST(FDPlot, TheoreticalSlipShowsOnlyGreenArrows) {
    const TFaultDataSet set = one_datum(TDataType::Ful, 200, 70, TSense::R);
    TFDPlotLayers layers;
    layers.plotmethod = TPlotMethod::GCA;
    const QImage frame = render(layers);
    layers.theoretical = &set;
    const QImage img = render(layers);
    int changed = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != frame.pixel(x, y)) {
                ++changed;
                ASSERT_EQ(img.pixel(x, y), qRgb(0, 238, 0)) << x << "," << y;
            }
    EXPECT_GT(changed, 50);
}

TEST(FDPlot, MecDatumDrawsBothPlanes) {
    const TFaultDataSet set = one_datum(TDataType::Mec, 120, 40, TSense::N);
    const TBaseCircle& net = styles().basecircle;
    for (const TPlotMethod method : {TPlotMethod::GCA, TPlotMethod::TLD}) {
        TFDPlotLayers layers;
        layers.plotmethod = method;
        layers.loaded = &set;
        const QImage img = render(layers);
        for (const TSlipData& sd : set.FDList[0].SDList) {
            const QPoint tip =
                method == TPlotMethod::GCA
                    ? slip_arrow_points(net, TProjection::EArea, 12, sd)[1]
                    : tangent_lineation_points(net, TProjection::EArea, 10, sd, false)[1];
            EXPECT_EQ(img.pixel(tip), grey) << "method " << int(method);
        }
    }
}

TEST(FDPlot, DesignatedAxesAreSkyBlueWithoutData) {
    TFDPlotLayers layers;
    layers.projection = TProjection::EAngle;
    layers.designated_axes =
        TPrincipalAxisOrientations{Tazpl{10, 70}, Tazpl{190, 20}, Tazpl{100, 0}};
    const QImage img = render(layers);
    for (const Tazpl& axis : *layers.designated_axes) {
        const QPoint p = azpl_to_point(axis, TProjection::EAngle, styles().basecircle);
        EXPECT_EQ(img.pixel(p + QPoint(0, -20)), qRgb(166, 202, 240)) << axis.az;
    }
}

} // namespace
