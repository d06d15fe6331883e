#include "ui/picture_area.h"

#include "plot/picture_fit.h"

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

QSize TPictureArea::shown_size() const {
    return shown_picture_size(picture_.size(), size());
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
    emit mouse_moved(picture_point(event->position().toPoint(), picture_.size(), size()));
}

void TPictureArea::mouseReleaseEvent(QMouseEvent* event) {
    emit mouse_released(picture_point(event->position().toPoint(), picture_.size(), size()),
                        event->button());
}
