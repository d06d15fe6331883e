#include "plot/fd_plot.h"

#include "plot/fd_plot_raster.h"
#include "plot/kinematics_plot.h"
#include "plot/plot_labels.h"

#include <cmath>

namespace {

constexpr TColorValue grey = grey_value;
constexpr TColorValue silver = silver_value;
constexpr TColorValue red = 255;
constexpr TColorValue green = 60928;
constexpr TColorValue sky_blue = 15780518;

TSlipSymbolSpec slip_symbol(QPen gc_pen, QPen ar_pen, TColorValue ar_brs, int ar_size, QPen tl_pen,
                            TColorValue tl_brs, int tl_size, TColorValue font_color) {
    TSlipSymbolSpec symb;
    symb.gc_pen = gc_pen;
    symb.ar_pen = ar_pen;
    symb.ar_brs = make_brush(ar_brs);
    symb.ar_size = ar_size;
    symb.tl_pen = tl_pen;
    symb.tl_brs = make_brush(tl_brs);
    symb.tl_size = tl_size;
    symb.font_color = font_color;
    return symb;
}

void draw_great_circle_datum(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                             const TSlipSymbolSpec& symb, const TFaultData& fd) {
    const TSlipData& first = fd.SDList.front();
    switch (fd.datatype) {
    case TDataType::Ful:
        draw_great_circle(canvas, circle, projection, symb, first.Pazpl);
        draw_slip_arrow(canvas, circle, projection, symb, first);
        break;
    case TDataType::Mec:
        for (const TSlipData& sd : fd.SDList) {
            draw_great_circle(canvas, circle, projection, symb, sd.Pazpl);
            draw_slip_arrow(canvas, circle, projection, symb, sd);
        }
        break;
    case TDataType::Lin:
        draw_great_circle(canvas, circle, projection, symb, first.Pazpl);
        draw_lineation_bar(canvas, circle, projection, symb, first);
        break;
    case TDataType::Sen:
        draw_great_circle(canvas, circle, projection, symb, first.Pazpl);
        draw_possible_slip_arrows(canvas, circle, projection, symb, fd);
        break;
    }
}

void draw_tangent_datum(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                        const TSlipSymbolSpec& symb, const TFaultData& fd) {
    const TSlipData& first = fd.SDList.front();
    switch (fd.datatype) {
    case TDataType::Ful:
        draw_tangent_lineation(canvas, circle, projection, symb, first);
        break;
    case TDataType::Mec:
        for (const TSlipData& sd : fd.SDList)
            draw_tangent_lineation(canvas, circle, projection, symb, sd);
        break;
    case TDataType::Lin:
        draw_tangent_lineation_bar(canvas, circle, projection, symb, first);
        break;
    case TDataType::Sen:
        draw_possible_slip_fan(canvas, circle, projection, symb, fd);
        break;
    }
}

std::array<QPoint, 11> make_star(int computed, double first_angle, double step) {
    std::array<QPoint, 11> star;
    for (int k = 0; k < computed; ++k) {
        const double a = (first_angle + step * k) * 0.017453292519943295;
        const double radius = k % 2 == 0 ? 10 : 30;
        star[std::size_t(k)] = QPoint(nearest(radius * std::cos(a)), nearest(radius * std::sin(a)));
    }
    for (std::size_t k = std::size_t(computed); k < star.size(); ++k)
        star[k] = star[0];
    return star;
}

} // namespace

void set_FD_plot_styles(TFDPlotStyles& styles) {
    TBaseCircle& net = styles.basecircle;
    net.C = QPoint(500, 500);
    net.R = 450;
    net.tick_size = 20;
    net.pen = make_pen(grey, 4);
    net.brs = make_brush(white_value);

    const auto solid = [](TColorValue c, int w) { return make_pen(c, w, Qt::SolidLine); };
    const auto dotted = [](TColorValue c, int w) { return make_pen(c, w, Qt::DotLine); };
    const TColorValue white = white_value, black = black_value;
    auto& symb = styles.symb;
    symb[std::size_t(TDataType::Ful)] = slip_symbol(solid(grey, 1), solid(black, 4), white, 12,
                                                    solid(black, 4), white, 10, 9474192);
    symb[std::size_t(TDataType::Mec)] =
        slip_symbol(dotted(grey, 1), solid(grey, 3), white, 12, solid(grey, 3), white, 10, 7368880);
    symb[std::size_t(TDataType::Lin)] = slip_symbol(solid(grey, 1), solid(black, 4), white, 12,
                                                    solid(black, 4), white, 10, 7385200);
    symb[std::size_t(TDataType::Sen)] = slip_symbol(solid(grey, 1), dotted(grey, 2), white, 6,
                                                    solid(grey, 2), silver, 10, 11563120);
    styles.symb_highlight =
        slip_symbol(solid(red, 4), solid(red, 6), red, 12, solid(red, 6), red, 10, red);
    styles.symb_model =
        slip_symbol(solid(silver, 1), solid(grey, 2), white, 12, solid(silver, 2), white, 10, grey);
    styles.symb_theoretical = slip_symbol(make_pen(no_color_value, 0, Qt::NoPen), solid(green, 2),
                                          white, 12, solid(green, 2), white, 10, grey);
}

