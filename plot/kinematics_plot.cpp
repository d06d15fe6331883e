#include "plot/kinematics_plot.h"

#include "plot/plot_labels.h"
#include "plot/st_symbols.h"

#include <algorithm>

namespace {

// Between the two stress nets, where the plunge legend of the tadpoles sits otherwise.
constexpr QPoint stress_legend_at{898, 18};
constexpr int stress_legend_pixels = 17;

// Bands and legend; returns the legend's size.
QSize draw_density_bands(QPainter& canvas, const TBaseCircle& net, TProjection projection,
                         const TAxisDensity& density, TDensitySubject subject,
                         std::span<const double> levels, const TContourStyle& style,
                         QPoint legend_at) {
    const TContourBands bands =
        contour_bands(density.values, density_levels(density, levels), projection, net, style);
    draw_contour_bands(canvas, bands, style.line_pen);
    return draw_contour_legend(
        canvas, legend_at, density_legend(density_subject_caption(subject), density, bands), style);
}

} // namespace

void set_kinematics_styles(TKinematicsStyles& styles) {
    styles.basecircle.C = QPoint(520, 540);
    styles.basecircle.R = 450;
    styles.basecircle.tick_size = 20;
    styles.basecircle.pen = make_pen(grey_value, 4);
    styles.basecircle.brs = make_brush(white_value);
    styles.density = density_contour_style();
    styles.dihedra = dihedra_contour_style();
    styles.symbols = TKinematicSymbolStyle{};
    styles.legend_at = QPoint(1040, 70);
}

std::vector<double> density_levels(const TAxisDensity& density, std::span<const double> levels) {
    std::vector<double> usable = usable_levels(levels);
    if (usable.empty())
        usable = default_density_levels(density.method, density.max_value);
    return usable;
}

void draw_kinematics_plot(QPainter& canvas, const TKinematicsStyles& styles,
                          const TKinematicsLayers& layers) {
    clear_canvas(canvas, kinematics_plot_width, kinematics_plot_height);
    draw_base_circle(canvas, styles.basecircle);
    QPoint legend_at = styles.legend_at;
    const int gap = styles.density.legend_pixels;
    if (layers.dihedra) {
        const TContourBands bands =
            dihedra_bands(*layers.dihedra, layers.projection, styles.basecircle, styles.dihedra);
        draw_dihedra_bands(canvas, bands, styles.dihedra);
        legend_at.ry() +=
            draw_contour_legend(canvas, legend_at, dihedra_legend(*layers.dihedra, bands),
                                styles.dihedra)
                .height() +
            gap;
    } else if (layers.density) {
        legend_at.ry() +=
            draw_density_bands(canvas, styles.basecircle, layers.projection, *layers.density,
                               layers.subject, layers.levels, styles.density, legend_at)
                .height() +
            gap;
    }
    draw_net_outline(canvas, styles.basecircle);
    draw_north_label(canvas, styles.basecircle);
    if (layers.axes) {
        draw_kinematic_axes(canvas, styles.basecircle, layers.projection, *layers.axes,
                            styles.symbols);
        draw_kinematic_axes_legend(canvas, legend_at, styles.symbols, styles.density.legend_pixels);
    }
}

void draw_density_layer(QPainter& canvas, const TBaseCircle& net, TProjection projection,
                        const TAxisDensity& density, TDensitySubject subject,
                        std::span<const double> levels, const TContourStyle& style,
                        QPoint legend_at) {
    draw_density_bands(canvas, net, projection, density, subject, levels, style, legend_at);
    draw_net_outline(canvas, net);
}

void draw_stress_density(QPainter& canvas, const TSTPlotStyles& styles, bool color_scale,
                         const TAxisDensity& sigma1, const TAxisDensity& sigma3,
                         std::span<const double> levels, const TContourStyle& style) {
    const int W = st_plot_width, H = st_plot_height;
    clear_canvas(canvas, W, H);
    draw_base_circle(canvas, styles.basecircle[0]);
    draw_base_circle(canvas, styles.basecircle[1]);
    draw_color_scale(canvas, W, H, 0.4f, 0.6f, 0.92f, 0.96f, color_scale);

    const TAxisDensity& higher = sigma1.max_value >= sigma3.max_value ? sigma1 : sigma3;
    const std::vector<double> used = density_levels(higher, levels);
    const std::array<const TAxisDensity*, 2> densities{&sigma1, &sigma3};
    TContourBands bands;
    for (std::size_t k = 0; k < 2; ++k) {
        bands = contour_bands(densities[k]->values, used, TProjection::EArea, styles.basecircle[k],
                              style);
        draw_contour_bands(canvas, bands, style.line_pen);
        draw_net_outline(canvas, styles.basecircle[k]);
        draw_north_label(canvas, styles.basecircle[k]);
    }

    TContourStyle legend_style = style;
    legend_style.legend_pixels = stress_legend_pixels;
    TContourLegend legend = density_legend(QStringLiteral("σ1 (left), σ3 (right)"), higher, bands);
    legend.footing =
        QStringLiteral("max %1 and %2").arg(density_max_text(sigma1), density_max_text(sigma3));
    draw_contour_legend(canvas, stress_legend_at, legend, legend_style);
}
