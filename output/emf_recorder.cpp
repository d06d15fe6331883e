#include "output/emf_recorder.h"

#include "core/text_file.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

namespace {

// Record types, under the format's own names.
enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYPOLYGON = 8,
    EMR_EOF = 14,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYPOLYGON16 = 91,
    EMR_EXTCREATEPEN = 95,
};

// Stock objects: the defaults every playback starts with, and the null pen and brush.
constexpr std::uint32_t WHITE_BRUSH = 0x80000000;
constexpr std::uint32_t NULL_BRUSH = 0x80000005;
constexpr std::uint32_t BLACK_PEN = 0x80000007;
constexpr std::uint32_t NULL_PEN = 0x80000008;
constexpr std::uint32_t SYSTEM_FONT = 0x8000000D;

constexpr std::uint32_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4;
constexpr std::uint32_t PS_ENDCAP_ROUND = 0, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200;
constexpr std::uint32_t PS_JOIN_ROUND = 0, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000;
constexpr std::uint32_t PS_GEOMETRIC = 0x10000;
constexpr std::uint32_t BS_SOLID = 0, BS_HATCHED = 2;
constexpr std::uint32_t TRANSPARENT = 1;
constexpr std::uint32_t ALTERNATE = 1, WINDING = 2;
constexpr std::uint32_t TA_BASELINE = 24;
constexpr std::uint32_t GM_COMPATIBLE = 1;
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint8_t DEFAULT_CHARSET = 1;

// The reference screen at 96 dpi: 1920 x 1440 pixels are exactly 508 x 381 mm, so that the
// whole-millimetre fields keep the ratio that readers derive the pixel size from.
constexpr int screen_px_x = 1920, screen_px_y = 1440;
constexpr int screen_mm_x = 508, screen_mm_y = 381;
constexpr double hundredths_mm_per_px = 2540.0 / 96.0;

constexpr std::uint32_t header_size = 108; // with both header extensions
constexpr std::uint32_t eof_size = 20;

// Enough to keep a plot's few styles selected without recreating them; the oldest go first.
constexpr std::size_t objects_per_kind = 8;

struct TRectL {
    std::int32_t left = 0, top = 0, right = -1, bottom = -1;
};

