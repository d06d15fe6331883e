#pragma once

// How a plot's picture is shown in an area of the window: scaled down proportionally at the
// top-left corner, never enlarged. Both directions of the mapping between area pixels and
// picture pixels live here, so the display, the mouse read-outs and the aimed clicks agree.

#include <QPoint>
#include <QSize>

// Picture pixels per area pixel: the smaller fit of width and height, at least 1. An empty
// picture or area counts as 1.
double picture_scale(QSize picture, QSize area);

// The picture's size as the area shows it.
QSize shown_picture_size(QSize picture, QSize area);

// The picture point under an area point, rounded half to even.
QPoint picture_point(QPoint area_point, QSize picture, QSize area);

// An area point whose picture point is p (or its nearest neighbour when the picture is shown
// reduced).
QPoint area_point(QPoint p, QSize picture, QSize area);
