#include "plot/fd_plot_raster.h"

#include "plot/fast_projection.h"
#include "plot/raster_cover.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace {

bool opaque_or_none(const QBrush& brush) {
    return brush.style() == Qt::NoBrush ||
           (brush.style() == Qt::SolidPattern && brush.color().alpha() == 255);
}

bool opaque_or_none(const QPen& pen) {
    return pen.style() == Qt::NoPen || opaque_or_none(pen.brush());
}

bool opaque(const TSlipSymbolSpec& symb) {
    return opaque_or_none(symb.gc_pen) && opaque_or_none(symb.ar_pen) &&
           opaque_or_none(symb.tl_pen) && opaque_or_none(symb.tl_brs);
}

int margin_of(double reach) {
    return int(std::ceil(reach));
}

// How far a shape's points can lie from the anchor in x or y once rotated and rounded.
template <std::size_t N> int shape_reach(const std::array<QPoint, N>& shape) {
    double r = 0;
    for (const QPoint p : shape)
        r = std::max(r, std::hypot(double(p.x()), double(p.y())));
    return int(std::ceil(r)) + 1;
}

QRect around(QPoint p, int reach) {
    return QRect(p - QPoint(reach, reach), p + QPoint(reach, reach));
}

QRect bounds(std::span<const QPoint> points, int margin) {
    int x0 = points[0].x(), x1 = x0, y0 = points[0].y(), y1 = y0;
    for (const QPoint p : points) {
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y());
        y1 = std::max(y1, p.y());
    }
    return QRect(QPoint(x0 - margin, y0 - margin), QPoint(x1 + margin, y1 + margin));
}

// A symbol's shape: its pen (one of the styles') and its points relative to the first.
struct TStampKey {
    static constexpr std::size_t capacity = 6;
    const QPen* pen = nullptr;
    std::size_t count = 0;
    std::array<QPoint, capacity> offsets;
    bool operator==(const TStampKey&) const = default;
};

struct TStampKeyHash {
    std::size_t operator()(const TStampKey& key) const {
        std::size_t h = std::hash<const void*>()(key.pen) ^ key.count;
        for (std::size_t k = 0; k < key.count; ++k)
            h = h * 1000003 ^ std::size_t(std::uint32_t(key.offsets[k].x()) * 65599u +
                                          std::uint32_t(key.offsets[k].y()));
        return h;
    }
};

// The last figure the vector route draws, which leaves its pen and brush on the canvas.
struct TLastFigure {
    const TFaultData* fd = nullptr;
    const TSlipSymbolSpec* symb = nullptr;
    const TPrincipalAxisOrientations* axes = nullptr;
    bool any() const { return fd || axes; }
};

// Whether great circles lie under the cover, and their points.
class TCircleTester {
public:
    TCircleTester(const TRasterCover& cover, const TBaseCircle& net, TProjection projection)
        : cover_(cover), net_(net), projection_(projection), projector_(projection, net.C, net.R) {}

    // Whether every segment of the great circle lies under the cover, judged from points within
    // 0.01 pixel of the chain's. Planes out of range count as showing.
    bool hidden(const Tazpl& plane, const Tmatrix33& m, int margin) const {
        // Dips of 0 to 90 degrees keep the circle's directions in the lower hemisphere.
        if (!(std::isfinite(plane.az) && plane.pl >= 0 && plane.pl <= 90))
            return false;
        // Within three degrees of vertical, 1 + z (z = m[2][1] sin t) comes so near 0 that
        // single precision cannot place the points near the centre to a hundredth of a pixel.
        if (1 + m.m[2][1] < 1e-3) {
            std::array<QPoint, 181> p;
            points(m, p);
            return hidden(p, margin);
        }
        std::array<float, padded_circle> px, py;
        approximate_great_circle(m, projection_, net_.C, net_.R, px, py);
        const auto box = [&](std::size_t from, std::size_t to) {
            float x0 = px[from], x1 = x0, y0 = py[from], y1 = y0;
            for (std::size_t t = from + 1; t <= to; ++t) {
                x0 = std::min(x0, px[t]);
                x1 = std::max(x1, px[t]);
                y0 = std::min(y0, py[t]);
                y1 = std::max(y1, py[t]);
            }
            return QRect(
                QPoint(int(std::floor(x0 - 0.51f)) - margin, int(std::floor(y0 - 0.51f)) - margin),
                QPoint(int(std::ceil(x1 + 0.51f)) + margin, int(std::ceil(y1 + 0.51f)) + margin));
        };
        // The exact points where the approximate ones leave a doubt.
        const auto exact = [&](std::size_t t) {
            return projector_(matrix_vector3(m, half_turn_directions()[t]));
        };
        // Whole stretches first, shorter ones where they show: in the thick of the picture a
        // box around many segments is covered whole, and the segments at the rim rarely are.
        const auto stretch = [&](const auto& self, std::size_t from, std::size_t to) -> bool {
            if (cover_.covered(box(from, to)))
                return true;
            if (to - from == 1) {
                const std::array<QPoint, 2> ends{exact(from), exact(to)};
                return cover_.covered(bounds(ends, margin));
            }
            const std::size_t step = (to - from + 3) / 4;
            for (std::size_t k = from; k < to; k += step)
                if (!self(self, k, std::min(k + step, to)))
                    return false;
            return true;
        };
        if (!stretch(stretch, 0, 3) || !stretch(stretch, 177, 180))
            return false;
        for (std::size_t from = 3; from < 177; from += 29)
            if (!stretch(stretch, from, from + 29))
                return false;
        return true;
    }