void put_u32(QByteArray& out, std::uint32_t v) {
    const std::array<char, 4> b{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.append(b.data(), 4);
}
void put_i32(QByteArray& out, std::int32_t v) {
    put_u32(out, std::uint32_t(v));
}
void put_u16(QByteArray& out, std::uint16_t v) {
    out.append(char(v));
    out.append(char(v >> 8));
}
void put_f32(QByteArray& out, float v) {
    put_u32(out, std::bit_cast<std::uint32_t>(v));
}
void put_rect(QByteArray& out, const TRectL& r) {
    put_i32(out, r.left);
    put_i32(out, r.top);
    put_i32(out, r.right);
    put_i32(out, r.bottom);
}
void pad4(QByteArray& out) {
    out.append((4 - out.size() % 4) % 4, '\0');
}
void put_utf16(QByteArray& out, const QString& text) {
    for (const QChar c : text)
        put_u16(out, c.unicode());
}

// Coordinates out of range (or not a number) must not wrap around.
std::int32_t to_int(double v) {
    if (!(v == v))
        return 0;
    constexpr double limit = std::numeric_limits<std::int32_t>::max();
    return std::int32_t(std::lround(std::clamp(v, -limit, limit)));
}

std::uint32_t colorref(const QColor& colour) {
    const QColor c = colour.toRgb();
    return std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 | std::uint32_t(c.blue()) << 16;
}

// Area scale of the transform: the factor by which it widens a pen.
double linear_scale(const QTransform& t) {
    return std::sqrt(std::fabs(t.m11() * t.m22() - t.m12() * t.m21()));
}

QPolygon rounded(const QPolygonF& points) {
    QPolygon out(points.size());
    for (qsizetype i = 0; i < points.size(); ++i)
        out[i] = QPoint(to_int(points[i].x()), to_int(points[i].y()));
    return out;
}

bool fits_int16(const QPolygon& points) {
    constexpr int lo = std::numeric_limits<std::int16_t>::min();
    constexpr int hi = std::numeric_limits<std::int16_t>::max();
    return std::all_of(points.begin(), points.end(), [](QPoint p) {
        return p.x() >= lo && p.x() <= hi && p.y() >= lo && p.y() <= hi;
    });
}

void put_points(QByteArray& out, const QPolygon& points, bool short_form) {
    for (const QPoint p : points) {
        if (short_form) {
            put_u16(out, std::uint16_t(std::int16_t(p.x())));
            put_u16(out, std::uint16_t(std::int16_t(p.y())));
        } else {
            put_i32(out, p.x());
            put_i32(out, p.y());
        }
    }
}

TRectL point_bounds(const std::vector<QPolygon>& polygons) {
    TRectL r{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(),
             std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min()};
    for (const QPolygon& polygon : polygons) {
        for (const QPoint p : polygon) {
            r.left = std::min(r.left, p.x());
            r.top = std::min(r.top, p.y());
            r.right = std::max(r.right, p.x());
            r.bottom = std::max(r.bottom, p.y());
        }
    }
    return r;
}

TRectL rounded_box(const QRectF& r) {
    return {to_int(r.left()), to_int(r.top()), to_int(r.right()), to_int(r.bottom())};
}

QColor brush_colour(const QBrush& brush) {
    if (const QGradient* g = brush.gradient(); g && !g->stops().isEmpty())
        return g->stops().first().second;
    return brush.color();
}

} // namespace

class TEmfPaintEngine final : public QPaintEngine {
public:
    explicit TEmfPaintEngine(QSize canvas) : QPaintEngine(AllFeatures), canvas_(canvas) {}

    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawImage;
    using QPaintEngine::drawLines;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;

    bool begin(QPaintDevice* device) override;
    bool end() override;
    void updateState(const QPaintEngineState& state) override;

    void drawRects(const QRectF* rects, int count) override;
    void drawLines(const QLineF* lines, int count) override;
    void drawEllipse(const QRectF& rect) override;
    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) override;
    void drawImage(const QRectF& rect, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override;
    void drawTextItem(const QPointF& p, const QTextItem& item) override;
    Type type() const override { return Type(User + 1); }

    const QByteArray& records() const { return records_; }
    std::uint32_t record_count() const { return record_count_; }
    // One more than the highest index ever used, as playback sizes its table by it.
    std::uint32_t handle_count() const { return std::uint32_t(handles_.size()); }
    TRectL bounds() const { return ink_; }

private:
    enum TKind { Pen, Brush, Font };
    struct TObject {
        std::uint32_t type;
        QByteArray body; // the creation record after its handle index
        std::uint32_t handle;
        std::uint64_t used;
    };

    void write_record(std::uint32_t type, const QByteArray& body);
    void write_u32(std::uint32_t type, std::uint32_t value) {
        QByteArray body;
        put_u32(body, value);
        write_record(type, body);
    }
    std::uint32_t allocate_handle();
    void select_handle(TKind kind, std::uint32_t handle);
    void select_object(TKind kind, std::uint32_t type, const QByteArray& body);

    bool pen_visible() const;
    bool brush_visible() const;
    double pen_width() const;
    void use_pen();
    void use_brush();
    void use_fill_mode(std::uint32_t mode);
    void use_text_colour(std::uint32_t colour);
    void add_ink(const QRectF& area, double half_width);

    void write_points(std::uint32_t type16, std::uint32_t type32, const QPolygon& points);
    void write_polypolygon(const std::vector<QPolygon>& polygons);

    QSize canvas_;
    QPaintDevice* device_ = nullptr;
    QPen pen_;
    QBrush brush_;
    QTransform transform_;

    QByteArray records_;
    std::uint32_t record_count_ = 0;
    std::vector<bool> handles_; // index 0 stands for the metafile itself
    std::array<std::vector<TObject>, 3> cache_;
    std::array<std::uint32_t, 3> selected_{};
    std::uint64_t clock_ = 0;
    std::uint32_t fill_mode_ = 0;   // 0: not set yet
    std::uint32_t text_colour_ = 0; // meaningful once text_colour_set_
    bool text_colour_set_ = false;
    TRectL ink_;
};

