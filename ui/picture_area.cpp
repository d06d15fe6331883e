#include "ui/picture_area.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TPictureArea::TPictureArea(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setMinimumSize(50, 50);
}

void TPictureArea::set_picture(const QImage& picture) {
    picture_ = picture;
    scaled_ = QImage();
    update();
}

double TPictureArea::plot_scale() const {
    if (picture_.isNull() || width() <= 0 || height() <= 0)
        return 1.0;
    const double fit =
        std::min(double(width()) / picture_.width(), double(height()) / picture_.height());
    return 1.0 / std::min(fit, 1.0);
}

QSize TPictureArea::shown_size() const {
    const double s = plot_scale();
    return QSize(int(picture_.width() / s), int(picture_.height() / s));
}

void TPictureArea::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    const qreal dpr = devicePixelRatioF();
    const QSize target = shown_size() * dpr;
    if (scaled_.size() != target)
        scaled_ = target == picture_.size()
                      ? picture_
                      : picture_.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled_.setDevicePixelRatio(dpr);
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), scaled_);
}

void TPictureArea::mouseMoveEvent(QMouseEvent* event) {
    emit mouse_moved(event->position().toPoint());
}

void TPictureArea::mouseReleaseEvent(QMouseEvent* event) {
    emit mouse_released(event->position().toPoint(), event->button());
}
