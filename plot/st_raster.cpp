#include "plot/st_raster.h"

#include "plot/pixel_coverage.h"
#include "plot/tadpole_stamps.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace {

// The stamps of a picture, made once for both nets.
class TSharedStamps {
public:
    TSharedStamps(int spread, int shadow) : cache_(spread, shadow) {}

    const TTadpoleStamp* head(int r, const QPen& pen, const QBrush& brush) {
        const std::lock_guard lock(mutex_);
        return cache_.head(r, pen, brush);
    }
    const TTadpoleStamp* tail(QPoint d, const QPen& pen) {
        const std::lock_guard lock(mutex_);
        return cache_.tail(d, pen);
    }

private:
    std::mutex mutex_;
    TStampCache cache_;
};

// The stamps of one net's tadpoles, found by radius and tail offset without a lock.
class TTadpoleShapes {
public:
    TTadpoleShapes(const TStressSymbolSpec& symb, TSharedStamps& stamps)
        : symb_(symb), stamps_(stamps),
          same_tails_(TStampCache::same_shapes(symb.sh_pen, symb.tp_pen)),
          same_heads_(same_tails_ &&
                      (symb.sh_brs.style() == Qt::NoBrush) == (symb.tp_brs.style() == Qt::NoBrush)),
          heads_{std::vector<const TTadpoleStamp*>(TStampCache::limit + 1),
                 std::vector<const TTadpoleStamp*>(TStampCache::limit + 1)},
          tails_{std::vector<const TTadpoleStamp*>(side * side),
                 std::vector<const TTadpoleStamp*>(side * side)} {}

    // The shadow's (0) or the symbol's (1); never null for the shapes draw_tadpoles_on_raster
    // accepts.
    const TTadpoleStamp* head(int r, int which) {
        if (same_heads_)
            which = 0;
        const TTadpoleStamp*& s = heads_[std::size_t(which)][std::size_t(r)];
        if (!s)
            s = which == 0 ? stamps_.head(r, symb_.sh_pen, symb_.sh_brs)
                           : stamps_.head(r, symb_.tp_pen, symb_.tp_brs);
        return s;
    }
    const TTadpoleStamp* tail(QPoint d, int which) {
        if (same_tails_)
            which = 0;
        const QPen& pen = which == 0 ? symb_.sh_pen : symb_.tp_pen;
        if (std::abs(d.x()) > near || std::abs(d.y()) > near)
            return stamps_.tail(d, pen);
        const TTadpoleStamp*& s =
            tails_[std::size_t(which)][std::size_t((d.x() + near) * side + d.y() + near)];
        if (!s)
            s = stamps_.tail(d, pen);
        return s;
    }

private:
    static constexpr int near = 64, side = 2 * near + 1; // the tails of the usual styles
    const TStressSymbolSpec& symb_;
    TSharedStamps& stamps_;
    bool same_tails_, same_heads_;
    std::array<std::vector<const TTadpoleStamp*>, 2> heads_, tails_;
};

// The generator from the end of the picture back to its start.
class TBackwardRandom {
public:
    explicit TBackwardRandom(std::uint32_t last) : seed_(last) {}
    double previous() {
        const double v = random_value_of(seed_);
        seed_ = random_seed_before(seed_);
        return v;
    }
    void skip(std::uint64_t values) {
        // k steps back are x -> A x + B, kept for the few values a tadpole draws.
        struct Steps {
            std::array<std::uint32_t, 256> a, b;
            Steps() {
                for (std::size_t k = 0; k < a.size(); ++k) {
                    b[k] = random_seed_advanced(0, -std::int64_t(k));
                    a[k] = random_seed_advanced(1, -std::int64_t(k)) - b[k];
                }
            }
        };
        static const Steps steps;
        seed_ = values < steps.a.size() ? steps.a[values] * seed_ + steps.b[values]
                                        : random_seed_advanced(seed_, -std::int64_t(values));
    }

private:
    std::uint32_t seed_;
};

// What a first look at the states finds.
struct TSurvey {
    std::array<int, 2> tail_reach{}; // no tail on a net is longer, in x or y
    std::uint64_t values = 0;        // random values the copies draw
};