bool TEmfPaintEngine::begin(QPaintDevice* device) {
    device_ = device;
    records_.clear();
    record_count_ = 0;
    handles_.assign(1, true);
    for (auto& objects : cache_)
        objects.clear();
    selected_ = {BLACK_PEN, WHITE_BRUSH, SYSTEM_FONT};
    clock_ = 0;
    fill_mode_ = 0;
    text_colour_set_ = false;
    ink_ = TRectL{};
    // Opaque background would fill the gaps of dotted lines and the boxes behind text.
    write_u32(EMR_SETBKMODE, TRANSPARENT);
    // QPainter places text by the left end of its baseline.
    write_u32(EMR_SETTEXTALIGN, TA_BASELINE);
    setActive(true);
    return true;
}

bool TEmfPaintEngine::end() {
    // Leave the playback state as it began: stock objects selected, ours deleted.
    const std::array<std::uint32_t, 3> stock{BLACK_PEN, WHITE_BRUSH, SYSTEM_FONT};
    for (int kind = Pen; kind <= Font; ++kind) {
        if (cache_[kind].empty())
            continue;
        select_handle(TKind(kind), stock[kind]);
        for (const TObject& object : cache_[kind])
            write_u32(EMR_DELETEOBJECT, object.handle);
        cache_[kind].clear();
    }
    setActive(false);
    return true;
}

void TEmfPaintEngine::updateState(const QPaintEngineState& state) {
    const DirtyFlags flags = state.state();
    if (flags & DirtyPen)
        pen_ = state.pen();
    if (flags & DirtyBrush)
        brush_ = state.brush();
    if (flags & DirtyTransform)
        transform_ = state.transform();
}

void TEmfPaintEngine::write_record(std::uint32_t type, const QByteArray& body) {
    const qsizetype padded = (body.size() + 3) / 4 * 4;
    put_u32(records_, type);
    put_u32(records_, std::uint32_t(8 + padded));
    records_ += body;
    pad4(records_);
    ++record_count_;
}

std::uint32_t TEmfPaintEngine::allocate_handle() {
    const auto free = std::find(handles_.begin() + 1, handles_.end(), false);
    if (free != handles_.end()) {
        *free = true;
        return std::uint32_t(free - handles_.begin());
    }
    handles_.push_back(true);
    return std::uint32_t(handles_.size() - 1);
}

void TEmfPaintEngine::select_handle(TKind kind, std::uint32_t handle) {
    if (selected_[kind] == handle)
        return;
    write_u32(EMR_SELECTOBJECT, handle);
    selected_[kind] = handle;
}

void TEmfPaintEngine::select_object(TKind kind, std::uint32_t type, const QByteArray& body) {
    auto& objects = cache_[kind];
    ++clock_;
    auto it = std::find_if(objects.begin(), objects.end(),
                           [&](const TObject& o) { return o.type == type && o.body == body; });
    if (it == objects.end()) {
        if (objects.size() == objects_per_kind) {
            // The selected object was used last, so the oldest one is free to go.
            const auto oldest = std::min_element(
                objects.begin(), objects.end(),
                [](const TObject& a, const TObject& b) { return a.used < b.used; });
            write_u32(EMR_DELETEOBJECT, oldest->handle);
            handles_[oldest->handle] = false;
            objects.erase(oldest);
        }
        const std::uint32_t handle = allocate_handle();
        QByteArray record;
        put_u32(record, handle);
        record += body;
        write_record(type, record);
        objects.push_back({type, body, handle, 0});
        it = objects.end() - 1;
    }
    it->used = clock_;
    select_handle(kind, it->handle);
}