    // The same from the circle's points.
    bool hidden(const std::array<QPoint, 181>& points, int margin) const {
        constexpr std::size_t run = 12;
        for (std::size_t from = 0; from < 180; from += run) {
            const std::size_t to = std::min<std::size_t>(from + run, 180);
            if (cover_.covered(bounds(std::span(points).subspan(from, to - from + 1), margin)))
                continue;
            for (std::size_t t = from; t < to; ++t)
                if (!cover_.covered(bounds(std::span(points).subspan(t, 2), margin)))
                    return false;
        }
        return true;
    }

    // The points draw_great_circle draws.
    void points(const Tmatrix33& m, std::array<QPoint, 181>& points) const {
        const std::array<Tvector3, 181>& directions = half_turn_directions();
        for (std::size_t t = 0; t < points.size(); ++t)
            points[t] = projector_(matrix_vector3(m, directions[t]));
    }

private:
    const TRasterCover& cover_;
    const TBaseCircle& net_;
    TProjection projection_;
    TVectorProjector projector_;
};

// What is painted, in the vector route's order: model faults, axis stars, loaded data and
// theoretical slips, each set with its role and picked datum.
struct TFDPlan {
    struct Set {
        const TFaultDataSet* data = nullptr;
        TFDSetRole role = TFDSetRole::Loaded;
        int selected = -1;
    };
    Set model{nullptr, TFDSetRole::Model, -1};
    const TPrincipalAxisOrientations* axes = nullptr;
    Set loaded{nullptr, TFDSetRole::Loaded, -1};
    Set theoretical{nullptr, TFDSetRole::Theoretical, -1};
};

// The figures of draw_great_circle_datum and draw_tangent_datum, last to first.
template <class Visitor>
void visit_datum(Visitor& v, TPlotMethod plotmethod, const TFaultData& fd,
                 const TSlipSymbolSpec& symb) {
    const TSlipData& first = fd.SDList.front();
    if (plotmethod == TPlotMethod::GCA) {
        switch (fd.datatype) {
        case TDataType::Ful:
            v.slip_arrow(symb, first);
            v.great_circle(symb, first.Pazpl);
            break;
        case TDataType::Mec:
            for (auto sd = fd.SDList.rbegin(); sd != fd.SDList.rend(); ++sd) {
                v.slip_arrow(symb, *sd);
                v.great_circle(symb, sd->Pazpl);
            }
            break;
        case TDataType::Lin:
            v.lineation_bar(symb, first);
            v.great_circle(symb, first.Pazpl);
            break;
        case TDataType::Sen:
            v.possible_slip_arrows(symb, fd);
            v.great_circle(symb, first.Pazpl);
            break;
        }
        return;
    }
    switch (fd.datatype) {
    case TDataType::Ful:
        v.tangent(symb, first, false);
        break;
    case TDataType::Mec:
        for (auto sd = fd.SDList.rbegin(); sd != fd.SDList.rend(); ++sd)
            v.tangent(symb, *sd, false);
        break;
    case TDataType::Lin:
        v.tangent(symb, first, true);
        break;
    case TDataType::Sen:
        v.fan(symb, fd);
        break;
    }
}

