// Contour regions on the net, the legends' texts, and the kinematic pictures as a reader sees
// them, the same on every device.

#include "plot/contour_plot.h"
#include "plot/kinematics_plot.h"
#include "plot/net_contours.h"

#include <QImage>
#include <QPicture>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

TBaseCircle net() {
    TBaseCircle c;
    c.C = QPoint(500, 500);
    c.R = 450;
    return c;
}

TEST(NetContours, PositionsOnTheNet) {
    const struct {
        double trend, plunge;
        TProjection projection;
        QPointF expected;
    } cases[] = {
        {0, 90, TProjection::EArea, {500, 500}},
        {0, 0, TProjection::EArea, {500, 50}},
        {90, 0, TProjection::EAngle, {950, 500}},
        {180, 0, TProjection::EAngle, {500, 950}},
        {270, 0, TProjection::EArea, {50, 500}},
        // Equal area: R sqrt2 sin 22.5; equal angle: R tan 22.5.
        {90, 45, TProjection::EArea, {500 + 450 * std::numbers::sqrt2 * 0.38268343236509, 500}},
        {0, 45, TProjection::EAngle, {500, 500 - 450 * 0.41421356237310}},
    };
    for (const auto& c : cases) {
        const QPointF p = net_position(c.trend, c.plunge, c.projection, net());
        EXPECT_NEAR(p.x(), c.expected.x(), 1e-9) << c.trend << "/" << c.plunge;
        EXPECT_NEAR(p.y(), c.expected.y(), 1e-9) << c.trend << "/" << c.plunge;
    }
}

std::vector<double> field(double (*f)(double trend, double plunge)) {
    std::vector<double> values(net_node_count);
    for (int k = 0; k < net_node_count; ++k) {
        const TNetNodeOrientation o = net_node_orientation(k);
        values[std::size_t(k)] = f(o.trend, o.plunge);
    }
    return values;
}

TEST(NetContours, RegionsHoldWhereTheValueReachesTheLevel) {
    const auto plunge = field([](double, double p) { return p; });
    const auto everywhere = field([](double, double) { return 1.0; });
    const auto band = field([](double, double p) { return p >= 30 && p <= 60 ? 1.0 : 0.0; });
    // Highest in the south-east: a region that meets the primitive.
    const auto south_east = field([](double t, double p) {
        return std::cos((t - 135) * std::numbers::pi / 180) * std::cos(p * std::numbers::pi / 180);
    });
    const struct {
        const char* name;
        const std::vector<double>* values;
        double level;
        std::vector<std::pair<double, double>> inside, outside; // trend, plunge
    } cases[] = {
        {"steeper than 45", &plunge, 45, {{0, 50}, {200, 80}, {0, 90}}, {{0, 40}, {300, 10}}},
        {"the whole net", &everywhere, 0.5, {{10, 0.3}, {0, 90}, {250, 1}}, {}},
        {"a ring with a hole", &band, 0.5, {{0, 45}, {123, 35}}, {{0, 90}, {0, 70}, {0, 20}}},
        {"against the primitive",
         &south_east,
         0.5,
         {{135, 0.2}, {135, 40}, {100, 1}},
         {{315, 0.2}, {0, 90}, {20, 1}}},
    };
    for (TProjection projection : {TProjection::EArea, TProjection::EAngle}) {
        const std::vector<QPointF> positions = net_node_positions(projection, net());
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            const QPainterPath region = contour_region(*c.values, c.level, positions);
            for (const auto& [t, p] : c.inside)
                EXPECT_TRUE(region.contains(net_position(t, p, projection, net())))
                    << t << "/" << p;
            for (const auto& [t, p] : c.outside)
                EXPECT_FALSE(region.contains(net_position(t, p, projection, net())))
                    << t << "/" << p;
            // Nothing beyond the primitive.
            EXPECT_LE(region.boundingRect().right(), 950 + 1e-9);
            EXPECT_GE(region.boundingRect().top(), 50 - 1e-9);
        }
    }
    EXPECT_TRUE(
        contour_region(everywhere, 2, net_node_positions(TProjection::EArea, net())).isEmpty());
}

