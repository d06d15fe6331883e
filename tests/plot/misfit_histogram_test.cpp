#include "plot/misfit_histogram.h"

#include <QImage>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

TFaultDataSet data(const std::vector<std::pair<TDataType, float>>& items) {
    TFaultDataSet set;
    for (const auto& [type, misfit] : items) {
        set.FDList.emplace_back();
        set.FDList.back().datatype = type;
        set.FDList.back().rep_misfit = misfit;
    }
    return set;
}

TEST(MisfitBins, CountAndCentres) {
    const std::vector<std::tuple<int, int, std::vector<int>, int>> rows{
        {180, 10, {5, 15, 25}, 175}, {180, 7, {3, 10, 17}, 178}, {180, 15, {7, 22, 37}, 172},
        {90, 10, {5, 15}, 85},       {90, 120, {60}, 60},        {90, 5, {2, 7, 12}, 87}};
    for (const auto& [max_misfit, bin, first, last] : rows) {
        const TMisfitBins bins = bin_misfits({}, max_misfit, bin);
        const std::size_t nb = std::size_t((max_misfit + bin - 1) / bin);
        ASSERT_EQ(bins.centres.size(), nb) << max_misfit << "/" << bin;
        EXPECT_TRUE(std::equal(first.begin(), first.end(), bins.centres.begin()));
        EXPECT_EQ(bins.centres.back(), last);
        EXPECT_EQ(bins.counts[3], std::vector<int>(nb, 0));
    }
}

TEST(MisfitBins, WhereAMisfitLands) {
    const std::vector<std::tuple<int, int, float, int>> rows{
        {180, 10, 180, 17}, {180, 10, 179.9f, 17}, {180, 10, 10, 1},   {180, 10, 9.99f, 0},
        {180, 10, -1, 0},   {180, 10, -15, 1},     {180, 10, 500, 17}, {180, 7, 180, 25},
        {90, 10, 90, 8},    {90, 120, 90, 0}};
    for (const auto& [max_misfit, bin, misfit, idx] : rows) {
        const TMisfitBins bins = bin_misfits(data({{TDataType::Sen, misfit}}), max_misfit, bin);
        std::vector<int> expected(bins.centres.size(), 0);
        expected[std::size_t(idx)] = 1;
        EXPECT_EQ(bins.counts[3], expected) << misfit << " in " << max_misfit << "/" << bin;
    }
}

TEST(MisfitBins, KindsCountApartAndStackTogether) {
    const TMisfitBins bins = bin_misfits(
        data(
            {{TDataType::Ful, -1}, {TDataType::Mec, 5}, {TDataType::Mec, 6}, {TDataType::Lin, 95}}),
        180, 90);
    EXPECT_EQ(bins.counts[0], (std::vector<int>{1, 0}));
    EXPECT_EQ(bins.counts[1], (std::vector<int>{2, 0}));
    EXPECT_EQ(bins.counts[2], (std::vector<int>{0, 1}));
    EXPECT_EQ(tallest_stack(bins), 3);
}

TEST(MisfitAxes, IncrementsAndLeftMaximum) {
    for (const auto& [tallest, increment] :
         std::vector<std::pair<int, int>>{{0, 0}, {3, 3}, {4, 4}, {5, 5}, {12, 5}})
        EXPECT_EQ(left_axis_increment(tallest), increment) << tallest;
    for (const auto& [range, increment] : std::vector<std::pair<int, int>>{
             {1, 1}, {10, 1}, {11, 2}, {21, 5}, {51, 10}, {180, 20}, {1000, 100}})
        EXPECT_EQ(automatic_increment(range), increment) << range;
    for (const auto& [tallest, increment, maximum] : std::vector<std::tuple<int, int, int>>{
             {12, 5, 15}, {10, 5, 10}, {3, 3, 3}, {0, 10, 10}, {0, 0, 1}, {37, 0, 40}})
        EXPECT_EQ(left_axis_maximum(tallest, increment), maximum) << tallest << "/" << increment;
}

// Bars are found by their exact colours below the legend, whose swatches show them too.
QImage render(const TFaultDataSet& set, TMifitMeasure measure, int bin) {
    TMisfitHistogram chart;
    set_misfit_axis_range(chart, measure);
    fill_misfit_histogram(chart, set, chart.bottom_max, bin);
    QImage img(400, 500, QImage::Format_RGB32);
    QPainter painter(&img);
    draw_misfit_histogram(painter, img.rect(), chart);
    return img;
}