bool TEmfPaintEngine::pen_visible() const {
    return pen_.style() != Qt::NoPen && pen_.brush().style() != Qt::NoBrush &&
           pen_.color().alpha() != 0;
}

bool TEmfPaintEngine::brush_visible() const {
    return brush_.style() != Qt::NoBrush && brush_colour(brush_).alpha() != 0;
}

// In device pixels; a cosmetic pen keeps its width under any transform, 0 meaning 1 pixel.
double TEmfPaintEngine::pen_width() const {
    const double w = pen_.widthF();
    if (pen_.isCosmetic())
        return std::max(w, 1.0);
    return std::max(w * linear_scale(transform_), 1.0);
}

void TEmfPaintEngine::use_pen() {
    if (!pen_visible()) {
        select_handle(Pen, NULL_PEN);
        return;
    }
    std::uint32_t dash = PS_SOLID;
    switch (pen_.style()) {
    case Qt::DashLine:
    case Qt::CustomDashLine:
        dash = PS_DASH;
        break;
    case Qt::DotLine:
        dash = PS_DOT;
        break;
    case Qt::DashDotLine:
        dash = PS_DASHDOT;
        break;
    case Qt::DashDotDotLine:
        dash = PS_DASHDOTDOT;
        break;
    default:
        break;
    }
    const std::int32_t width = to_int(pen_width());
    const std::uint32_t colour = colorref(pen_.color());
    QByteArray body;
    if (width <= 1) {
        put_u32(body, dash);
        put_i32(body, 1);
        put_i32(body, 0);
        put_u32(body, colour);
        select_object(Pen, EMR_CREATEPEN, body);
        return;
    }
    // Readers draw a plain pen one pixel wide whatever its width; a geometric one keeps it,
    // with the caps and joins of the QPen.
    std::uint32_t cap = PS_ENDCAP_ROUND;
    if (pen_.capStyle() == Qt::SquareCap)
        cap = PS_ENDCAP_SQUARE;
    else if (pen_.capStyle() == Qt::FlatCap)
        cap = PS_ENDCAP_FLAT;
    std::uint32_t join = PS_JOIN_ROUND;
    if (pen_.joinStyle() == Qt::BevelJoin)
        join = PS_JOIN_BEVEL;
    else if (pen_.joinStyle() == Qt::MiterJoin || pen_.joinStyle() == Qt::SvgMiterJoin)
        join = PS_JOIN_MITER;
    for (int i = 0; i < 4; ++i)
        put_u32(body, 0); // no bitmap
    put_u32(body, PS_GEOMETRIC | cap | join | dash);
    put_u32(body, std::uint32_t(width));
    put_u32(body, BS_SOLID);
    put_u32(body, colour);
    put_u32(body, 0); // hatch
    put_u32(body, 0); // style entries
    select_object(Pen, EMR_EXTCREATEPEN, body);
}