// Every figure of the plan, last to first, as draw_FD_set and draw_FD_plot draw them.
template <class Visitor>
void visit_last_to_first(Visitor& v, const TFDPlotStyles& styles, TPlotMethod plotmethod,
                         const TFDPlan& plan) {
    const auto set = [&](const TFDPlan::Set& s) {
        if (!s.data)
            return;
        const int n = s.data->count();
        const bool highlighted = s.selected >= 0 && s.selected < n;
        const auto datum = [&](int i) {
            const TFaultData& fd = s.data->FDList[std::size_t(i)];
            if (fd.SDList.empty())
                return;
            const TSlipSymbolSpec& symb = FD_symbol_style(styles, s.role, fd, i == s.selected);
            v.datum(fd, symb);
            visit_datum(v, plotmethod, fd, symb);
        };
        if (highlighted)
            datum(s.selected);
        for (int i = n - 1; i >= 0; --i)
            if (!highlighted || i != s.selected)
                datum(i);
    };
    set(plan.theoretical);
    set(plan.loaded);
    if (plan.axes)
        v.stars(*plan.axes);
    set(plan.model);
}

// Paints the plan's figures last to first: every call paints what lies under all earlier ones.
class TReverseFDPainter {
public:
    TReverseFDPainter(QPainter& canvas, const TFDPlotStyles& styles, TProjection projection,
                      TPlotMethod plotmethod)
        : canvas_(canvas), cover_(canvas), styles_(styles), net_(styles.basecircle),
          projection_(projection), plotmethod_(plotmethod), projector_(projection, net_.C, net_.R),
          tester_(cover_, net_, projection) {}

    void datum(const TFaultData& fd, const TSlipSymbolSpec& symb) {
        if (!last_.any()) {
            last_.fd = &fd;
            last_.symb = &symb;
        }
    }

    void stars(const TPrincipalAxisOrientations& axes) {
        if (!last_.any())
            last_.axes = &axes;
        const std::array<std::array<QPoint, 11>, 3> shapes{make_star3(), make_star4(),
                                                           make_star5()};
        std::array<QRect, 3> boxes;
        bool hidden = true;
        for (std::size_t k = 0; k < 3; ++k) {
            const QPoint p = azpl_to_point(axes[k], projection_, net_);
            boxes[k] = bounds(shapes[k], star_margin).translated(p);
            hidden = hidden && cover_.covered(boxes[k]);
        }
        if (hidden)
            return;
        draw_designated_axes(cover_.blank(), styles_, projection_, axes);
        for (const QRect& box : boxes)
            cover_.take(box);
    }

    void finish() {
        cover_.finish();
        if (!last_.any())
            return;
        // Drawn again where nothing shows, for the pen and brush it leaves.
        QImage spot(1, 1, QImage::Format_RGB32);
        QPainter painter(&spot);
        if (last_.fd)
            draw_FD_datum(painter, net_, projection_, plotmethod_, *last_.symb, *last_.fd);
        else
            draw_designated_axes(painter, styles_, projection_, *last_.axes);
        canvas_.setPen(painter.pen());
        canvas_.setBrush(painter.brush());
    }

    // Shape reaches depend on the symbol size only; sizes change with the style.
    int reach(std::size_t kind, int size) {
        Memo& m = reaches_[kind];
        if (m.size != size) {
            const auto a = static_cast<std::int16_t>(size);
            switch (kind) {
            case slip_arrow_kind:
                m.reach = std::max({shape_reach(make_strike_slip_arrow(a, TStrikeSlipKind::S)),
                                    shape_reach(make_strike_slip_arrow(a, TStrikeSlipKind::D)),
                                    shape_reach(make_dip_slip_arrow(a))});
                break;
            case bar_kind:
                m.reach = shape_reach(make_lineation_bar(a));
                break;
            case tangent_kind:
                m.reach =
                    std::max(shape_reach(make_tangent_arrow(a)), shape_reach(make_tangent_bar(a)));
                break;
            default: // the fan's tips, 2 tl_size from the pole; its dot is nearer
                m.reach = shape_reach(std::array<QPoint, 1>{{{2 * size, 0}}});
                break;
            }
            m.size = size;
        }
        return m.reach;
    }

