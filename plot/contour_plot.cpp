#include "plot/contour_plot.h"

#include "plot/net_contours.h"
#include "plot/plot_labels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int most_kamb_levels = 10;

TColorValue rgb(int r, int g, int b) {
    return TColorValue(r) + 256 * TColorValue(g) + 65536 * TColorValue(b);
}

int channel(TColorValue v, int shift) {
    return int((v >> shift) & 0xFF);
}

TColorValue mixed(TColorValue a, TColorValue b, double t) {
    const auto mix = [&](int shift) {
        return int(std::lround(channel(a, shift) + t * (channel(b, shift) - channel(a, shift))));
    };
    return rgb(mix(0), mix(8), mix(16));
}

QString level_text(double level) {
    return QString::number(level, 'g', 4);
}

QString sigma_text(double value) {
    return QString::number(value, 'f', value == std::floor(value) ? 0 : 1);
}

} // namespace

TContourStyle density_contour_style() {
    TContourStyle style;
    style.ramp = {rgb(255, 250, 190), rgb(254, 217, 118), rgb(253, 160, 64),
                  rgb(240, 90, 40),   rgb(200, 20, 40),   rgb(110, 0, 40)};
    style.line_pen = make_pen(rgb(90, 40, 20), 1);
    style.outline_pen = make_pen(black_value, 3);
    return style;
}

TContourStyle dihedra_contour_style() {
    TContourStyle style;
    style.ramp = {rgb(232, 232, 232), rgb(96, 96, 96)};
    style.line_pen = QPen(Qt::NoPen);
    style.outline_pen = make_pen(black_value, 3);
    return style;
}

std::vector<double> default_density_levels(TDensityMethod method, double max_value) {
    std::vector<double> levels;
    if (method == TDensityMethod::Schmidt) {
        for (double level = 1; levels.empty() || level <= max_value; level *= 2)
            levels.push_back(level);
        return levels;
    }
    double step = 2;
    for (const double wider : {5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0, 1000.0})
        if (max_value / step > most_kamb_levels)
            step = wider;
    for (int k = 1; levels.empty() || k * step <= max_value; ++k)
        levels.push_back(k * step);
    return levels;
}

std::vector<double> usable_levels(std::span<const double> levels) {
    std::vector<double> out;
    for (double level : levels)
        if (std::isfinite(level) && (out.empty() || level > out.back()))
            out.push_back(level);
    return out;
}

TColorValue band_color(const TContourStyle& style, int band, int bands) {
    if (style.ramp.empty())
        return grey_value;
    if (style.ramp.size() == 1 || bands <= 1)
        return style.ramp.front();
    const double t = double(band) / (bands - 1) * double(style.ramp.size() - 1);
    const std::size_t i = std::min(std::size_t(t), style.ramp.size() - 2);
    return mixed(style.ramp[i], style.ramp[i + 1], t - double(i));
}

TContourBands contour_bands(std::span<const double> values, std::span<const double> levels,
                            TProjection projection, const TBaseCircle& net,
                            const TContourStyle& style) {
    TContourBands bands;
    bands.levels.assign(levels.begin(), levels.end());
    if (!values.empty())
        bands.regions = contour_regions(values, levels, projection, net);
    const int count = int(levels.size());
    for (int k = 0; k < count; ++k)
        bands.colors.push_back(band_color(style, k, count));
    return bands;
}

void draw_contour_bands(QPainter& canvas, const TContourBands& bands, const QPen& line_pen) {
    canvas.setPen(Qt::NoPen);
    for (std::size_t k = 0; k < bands.regions.size(); ++k) {
        canvas.setBrush(make_brush(bands.colors[k]));
        canvas.drawPath(bands.regions[k]);
    }
    if (line_pen.style() == Qt::NoPen)
        return;
    give_pen_brush(canvas, line_pen, Qt::NoBrush);
    for (const QPainterPath& region : bands.regions)
        canvas.drawPath(region);
}

TContourBands dihedra_bands(const TRightDihedra& dihedra, TProjection projection,
                            const TBaseCircle& net, const TContourStyle& style) {
    std::vector<double> levels{10, 20, 30, 40, 50, 60, 70, 80, 90};
    if (dihedra.data > 0)
        levels.push_back(100 - 25.0 / dihedra.data);
    TContourBands bands;
    bands.levels = levels;
    if (!dihedra.percent.empty())
        bands.regions = contour_regions(dihedra.percent, levels, projection, net);
    const int count = int(levels.size());
    for (int k = 0; k < count; ++k)
        bands.colors.push_back(band_color(style, k, count));
    return bands;
}

void draw_dihedra_bands(QPainter& canvas, const TContourBands& bands, const TContourStyle& style) {
    draw_contour_bands(canvas, bands, style.line_pen);
    if (bands.regions.size() < 10)
        return;
    give_pen_brush(canvas, style.outline_pen, Qt::NoBrush);
    canvas.drawPath(bands.regions.back());
}

void draw_net_outline(QPainter& canvas, const TBaseCircle& net) {
    TBaseCircle outline = net;
    outline.brs = QBrush(Qt::NoBrush);
    draw_base_circle(canvas, outline);
}

