#include "plot/misfit_histogram.h"

#include <QFont>
#include <QFontMetrics>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr int margin = 10;
constexpr int gap = 4;
constexpr int tick = 4;
constexpr TColorValue silver = silver_value;
constexpr TColorValue gradient_top = 16753832;
constexpr TColorValue grey = grey_value;

QFont chart_font(int pixels, bool bold = false) {
    QFont font;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Pixel of value v on an axis that maps 0..max onto p0..p1.
int to_pixel(double v, double max, int p0, int p1) {
    return p0 + nearest((p1 - p0) * v / max);
}

// Labels only every so many increments, so neighbours stay at least min_px apart.
int label_step(int increment, int max, int length_px, int min_px) {
    int step = increment;
    while (step < max && double(step) * length_px / max < min_px)
        step += increment;
    return step;
}

// Solid bands instead of a gradient brush: every recorder, metafiles included, keeps them.
void fill_gradient(QPainter& canvas, QRect r, QColor top, QColor bottom) {
    const int bands = std::min(r.height(), 128);
    for (int i = 0; i < bands; ++i) {
        const int y0 = r.top() + r.height() * i / bands;
        const int y1 = r.top() + r.height() * (i + 1) / bands;
        const double t = bands > 1 ? double(i) / (bands - 1) : 0.0;
        const auto mix = [t](int a, int b) { return nearest(a + (b - a) * t); };
        canvas.fillRect(QRect(r.left(), y0, r.width(), y1 - y0),
                        QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()),
                               mix(top.blue(), bottom.blue())));
    }
}

// Returns the bottom of the title line.
int draw_title(QPainter& canvas, QRect inner, int y) {
    canvas.setFont(chart_font(15, true));
    const int h = canvas.fontMetrics().height();
    canvas.setPen(Qt::black);
    canvas.drawText(QRect(inner.left(), y, inner.width(), h), Qt::AlignHCenter | Qt::AlignVCenter,
                    QStringLiteral("Histogram of misfit"));
    return y + h;
}

// One row of colour swatches with the series titles in a framed white box; returns its bottom.
int draw_legend(QPainter& canvas, QRect inner, int y) {
    canvas.setFont(chart_font(12));
    const QFontMetrics fm = canvas.fontMetrics();
    const int pad = 6, spacing = 10, swatch = fm.ascent();
    int width = 2 * pad - spacing;
    for (TDataType type : misfit_series)
        width += swatch + gap + fm.horizontalAdvance(misfit_series_title(type)) + spacing;
    const int height = fm.height() + 6;
    const int left = inner.left() + (inner.width() - width) / 2;

    canvas.setPen(Qt::black);
    canvas.setBrush(Qt::white);
    canvas.drawRect(QRect(left, y, width, height));
    int x = left + pad;
    for (TDataType type : misfit_series) {
        const QString title = misfit_series_title(type);
        canvas.setBrush(color_from_value(misfit_series_color(type)));
        canvas.drawRect(QRect(x, y + (height - swatch) / 2, swatch, swatch));
        x += swatch + gap;
        canvas.drawText(QRect(x, y, fm.horizontalAdvance(title) + 1, height),
                        Qt::AlignLeft | Qt::AlignVCenter, title);
        x += fm.horizontalAdvance(title) + spacing;
    }
    return y + height + 1;
}

void draw_bars(QPainter& canvas, const TMisfitBins& bins, int bottom_max, int left_max,
               QPoint origin, QPoint corner) {
    if (bins.bin_size <= 0)
        return;
    canvas.setPen(Qt::black);
    for (std::size_t i = 0; i < bins.centres.size(); ++i) {
        const int lo = int(i) * bins.bin_size;
        if (lo >= bottom_max)
            break;
        const int hi = std::min(lo + bins.bin_size, bottom_max);
        const int xl = to_pixel(lo, bottom_max, origin.x(), corner.x());
        const int xr = to_pixel(hi, bottom_max, origin.x(), corner.x());
        int stacked = 0;
        for (TDataType type : misfit_series) {
            const int n = bins.counts[static_cast<std::size_t>(type)][i];
            if (n <= 0)
                continue;
            const int yb = to_pixel(stacked, left_max, origin.y(), corner.y());
            const int yt = to_pixel(stacked + n, left_max, origin.y(), corner.y());
            stacked += n;
            canvas.setBrush(color_from_value(misfit_series_color(type)));
            // The outline covers both edges, so neighbouring bars share one line.
            canvas.drawRect(QRect(xl, yt, xr - xl, yb - yt));
        }
    }
}

} // namespace

TMisfitBins bin_misfits(const TFaultDataSet& set, int max_misfit, int bin_size) {
    TMisfitBins bins;
    if (max_misfit <= 0 || bin_size <= 0)
        return bins;
    bins.bin_size = bin_size;
    const int nb = max_misfit / bin_size + (max_misfit % bin_size != 0 ? 1 : 0);
    bins.centres.resize(std::size_t(nb));
    for (int i = 0; i < nb; ++i) {
        const float lo = float(i * bin_size), hi = float((i + 1) * bin_size);
        bins.centres[std::size_t(i)] = int(std::floor((lo + hi) / 2));
    }
    for (auto& counts : bins.counts)
        counts.assign(std::size_t(nb), 0);
    for (const TFaultData& fd : set.FDList) {
        const double q = std::floor(std::abs(double(fd.rep_misfit)) / bin_size);
        // Only the top is clamped; NaN fails the test and lands there too.
        const int idx = q < nb ? int(q) : nb - 1;
        ++bins.counts[static_cast<std::size_t>(fd.datatype)][std::size_t(idx)];
    }
    return bins;
}

