#pragma once

// A vector picture of a million symbols need not be held whole: a writer may take over the
// painter between two symbols, write out what has been drawn so far and go on on a fresh page
// of the same picture. The plots say where that may happen; nothing happens unless a writer
// asked for it on that painter.

#include <QPainter>

#include <functional>

// Called by a plot between two symbols where the next one sets its own pen and brush, which
// differ from the last symbol's, and where the painter holds no saved states: the picture is
// then the same whether or not a part ends here.
void picture_part_may_end(QPainter& canvas);

// While alive, picture_part_may_end(canvas) calls end_part(canvas) for this one painter.
class TPicturePartsScope {
public:
    TPicturePartsScope(const QPainter& canvas, std::function<void(QPainter&)> end_part);
    ~TPicturePartsScope();
    TPicturePartsScope(const TPicturePartsScope&) = delete;
    TPicturePartsScope& operator=(const TPicturePartsScope&) = delete;

private:
    const QPainter* previous_canvas_;
    std::function<void(QPainter&)> previous_end_part_;
};
