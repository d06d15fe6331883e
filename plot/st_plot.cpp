#include "plot/st_plot.h"

#include "plot/fd_symbols.h"
#include "plot/plot_labels.h"
#include "plot/st_raster.h"

#include <algorithm>
#include <climits>

namespace {

constexpr TColorValue grey = grey_value;
constexpr TColorValue silver = silver_value;

constexpr int scale_left = 800; // colour scale, and the span of the stress-ratio pick
constexpr int scale_right = 1200;
constexpr int arrow_top = 862;
constexpr int arrow_tip = 914;
constexpr int circle_radius = 30;

TStressSymbolSpec tadpole_style(TColorValue head_fill) {
    TStressSymbolSpec symb;
    symb.tp_pen = make_pen(grey, 3);
    symb.tp_brs = make_brush(head_fill);
    symb.head_size = 8;
    symb.tail_size = 60;
    symb.sh_pen = make_pen(black_value, 3);
    symb.sh_brs = make_brush(black_value);
    symb.sh_offset = 3;
    return symb;
}

int saturated_sum(int a, int b) {
    return int(std::min<long long>(static_cast<long long>(a) + b, INT_MAX));
}

// Not-xor drawing without antialiasing, so that the same figure drawn twice cancels pixel for
// pixel; copy mode and the previous antialiasing come back on leaving.
class NotXorPen {
public:
    NotXorPen(QPainter& canvas, const TDesignationOverlays& overlays)
        : canvas_(canvas), antialiased_(canvas.testRenderHint(QPainter::Antialiasing)) {
        canvas.setRenderHint(QPainter::Antialiasing, false);
        canvas.setPen(make_pen(overlays.pen_color, overlays.pen_width));
        canvas.setBrush(Qt::NoBrush);
        not_xor();
    }
    ~NotXorPen() {
        copy();
        canvas_.setRenderHint(QPainter::Antialiasing, antialiased_);
    }
    NotXorPen(const NotXorPen&) = delete;
    NotXorPen& operator=(const NotXorPen&) = delete;

    void not_xor() { canvas_.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); }
    void copy() { canvas_.setCompositionMode(QPainter::CompositionMode_SourceOver); }

private:
    QPainter& canvas_;
    bool antialiased_;
};

template <std::size_t N> bool all_zero(const std::array<QPoint, N>& points) {
    return std::all_of(points.begin(), points.end(), [](QPoint p) { return p.isNull(); });
}

void draw_box(QPainter& canvas, const TCircleBox& b) {
    draw_ellipse_box(canvas, b.left, b.top, b.right, b.bottom);
}

// In the outer top corners the tadpoles of neither net reach, clear of the legends between the
// nets; the scale's ends just under the scale.
void draw_stress_plot_labels(QPainter& canvas, const TSTPlotStyles& styles, int scale_bottom) {
    constexpr int title_pixels = 44, end_pixels = 26, margin = 16;
    draw_label(canvas, QStringLiteral("σ1"), QPoint(margin, 4), Qt::AlignLeft | Qt::AlignTop,
               title_pixels);
    draw_label(canvas, QStringLiteral("σ3"), QPoint(st_plot_width - margin, 4),
               Qt::AlignRight | Qt::AlignTop, title_pixels);
    draw_north_label(canvas, styles.basecircle[0]);
    draw_north_label(canvas, styles.basecircle[1]);
    draw_label(canvas, QStringLiteral("0"), QPoint(scale_left, scale_bottom + 2),
               Qt::AlignHCenter | Qt::AlignTop, end_pixels);
    draw_label(canvas, QStringLiteral("1"), QPoint(scale_right, scale_bottom + 2),
               Qt::AlignHCenter | Qt::AlignTop, end_pixels);
}

} // namespace

void setup_stress_plot_styles(TSTPlotStyles& styles) {
    for (std::size_t k = 0; k < 2; ++k) {
        TBaseCircle& net = styles.basecircle[k];
        net.C = QPoint(k == 0 ? 500 : 1500, 500);
        net.R = 450;
        net.tick_size = 20;
        net.pen = make_pen(grey, 4);
        net.brs = make_brush(white_value);
    }
    styles.symbST = tadpole_style(grey);
    styles.symbST_plunge_legend = tadpole_style(grey);
    styles.symbST_size_legend = tadpole_style(silver);
}