void TEmfPaintEngine::use_brush() {
    if (!brush_visible()) {
        select_handle(Brush, NULL_BRUSH);
        return;
    }
    std::uint32_t style = BS_SOLID;
    std::uint32_t hatch = 0;
    // Hatch codes in the order of Qt's hatched brush styles.
    constexpr std::array hatched{Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    if (const auto it = std::find(hatched.begin(), hatched.end(), brush_.style());
        it != hatched.end()) {
        style = BS_HATCHED;
        hatch = std::uint32_t(it - hatched.begin());
    }
    // Dense patterns, gradients and textures fill in their main colour.
    QByteArray body;
    put_u32(body, style);
    put_u32(body, colorref(brush_colour(brush_)));
    put_u32(body, hatch);
    select_object(Brush, EMR_CREATEBRUSHINDIRECT, body);
}

void TEmfPaintEngine::use_fill_mode(std::uint32_t mode) {
    if (fill_mode_ == mode)
        return;
    write_u32(EMR_SETPOLYFILLMODE, mode);
    fill_mode_ = mode;
}

void TEmfPaintEngine::use_text_colour(std::uint32_t colour) {
    if (text_colour_set_ && text_colour_ == colour)
        return;
    write_u32(EMR_SETTEXTCOLOR, colour);
    text_colour_ = colour;
    text_colour_set_ = true;
}

// The header's bounds: pixels the drawing can touch, widened by half the pen, within the
// picture.
void TEmfPaintEngine::add_ink(const QRectF& area, double half_width) {
    const QRectF r = area.normalized();
    const std::int32_t left = to_int(std::floor(r.left() - half_width));
    const std::int32_t top = to_int(std::floor(r.top() - half_width));
    const std::int32_t right = std::max(left, to_int(std::ceil(r.right() + half_width)) - 1);
    const std::int32_t bottom = std::max(top, to_int(std::ceil(r.bottom() + half_width)) - 1);
    const TRectL clipped{std::max(left, 0), std::max(top, 0), std::min(right, canvas_.width() - 1),
                         std::min(bottom, canvas_.height() - 1)};
    if (clipped.left > clipped.right || clipped.top > clipped.bottom)
        return;
    if (ink_.left > ink_.right) {
        ink_ = clipped;
        return;
    }
    ink_.left = std::min(ink_.left, clipped.left);
    ink_.top = std::min(ink_.top, clipped.top);
    ink_.right = std::max(ink_.right, clipped.right);
    ink_.bottom = std::max(ink_.bottom, clipped.bottom);
}

void TEmfPaintEngine::write_points(std::uint32_t type16, std::uint32_t type32,
                                   const QPolygon& points) {
    const bool short_form = fits_int16(points);
    QByteArray body;
    put_rect(body, point_bounds({points}));
    put_u32(body, std::uint32_t(points.size()));
    put_points(body, points, short_form);
    write_record(short_form ? type16 : type32, body);
}

void TEmfPaintEngine::write_polypolygon(const std::vector<QPolygon>& polygons) {
    const bool short_form = std::all_of(polygons.begin(), polygons.end(), fits_int16);
    std::uint32_t total = 0;
    for (const QPolygon& p : polygons)
        total += std::uint32_t(p.size());
    QByteArray body;
    put_rect(body, point_bounds(polygons));
    put_u32(body, std::uint32_t(polygons.size()));
    put_u32(body, total);
    for (const QPolygon& p : polygons)
        put_u32(body, std::uint32_t(p.size()));
    for (const QPolygon& p : polygons)
        put_points(body, p, short_form);
    write_record(short_form ? EMR_POLYPOLYGON16 : EMR_POLYPOLYGON, body);
}

void TEmfPaintEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) {
    if (count < 2)
        return;
    const QPolygonF device = transform_.map(QPolygonF(QList<QPointF>(points, points + count)));
    const QPolygon pts = rounded(device);
    const bool stroke = pen_visible();
    const double half_width = stroke ? pen_width() / 2 : 0;
    if (mode == PolylineMode) {
        if (!stroke)
            return;
        use_pen();
        write_points(EMR_POLYLINE16, EMR_POLYLINE, pts);
    } else {
        if (!stroke && !brush_visible())
            return;
        use_pen();
        use_brush();
        use_fill_mode(mode == WindingMode ? WINDING : ALTERNATE);
        write_points(EMR_POLYGON16, EMR_POLYGON, pts);
    }
    add_ink(device.boundingRect(), half_width);
}

void TEmfPaintEngine::drawLines(const QLineF* lines, int count) {
    for (int i = 0; i < count; ++i) {
        const std::array<QPointF, 2> ends{lines[i].p1(), lines[i].p2()};
        drawPolygon(ends.data(), 2, PolylineMode);
    }
}

