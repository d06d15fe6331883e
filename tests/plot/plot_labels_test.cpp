// The labels of the pictures lie where neither the frame nor any datum is, and change nothing
// else: data spread over every orientation and every Mohr stress, each picture drawn with and
// without its labels.

#include "plot/fd_plot.h"
#include "plot/fd_symbols.h"
#include "plot/mohr_plot.h"
#include "plot/st_plot.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const QRgb white = qRgb(255, 255, 255);

QImage picture(QSize size, const std::function<void(QPainter&)>& draw) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter painter(&img);
    draw(painter);
    return img;
}

// Sigma1 every 15 degrees of trend and plunge, sigma3 turned about it, every ratio; heavy
// weights make the largest heads, at the edge of the nets too.
std::vector<TStressTensor> states_everywhere(float max_weight) {
    std::vector<TStressTensor> states;
    for (int az = 0; az < 360; az += 15)
        for (int pl = 0; pl <= 90; pl += 15) {
            TStressTensor st;
            const Tazpl s1{float(az), float(pl)};
            const Tmatrix33 m = plane_direction_matrix(pole_to_plane(s1));
            const Tazpl s3 = vector3_to_azpl_lower(direction_in_plane(m, float(az * 7 % 180)));
            st.ax = {s1, {}, s3};
            st.e_vec = {azpl_to_vector3(s1), {}, azpl_to_vector3(s3)};
            build_stress_tensor(st, float(az % 100) / 100);
            st.Le = 1 + max_weight * float(pl) / 90;
            states.push_back(st);
        }
    return states;
}

// Planes every 30 degrees of dip direction and 20 of dip, a slip each way in each.
TFaultDataSet data_everywhere() {
    TFaultDataSet set;
    for (int dipdir = 0; dipdir < 360; dipdir += 30)
        for (int dip = 10; dip <= 90; dip += 20)
            for (const float t : {30.0f, 150.0f}) {
                TSlipData sd;
                sd.Pazpl = {float(dipdir), float(dip)};
                sd.Lazpl =
                    vector3_to_azpl_lower(direction_in_plane(plane_direction_matrix(sd.Pazpl), t));
                sd.sense = TSense::N;
                compose_slip_data_vectors(sd);
                TFaultData fd;
                fd.datatype = TDataType::Ful;
                fd.SDList.push_back(sd);
                set.FDList.push_back(fd);
            }
    return set;
}

// Points all over the half of the largest Mohr circle, every misfit.
TFaultDataSet mohr_points_everywhere() {
    TFaultDataSet set;
    for (int i = 0; i <= 20; ++i)
        for (int j = 0; j <= 10; ++j) {
            const float normal = i / 20.0f, shear = j / 20.0f;
            if ((normal - 0.5f) * (normal - 0.5f) + shear * shear > 0.25f)
                continue;
            TFaultData fd;
            fd.SDList.resize(1);
            fd.SDList[0].normal_stress = normal;
            fd.SDList[0].shear_stress = shear;
            fd.rep_isd = 0;
            fd.rep_misfit = float(i * 9);
            set.FDList.push_back(fd);
        }
    return set;
}

// The two pictures of one kind, frame alone and with the data, either with labels or without.
struct Row {
    std::string name;
    QSize size;
    std::function<void(QPainter&, bool labels)> frame;
    std::function<void(QPainter&, bool labels)> whole;
    std::vector<QPoint> north; // the "N" may lie under the data at the top of a net
};

bool near_north(QPoint p, const std::vector<QPoint>& north) {
    for (const QPoint n : north)
        if (std::abs(p.x() - n.x()) <= 30 && p.y() <= n.y())
            return true;
    return false;
}

