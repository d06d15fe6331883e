#include "plot/plot_labels.h"

#include "plot/st_symbols.h"

namespace {

// Room around an anchor that any label fits in; the text is aligned inside it.
constexpr int label_room = 1000;

constexpr int north_pixels = 28;
constexpr int bar_label_pixels = 24;
constexpr int bar_ticks = 6;

} // namespace

QFont label_font(int pixels) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

void draw_label(QPainter& canvas, const QString& text, QPoint anchor, Qt::Alignment align,
                int pixels) {
    int left = anchor.x() - label_room / 2;
    if (align & Qt::AlignLeft)
        left = anchor.x();
    else if (align & Qt::AlignRight)
        left = anchor.x() - label_room;
    int top = anchor.y() - label_room / 2;
    if (align & Qt::AlignTop)
        top = anchor.y();
    else if (align & Qt::AlignBottom)
        top = anchor.y() - label_room;
    canvas.setFont(label_font(pixels));
    canvas.setPen(make_pen(black_value));
    canvas.drawText(QRect(left, top, label_room, label_room), int(align), text);
}

void draw_north_label(QPainter& canvas, const TBaseCircle& circle) {
    // Clear of the tick's round cap.
    const int gap = circle.pen.width() / 2 + 2;
    draw_label(canvas, QStringLiteral("N"),
               QPoint(circle.C.x(), circle.C.y() - circle.R - circle.tick_size - gap),
               Qt::AlignHCenter | Qt::AlignBottom, north_pixels);
}

void draw_misfit_colour_bar(QPainter& canvas, QRect bar, int max_misfit) {
    // Bands as the stress plot's colour scale has them: each reaches into the next, so that no
    // seam shows at any scale.
    canvas.setPen(Qt::NoPen);
    QBrush brush(Qt::SolidPattern);
    const int bottom = bar.top() + bar.height();
    for (int i = 0; i < 99; ++i) {
        const int ya = bottom - nearest(bar.height() * i / 100.0);
        const int yb = bottom - nearest(bar.height() * (i + 2) / 100.0);
        brush.setColor(color_from_value(rainbow_color(float(i) / 100)));
        canvas.setBrush(brush);
        canvas.drawRect(QRect(bar.left(), yb, bar.width(), ya - yb));
    }
    canvas.setPen(make_pen(black_value, 2));
    for (int k = 0; k <= bar_ticks; ++k) {
        const int y = bottom - nearest(double(bar.height()) * k / bar_ticks);
        const int x = bar.left() + bar.width();
        canvas.drawLine(x, y, x + 6, y);
        draw_label(canvas, QString::number(max_misfit * k / bar_ticks) + QChar(0x00B0),
                   QPoint(x + 10, y), Qt::AlignLeft | Qt::AlignVCenter, bar_label_pixels);
        canvas.setPen(make_pen(black_value, 2));
    }
    draw_label(canvas, QStringLiteral("misfit"), QPoint(bar.center().x(), bar.top() - 12),
               Qt::AlignHCenter | Qt::AlignBottom, bar_label_pixels);
}