QRect box_of(const QImage& img, TDataType type, QRect region = {0, 100, 400, 400}) {
    const QRgb colour = color_from_value(misfit_series_color(type)).rgb();
    QRect box;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (img.pixel(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(MisfitChart, SeriesStackFromFullToSenseInOneBar) {
    TFaultDataSet set;
    for (TDataType type : misfit_series)
        for (int i = 0; i < 3; ++i)
            set.FDList.push_back(data({{type, 5}}).FDList[0]);
    const QImage img = render(set, TMifitMeasure::SlipDir, 10);
    for (std::size_t k = 1; k < misfit_series.size(); ++k) {
        const QRect below = box_of(img, misfit_series[k - 1]), box = box_of(img, misfit_series[k]);
        EXPECT_EQ(box.left(), below.left()) << k;
        EXPECT_EQ(box.right(), below.right()) << k;
        EXPECT_NEAR(box.height(), below.height(), 1) << k;
        EXPECT_EQ(box.bottom(), below.top() - 2) << k; // one outline row between
    }
    EXPECT_LT(box_of(img, TDataType::Ful).right(), 60); // first bin of 18
}

TEST(MisfitChart, BarsFillTheirBinsEdgeToEdge) {
    const auto bar = [](TMifitMeasure measure, int bin, float misfit) {
        return box_of(render(data({{TDataType::Lin, misfit}}), measure, bin), TDataType::Lin);
    };
    const QRect b0 = bar(TMifitMeasure::SlipDir, 10, 5), b1 = bar(TMifitMeasure::SlipDir, 10, 15);
    const QRect b17 = bar(TMifitMeasure::SlipDir, 10, 180);
    EXPECT_EQ(b1.left(), b0.right() + 2); // a shared outline, no margin
    EXPECT_NEAR(b17.left() - b0.left(), 17 * (b1.left() - b0.left()), 10);
    // A bin past the end of the axis is cut there: bin 120 under 90 spans two bins of 45.
    const QRect whole = bar(TMifitMeasure::DistFry, 120, 90);
    EXPECT_EQ(whole.left(), bar(TMifitMeasure::DistFry, 45, 0).left());
    EXPECT_EQ(whole.right(), bar(TMifitMeasure::DistFry, 45, 90).right());
}

TEST(MisfitChart, EmptyChartSilverMarginsGradientAndLegend) {
    const QImage img = render({}, TMifitMeasure::SlipDir, 10);
    for (TDataType type : misfit_series) {
        EXPECT_TRUE(box_of(img, type).isEmpty());
        EXPECT_FALSE(box_of(img, type, {0, 0, 400, 100}).isEmpty());
    }
    for (QPoint p : {QPoint(0, 0), QPoint(9, 250), QPoint(399, 499)})
        EXPECT_EQ(img.pixel(p), qRgb(192, 192, 192));
    EXPECT_EQ(img.pixel(11, 11), qRgb(168, 164, 255));
    EXPECT_EQ(img.pixel(11, 488), qRgb(255, 255, 255));
}

TEST(MisfitChart, DrawsInsideItsAreaAndRestoresThePainter) {
    QImage img(500, 600, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter painter(&img);
    painter.setPen(Qt::red);
    painter.setRenderHint(QPainter::Antialiasing, true);
    TMisfitHistogram chart;
    fill_misfit_histogram(chart, data({{TDataType::Mec, 30}}), 180, 5);
    chart.left_increment = 0;
    draw_misfit_histogram(painter, QRect(50, 60, 400, 500), chart);
    draw_misfit_histogram(painter, QRect(0, 0, 15, 15), chart); // no room for a plot
    EXPECT_EQ(painter.pen().color(), QColor(Qt::red));
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
    painter.end();
    EXPECT_EQ(img.pixel(50, 60), qRgb(192, 192, 192));
    for (QPoint p : {QPoint(49, 300), QPoint(450, 300), QPoint(20, 20)})
        EXPECT_EQ(img.pixel(p), qRgb(0, 0, 0));
}

} // namespace