TEST(PlotLabels, LieOffTheFrameAndTheDataAndChangeNothingElse) {
    TSTPlotStyles st_styles;
    setup_stress_plot_styles(st_styles);
    TFDPlotStyles fd_styles;
    set_FD_plot_styles(fd_styles);
    TMohrPlotStyles mohr_styles;
    init_Mohr_style(mohr_styles);
    const std::vector<TStressTensor> heavy = states_everywhere(12); // heads up to R / 5
    const std::vector<TStressTensor> many = states_everywhere(4);
    const TFaultDataSet data = data_everywhere();
    const TFaultDataSet points = mohr_points_everywhere();
    TStressTensor designated;
    designated.sr = 0.3f;
    const TPlottedNumbers numbers{1, 13, 1, 0};
    const std::vector<QPoint> st_norths{{500, 30}, {1500, 30}};

    const auto stress_row = [&](const char* name, TEmphasis emphasis, float df,
                                const std::vector<TStressTensor>& states) {
        const auto settings = [=](bool labels) {
            return TSTDrawSettings{emphasis, df, true, true, labels};
        };
        return Row{name, QSize(st_plot_width, st_plot_height),
                   [&, settings](QPainter& p, bool labels) {
                       draw_stress_plot_frame(p, st_styles, settings(labels), 0.01f, numbers);
                   },
                   [&, settings](QPainter& p, bool labels) {
                       draw_stress_states(p, st_styles, settings(labels), states, 0.01f, numbers);
                   },
                   st_norths};
    };
    const auto fd_row = [&](const char* name, TPlotMethod method, TProjection projection) {
        return Row{name,
                   QSize(fd_plot_size, fd_plot_size),
                   [&](QPainter& p, bool labels) { draw_FD_frame(p, fd_styles, labels); },
                   [&, method, projection](QPainter& p, bool labels) {
                       TFDPlotLayers layers;
                       layers.projection = projection;
                       layers.plotmethod = method;
                       layers.loaded = &data;
                       layers.designated_axes =
                           TPrincipalAxisOrientations{Tazpl{10, 80}, Tazpl{}, Tazpl{100, 0}};
                       layers.labels = labels;
                       draw_FD_plot(p, fd_styles, layers);
                   },
                   {{500, 30}}};
    };
    const auto mohr_row = [&](const char* name, int max_misfit) {
        return Row{name,
                   QSize(mohr_plot_size, mohr_plot_size),
                   [&, max_misfit](QPainter& p, bool labels) {
                       draw_Mohr_diagram(p, mohr_styles, nullptr, nullptr, max_misfit, labels);
                   },
                   [&, max_misfit](QPainter& p, bool labels) {
                       draw_Mohr_diagram(p, mohr_styles, &points, &designated, max_misfit, labels);
                   },
                   {}};
    };
    const Row rows[] = {
        stress_row("stress, size", TEmphasis::Siz, 1, heavy),
        stress_row("stress, number scattered widely", TEmphasis::Num, 5, many),
        fd_row("fault data, great circles", TPlotMethod::GCA, TProjection::EArea),
        fd_row("fault data, tangent lineations", TPlotMethod::TLD, TProjection::EAngle),
        mohr_row("Mohr, slip direction", 180),
        mohr_row("Mohr, Fry arc", 90),
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QImage frame = picture(row.size, [&](QPainter& p) { row.frame(p, false); });
        const QImage labelled = picture(row.size, [&](QPainter& p) { row.frame(p, true); });
        const QImage whole = picture(row.size, [&](QPainter& p) { row.whole(p, false); });
        const QImage whole_labelled = picture(row.size, [&](QPainter& p) { row.whole(p, true); });
        int label_pixels = 0, on_frame = 0, under_data = 0, elsewhere = 0;
        for (int y = 0; y < row.size.height(); ++y)
            for (int x = 0; x < row.size.width(); ++x) {
                const bool label = labelled.pixel(x, y) != frame.pixel(x, y);
                const bool datum = whole.pixel(x, y) != frame.pixel(x, y);
                label_pixels += label;
                on_frame += label && frame.pixel(x, y) != white;
                under_data += label && datum && !near_north({x, y}, row.north);
                elsewhere += !label && whole_labelled.pixel(x, y) != whole.pixel(x, y);
            }
        EXPECT_GT(label_pixels, 100);
        EXPECT_EQ(on_frame, 0);
        EXPECT_EQ(under_data, 0);
        EXPECT_EQ(elsewhere, 0);
    }
}

} // namespace