void TEmfPaintEngine::drawRects(const QRectF* rects, int count) {
    for (int i = 0; i < count; ++i) {
        if (transform_.type() > QTransform::TxScale) {
            const QPolygonF corners(rects[i]);
            drawPolygon(corners.data(), 4, ConvexMode);
            continue;
        }
        const bool stroke = pen_visible();
        if (!stroke && !brush_visible())
            continue;
        const QRectF device = transform_.mapRect(rects[i]).normalized();
        use_pen();
        use_brush();
        QByteArray body;
        put_rect(body, rounded_box(device));
        write_record(EMR_RECTANGLE, body);
        add_ink(device, stroke ? pen_width() / 2 : 0);
    }
}

void TEmfPaintEngine::drawEllipse(const QRectF& rect) {
    if (transform_.type() > QTransform::TxScale) {
        QPainterPath path;
        path.addEllipse(rect);
        drawPath(path);
        return;
    }
    const bool stroke = pen_visible();
    if (!stroke && !brush_visible())
        return;
    const QRectF device = transform_.mapRect(rect).normalized();
    use_pen();
    use_brush();
    QByteArray body;
    put_rect(body, rounded_box(device));
    write_record(EMR_ELLIPSE, body);
    add_ink(device, stroke ? pen_width() / 2 : 0);
}

// Curves are flattened in device space; a path whose subpaths are all closed is one
// poly-polygon, anything else a fill followed by one polyline per subpath.
void TEmfPaintEngine::drawPath(const QPainterPath& path) {
    const QList<QPolygonF> device = path.toSubpathPolygons(transform_);
    const bool stroke = pen_visible();
    const bool fill = brush_visible();
    if (device.isEmpty() || (!stroke && !fill))
        return;
    std::vector<QPolygon> polygons;
    QRectF area;
    for (const QPolygonF& p : device) {
        if (p.size() < 2)
            continue;
        polygons.push_back(rounded(p));
        area = area.isNull() ? p.boundingRect() : area.united(p.boundingRect());
    }
    if (polygons.empty())
        return;
    const bool closed = std::all_of(polygons.begin(), polygons.end(), [](const QPolygon& p) {
        return p.size() > 2 && p.first() == p.last();
    });
    if (fill) {
        if (stroke && closed)
            use_pen();
        else
            select_handle(Pen, NULL_PEN);
        use_brush();
        use_fill_mode(path.fillRule() == Qt::WindingFill ? WINDING : ALTERNATE);
        write_polypolygon(polygons);
    }
    if (stroke && !(fill && closed)) {
        use_pen();
        for (const QPolygon& p : polygons)
            write_points(EMR_POLYLINE16, EMR_POLYLINE, p);
    }
    add_ink(area, stroke ? pen_width() / 2 : 0);
}

void TEmfPaintEngine::drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) {
    drawImage(rect, pixmap.toImage(), source, Qt::AutoColor);
}