    // A symbol's polyline with the exact points: skipped if covered, else drawn as draw_points
    // draws it, as a stamp where it lies within the picture.
    void polyline(const QPen& pen, const QBrush& brush, const std::vector<QPoint>& points) {
        const double r = pen_reach(pen);
        const QRect box = bounds(points, margin_of(r));
        if (cover_.covered(box))
            return;
        const QRect picture = cover_.picture();
        if (points.size() <= TStampKey::capacity && picture.contains(box)) {
            const QPoint anchor = points.front();
            const QPoint home = picture.center();
            TStampKey key{&pen, points.size(), {}};
            for (std::size_t k = 0; k < points.size(); ++k)
                key.offsets[k] = points[k] - anchor;
            auto stamp = stamps_.find(key);
            if (stamp == stamps_.end() && picture.contains(box.translated(home - anchor))) {
                std::array<QPoint, TStampKey::capacity> moved;
                for (std::size_t k = 0; k < points.size(); ++k)
                    moved[k] = home + key.offsets[k];
                QPainter& blank = cover_.stamp_blank();
                give_pen_brush(blank, pen, brush);
                blank.drawPolyline(moved.data(), int(points.size()));
                stamp =
                    stamps_.emplace(key, cover_.lift(box.translated(home - anchor), home)).first;
            }
            if (stamp != stamps_.end()) {
                if (!cover_.covered(stamp->second, anchor))
                    cover_.put(stamp->second, anchor);
                return;
            }
        }
        if (cover_.covered_polyline(points, r))
            return;
        QPainter& blank = cover_.blank();
        give_pen_brush(blank, pen, brush);
        blank.drawPolyline(points.data(), int(points.size()));
        cover_.take(box);
    }

    void slip_arrow(const TSlipSymbolSpec& symb, const TSlipData& sd) {
        if (symb.ar_pen.style() == Qt::NoPen)
            return;
        const QPoint p = azpl_to_point(sd.Lazpl, projection_, net_);
        const int r = reach(slip_arrow_kind, symb.ar_size) + margin_of(pen_reach(symb.ar_pen));
        if (!cover_.covered(around(p, r)))
            polyline(symb.ar_pen, symb.ar_brs,
                     slip_arrow_points(net_, projection_, symb.ar_size, sd));
    }

    // draw_possible_slip_arrows' arrows, last to first; each anchor is the lineation's point,
    // azpl_to_point(vector3_to_azpl_lower(v)), and the slip is made only where it may show.
    void possible_slip_arrows(const TSlipSymbolSpec& symb, const TFaultData& fd) {
        if (symb.ar_pen.style() == Qt::NoPen)
            return;
        const std::vector<int> indices = admissible_slip_indices(fd);
        if (indices.empty())
            return;
        const Tmatrix33 m = plane_direction_matrix(fd.SDList.front().Pazpl);
        const int r = reach(slip_arrow_kind, symb.ar_size) + margin_of(pen_reach(symb.ar_pen));
        for (auto i = indices.rbegin(); i != indices.rend(); ++i) {
            const Tvector3 v = matrix_vector3(m, possible_slip_directions()[std::size_t(*i)]);
            if (!cover_.covered(around(projector_(to_lower_hemisphere(v)), r)))
                polyline(symb.ar_pen, symb.ar_brs,
                         slip_arrow_points(net_, projection_, symb.ar_size, possible_slip(fd, *i)));
        }
    }

    void lineation_bar(const TSlipSymbolSpec& symb, const TSlipData& sd) {
        if (symb.ar_pen.style() == Qt::NoPen)
            return;
        const QPoint p = azpl_to_point(sd.Lazpl, projection_, net_);
        const int r = reach(bar_kind, symb.ar_size) + margin_of(pen_reach(symb.ar_pen));
        if (!cover_.covered(around(p, r)))
            polyline(symb.ar_pen, symb.ar_brs,
                     lineation_bar_points(net_, projection_, symb.ar_size, sd));
    }

    void tangent(const TSlipSymbolSpec& symb, const TSlipData& sd, bool bar) {
        if (symb.tl_pen.style() == Qt::NoPen)
            return;
        // The pole, as tangent_lineation_points projects it.
        const QPoint p = projector_(lower_pole(sd));
        const int r = reach(tangent_kind, symb.tl_size) + margin_of(pen_reach(symb.tl_pen));
        if (!cover_.covered(around(p, r)))
            polyline(symb.tl_pen, symb.tl_brs,
                     tangent_lineation_points(net_, projection_, symb.tl_size, sd, bar));
    }

