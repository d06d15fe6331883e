#include "plot/mohr_plot.h"

#include "plot/picture_parts.h"
#include "plot/plot_labels.h"

#include <cstddef>

namespace {

constexpr TColorValue grey = grey_value;

bool has_representative(const TFaultData& fd) {
    return fd.rep_isd >= 0 && static_cast<std::size_t>(fd.rep_isd) < fd.SDList.size();
}

} // namespace

void init_Mohr_style(TMohrPlotStyles& styles) {
    TCoordAxes2D& axes = styles.coordaxes;
    axes.O = {150, 800};
    axes.e = {Tvector2{700, 0}, Tvector2{0, -700}};
    axes.max = {1.1f, 0.7f};
    axes.min = {0, 0};
    axes.pen = make_pen(grey, 4);

    TSymbolSpec& symb = styles.symbMohr;
    symb.size = 5;
    symb.pen = make_pen(black_value, 3);
    symb.brs = make_brush(black_value);
    symb.sh_offset = 2;
    symb.sh_pen = make_pen(black_value, 3);
    symb.sh_brs = make_brush(black_value);
}

void draw_Mohr_frame(QPainter& canvas, const TMohrPlotStyles& styles) {
    clear_canvas(canvas, mohr_plot_size, mohr_plot_size);
    draw_coord_axes(canvas, styles.coordaxes);
}

void plot_Mohr(QPainter& canvas, const TMohrPlotStyles& styles, const TFaultDataSet& set,
               const TStressTensor& st, int max_misfit) {
    draw_Mohr_circles(canvas, styles.coordaxes, 1.0f, st.sr, 0.0f);
    // The colour changes per point; the styles the view owns stay as they are.
    TSymbolSpec symb = styles.symbMohr;
    for (const TFaultData& fd : set.FDList) {
        if (!has_representative(fd))
            continue;
        const TColorValue c = rainbow_color(fd.rep_misfit / static_cast<float>(max_misfit));
        symb.pen.setColor(color_from_value(c));
        symb.brs.setColor(symb.pen.color());
        draw_point_symbol(canvas, styles.coordaxes, symb, fd.get_rep_normal_stress(),
                          fd.get_rep_shear_stress());
        // Every point begins with its black shadow after a coloured disc.
        picture_part_may_end(canvas);
    }
}

void draw_Mohr_labels(QPainter& canvas, const TMohrPlotStyles& styles, int max_misfit) {
    constexpr int axis_pixels = 32;
    const TCoordAxes2D& axes = styles.coordaxes;
    const QPoint normal_end = axes_to_canvas({axes.max.x, 0}, axes);
    const QPoint shear_end = axes_to_canvas({0, axes.max.y}, axes);
    draw_label(canvas, QStringLiteral("σn"), normal_end + QPoint(0, 12),
               Qt::AlignHCenter | Qt::AlignTop, axis_pixels);
    draw_label(canvas, QStringLiteral("τ"), shear_end - QPoint(0, 10),
               Qt::AlignHCenter | Qt::AlignBottom, axis_pixels);
    // Right of every point: normal stresses reach 1 at most, the axis runs on to 1.1.
    const QPoint bar_corner = axes_to_canvas({1.02f, 0.68f}, axes);
    draw_misfit_colour_bar(canvas, QRect(bar_corner.x(), bar_corner.y(), 26, 400), max_misfit);
}

void draw_Mohr_diagram(QPainter& canvas, const TMohrPlotStyles& styles, const TFaultDataSet* set,
                       const TStressTensor* st, int max_misfit, bool labels) {
    draw_Mohr_frame(canvas, styles);
    if (labels)
        draw_Mohr_labels(canvas, styles, max_misfit);
    if (set != nullptr && st != nullptr)
        plot_Mohr(canvas, styles, *set, *st, max_misfit);
}