// A bottom-up 32-bit DIB; transparency is flattened onto white, which the format lacks here.
void TEmfPaintEngine::drawImage(const QRectF& rect, const QImage& image, const QRectF& source,
                                Qt::ImageConversionFlags) {
    const QRect src = source.toAlignedRect() & image.rect();
    if (src.isEmpty() || rect.isEmpty())
        return;
    QImage pixels(src.size(), QImage::Format_RGB32);
    pixels.fill(Qt::white);
    {
        QPainter flatten(&pixels);
        flatten.drawImage(QPoint(0, 0), image, src);
    }
    const QRectF device = transform_.mapRect(rect).normalized();
    const std::int32_t x = to_int(device.left()), y = to_int(device.top());
    const std::int32_t cx = to_int(device.right()) - x, cy = to_int(device.bottom()) - y;
    if (cx <= 0 || cy <= 0)
        return;
    const std::int32_t w = pixels.width(), h = pixels.height();
    const std::uint32_t bits_size = std::uint32_t(w) * std::uint32_t(h) * 4;
    QByteArray body;
    put_rect(body, {x, y, x + cx - 1, y + cy - 1});
    for (const std::int32_t v : {x, y, 0, 0, w, h})
        put_i32(body, v);
    put_u32(body, 80);  // bitmap header, from the record's start
    put_u32(body, 40);  // its size
    put_u32(body, 120); // pixels
    put_u32(body, bits_size);
    put_u32(body, 0); // colours as RGB values
    put_u32(body, SRCCOPY);
    put_i32(body, cx);
    put_i32(body, cy);
    put_u32(body, 40);
    put_i32(body, w);
    put_i32(body, h); // positive: bottom row first
    put_u16(body, 1);
    put_u16(body, 32);
    put_u32(body, 0); // uncompressed
    put_u32(body, bits_size);
    put_i32(body, 3780); // 96 dpi in pixels per metre
    put_i32(body, 3780);
    put_u32(body, 0);
    put_u32(body, 0);
    body.reserve(body.size() + qsizetype(bits_size));
    // RGB32 words are B, G, R, 0xFF in memory, the byte order of the DIB.
    for (int row = h - 1; row >= 0; --row)
        body.append(reinterpret_cast<const char*>(pixels.constScanLine(row)), qsizetype(w) * 4);
    write_record(EMR_STRETCHDIBITS, body);
    add_ink(device, 0);
}

void TEmfPaintEngine::drawTextItem(const QPointF& p, const QTextItem& item) {
    const QString text = item.text();
    if (text.isEmpty() || !pen_visible())
        return;
    const QFont font = item.font();
    const double scale_x = std::hypot(transform_.m11(), transform_.m12());
    const double scale_y = std::hypot(transform_.m21(), transform_.m22());
    const double pixel_size =
        font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
    // Tenths of a degree counter-clockwise; QPainter's rotations turn clockwise on the screen.
    const double angle = std::atan2(transform_.m12(), transform_.m11()) * 180.0 / std::numbers::pi;
    const std::int32_t escapement = to_int(std::fmod(3600.0 - angle * 10.0, 3600.0));

    QByteArray logfont;
    put_i32(logfont, -std::max(1, to_int(pixel_size * scale_y))); // negative: character height
    put_i32(logfont, 0);
    put_i32(logfont, escapement);
    put_i32(logfont, escapement);
    put_i32(logfont, font.weight());
    // Underline and strike-out stay off: QPainter draws those lines itself.
    logfont.append(char(font.italic() ? 1 : 0));
    logfont.append(2, '\0');
    logfont.append(char(DEFAULT_CHARSET));
    logfont.append(4, '\0'); // precisions, quality, pitch and family: defaults
    put_utf16(logfont, font.family().left(31));
    logfont.append(92 - logfont.size(), '\0');
    logfont.append(320 - 92, '\0'); // the remaining fields of the extended form, unused
    select_object(Font, EMR_EXTCREATEFONTINDIRECTW, logfont);
    use_text_colour(colorref(pen_.color()));

    // Spacing as QPainter measured it, so that a reader with another font keeps the extent.
    const QFontMetricsF metrics(font, device_);
    std::vector<std::int32_t> dx(std::size_t(text.size()), 0);
    std::int32_t previous = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype next = i + (text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1);
        const std::int32_t x = to_int(metrics.horizontalAdvance(text.left(next)) * scale_x);
        dx[std::size_t(i)] = x - previous;
        previous = x;
        i = next;
    }

    const QRectF box = transform_.mapRect(
        QRectF(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent()));
    const QPointF reference = transform_.map(p);
    QByteArray body;
    put_rect(body, rounded_box(box));
    put_u32(body, GM_COMPATIBLE);
    put_f32(body, float(hundredths_mm_per_px));
    put_f32(body, float(hundredths_mm_per_px));
    put_i32(body, to_int(reference.x()));
    put_i32(body, to_int(reference.y()));
    put_u32(body, std::uint32_t(text.size()));
    const std::uint32_t text_offset = 76; // from the record's start
    const std::uint32_t text_bytes = std::uint32_t(text.size() * 2 + 3) / 4 * 4;
    put_u32(body, text_offset);
    put_u32(body, 0);   // no options: neither clipping nor an opaque box
    put_rect(body, {}); // so no rectangle either
    put_u32(body, text_offset + text_bytes);
    put_utf16(body, text);
    pad4(body);
    for (const std::int32_t d : dx)
        put_i32(body, d);
    write_record(EMR_EXTTEXTOUTW, body);
    add_ink(box, 0);
}