int tallest_stack(const TMisfitBins& bins) {
    int tallest = 0;
    for (std::size_t i = 0; i < bins.centres.size(); ++i) {
        int stack = 0;
        for (const auto& counts : bins.counts)
            stack += counts[i];
        tallest = std::max(tallest, stack);
    }
    return tallest;
}

int left_axis_increment(int tallest) {
    return tallest >= 5 ? 5 : tallest;
}

int automatic_increment(int range) {
    for (long long power = 1;; power *= 10)
        for (long long m : {1, 2, 5})
            if (range <= 10 * m * power)
                return int(m * power);
}

int left_axis_maximum(int tallest, int increment) {
    const long long top = std::max(tallest, 1);
    const long long step = increment > 0 ? increment : automatic_increment(int(top));
    return int((top + step - 1) / step * step);
}

QString misfit_series_title(TDataType type) {
    return QString(datatype_letter(type));
}

TColorValue misfit_series_color(TDataType type) {
    switch (type) {
    case TDataType::Ful:
        return 9474192;
    case TDataType::Mec:
        return 7368880;
    case TDataType::Lin:
        return 7385200;
    case TDataType::Sen:
        return 11563120;
    }
    return black_value;
}

void set_misfit_axis_range(TMisfitHistogram& chart, TMifitMeasure measure) {
    chart.bottom_max = max_misfit(measure);
    chart.bottom_increment = chart.bottom_max / 9; // nine steps: 20 or 10
}

void fill_misfit_histogram(TMisfitHistogram& chart, const TFaultDataSet& set, int max_misfit,
                           int bin_size) {
    chart.bins = bin_misfits(set, max_misfit, bin_size);
    chart.left_increment = left_axis_increment(tallest_stack(chart.bins));
}

void draw_misfit_histogram(QPainter& canvas, QRect area, const TMisfitHistogram& data) {
    canvas.save();
    // Crisp bars and axes, smooth text.
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setRenderHint(QPainter::TextAntialiasing, true);
    canvas.fillRect(area, color_from_value(silver));
    const QRect inner = area.adjusted(margin, margin, -margin, -margin);
    if (inner.isEmpty()) {
        canvas.restore();
        return;
    }
    fill_gradient(canvas, inner, color_from_value(gradient_top), Qt::white);

    int y = draw_title(canvas, inner, inner.top() + gap);
    y = draw_legend(canvas, inner, y + gap);

    const int bottom_max = std::max(data.bottom_max, 1);
    const int bottom_inc =
        data.bottom_increment > 0 ? data.bottom_increment : automatic_increment(bottom_max);
    const int tallest = tallest_stack(data.bins);
    const int left_max = left_axis_maximum(tallest, data.left_increment);
    const int left_inc =
        data.left_increment > 0 ? data.left_increment : automatic_increment(std::max(tallest, 1));

    canvas.setFont(chart_font(11));
    const QFontMetrics fm = canvas.fontMetrics();
    const int text_h = fm.height();
    const int left_label_w = fm.horizontalAdvance(QString::number(left_max));
    const int bottom_label_w = fm.horizontalAdvance(QString::number(bottom_max));
    // origin: value (0, 0); corner: (bottom_max, left_max).
    const QPoint origin(inner.left() + gap + left_label_w + gap + tick,
                        inner.bottom() - gap - text_h - gap - text_h - tick);
    const QPoint corner(inner.right() - gap - bottom_label_w / 2, y + gap + text_h / 2);
    if (corner.x() <= origin.x() || corner.y() >= origin.y()) {
        canvas.restore();
        return;
    }
    const int width = corner.x() - origin.x(), height = origin.y() - corner.y();

    const int left_step = label_step(left_inc, left_max, height, text_h + 2);
    canvas.setPen(make_pen(grey, 1, Qt::DotLine));
    for (int v = left_step; v <= left_max; v += left_step) {
        const int py = to_pixel(v, left_max, origin.y(), corner.y());
        canvas.drawLine(origin.x(), py, corner.x(), py);
    }

    draw_bars(canvas, data.bins, bottom_max, left_max, origin, corner);

    canvas.setPen(Qt::black);
    canvas.drawLine(origin, QPoint(corner.x(), origin.y()));
    canvas.drawLine(origin, QPoint(origin.x(), corner.y()));
    for (int v = 0; v <= left_max; v += left_step) {
        const int py = to_pixel(v, left_max, origin.y(), corner.y());
        canvas.drawLine(origin.x() - tick, py, origin.x(), py);
        const QString label = QString::number(v);
        const int w = fm.horizontalAdvance(label) + 1;
        canvas.drawText(QRect(origin.x() - tick - gap - w, py - text_h / 2, w, text_h),
                        Qt::AlignRight | Qt::AlignVCenter, label);
    }
    const int bottom_step = label_step(bottom_inc, bottom_max, width, bottom_label_w + 6);
    for (int v = 0; v <= bottom_max; v += bottom_step) {
        const int px = to_pixel(v, bottom_max, origin.x(), corner.x());
        canvas.drawLine(px, origin.y(), px, origin.y() + tick);
        const QString label = QString::number(v);
        const int w = fm.horizontalAdvance(label) + 1;
        canvas.drawText(QRect(px - w / 2, origin.y() + tick, w, text_h), Qt::AlignCenter, label);
    }
    canvas.setFont(chart_font(12));
    canvas.drawText(
        QRect(origin.x(), origin.y() + tick + text_h + gap, width, canvas.fontMetrics().height()),
        Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("misfit angle [deg]"));
    canvas.restore();
}