TEST(ContourPlot, DefaultLevels) {
    const struct {
        TDensityMethod method;
        double max;
        std::vector<double> levels;
    } cases[] = {
        {TDensityMethod::Kamb, 7.3, {2, 4, 6}},
        {TDensityMethod::Kamb, 1, {2}},
        {TDensityMethod::Kamb, 31, {5, 10, 15, 20, 25, 30}},
        {TDensityMethod::Schmidt, 20, {1, 2, 4, 8, 16}},
        {TDensityMethod::Schmidt, 0.4, {1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(default_density_levels(c.method, c.max), c.levels) << c.max;
    const std::vector<double> typed{3, 1, 5, std::nan(""), 5, 8};
    EXPECT_EQ(usable_levels(typed), (std::vector<double>{3, 5, 8}));
}

QStringList row_texts(const TContourLegend& legend) {
    QStringList texts;
    for (const TLegendRow& row : legend.rows)
        texts << row.text;
    return texts;
}

TEST(ContourPlot, LegendsNameWhatIsCountedAndTheBands) {
    TAxisDensity kamb;
    kamb.axes = 36;
    kamb.max_value = 6.94;
    TContourBands bands;
    bands.levels = {2, 4, 6};
    bands.colors = {1, 2, 3};
    const TContourLegend k = density_legend(QStringLiteral("P axes"), kamb, bands);
    EXPECT_EQ(k.heading, (QStringList{"P axes", "Kamb, N = 36"}));
    EXPECT_EQ(row_texts(k), (QStringList{"2 – 4σ", "4 – 6σ", "≥ 6σ"}));
    EXPECT_EQ(k.footing, QStringLiteral("max 6.9σ"));

    TAxisDensity schmidt;
    schmidt.method = TDensityMethod::Schmidt;
    schmidt.axes = 1200;
    schmidt.max_value = 12.25;
    bands.levels = {1, 2, 4, 8};
    bands.colors = {1, 2, 3, 4};
    const TContourLegend s = density_legend(QStringLiteral("σ1 axes"), schmidt, bands);
    EXPECT_EQ(s.heading, (QStringList{"σ1 axes", "1 % area, N = 1200"}));
    EXPECT_EQ(row_texts(s), (QStringList{"1 – 2 %", "2 – 4 %", "4 – 8 %", "≥ 8 %"}));
    EXPECT_EQ(s.footing, QStringLiteral("max 12.3 %"));
}

TFaultDataSet normal_faults() {
    TFaultDataSet set;
    for (float dd : {80.0f, 90.0f, 100.0f, 270.0f}) {
        TSlipData sd;
        sd.Pazpl = {dd, 50};
        sd.Lazpl = {dd, 50};
        sd.sense = TSense::N;
        compose_slip_data_vectors(sd);
        TFaultData fd;
        fd.SDList.push_back(sd);
        set.FDList.push_back(fd);
    }
    return set;
}

QImage render(const TKinematicsLayers& layers) {
    TKinematicsStyles styles;
    set_kinematics_styles(styles);
    QImage img(kinematics_plot_width, kinematics_plot_height, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter painter(&img);
    draw_kinematics_plot(painter, styles, layers);
    return img;
}

QPoint pixel_of(double trend, double plunge) {
    TKinematicsStyles styles;
    set_kinematics_styles(styles);
    return net_position(trend, plunge, TProjection::EArea, styles.basecircle).toPoint();
}

TEST(KinematicsPlot, ShadingReadsLightToDarkWithTheCount) {
    const TFaultDataSet set = normal_faults();
    const TKinematicAxesSet axes = kinematic_axes_of_set(set);
    const TRightDihedra dihedra = right_dihedra(kinematic_slips_of_set(set));
    TKinematicsLayers layers;
    layers.dihedra = &dihedra;
    const QImage d = render(layers);
    // Steep P of normal faults: 100 % near the vertical, 0 % at the east-west horizontal T.
    const QColor centre = d.pixelColor(pixel_of(0, 80)), east = d.pixelColor(pixel_of(90, 3));
    EXPECT_LT(centre.lightness(), 120);
    EXPECT_EQ(east, QColor(Qt::white));
    EXPECT_EQ(d.pixelColor(5, 5), QColor(Qt::white));

    const TAxisDensity density = axis_density(p_axes(axes), TDensityMethod::Schmidt);
    layers.dihedra = nullptr;
    layers.density = &density;
    const QImage p = render(layers);
    EXPECT_LT(p.pixelColor(pixel_of(0, 85)).lightness(), p.pixelColor(pixel_of(0, 70)).lightness());
    EXPECT_EQ(p.pixelColor(pixel_of(0, 30)), QColor(Qt::white));
}

TEST(KinematicsPlot, SamePictureOnEveryDevice) {
    const TFaultDataSet set = normal_faults();
    const TKinematicAxesSet axes = kinematic_axes_of_set(set);
    const TAxisDensity density = axis_density(t_axes(axes), TDensityMethod::Kamb);
    TKinematicsLayers layers;
    layers.projection = TProjection::EAngle;
    layers.density = &density;
    layers.subject = TDensitySubject::T;
    layers.axes = &axes;
    const QImage direct = render(layers);

    TKinematicsStyles styles;
    set_kinematics_styles(styles);
    QPicture recording;
    {
        QPainter recorder(&recording);
        draw_kinematics_plot(recorder, styles, layers);
    }
    QImage replayed(kinematics_plot_width, kinematics_plot_height, QImage::Format_RGB32);
    replayed.fill(Qt::black);
    {
        QPainter painter(&replayed);
        recording.play(&painter);
    }
    EXPECT_EQ(direct, replayed);
}

} // namespace