struct TPicture {
    const TSTPlotStyles& styles;
    const TSTDrawSettings& settings;
    std::span<const TStressTensor> states;
    TStampImage image;
    int reach;         // no copy moves further from its unmoved head in x or y
    bool spread_tests; // whether the moved copies of a state are tested together
    std::uint32_t last_seed;
    std::array<int, 2> tail_reach;
    TPixelBox shared; // the pixels tadpoles of both nets can reach
};

// The tadpoles of one net, drawn last to first. Pixels only this net's tadpoles can reach go
// straight into the image; those of the shared box into a colour and the number of the state
// painting it, for the two nets to be joined when both are drawn.
class TNetPainter {
public:
    TNetPainter(const TPicture& picture, int net, TSharedStamps& stamps)
        : picture_(picture), net_(net), circle_(picture.styles.basecircle[std::size_t(net)]),
          symb_(picture.styles.symbST), shapes_(symb_, stamps),
          coverage_(picture.image.width(), picture.image.height()), random_(picture.last_seed),
          shift_(symb_.sh_offset, symb_.sh_offset), sh_margin_(TStampCache::margin(symb_.sh_pen)),
          tp_margin_(TStampCache::margin(symb_.tp_pen)), sh_pen_(symb_.sh_pen.color().rgb()),
          sh_brs_(symb_.sh_brs.color().rgb()) {
        const TPixelBox& s = picture.shared;
        if (s.left <= s.right && s.top <= s.bottom) {
            const std::size_t size =
                std::size_t(s.right - s.left + 1) * std::size_t(s.bottom - s.top + 1);
            shared_colour_.resize(size);
            shared_state_.resize(size);
        }
    }

    // The copies of this net, the last first; told state_done after each state shown. Ends
    // early once stop is requested.
    template <class StateDone> void draw(StateDone&& state_done, std::stop_token stop) {
        stop_ = std::move(stop);
        const bool num = picture_.settings.emphasis == TEmphasis::Num;
        const std::span<const TStressTensor> states = picture_.states;
        for (std::size_t i = states.size(); i-- > 0;) {
            const TStressTensor& st = states[i];
            const int k = symbol_count(st.Le);
            if (k < 1)
                continue;
            if (stop_.stop_requested())
                return;
            const std::uint64_t values = 2 * std::uint64_t(num ? k : 1);
            if (net_ == 0)
                random_.skip(values); // those of the sigma3 net, drawn after
            draw_state(st, int(i));
            if (net_ == 1)
                random_.skip(values);
            state_done();
        }
    }

    const TPixelCoverage& coverage() const { return coverage_; }
    // Of a pixel of the shared box this net has painted.
    QRgb shared_colour(int x, int y) const { return shared_colour_[shared_index(x, y)]; }
    int shared_state(int x, int y) const { return shared_state_[shared_index(x, y)]; }

private:
    struct Shapes {
        const TTadpoleStamp *sh_head = nullptr, *tp_head = nullptr, *sh_tail = nullptr,
                            *tp_tail = nullptr;
    };

    std::size_t shared_index(int x, int y) const {
        const TPixelBox& s = picture_.shared;
        return std::size_t(y - s.top) * std::size_t(s.right - s.left + 1) + std::size_t(x - s.left);
    }

    // Where any pixel of a copy at (0, 0) lies, shadow included; with a tail of up to
    // tail_reach either way when the layout has no tail offset yet.
    TPixelBox footprint(const TTadpoleLayout& l, bool with_tail_offset) const {
        const int r = l.radius;
        const TPixelBox head{-r, -r, r, r};
        TPixelBox box = head.grown(tp_margin_).joined(head.grown(sh_margin_).moved(shift_));
        if (picture_.settings.tadpole_tail) {
            const QPoint d = l.tail_offset;
            const int t = picture_.tail_reach[std::size_t(net_)];
            const TPixelBox tail = with_tail_offset
                                       ? TPixelBox{std::min(d.x(), 0), std::min(d.y(), 0),
                                                   std::max(d.x(), 0), std::max(d.y(), 0)}
                                       : TPixelBox{-t, -t, t, t};
            box = box.joined(tail.grown(tp_margin_)).joined(tail.grown(sh_margin_).moved(shift_));
        }
        return box;
    }

