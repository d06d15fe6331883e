#include "plot/tadpole_stamps.h"

#include "plot/draw_operations.h"

#include <QPaintDevice>

#include <algorithm>
#include <climits>

namespace {

// What a stamp depends on of its pen; empty for pens the key cannot hold.
std::optional<std::uint64_t> pen_geometry(const QPen& pen) {
    const int w = pen.width();
    if (w < 0 || w > 255 || pen.widthF() != w)
        return std::nullopt;
    return std::uint64_t(w) | std::uint64_t(pen.capStyle() >> 4) << 8 |
           std::uint64_t(pen.joinStyle() >> 6) << 10 | std::uint64_t(pen.isCosmetic()) << 13;
}

// Key of a shape: kind (0 head, 1 tail), two parameters and the pen's geometry.
std::optional<std::uint64_t> shape_key(int kind, int a, int b, const QPen& pen) {
    constexpr int limit = TStampCache::limit;
    const auto g = pen_geometry(pen);
    if (!g || a < -limit || a > limit || b < -limit || b > limit)
        return std::nullopt;
    return std::uint64_t(kind) | *g << 1 | std::uint64_t(a + limit) << 16 |
           std::uint64_t(b + limit) << 32;
}

} // namespace

TStampOutline::TStampOutline(std::span<const TPixelRun> rows, int spread, int shadow) {
    if (rows.empty())
        return;
    spread = std::max(spread, 0);
    // Each row of the moved shape reaches as far as any row within spread of it, and spread
    // further to each side.
    top_ = rows.front().dy - spread;
    std::vector<TPixelRun> wide(std::size_t(rows.back().dy + spread - top_ + 1),
                                TPixelRun{0, INT_MAX, INT_MIN});
    for (const TPixelRun& r : rows)
        for (int dy = r.dy - spread; dy <= r.dy + spread; ++dy) {
            TPixelRun& w = wide[std::size_t(dy - top_)];
            w.x0 = std::min(w.x0, r.x0 - spread);
            w.x1 = std::max(w.x1, r.x1 + spread);
        }
    const int bottom = top_ + int(wide.size()) - 1;
    group_top_ = std::min(top_, top_ + shadow);
    const int group_bottom = std::max(bottom, bottom + shadow);
    groups_ = std::size_t((group_bottom - group_top_) / 8 + 1);
    std::vector<TPixelRun> groups(groups_, TPixelRun{0, INT_MAX, INT_MIN});
    for (std::size_t i = 0; i < wide.size(); ++i)
        for (const int offset : {0, shadow}) {
            const TPixelRun& w = wide[i];
            if (w.x0 > w.x1)
                continue;
            TPixelRun& g = groups[std::size_t((top_ + int(i) + offset - group_top_) / 8)];
            g.x0 = std::min(g.x0, w.x0 + offset);
            g.x1 = std::max(g.x1, w.x1 + offset);
        }
    const auto extent = [](const TPixelRun& r) {
        return r.x0 > r.x1 ? Extent{1, 0} : Extent{std::int16_t(r.x0), std::int16_t(r.x1)};
    };
    if (groups_ > few_groups)
        many_.resize(groups_);
    Extent* g = groups_ > few_groups ? many_.data() : few_.data();
    for (std::size_t i = 0; i < groups_; ++i)
        g[i] = extent(groups[i]);
    rows_.reserve(wide.size());
    for (const TPixelRun& r : wide)
        rows_.push_back(extent(r));
}

TStampCache::TStampCache(int spread, int shadow)
    : outlines_(true), spread_(std::clamp(spread, 0, limit)),
      shadow_(std::clamp(shadow, -limit, limit)) {}

bool TStampCache::usable(const QPen& pen) {
    return pen_geometry(pen).has_value();
}

bool TStampCache::same_shapes(const QPen& a, const QPen& b) {
    const auto g = pen_geometry(a);
    return g && g == pen_geometry(b);
}