TEmfRecorder::TEmfRecorder(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)),
      engine_(std::make_unique<TEmfPaintEngine>(QSize(width_, height_))) {}

TEmfRecorder::~TEmfRecorder() = default;

void TEmfRecorder::set_description(const QString& application, const QString& picture) {
    description_.clear();
    if (application.isEmpty() && picture.isEmpty())
        return;
    description_ = application + QChar(0) + picture + QChar(0) + QChar(0);
}

QPaintEngine* TEmfRecorder::paintEngine() const {
    return engine_.get();
}

int TEmfRecorder::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return width_;
    case PdmHeight:
        return height_;
    case PdmWidthMM:
        return to_int(width_ * 25.4 / 96.0);
    case PdmHeightMM:
        return to_int(height_ * 25.4 / 96.0);
    case PdmNumColors:
        return 1 << 24;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    default:
        return QPaintDevice::metric(metric);
    }
}

QByteArray TEmfRecorder::data() const {
    QByteArray description;
    put_utf16(description, description_);
    pad4(description);
    const QByteArray& records = engine_->records();
    const std::uint32_t header_bytes = header_size + std::uint32_t(description.size());
    const std::uint32_t total = header_bytes + std::uint32_t(records.size()) + eof_size;

    QByteArray out;
    out.reserve(qsizetype(total));
    put_u32(out, EMR_HEADER);
    put_u32(out, header_bytes);
    put_rect(out, engine_->bounds());
    put_rect(out,
             {0, 0, to_int(width_ * hundredths_mm_per_px), to_int(height_ * hundredths_mm_per_px)});
    put_u32(out, 0x464D4520); // " EMF"
    put_u32(out, 0x00010000);
    put_u32(out, total);
    put_u32(out, engine_->record_count() + 2);
    put_u16(out, std::uint16_t(std::min<std::uint32_t>(engine_->handle_count(), 0xFFFF)));
    put_u16(out, 0);
    put_u32(out, std::uint32_t(description_.size()));
    put_u32(out, description_.isEmpty() ? 0 : header_size);
    put_u32(out, 0); // no palette
    put_i32(out, screen_px_x);
    put_i32(out, screen_px_y);
    put_i32(out, screen_mm_x);
    put_i32(out, screen_mm_y);
    put_u32(out, 0); // no pixel format
    put_u32(out, 0);
    put_u32(out, 0); // no OpenGL records
    put_u32(out, screen_mm_x * 1000);
    put_u32(out, screen_mm_y * 1000);
    out += description;
    out += records;
    put_u32(out, EMR_EOF);
    put_u32(out, eof_size);
    put_u32(out, 0);  // palette entries
    put_u32(out, 16); // where they would start
    put_u32(out, eof_size);
    return out;
}

bool TEmfRecorder::save(const QString& path, QString* error) const {
    if (engine_->isActive()) {
        if (error)
            *error = QStringLiteral("Cannot write file [%1]: the picture is still being recorded.")
                         .arg(path);
        return false;
    }
    return write_file_atomically(path, data(), error);
}