    Shapes shapes(const TTadpoleLayout& l) {
        Shapes s{shapes_.head(l.radius, 0), shapes_.head(l.radius, 1)};
        if (picture_.settings.tadpole_tail) {
            s.sh_tail = shapes_.tail(l.tail_offset, 0);
            s.tp_tail = shapes_.tail(l.tail_offset, 1);
        }
        return s;
    }

    // Each stamp is tested with its shadow copy: the symbol's with a part that need not be
    // hidden, the shadow's at its own place.
    bool hidden(const Shapes& s, QPoint head, TStampOutline TTadpoleStamp::*outline) const {
        const auto covered = [&](const TTadpoleStamp* stamp) {
            return coverage_.hidden(stamp->*outline, head, shift_);
        };
        return covered(s.tp_head) && (s.sh_head == s.tp_head || covered(s.sh_head)) &&
               (!s.tp_tail ||
                (covered(s.tp_tail) && (s.sh_tail == s.tp_tail || covered(s.sh_tail))));
    }

    void paint(std::span<const TPixelRun> runs, QPoint anchor, QRgb value, int state) {
        const TStampImage& image = picture_.image;
        const TPixelBox& s = picture_.shared;
        coverage_.take(runs, anchor, [&](int y, int x, int length) {
            int end = x + length;
            if (y >= s.top && y <= s.bottom && x <= s.right && end > s.left) {
                const int from = std::max(x, s.left), to = std::min(end, s.right + 1);
                const std::size_t at = shared_index(from, y);
                std::fill_n(shared_colour_.begin() + std::ptrdiff_t(at), to - from, value);
                std::fill_n(shared_state_.begin() + std::ptrdiff_t(at), to - from, state);
                std::fill(image.row(y) + x, image.row(y) + from, value);
                x = to;
            }
            std::fill(image.row(y) + x, image.row(y) + std::max(x, end), value);
        });
    }

    // In the reverse of draw_tadpole's order.
    void paint(const Shapes& s, QPoint head, QRgb colour, int state) {
        paint(s.tp_head->pen, head, colour, state);
        paint(s.tp_head->brush, head, colour, state);
        if (s.tp_tail)
            paint(s.tp_tail->pen, head, colour, state);
        const QPoint shadow = head + shift_;
        paint(s.sh_head->pen, shadow, sh_pen_, state);
        paint(s.sh_head->brush, shadow, sh_brs_, state);
        if (s.sh_tail)
            paint(s.sh_tail->pen, shadow, sh_pen_, state);
    }

    // The copies of the state's tadpole on this net, the last first.
    void draw_state(const TStressTensor& st, int state) {
        const TSTDrawSettings& settings = picture_.settings;
        TTadpoleLayout l = tadpole_head_layout(circle_, st.ax[net_ == 0 ? 0 : 2], settings.emphasis,
                                               symb_, settings.df, st.Le);
        const std::uint64_t values = 2 * std::uint64_t(l.copies);
        const int reach = picture_.reach;
        const long long ex = std::abs(l.head.x() - circle_.C.x()) + reach;
        const long long ey = std::abs(l.head.y() - circle_.C.y()) + reach;
        // Then every copy stays on the net, within reach of the unmoved head; otherwise those
        // that leave come back somewhere on the net.
        const bool all_stay = ex * ex + ey * ey <= static_cast<long long>(circle_.R) * circle_.R;
        const TPixelBox area = coverage_.area();
        // Most tadpoles lie deep under later ones, found so before their tails are projected.
        const TPixelBox roughly = footprint(l, false).moved(l.head).grown(reach);
        if (all_stay && (!roughly.meets(area) || coverage_.hidden(roughly))) {
            random_.skip(values);
            return;
        }
        if (settings.tadpole_tail)
            l.tail_offset = tadpole_tail_offset(symb_, st.ax[net_ == 0 ? 2 : 0]);
        const TPixelBox one = footprint(l, true);
        Shapes s;
        bool moved_hidden = false; // every copy that stays on the net is hidden
        if (l.copies > 1 && picture_.spread_tests) {
            const TPixelBox moved = one.moved(l.head).grown(reach);
            moved_hidden = coverage_.hidden(moved);
            if (!moved_hidden) {
                s = shapes(l);
                moved_hidden = hidden(s, l.head, &TTadpoleStamp::spread_outline);
            }
            if (moved_hidden && all_stay) {
                random_.skip(values);
                return;
            }
        }
        QRgb colour = 0;
        for (int k = l.copies; k > 0; --k) {
            // A state of millions of copies is stopped within it as well.
            if (k % 4096 == 0 && stop_.stop_requested())
                return;
            const double rho2 = random_.previous();
            const double rho1 = random_.previous();
            QPoint head = moved_head(l, rho1, rho2);
            if (!on_net(head, circle_))
                head = head_back_on_net(head, circle_);
            else if (moved_hidden)
                continue;
            const TPixelBox box = one.moved(head);
            if (!box.meets(area) || coverage_.hidden(box))
                continue;
            if (!s.tp_head)
                s = shapes(l);
            if (hidden(s, head, &TTadpoleStamp::outline))
                continue;
            if (colour == 0)
                colour = color_from_value(settings.color ? rainbow_color(st.sr) : gray_color(st.sr))
                             .rgb();
            paint(s, head, colour, state);
        }
    }