TContourLegend density_legend(const QString& subject_caption, const TAxisDensity& density,
                              const TContourBands& bands) {
    TContourLegend legend;
    const bool kamb = density.method == TDensityMethod::Kamb;
    legend.heading << subject_caption
                   << QStringLiteral("%1, N = %2")
                          .arg(density_method_caption(density.method))
                          .arg(density.axes);
    const QString unit = kamb ? QStringLiteral("σ") : QStringLiteral(" %");
    const std::size_t n = bands.levels.size();
    for (std::size_t k = 0; k < n; ++k) {
        const QString low = level_text(bands.levels[k]);
        const QString text =
            k + 1 < n ? low + QStringLiteral(" – ") + level_text(bands.levels[k + 1]) + unit
                      : QStringLiteral("≥ ") + low + unit;
        legend.rows.push_back({bands.colors[k], text, false});
    }
    legend.footing = QStringLiteral("max ") + density_max_text(density);
    return legend;
}

QString density_max_text(const TAxisDensity& density) {
    const double rounded = std::round(density.max_value * 10) / 10;
    if (density.method == TDensityMethod::Kamb)
        return sigma_text(rounded) + QStringLiteral("σ");
    return QString::number(rounded, 'f', 1) + QStringLiteral(" %");
}

TContourLegend dihedra_legend(const TRightDihedra& dihedra, const TContourBands& bands) {
    TContourLegend legend;
    legend.heading << QStringLiteral("Right dihedra") << QStringLiteral("N = %1").arg(dihedra.data);
    legend.rows.push_back({white_value, QStringLiteral("0 – 10 %"), false});
    for (int k = 0; k < 9 && std::size_t(k) < bands.colors.size(); ++k)
        legend.rows.push_back(
            {bands.colors[std::size_t(k)],
             QStringLiteral("%1 – %2 %").arg(10 * (k + 1)).arg(k < 8 ? 10 * (k + 2) : 100), false});
    if (bands.colors.size() >= 10)
        legend.rows.push_back({bands.colors.back(), QStringLiteral("100 %"), true});
    if (!dihedra.percent.empty())
        legend.footing =
            QStringLiteral("max %1 %")
                .arg(*std::max_element(dihedra.percent.begin(), dihedra.percent.end()), 0, 'f', 1);
    return legend;
}

QSize draw_contour_legend(QPainter& canvas, QPoint top_left, const TContourLegend& legend,
                          const TContourStyle& style) {
    const int px = style.legend_pixels;
    const int row = px * 3 / 2;
    const int swatch = px * 3 / 2;
    const int x = top_left.x();
    int y = top_left.y();
    int width = 0;
    const QFontMetrics metrics(label_font(px));
    const auto text = [&](const QString& s, int left, int centre_y) {
        draw_label(canvas, s, QPoint(left, centre_y), Qt::AlignLeft | Qt::AlignVCenter, px);
        width = std::max(width, left - x + metrics.horizontalAdvance(s));
    };
    for (const QString& line : legend.heading) {
        text(line, x, y + row / 2);
        y += row;
    }
    y += px / 3;
    for (const TLegendRow& r : legend.rows) {
        const QRect box(x, y + (row - px) / 2, swatch, px);
        give_pen_brush(canvas, r.outlined ? style.outline_pen : make_pen(grey_value, 1),
                       make_brush(r.fill));
        canvas.drawRect(box);
        text(r.text, x + swatch + px / 2, y + row / 2);
        y += row;
    }
    if (!legend.footing.isEmpty()) {
        y += px / 3;
        text(legend.footing, x, y + row / 2);
        y += row;
    }
    return {width, y - top_left.y()};
}

void draw_kinematic_axes(QPainter& canvas, const TBaseCircle& net, TProjection projection,
                         const TKinematicAxesSet& axes, const TKinematicSymbolStyle& style) {
    const int r = style.radius;
    const auto circle = [&](const Tazpl& azpl) {
        const QPoint p = azpl_to_point(azpl, projection, net);
        draw_ellipse_box(canvas, p.x() - r, p.y() - r, p.x() + r, p.y() + r);
    };
    if (style.show_b) {
        give_pen_brush(canvas, style.pen, make_brush(style.b_fill));
        for (const TDatumAxes& d : axes.data) {
            const QPoint p = azpl_to_point(d.axes.B, projection, net);
            canvas.drawRect(QRect(p.x() - r / 2, p.y() - r / 2, r, r));
        }
    }
    give_pen_brush(canvas, style.pen, make_brush(style.p_fill));
    for (const TDatumAxes& d : axes.data)
        circle(d.axes.P);
    give_pen_brush(canvas, style.pen, make_brush(style.t_fill));
    for (const TDatumAxes& d : axes.data)
        circle(d.axes.T);
}

QSize draw_kinematic_axes_legend(QPainter& canvas, QPoint top_left,
                                 const TKinematicSymbolStyle& symbols, int pixels) {
    const int row = pixels * 3 / 2;
    const int r = symbols.radius;
    const QFontMetrics metrics(label_font(pixels));
    int width = 0;
    const std::array<std::pair<TColorValue, QString>, 2> entries{
        {{symbols.p_fill, QStringLiteral("P axes")}, {symbols.t_fill, QStringLiteral("T axes")}}};
    int y = top_left.y();
    for (const auto& [fill, caption] : entries) {
        const QPoint c(top_left.x() + r + 2, y + row / 2);
        give_pen_brush(canvas, symbols.pen, make_brush(fill));
        draw_ellipse_box(canvas, c.x() - r, c.y() - r, c.x() + r, c.y() + r);
        const int left = top_left.x() + 2 * r + 4 + pixels / 2;
        draw_label(canvas, caption, QPoint(left, c.y()), Qt::AlignLeft | Qt::AlignVCenter, pixels);
        width = std::max(width, left - top_left.x() + metrics.horizontalAdvance(caption));
        y += row;
    }
    return {width, y - top_left.y()};
}