    void fan(const TSlipSymbolSpec& symb, const TFaultData& fd) {
        const double r = pen_reach(symb.tl_pen);
        // The pole, as possible_slip_fan_points projects it.
        const QPoint p0 = projector_(lower_pole(fd.SDList.front()));
        if (cover_.covered(around(p0, reach(fan_kind, symb.tl_size) + margin_of(r))))
            return;
        // The dot's box as draw_possible_slip_fan computes it, and the pixels around.
        const double t4 = 0.25 * symb.tl_size;
        const QRect dot = QRect(QPoint(nearest(p0.x() - t4), nearest(p0.y() - t4)),
                                QPoint(nearest(p0.x() + t4), nearest(p0.y() + t4)))
                              .adjusted(-2, -2, 2, 2);
        const bool dot_hidden = cover_.covered(dot);
        const std::vector<QPoint> points =
            possible_slip_fan_points(net_, projection_, symb.tl_size, fd);
        const bool polygon = points.size() > 1;
        if (dot_hidden && (!polygon || cover_.covered_polygon(points, r)))
            return;
        draw_fan_points(cover_.blank(), symb, points);
        if (polygon)
            cover_.take(bounds(points, margin_of(r)));
        cover_.take(dot);
    }

    void great_circle(const TSlipSymbolSpec& symb, const Tazpl& plane) {
        const QPen& pen = symb.gc_pen;
        if (pen.style() == Qt::NoPen)
            return;
        const int margin = pen_box_margin(pen);
        const Tmatrix33 m = plane_direction_matrix(plane);
        if (tester_.hidden(plane, m, margin))
            return;
        std::array<QPoint, 181> points;
        tester_.points(m, points);
        QPainter& blank = cover_.blank();
        give_pen_brush(blank, pen, symb.gc_brs);
        blank.drawPolyline(points.data(), int(points.size()));
        // Segment by segment; a circle strewn across the picture (from orientations out of range)
        // is taken in one sweep instead.
        const QRect picture = cover_.picture();
        double area = 0;
        for (std::size_t t = 0; t + 1 < points.size(); ++t) {
            const QRect on = bounds(std::span(points).subspan(t, 2), margin).intersected(picture);
            area += double(on.width()) * on.height();
        }
        if (area > double(picture.width()) * picture.height())
            cover_.take(picture);
        else
            cover_.take_segments(points, margin);
    }

private:
    // The stars are outlined with a 1-pixel pen.
    static constexpr int star_margin = 3;
    static constexpr std::size_t slip_arrow_kind = 0, bar_kind = 1, tangent_kind = 2, fan_kind = 3;
    struct Memo {
        int size = -1;
        int reach = 0;
    };

    QPainter& canvas_;
    TRasterCover cover_;
    const TFDPlotStyles& styles_;
    const TBaseCircle& net_;
    TProjection projection_;
    TPlotMethod plotmethod_;
    TVectorProjector projector_;
    std::array<Memo, 4> reaches_{};
    TLastFigure last_;
    std::unordered_map<TStampKey, TRasterStamp, TStampKeyHash> stamps_;
    TCircleTester tester_;
};

void paint(QPainter& canvas, const TFDPlotStyles& styles, TProjection projection,
           TPlotMethod plotmethod, const TFDPlan& plan) {
    TReverseFDPainter painter(canvas, styles, projection, plotmethod);
    visit_last_to_first(painter, styles, plotmethod, plan);
    painter.finish();
}

} // namespace

bool FD_raster_route_applies(const QPainter& canvas, const TFDPlotStyles& styles) {
    return TRasterCover::applies(canvas) &&
           std::all_of(styles.symb.begin(), styles.symb.end(),
                       [](const TSlipSymbolSpec& s) { return opaque(s); }) &&
           opaque(styles.symb_highlight) && opaque(styles.symb_model) &&
           opaque(styles.symb_theoretical);
}

void draw_FD_set_raster(QPainter& canvas, const TFDPlotStyles& styles, TProjection projection,
                        TPlotMethod plotmethod, const TFaultDataSet& set, TFDSetRole role,
                        int selected) {
    TFDPlan plan;
    TFDPlan::Set& slot = role == TFDSetRole::Model    ? plan.model
                         : role == TFDSetRole::Loaded ? plan.loaded
                                                      : plan.theoretical;
    slot = {&set, role, selected};
    paint(canvas, styles, projection, plotmethod, plan);
}

void draw_FD_layers_raster(QPainter& canvas, const TFDPlotStyles& styles,
                           const TFDPlotLayers& layers) {
    TFDPlan plan;
    plan.model.data = layers.model_faults;
    plan.axes = layers.designated_axes ? &*layers.designated_axes : nullptr;
    plan.loaded = {layers.loaded, TFDSetRole::Loaded, layers.selected};
    plan.theoretical.data = layers.theoretical;
    paint(canvas, styles, layers.projection, layers.plotmethod, plan);
}
