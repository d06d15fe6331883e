#include "plot/fd_plot_raster.h"

#include "faults/fd_reader.h"
#include "plot/model_faults.h"
#include "stress/compatibility.h"
#include "tests/support/test_support.h"

#include <QCryptographicHash>
#include <QPicture>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <random>

namespace {

TFDPlotStyles styles() {
    TFDPlotStyles s;
    set_FD_plot_styles(s);
    return s;
}

// Data of every kind in turn with every sense; most crowd into one part of the net, so that
// many symbols hide others entirely, some lie at the rim and some have no room on the net.
TFaultDataSet mixed_data(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> az(0, 360), pl(0, 90), crowd_az(100, 140),
        crowd_pl(20, 45), rim(0, 4);
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        const bool crowded = i % 3 != 0;
        const bool at_rim = i % 7 == 0;
        const double plane_az = crowded ? crowd_az(rng) : az(rng);
        const double plane_pl = at_rim ? 90 - rim(rng) : crowded ? crowd_pl(rng) : pl(rng);
        const double line_az = az(rng), line_pl = at_rim ? rim(rng) : pl(rng);
        QString line = QStringLiteral("%1 %2 %3 %4 %5 %6")
                           .arg(QChar("FMLS"[i % 4]))
                           .arg(plane_az, 0, 'f', 1)
                           .arg(plane_pl, 0, 'f', 1)
                           .arg(line_az, 0, 'f', 1)
                           .arg(line_pl, 0, 'f', 1)
                           .arg(QChar("NRSDHU"[i % 6]));
        if (i % 4 == 3)
            line += QStringLiteral(" & %1 %2 D").arg(az(rng), 0, 'f', 1).arg(pl(rng), 0, 'f', 1);
        lines.append(line);
    }
    TFaultDataSet set;
    EventLog log;
    RecordingMessages messages;
    read_fault_data_lines(lines, QStringLiteral("mixed.efd"), set, log, messages);
    // Orientations no file passes, as broken results can hold: far off the net, or nowhere.
    for (const Tazpl plane : {Tazpl{30, -60}, Tazpl{200, 150}, Tazpl{3e38f, 3e38f}}) {
        TSlipData sd;
        sd.Pazpl = plane;
        sd.Lazpl = {plane.az + 20, -plane.pl};
        sd.sense = TSense::N;
        compose_slip_data_vectors(sd);
        TFaultData fd;
        fd.datatype = TDataType::Ful;
        fd.SDList.push_back(sd);
        set.FDList.insert(set.FDList.begin() + std::ptrdiff_t(set.FDList.size() / 2), fd);
    }
    set.FDList.push_back(TFaultData{}); // no alternative: draws nothing
    return set;
}

QImage picture(const std::function<void(QPainter&)>& draw,
               QImage::Format format = QImage::Format_RGB32) {
    QImage img(fd_plot_size, fd_plot_size, format);
    img.fill(Qt::white);
    QPainter p(&img);
    draw(p);
    return img;
}

struct Drawn {
    QImage image;
    QPen pen;
    QBrush brush;
};

Drawn draw_plot(const TFDPlotLayers& layers, TFDRoute route,
                QImage::Format format = QImage::Format_RGB32) {
    Drawn d;
    d.image = picture(
        [&](QPainter& p) {
            // Or Auto would take the vector route too, and the routes would not be compared.
            EXPECT_TRUE(FD_raster_route_applies(p, styles()));
            draw_FD_plot(p, styles(), layers, route);
            d.pen = p.pen();
            d.brush = p.brush();
        },
        format);
    return d;
}

int differing_pixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// Loaded data, their theoretical slips, model faults and axes of one stress state, made once.
struct Scene {
    TFaultDataSet loaded_gca = mixed_data(500, 1);
    TFaultDataSet loaded_tld = mixed_data(3000, 2);
    TFaultDataSet theoretical_gca, theoretical_tld;
    std::array<TFaultDataSet, 2> model; // equal area, equal angle
    TPrincipalAxisOrientations axes;

    Scene() {
        const TStressTensor st =
            stress_tensor_from_axes(make_azpl(110, 5), make_azpl(200, 80), 0.4f);
        calc_theoretical_slip_and_misfit(loaded_gca, theoretical_gca, st, TMifitMeasure::SlipDir);
        calc_theoretical_slip_and_misfit(loaded_tld, theoretical_tld, st, TMifitMeasure::SlipDir);
        build_model_faults(model[0], st, TProjection::EArea, styles().basecircle);
        build_model_faults(model[1], st, TProjection::EAngle, styles().basecircle);
        axes = {st.ax[0], st.ax[1], st.ax[2]};
    }

