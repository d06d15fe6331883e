#include "session/designation.h"

#include "core/number_text.h"

namespace {

QString f(const char* pattern, double value) {
    return format_float(QString::fromLatin1(pattern), value);
}

} // namespace

void TDesignation::start(const TStressTensor& previous) {
    reset_designation_overlays(overlays);
    designated_ST = previous;
    mode = TMode::STEP1;
}

void TDesignation::cancel() {
    reset_designation_overlays(overlays);
    on_which_plot = Tsigma1or3::not_specified;
    firstly_designated_axis = Tsigma1or3::not_specified;
    mode = TMode::STEP0;
}

bool TDesignation::mouse_moved(QPoint p, QPainter& canvas, const TSTPlotStyles& styles,
                               bool color) {
    switch (mode) {
    case TMode::STEP0:
    case TMode::STEP1: {
        const TNetCursor cursor = cursor_on_net(p, styles);
        on_which_plot = cursor.net;
        designated_ap = cursor.azpl;
        if (mode == TMode::STEP1) {
            draw_cursor_circle(canvas, overlays, cursor.point);
            draw_girdle(canvas, overlays, designated_ap, net_of(styles, other_axis(on_which_plot)));
        }
        break;
    }
    case TMode::STEP2: {
        const QPoint q = nearest_girdle_point(overlays, p);
        designated_ap = point_to_azpl(q, TProjection::EArea, net_of(styles, on_which_plot));
        draw_cursor_circle(canvas, overlays, q);
        break;
    }
    case TMode::STEP3: {
        const TRatioPick pick = stress_ratio_at(p.x());
        designated_stress_ratio = pick.ratio;
        draw_ratio_arrow(canvas, overlays, pick.arrow_x, pick.ratio, color);
        break;
    }
    }
    return mode != TMode::STEP0;
}

void TDesignation::fix_axis() {
    const int k = axis_index(on_which_plot);
    designated_ST.ax[size_t(k)] = designated_ap;
    designated_ST.e_vec[size_t(k)] = azpl_to_vector3(designated_ap);
}

bool TDesignation::mouse_released() {
    if (on_which_plot == Tsigma1or3::not_specified)
        return false; // the cursor has not been over the picture yet
    switch (mode) {
    case TMode::STEP0:
        return false;
    case TMode::STEP1:
        overlays.designate_circle = TCircleBox{}; // the circle stays as the mark of the axis
        fix_axis();
        firstly_designated_axis = on_which_plot;
        on_which_plot = other_axis(on_which_plot);
        mode = TMode::STEP2;
        return false;
    case TMode::STEP2:
        fix_axis();
        build_intermediate_axis(designated_ST);
        mode = TMode::STEP3;
        return false;
    case TMode::STEP3:
        build_tensors(designated_ST, designated_stress_ratio);
        mode = TMode::STEP0;
        return true;
    }
    return false;
}

QString TDesignation::read_out() const {
    if (mode == TMode::STEP3)
        return QStringLiteral("stress ratio: ") + f("0.000", designated_stress_ratio);
    return sigma1or3_name(on_which_plot) + QStringLiteral(": ") + f("0.0", designated_ap.az) +
           QStringLiteral(" / ") + f("0.0", designated_ap.pl);
}

QString TDesignation::step_caption() const {
    static const char* const steps[] = {"", "1st axis", "2nd axis", "stress ratio"};
    return QString::fromLatin1(steps[int(mode)]);
}
