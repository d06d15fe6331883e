#include "plot/picture_parts.h"

#include <utility>

namespace {

// One writer at a time per thread; a scope restores the one it replaced.
thread_local const QPainter* parts_canvas = nullptr;
thread_local std::function<void(QPainter&)> parts_end_part;

} // namespace

void picture_part_may_end(QPainter& canvas) {
    if (&canvas == parts_canvas && parts_end_part)
        parts_end_part(canvas);
}

TPicturePartsScope::TPicturePartsScope(const QPainter& canvas,
                                       std::function<void(QPainter&)> end_part)
    : previous_canvas_(parts_canvas), previous_end_part_(std::move(parts_end_part)) {
    parts_canvas = &canvas;
    parts_end_part = std::move(end_part);
}

TPicturePartsScope::~TPicturePartsScope() {
    parts_canvas = previous_canvas_;
    parts_end_part = std::move(previous_end_part_);
}
