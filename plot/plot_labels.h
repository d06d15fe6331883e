#pragma once

// The words and numbers a reader needs to read a picture without a caption: which net shows
// which axis, where north is, what the ends of a colour scale stand for, the names of the Mohr
// axes and the misfit a Mohr point's colour means. Black DejaVu Sans (fonts-dejavu-core) on any
// QPainter. Each plot draws its labels with its frame, under the data, where the data leave
// room.

#include "plot/draw_operations.h"

#include <QFont>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

// The labels' typeface at a size in picture pixels.
QFont label_font(int pixels);

// Text placed by one point of its box: align tells which. Qt::AlignLeft | Qt::AlignTop puts the
// top-left corner of the text at anchor, Qt::AlignHCenter | Qt::AlignBottom its bottom centre.
void draw_label(QPainter& canvas, const QString& text, QPoint anchor, Qt::Alignment align,
                int pixels);

// "N" over the tick at the top of a net.
void draw_north_label(QPainter& canvas, const TBaseCircle& circle);

// The colours of the Mohr points as a vertical bar filling bar: misfit 0 at the bottom,
// max_misfit at the top, with the misfit in degrees every sixth of the range on its right and
// "misfit" over it.
void draw_misfit_colour_bar(QPainter& canvas, QRect bar, int max_misfit);