    const TPicture& picture_;
    int net_;
    const TBaseCircle& circle_;
    const TStressSymbolSpec& symb_;
    TTadpoleShapes shapes_;
    TPixelCoverage coverage_;
    TBackwardRandom random_;
    QPoint shift_;
    int sh_margin_, tp_margin_;
    QRgb sh_pen_, sh_brs_;
    std::vector<QRgb> shared_colour_;
    std::vector<int> shared_state_;
    std::stop_token stop_;
};

int saturated_sum(int a, int b) {
    return int(std::min<long long>(static_cast<long long>(a) + b, INT_MAX));
}

TSurvey survey(std::span<const TStressTensor> states, const TStressSymbolSpec& symb,
               const TSTDrawSettings& settings) {
    TSurvey s;
    // Tails of plunge 0 to 90 and a finite azimuth stay within the net of radius tail_size;
    // others are projected.
    const int usual = settings.tadpole_tail ? std::abs(symb.tail_size) + 1 : 0;
    s.tail_reach = {usual, usual};
    for (const TStressTensor& st : states) {
        const int k = symbol_count(st.Le);
        if (k < 1)
            continue;
        s.values += 4 * std::uint64_t(settings.emphasis == TEmphasis::Num ? k : 1); // two nets
        if (!settings.tadpole_tail)
            continue;
        for (int net = 0; net < 2; ++net) {
            const Tazpl& tail_dir = st.ax[net == 0 ? 2 : 0];
            if (tail_dir.pl >= 0 && tail_dir.pl <= 90 && std::isfinite(tail_dir.az))
                continue;
            const QPoint d = tadpole_tail_offset(symb, tail_dir);
            int& reach = s.tail_reach[std::size_t(net)];
            reach = std::max({reach, std::abs(d.x()), std::abs(d.y())});
        }
    }
    return s;
}

// Whether the nets are of a usual size and every head the styles can give is kept as a stamp:
// Siz grows a head with the weight up to a fifth of the net's radius.
int largest_head(const TSTPlotStyles& styles, TEmphasis emphasis, int net) {
    return emphasis == TEmphasis::Num ? styles.symbST.head_size
                                      : nearest(styles.basecircle[std::size_t(net)].R * 0.2);
}

bool shapes_fit(const TSTPlotStyles& styles, TEmphasis emphasis) {
    const int size = styles.symbST.head_size;
    if (size < 0 || std::abs(styles.symbST.sh_offset) > TStampCache::limit)
        return false;
    for (int net = 0; net < 2; ++net) {
        const int R = styles.basecircle[std::size_t(net)].R;
        if (R < 0 || R > 1 << 20 || largest_head(styles, emphasis, net) > TStampCache::limit)
            return false;
    }
    return true;
}