// Draws the shape onto a white scratch image of the box with the pen red and the brush green,
// around an anchor at whole pixels like every place it will be copied to, and reads the runs back.
template <class DrawShape>
TTadpoleStamp TStampCache::rasterise(QRect box, const QPen& pen, const QBrush& brush,
                                     DrawShape&& draw_shape) {
    const int m = margin(pen);
    box.adjust(-m, -m, m, m);
    if (scratch_.width() < box.width() || scratch_.height() < box.height())
        scratch_ = QImage(std::max(scratch_.width(), box.width()),
                          std::max(scratch_.height(), box.height()), QImage::Format_RGB32);
    const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0), green = qRgb(0, 255, 0);
    const QPoint anchor = -box.topLeft();
    {
        QPainter p(&scratch_);
        p.fillRect(QRect(QPoint(0, 0), box.size()), QColor(white));
        QPen shape_pen = pen;
        shape_pen.setColor(QColor(red));
        QBrush shape_brush = brush;
        if (shape_brush.style() != Qt::NoBrush)
            shape_brush.setColor(QColor(green));
        give_pen_brush(p, shape_pen, shape_brush);
        draw_shape(p, anchor);
    }
    TTadpoleStamp stamp;
    std::vector<TPixelRun> rows; // extent of each row
    for (int y = 0; y < box.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scratch_.constScanLine(y));
        for (int x = 0; x < box.width();) {
            const QRgb c = row[x];
            int end = x + 1;
            while (end < box.width() && row[end] == c)
                ++end;
            if (c != white) {
                const TPixelRun run{y - anchor.y(), x - anchor.x(), end - 1 - anchor.x()};
                (c == red ? stamp.pen : stamp.brush).push_back(run);
                if (rows.empty() || rows.back().dy != run.dy)
                    rows.push_back(run);
                else
                    rows.back().x1 = run.x1;
            }
            x = end;
        }
    }
    if (outlines_) {
        stamp.outline = TStampOutline(rows, 0, shadow_);
        stamp.spread_outline = TStampOutline(rows, spread_, shadow_);
    }
    return stamp;
}

const TTadpoleStamp* TStampCache::head(int r, const QPen& pen, const QBrush& brush) {
    const auto k = shape_key(0, r, brush.style() == Qt::NoBrush ? 0 : 1, pen);
    if (!k || r < 0)
        return nullptr;
    auto it = cache_.find(*k);
    if (it == cache_.end())
        it = cache_
                 .emplace(*k, rasterise(QRect(QPoint(-r, -r), QPoint(r, r)), pen, brush,
                                        [r](QPainter& p, QPoint a) {
                                            draw_ellipse_box(p, a.x() - r, a.y() - r, a.x() + r,
                                                             a.y() + r);
                                        }))
                 .first;
    return &it->second;
}

const TTadpoleStamp* TStampCache::tail(QPoint d, const QPen& pen) {
    const auto k = shape_key(1, d.x(), d.y(), pen);
    if (!k)
        return nullptr;
    auto it = cache_.find(*k);
    if (it == cache_.end())
        it = cache_
                 .emplace(*k, rasterise(QRect(QPoint(0, 0), d).normalized(), pen, Qt::NoBrush,
                                        [d](QPainter& p, QPoint a) { p.drawLine(a, a + d); }))
                 .first;
    return &it->second;
}

std::optional<TStampImage> TStampImage::of(const QPainter& canvas) {
    QPaintDevice* device = canvas.device();
    if (!device || device->devType() != QInternal::Image)
        return std::nullopt;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format f = image->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        return std::nullopt;
    if (image->devicePixelRatio() != 1)
        return std::nullopt;
    TStampImage r;
    // The painter writes into the image's data as it was at begin(); bits() could detach a
    // shared image from it, constBits() does not.
    r.bits_ = const_cast<uchar*>(image->constBits());
    r.bytes_per_line_ = image->bytesPerLine();
    r.width_ = image->width();
    r.height_ = image->height();
    return r;
}

bool TStampImage::plain_state(const QPainter& canvas) {
    return !canvas.testRenderHint(QPainter::Antialiasing) &&
           canvas.compositionMode() == QPainter::CompositionMode_SourceOver &&
           !canvas.hasClipping() && canvas.opacity() == 1 && canvas.deviceTransform().isIdentity();
}

void TStampImage::copy(std::span<const TPixelRun> runs, QPoint anchor, QRgb value) const {
    for (const TPixelRun& s : runs) {
        const int y = anchor.y() + s.dy;
        if (y < 0 || y >= height_)
            continue;
        const int x0 = std::max(anchor.x() + s.x0, 0);
        const int x1 = std::min(anchor.x() + s.x1, width_ - 1);
        if (x0 > x1)
            continue;
        QRgb* pixels = row(y);
        std::fill(pixels + x0, pixels + x1 + 1, value);
    }
}

bool opaque_solid(const QPen& pen) {
    return pen.style() == Qt::SolidLine && pen.brush().style() == Qt::SolidPattern &&
           pen.color().alpha() == 255;
}

bool opaque_solid(const QBrush& brush) {
    return brush.style() == Qt::NoBrush ||
           (brush.style() == Qt::SolidPattern && brush.color().alpha() == 255);
}