    TFDPlotLayers layers(TProjection projection, TPlotMethod method) const {
        const bool gca = method == TPlotMethod::GCA;
        TFDPlotLayers l;
        l.projection = projection;
        l.plotmethod = method;
        l.model_faults = &model[projection == TProjection::EArea ? 0 : 1];
        l.designated_axes = axes;
        l.loaded = gca ? &loaded_gca : &loaded_tld;
        l.selected = 40;
        l.theoretical = gca ? &theoretical_gca : &theoretical_tld;
        return l;
    }
};

const Scene& scene() {
    static const Scene s;
    return s;
}

// The agreement that lets pictures be painted the quick way: every kind of datum, both methods
// and projections, the picked datum, model faults, axis stars and theoretical slips.
TEST(FDRasterRoute, PlotsAsTheVectorRoutePixelForPixel) {
    for (const TProjection projection : {TProjection::EArea, TProjection::EAngle})
        for (const TPlotMethod method : {TPlotMethod::GCA, TPlotMethod::TLD}) {
            const TFDPlotLayers l = scene().layers(projection, method);
            const Drawn vector = draw_plot(l, TFDRoute::Vector);
            const Drawn raster = draw_plot(l, TFDRoute::Auto);
            EXPECT_EQ(differing_pixels(vector.image, raster.image), 0)
                << "projection " << int(projection) << " method " << int(method);
            EXPECT_EQ(raster.pen, vector.pen);
            EXPECT_EQ(raster.brush, vector.brush);
        }
}

TEST(FDRasterRoute, SetsAloneAsTheVectorRoute) {
    struct Row {
        const TFaultDataSet* set;
        TFDSetRole role;
        int selected;
        TPlotMethod method;
        QImage::Format format;
    };
    const Scene& s = scene();
    const Row rows[] = {
        {&s.loaded_tld, TFDSetRole::Loaded, 7, TPlotMethod::TLD, QImage::Format_RGB32},
        {&s.loaded_gca, TFDSetRole::Loaded, -1, TPlotMethod::GCA, QImage::Format_ARGB32},
        {&s.model[1], TFDSetRole::Model, 3, TPlotMethod::GCA, QImage::Format_ARGB32_Premultiplied},
        {&s.theoretical_tld, TFDSetRole::Theoretical, -1, TPlotMethod::TLD,
         QImage::Format_ARGB32_Premultiplied},
    };
    for (const Row& row : rows) {
        std::array<Drawn, 2> drawn;
        for (const TFDRoute route : {TFDRoute::Vector, TFDRoute::Auto}) {
            Drawn& d = drawn[std::size_t(route)];
            d.image = picture(
                [&](QPainter& p) {
                    draw_FD_set(p, styles(), TProjection::EAngle, row.method, *row.set, row.role,
                                row.selected, route);
                    d.pen = p.pen();
                    d.brush = p.brush();
                },
                row.format);
        }
        EXPECT_EQ(differing_pixels(drawn[0].image, drawn[1].image), 0)
            << "role " << int(row.role) << " format " << row.format;
        EXPECT_EQ(drawn[0].pen, drawn[1].pen);
        EXPECT_EQ(drawn[0].brush, drawn[1].brush);
    }
}

// What the plots looked like before the raster route existed: a picture of both methods
// recorded then, which either route must still give.
TEST(FDRasterRoute, PictureRecordedBeforeTheRasterRoute) {
    const TFaultDataSet set = mixed_data(300, 3);
    QCryptographicHash hash(QCryptographicHash::Md5);
    for (const TPlotMethod method : {TPlotMethod::GCA, TPlotMethod::TLD}) {
        TFDPlotLayers l;
        l.plotmethod = method;
        l.loaded = &set;
        l.selected = 0;
        const QImage img = draw_plot(l, TFDRoute::Auto).image;
        for (int y = 0; y < img.height(); ++y)
            hash.addData(QByteArrayView(reinterpret_cast<const char*>(img.constScanLine(y)),
                                        img.width() * 4));
    }
    EXPECT_EQ(hash.result().toHex(), QByteArray("7e5ae34f3323f2fd04ac700e86e33430"));
}

TEST(FDRasterRouteChoice, OnlyPlainPicturesWithOpaqueStyles) {
    QImage img(100, 100, QImage::Format_RGB32);
    QPainter p(&img);
    EXPECT_TRUE(FD_raster_route_applies(p, styles()));
    TFDPlotStyles translucent = styles();
    translucent.symb[1].ar_pen.setColor(QColor(0, 0, 0, 128));
    EXPECT_FALSE(FD_raster_route_applies(p, translucent));
    TFDPlotStyles patterned = styles();
    patterned.symb[3].tl_brs.setStyle(Qt::Dense4Pattern);
    EXPECT_FALSE(FD_raster_route_applies(p, patterned));
    p.scale(2, 2); // a PNG drawn larger than the screen
    EXPECT_FALSE(FD_raster_route_applies(p, styles()));
    QPicture recording;
    QPainter recorder(&recording);
    EXPECT_FALSE(FD_raster_route_applies(recorder, styles()));
}

} // namespace