const TSlipSymbolSpec& FD_symbol_style(const TFDPlotStyles& styles, TFDSetRole role,
                                       const TFaultData& fd, bool selected) {
    switch (role) {
    case TFDSetRole::Theoretical:
        return styles.symb_theoretical;
    case TFDSetRole::Model:
        return styles.symb_model;
    case TFDSetRole::Loaded:
        break;
    }
    return selected ? styles.symb_highlight : styles.symb[static_cast<std::size_t>(fd.datatype)];
}

void draw_FD_datum(QPainter& canvas, const TBaseCircle& circle, TProjection projection,
                   TPlotMethod plotmethod, const TSlipSymbolSpec& symb, const TFaultData& fd) {
    if (plotmethod == TPlotMethod::GCA)
        draw_great_circle_datum(canvas, circle, projection, symb, fd);
    else
        draw_tangent_datum(canvas, circle, projection, symb, fd);
}

void draw_FD_frame(QPainter& canvas, const TFDPlotStyles& styles, bool labels) {
    clear_canvas(canvas, fd_plot_size, fd_plot_size);
    draw_base_circle(canvas, styles.basecircle);
    if (labels)
        draw_north_label(canvas, styles.basecircle);
}

void draw_FD_set(QPainter& canvas, const TFDPlotStyles& styles, TProjection projection,
                 TPlotMethod plotmethod, const TFaultDataSet& set, TFDSetRole role, int selected,
                 TFDRoute route) {
    if (route == TFDRoute::Auto && FD_raster_route_applies(canvas, styles)) {
        draw_FD_set_raster(canvas, styles, projection, plotmethod, set, role, selected);
        return;
    }
    const auto draw = [&](int i) {
        const TFaultData& fd = set.FDList[std::size_t(i)];
        if (fd.SDList.empty())
            return;
        draw_FD_datum(canvas, styles.basecircle, projection, plotmethod,
                      FD_symbol_style(styles, role, fd, i == selected), fd);
    };
    const bool highlighted = selected >= 0 && selected < set.count();
    for (int i = 0; i < set.count(); ++i)
        if (!highlighted || i != selected)
            draw(i);
    if (highlighted)
        draw(selected); // over the others, so that no later datum hides it
}

void draw_designated_axes(QPainter& canvas, const TFDPlotStyles& styles, TProjection projection,
                          const TPrincipalAxisOrientations& axes) {
    // Outline fixed to 1 pixel so the stars look alike whatever layer came before.
    give_pen_brush(canvas, make_pen(sky_blue, 1), make_brush(sky_blue));
    const std::array<std::array<QPoint, 11>, 3> stars{make_star3(), make_star4(), make_star5()};
    for (std::size_t k = 0; k < 3; ++k) {
        const QPoint p = azpl_to_point(axes[k], projection, styles.basecircle);
        std::array<QPoint, 11> star = stars[k];
        for (QPoint& point : star)
            point += p;
        canvas.drawPolygon(star.data(), int(star.size()));
    }
}

std::array<QPoint, 11> make_star3() {
    return make_star(7, 90, 60);
}

std::array<QPoint, 11> make_star4() {
    return make_star(9, 135, 45);
}

std::array<QPoint, 11> make_star5() {
    return make_star(11, 90, 36);
}

void draw_FD_plot(QPainter& canvas, const TFDPlotStyles& styles, const TFDPlotLayers& layers,
                  TFDRoute route) {
    draw_FD_frame(canvas, styles, layers.labels);
    if (layers.density) {
        // A small legend in the corner the net leaves free.
        TContourStyle style = density_contour_style();
        style.legend_pixels = 15;
        draw_density_layer(canvas, styles.basecircle, layers.projection, *layers.density,
                           layers.density_subject, layers.density_levels, style, QPoint(6, 6));
        if (layers.labels)
            draw_north_label(canvas, styles.basecircle);
    }
    if (route == TFDRoute::Auto && FD_raster_route_applies(canvas, styles)) {
        draw_FD_layers_raster(canvas, styles, layers);
        return;
    }
    const auto set = [&](const TFaultDataSet* data, TFDSetRole role, int selected) {
        if (data)
            draw_FD_set(canvas, styles, layers.projection, layers.plotmethod, *data, role, selected,
                        TFDRoute::Vector);
    };
    set(layers.model_faults, TFDSetRole::Model, -1);
    if (layers.designated_axes)
        draw_designated_axes(canvas, styles, layers.projection, *layers.designated_axes);
    set(layers.loaded, TFDSetRole::Loaded, layers.selected);
    set(layers.theoretical, TFDSetRole::Theoretical, -1);
}