const TBaseCircle& net_of(const TSTPlotStyles& styles, Tsigma1or3 net) {
    return styles.basecircle[net == Tsigma1or3::sigma3 ? 1 : 0];
}

TPlottedNumbers update_plotted_numbers(std::span<TStressTensor> STSet, float ef, TEmphasis emphasis,
                                       float max_Ln, float min_Ln_nonzero) {
    float t = min_Ln_nonzero;
    if (ef > 0) {
        const double product = double(ef) * max_Ln;
        if (product > min_Ln_nonzero)
            t = float(product);
    }
    TPlottedNumbers numbers;
    numbers.max_Le = float(double(max_Ln) / t);
    numbers.min_Le = 1.0f;
    numbers.min_Ln_show = t;
    for (TStressTensor& st : STSet) {
        st.Le = float(double(st.Ln) / t);
        const int k = symbol_count(st.Le);
        if (emphasis == TEmphasis::Num)
            numbers.Nst_to_be_plotted = saturated_sum(numbers.Nst_to_be_plotted, k);
        else if (k > 0)
            numbers.Nst_to_be_plotted = saturated_sum(numbers.Nst_to_be_plotted, 1);
    }
    return numbers;
}

void draw_stress_plot_frame(QPainter& canvas, const TSTPlotStyles& styles,
                            const TSTDrawSettings& settings, float max_Ln,
                            const TPlottedNumbers& numbers) {
    const int W = st_plot_width, H = st_plot_height;
    clear_canvas(canvas, W, H);
    draw_base_circle(canvas, styles.basecircle[0]);
    draw_base_circle(canvas, styles.basecircle[1]);
    draw_color_scale(canvas, W, H, 0.4f, 0.6f, 0.92f, 0.96f, settings.color);
    draw_plunge_legend(canvas, styles.basecircle[0], W, H, 0.4f, 0.6f, 0.04f,
                       styles.symbST_plunge_legend);
    if (settings.emphasis == TEmphasis::Siz)
        draw_size_legend(canvas, styles.basecircle[0], W, H, 0.4f, 0.6f, 0.1f, 0.4f,
                         styles.symbST_size_legend, max_Ln, numbers.min_Ln_show, numbers.max_Le,
                         numbers.min_Le);
    if (settings.labels)
        draw_stress_plot_labels(canvas, styles, nearest(double(H) * 0.96));
}

bool draw_stress_states(QPainter& canvas, const TSTPlotStyles& styles,
                        const TSTDrawSettings& settings, std::span<const TStressTensor> STSet,
                        float max_Ln, const TPlottedNumbers& numbers, const TSTProgress& progress,
                        std::stop_token stop) {
    draw_stress_plot_frame(canvas, styles, settings, max_Ln, numbers);
    set_random_seed(0); // after the legends, which draw from the generator as well
    if (draw_tadpoles_on_raster(canvas, styles, settings, STSet, progress, 0, stop))
        return !stop.stop_requested();
    // A working copy takes the colour of each state; the pen and brush change only when the
    // colour does, which keeps sorted neighbours of equal ratio cheap.
    TStressSymbolSpec symb = styles.symbST;
    TColorValue current = no_color_value;
    TTadpolePainter tadpoles(canvas);
    int drawn = 0;
    for (const TStressTensor& st : STSet) {
        const int k = symbol_count(st.Le);
        if (k < 1)
            continue;
        if (stop.stop_requested())
            return false;
        const TColorValue c = settings.color ? rainbow_color(st.sr) : gray_color(st.sr);
        if (c != current) {
            const QColor colour = color_from_value(c);
            symb.tp_pen.setColor(colour);
            symb.tp_brs.setColor(colour);
            current = c;
        }
        tadpoles.draw(styles.basecircle[0], st.ax[0], settings.tadpole_tail, settings.emphasis,
                      symb, settings.df, st.Le, st.ax[2]);
        tadpoles.draw(styles.basecircle[1], st.ax[2], settings.tadpole_tail, settings.emphasis,
                      symb, settings.df, st.Le, st.ax[0]);
        // Counted like Nst_to_be_plotted, so that a progress bar of that maximum ends full.
        drawn = saturated_sum(drawn, settings.emphasis == TEmphasis::Num ? k : 1);
        if (progress)
            progress(drawn);
    }
    return !stop.stop_requested();
}

