#include "ui/fit_size.h"

#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

TStatusPanel::TStatusPanel(int width, const QString& widest, const QString& usual, QWidget* parent)
    : QLabel(parent), width_(width), widest_(widest), usual_(usual) {}

int TStatusPanel::text_width(const QString& text) const {
    const QMargins m = contentsMargins();
    // Two pixels more keep the last letter clear of the next panel.
    return fontMetrics().horizontalAdvance(text) + m.left() + m.right() + 2 * margin() + 2;
}

QSize TStatusPanel::sizeHint() const {
    const QString& text = widest_.isEmpty() ? this->text() : widest_;
    return {std::max(width_, text_width(text)), QLabel::sizeHint().height()};
}

QSize TStatusPanel::minimumSizeHint() const {
    const QSize hint = sizeHint();
    if (!widest_.isEmpty())
        return hint;
    return {grown_size(*this, width_, usual_.isEmpty() ? 0 : text_width(usual_)), hint.height()};
}

int edit_box_width(const QLineEdit& edit, int width, const QString& widest) {
    // As QLineEdit sizes itself: the text, its margins and the cursor, inside the style's frame.
    const QMargins text = edit.textMargins();
    const QFontMetrics metrics = edit.fontMetrics();
    const QSize inner(metrics.horizontalAdvance(widest) + 2 * 2 + text.left() + text.right() + 1,
                      metrics.height());
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
    const QSize outer = edit.style()->sizeFromContents(QStyle::CT_LineEdit, &option, inner, &edit);
    return std::max(width, outer.width());
}

int grown_size(const QWidget& widget, int size, int needed) {
    const double growth = QFontInfo(widget.font()).pixelSize() / 12.0;
    if (growth <= 1)
        return size;
    return std::max(int(std::lround(size * growth)), needed);
}

void fix_height(QWidget& widget, int height) {
    widget.setFixedHeight(grown_size(widget, height, widget.minimumSizeHint().height()));
}