// Every pixel a tadpole of the net can reach: its heads lie within R + 1 of the centre.
TPixelBox net_reach(const TSTPlotStyles& styles, TEmphasis emphasis, int net, int tail_reach) {
    const TStressSymbolSpec& symb = styles.symbST;
    const TBaseCircle& circle = styles.basecircle[std::size_t(net)];
    const int margin = std::max(TStampCache::margin(symb.sh_pen), TStampCache::margin(symb.tp_pen));
    const int extent = std::max(largest_head(styles, emphasis, net), tail_reach) + margin +
                       std::abs(symb.sh_offset);
    return TPixelBox{0, 0, 0, 0}.moved(circle.C).grown(circle.R + 1 + extent);
}

} // namespace

bool draw_tadpoles_on_raster(QPainter& canvas, const TSTPlotStyles& styles,
                             const TSTDrawSettings& settings, std::span<const TStressTensor> STSet,
                             const TSTProgress& progress, int threads, std::stop_token stop) {
    const std::optional<TStampImage> image = TStampImage::of(canvas);
    const TStressSymbolSpec& symb = styles.symbST;
    if (!image || !tadpoles_can_be_copied(canvas, symb) || !TStampCache::usable(symb.sh_pen) ||
        !TStampCache::usable(symb.tp_pen) || !shapes_fit(styles, settings.emphasis))
        return false;
    const TSurvey found = survey(STSet, symb, settings);
    if (std::max(found.tail_reach[0], found.tail_reach[1]) > TStampCache::limit)
        return false;

    const int spread =
        tadpole_head_layout(styles.basecircle[0], {}, settings.emphasis, symb, settings.df, 1)
            .spread;
    const int reach = std::abs(spread) / 2 + 1;
    const TPixelBox shared = net_reach(styles, settings.emphasis, 0, found.tail_reach[0])
                                 .met(net_reach(styles, settings.emphasis, 1, found.tail_reach[1]))
                                 .met(TPixelBox{0, 0, image->width() - 1, image->height() - 1});
    const std::uint32_t last_seed = random_seed_advanced(random_seed(), std::int64_t(found.values));
    const bool spread_tests = settings.emphasis == TEmphasis::Num && reach <= TStampCache::limit;
    const TPicture picture{styles,    settings,         STSet, *image, reach, spread_tests,
                           last_seed, found.tail_reach, shared};
    TSharedStamps stamps(spread_tests ? reach : 0, symb.sh_offset);
    TNetPainter first(picture, 0, stamps), second(picture, 1, stamps);

    // The progress calls of drawing in list order, spread over the passes the calling thread
    // makes: as many calls made as states done, in proportion.
    const bool parallel = (threads <= 0 ? int(std::thread::hardware_concurrency()) : threads) > 1;
    const int passes = parallel ? 1 : 2;
    std::size_t steps = 0, made = 0, next = 0;
    int drawn = 0;
    const auto step = [&] {
        if (!progress)
            return;
        for (++steps; made < steps / std::size_t(passes); ++made, ++next) {
            while (symbol_count(STSet[next].Le) < 1)
                ++next;
            const int k = symbol_count(STSet[next].Le);
            drawn = saturated_sum(drawn, settings.emphasis == TEmphasis::Num ? k : 1);
            progress(drawn);
        }
    };
    // The nets are drawn by themselves, on two threads or one after the other.
    if (parallel) {
        std::jthread helper([&second, stop] { second.draw([] {}, stop); });
        first.draw(step, stop);
    } else {
        first.draw(step, stop);
        second.draw(step, stop);
    }
    if (stop.stop_requested()) {
        set_random_seed(last_seed);
        return true; // the nets are not joined: the picture is given up
    }

    // Where both nets painted, the later state wins; the sigma3 net's copies of a state come
    // after its sigma1 net's.
    for (int y = shared.top; y <= shared.bottom; ++y) {
        QRgb* pixels = image->row(y);
        for (int x = shared.left; x <= shared.right; ++x) {
            const bool a = first.coverage().taken(x, y), b = second.coverage().taken(x, y);
            if (b && (!a || second.shared_state(x, y) >= first.shared_state(x, y)))
                pixels[x] = second.shared_colour(x, y);
            else if (a)
                pixels[x] = first.shared_colour(x, y);
        }
    }
    set_random_seed(last_seed);
    return true;
}