Tsigma1or3 net_under_cursor(QPoint p) {
    return p.x() < st_plot_width / 2 ? Tsigma1or3::sigma1 : Tsigma1or3::sigma3;
}

bool inside_net(QPoint p, const TBaseCircle& net) {
    const long long dx = p.x() - net.C.x(), dy = p.y() - net.C.y();
    return dx * dx + dy * dy < static_cast<long long>(net.R) * net.R;
}

TRatioPick stress_ratio_at(int x) {
    if (x < scale_left)
        return {0, scale_left};
    if (x > scale_right)
        return {1, scale_right};
    return {float(double(x - scale_left) / (scale_right - scale_left)), x};
}

TNetCursor cursor_on_net(QPoint p, const TSTPlotStyles& styles) {
    TNetCursor cursor;
    cursor.net = net_under_cursor(p);
    const TBaseCircle& net = net_of(styles, cursor.net);
    cursor.azpl = point_to_azpl(p, TProjection::EArea, net);
    cursor.point = p;
    if (!inside_net(p, net)) {
        cursor.azpl.pl = 0;
        cursor.point = azpl_to_point(cursor.azpl, TProjection::EArea, net);
    }
    return cursor;
}

void reset_designation_overlays(TDesignationOverlays& overlays) {
    overlays = TDesignationOverlays{};
}

void draw_cursor_circle(QPainter& canvas, TDesignationOverlays& overlays, QPoint p) {
    NotXorPen pen(canvas, overlays);
    if (overlays.designate_circle != TCircleBox{})
        draw_box(canvas, overlays.designate_circle);
    overlays.designate_circle = {p.x() - circle_radius, p.y() - circle_radius,
                                 p.x() + circle_radius, p.y() + circle_radius};
    draw_box(canvas, overlays.designate_circle);
}

std::array<QPoint, 181> girdle_points(const Tazpl& first_axis, const TBaseCircle& opposite_net) {
    const Tmatrix33 m = plane_direction_matrix(pole_to_plane(first_axis));
    std::array<QPoint, 181> points;
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = azpl_to_point(vector3_to_azpl(direction_in_plane(m, float(i))),
                                  TProjection::EArea, opposite_net);
    return points;
}

void draw_girdle(QPainter& canvas, TDesignationOverlays& overlays, const Tazpl& first_axis,
                 const TBaseCircle& opposite_net) {
    NotXorPen pen(canvas, overlays);
    std::array<QPoint, 181>& girdle = overlays.designate_girdle;
    if (!all_zero(girdle))
        canvas.drawPolyline(girdle.data(), int(girdle.size()));
    girdle = girdle_points(first_axis, opposite_net);
    canvas.drawPolyline(girdle.data(), int(girdle.size()));
}

QPoint nearest_girdle_point(const TDesignationOverlays& overlays, QPoint p) {
    const auto squared = [p](QPoint q) {
        const long long dx = q.x() - p.x(), dy = q.y() - p.y();
        return dx * dx + dy * dy;
    };
    const auto& girdle = overlays.designate_girdle;
    return *std::min_element(girdle.begin(), girdle.end(),
                             [&](QPoint a, QPoint b) { return squared(a) < squared(b); });
}

void draw_ratio_arrow(QPainter& canvas, TDesignationOverlays& overlays, int x, float ratio,
                      bool color) {
    NotXorPen pen(canvas, overlays);
    std::array<QPoint, 6>& arrow = overlays.designate_arrow;
    if (!all_zero(arrow))
        canvas.drawPolyline(arrow.data(), int(arrow.size()));
    pen.copy();
    overlays.pen_color = color ? rainbow_color(ratio) : gray_color(ratio);
    canvas.setPen(make_pen(overlays.pen_color, overlays.pen_width));
    arrow = {{{x, arrow_top},
              {x, arrow_tip},
              {x + 13, arrow_tip - 13},
              {x, arrow_tip},
              {x - 13, arrow_tip - 13},
              {x, arrow_tip}}};
    canvas.drawPolyline(arrow.data(), int(arrow.size()));
}
