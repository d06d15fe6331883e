#include "plot/picture_fit.h"

#include "plot/draw_operations.h"

#include <algorithm>
#include <cmath>

namespace {

// The scale in single precision, as the mouse mapping has always used it.
float point_scale(QSize picture, QSize area) {
    return float(picture_scale(picture, area));
}

} // namespace

double picture_scale(QSize picture, QSize area) {
    if (picture.isEmpty() || area.width() <= 0 || area.height() <= 0)
        return 1.0;
    const double fit =
        std::min(double(area.width()) / picture.width(), double(area.height()) / picture.height());
    return 1.0 / std::min(fit, 1.0);
}

QSize shown_picture_size(QSize picture, QSize area) {
    // Rounded: a side cut short by the division would leave a pixel of the area unused.
    const double s = picture_scale(picture, area);
    return QSize(int(std::lround(picture.width() / s)), int(std::lround(picture.height() / s)));
}

QPoint picture_point(QPoint area_point, QSize picture, QSize area) {
    const double g = point_scale(picture, area);
    return {nearest(area_point.x() * g), nearest(area_point.y() * g)};
}

QPoint area_point(QPoint p, QSize picture, QSize area) {
    const double g = point_scale(picture, area);
    return {int(std::lround(p.x() / g)), int(std::lround(p.y() / g))};
}
