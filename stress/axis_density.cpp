#include "stress/axis_density.h"

#include "stress/net_grid.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr double kamb_sigma_squared = 9; // sigma = 3
constexpr double schmidt_area = 0.01;
constexpr double radians = std::numbers::pi / 180;
// Fewer axes are counted faster on one core than a second one starts.
constexpr std::size_t enough_for_two_cores = 256;

struct TNames {
    const char* word;
    const char* caption;
};

constexpr std::array<TNames, 2> method_names{{{"kamb", "Kamb"}, {"schmidt", "1 % area"}}};
constexpr std::array<TNames, 6> subject_names{{{"poles", "Poles"},
                                               {"lineations", "Lineations"},
                                               {"p", "P axes"},
                                               {"t", "T axes"},
                                               {"sigma1", "σ1 axes"},
                                               {"sigma3", "σ3 axes"}}};

template <typename E, std::size_t N>
std::optional<E> from_name(const std::array<TNames, N>& names, QStringView name) {
    for (std::size_t i = 0; i < N; ++i)
        if (name.compare(QLatin1StringView(names[i].word), Qt::CaseInsensitive) == 0)
            return E(i);
    return std::nullopt;
}

// Every node within the counting circle of either end of the axis.
// runs: room for one run per ring, reused from axis to axis.
void add_axis(const TWeightedAxis& axis, double cos_radius, double radius, TNetSums& sums,
              std::span<std::optional<TColumnRun>> runs) {
    const TNetVector u = unit_axis(axis.u);
    const TCapCentre lower = cap_centre(u);
    const double plunge = std::asin(std::clamp(-u[2], -1.0, 1.0)) / radians;
    for (const TCapCentre& centre : {lower, opposite(lower)}) {
        const double q = centre.v[2] <= 0 ? plunge : -plunge;
        const int first = std::max(0, int(std::floor((q - radius) / net_step)) - 1);
        const int last = std::min(net_rings - 1, int(std::ceil((q + radius) / net_step)) + 1);
        if (first <= last)
            cap_runs(centre, cos_radius, false, first, last, runs);
        for (int ring = first; ring <= last; ++ring) {
            if (const auto& run = runs[std::size_t(ring - first)]) {
                sums.add_run(ring, *run, axis.weight);
                continue;
            }
            for (int column = 0; column < net_columns; ++column) {
                const int node = net_node(ring, column);
                if (cap_contains(node, centre.v, cos_radius, false))
                    sums.add_node(node, axis.weight);
            }
        }
        if (cap_contains(net_vertical_node, centre.v, cos_radius, false))
            sums.add_node(net_vertical_node, axis.weight);
    }
}

// A run of axes on one thread; the first part reports progress.
bool add_axes(std::span<const TWeightedAxis> axes, double cos_radius, TNetSums& sums,
              const TInversionControl& control, bool reports) {
    const double radius = std::acos(cos_radius) / radians;
    constexpr std::size_t poll = 1024;
    std::vector<std::optional<TColumnRun>> runs(net_rings);
    for (std::size_t i = 0; i < axes.size(); ++i) {
        if (i % poll == 0) {
            if (control.cancelled())
                return false;
            if (reports && control.progress)
                control.progress(double(i) / double(axes.size()));
        }
        add_axis(axes[i], cos_radius, radius, sums, runs);
    }
    return true;
}

// The axes of positive weight on the lower hemisphere, by a counting sort on the vertical
// component.
std::vector<TWeightedAxis> in_plunge_order(std::span<const TWeightedAxis> axes) {
    constexpr int bands = 1024;
    const auto band = [](const Tvector3& lower) {
        return std::clamp(int(-double(lower.z) * bands), 0, bands - 1);
    };
    std::vector<std::size_t> starts(bands + 1, 0);
    std::size_t counted = 0;
    for (const TWeightedAxis& a : axes)
        if (a.weight > 0) {
            ++starts[std::size_t(band(to_lower_hemisphere(a.u))) + 1];
            ++counted;
        }
    for (std::size_t b = 1; b <= bands; ++b)
        starts[b] += starts[b - 1];
    std::vector<TWeightedAxis> out(counted);
    for (const TWeightedAxis& a : axes)
        if (a.weight > 0) {
            const Tvector3 lower = to_lower_hemisphere(a.u);
            out[starts[std::size_t(band(lower))]++] = {lower, a.weight};
        }
    return out;
}

using TKey = std::array<std::uint32_t, 3>;

// Sums of weights by key, in the order the keys first appear: open addressing, kept under
// half full.
template <typename Item> class TWeightTable {
public:
    void add(const TKey& key, const Item& item, long long weight) {
        if (2 * (entries_.size() + 1) > slots_.size())
            grow();
        std::size_t slot = find(key);
        if (slots_[slot] >= 0) {
            entries_[std::size_t(slots_[slot])].weight += weight;
            return;
        }
        slots_[slot] = std::int32_t(entries_.size());
        entries_.push_back({key, item, weight});
    }
    template <typename F> void for_each(F&& f) const {
        for (const TEntry& e : entries_)
            f(e.item, e.weight);
    }
    std::size_t size() const { return entries_.size(); }

private:
    struct TEntry {
        TKey key;
        Item item;
        long long weight;
    };
    static std::uint64_t hash(const TKey& key) {
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (std::uint32_t k : key)
            h = (h ^ k) * 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 31);
    }
    std::size_t find(const TKey& key) const {
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = hash(key) & mask;
        while (slots_[slot] >= 0) {
            const TKey& k = entries_[std::size_t(slots_[slot])].key;
            if (k[0] == key[0] && k[1] == key[1] && k[2] == key[2])
                break;
            slot = (slot + 1) & mask;
        }
        return slot;
    }
    void grow() {
        slots_.assign(slots_.empty() ? 64 : slots_.size() * 4, -1);
        for (std::size_t i = 0; i < entries_.size(); ++i)
            slots_[find(entries_[i].key)] = std::int32_t(i);
    }
    std::vector<std::int32_t> slots_;
    std::vector<TEntry> entries_;
};

TKey key_of(const Tvector3& u) {
    return {std::bit_cast<std::uint32_t>(u.x), std::bit_cast<std::uint32_t>(u.y),
            std::bit_cast<std::uint32_t>(u.z)};
}

} // namespace

QString density_method_name(TDensityMethod method) {
    return QLatin1StringView(method_names[std::size_t(method)].word);
}

std::optional<TDensityMethod> density_method_from_name(QStringView name) {
    return from_name<TDensityMethod>(method_names, name);
}

QString density_subject_name(TDensitySubject subject) {
    return QLatin1StringView(subject_names[std::size_t(subject)].word);
}

std::optional<TDensitySubject> density_subject_from_name(QStringView name) {
    return from_name<TDensitySubject>(subject_names, name);
}

QString density_method_caption(TDensityMethod method) {
    return QString::fromUtf8(method_names[std::size_t(method)].caption);
}

QString density_subject_caption(TDensitySubject subject) {
    return QString::fromUtf8(subject_names[std::size_t(subject)].caption);
}

bool subject_of_stress_states(TDensitySubject subject) {
    return subject == TDensitySubject::Sigma1 || subject == TDensitySubject::Sigma3;
}

std::vector<TWeightedAxis> pole_axes(const TFaultDataSet& set) {
    std::vector<TWeightedAxis> axes;
    for (const TFaultData& fd : set.FDList)
        if (!fd.SDList.empty())
            axes.push_back({fd.SDList.front().n, 1});
    return axes;
}

std::vector<TWeightedAxis> lineation_axes(const TFaultDataSet& set) {
    std::vector<TWeightedAxis> axes;
    for (const TFaultData& fd : set.FDList)
        if (!fd.SDList.empty() && fd.datatype != TDataType::Sen)
            axes.push_back({fd.SDList.front().v, 1});
    return axes;
}

std::vector<TWeightedAxis> p_axes(const TKinematicAxesSet& axes) {
    std::vector<TWeightedAxis> out;
    for (const TDatumAxes& d : axes.data)
        out.push_back({d.axes.p, 1});
    return out;
}

std::vector<TWeightedAxis> t_axes(const TKinematicAxesSet& axes) {
    std::vector<TWeightedAxis> out;
    for (const TDatumAxes& d : axes.data)
        out.push_back({d.axes.t, 1});
    return out;
}

std::vector<TWeightedAxis> stress_axes(std::span<const TStressTensor> states, Tsigma1or3 axis) {
    // States read from a CGP file hold their axes in whole degrees: most share an orientation
    // with others, which is turned into a vector once.
    const std::size_t k = std::size_t(axis_index(axis));
    TWeightTable<Tazpl> orientations;
    for (const TStressTensor& st : states) {
        const Tazpl& a = st.ax[k];
        if (st.L > 0)
            orientations.add(
                {std::bit_cast<std::uint32_t>(a.az), std::bit_cast<std::uint32_t>(a.pl), 0}, a,
                st.L);
    }
    std::vector<TWeightedAxis> out;
    out.reserve(orientations.size());
    orientations.for_each([&](const Tazpl& a, long long weight) {
        out.push_back({azpl_to_vector3(a), weight});
    });
    return out;
}

std::vector<TWeightedAxis> density_axes(TDensitySubject subject, const TFaultDataSet& set,
                                        std::span<const TStressTensor> states) {
    switch (subject) {
    case TDensitySubject::Poles:
        return pole_axes(set);
    case TDensitySubject::Lineations:
        return lineation_axes(set);
    case TDensitySubject::P:
        return p_axes(kinematic_axes_of_set(set));
    case TDensitySubject::T:
        return t_axes(kinematic_axes_of_set(set));
    case TDensitySubject::Sigma1:
        return stress_axes(states, Tsigma1or3::sigma1);
    case TDensitySubject::Sigma3:
        return stress_axes(states, Tsigma1or3::sigma3);
    }
    return {};
}

std::vector<TWeightedAxis> merged_axes(std::span<const TWeightedAxis> axes) {
    TWeightTable<Tvector3> table;
    for (const TWeightedAxis& axis : axes) {
        const Tvector3 u = to_lower_hemisphere(axis.u);
        if (axis.weight > 0)
            table.add(key_of(u), u, axis.weight);
    }
    std::vector<TWeightedAxis> out;
    out.reserve(table.size());
    table.for_each([&](const Tvector3& u, long long weight) { out.push_back({u, weight}); });
    return out;
}

double counting_area(TDensityMethod method, long long n) {
    if (method == TDensityMethod::Schmidt)
        return schmidt_area;
    return kamb_sigma_squared / (double(n) + kamb_sigma_squared);
}

TAxisDensity axis_density(std::span<const TWeightedAxis> axes, TDensityMethod method,
                          const TInversionControl& control) {
    TAxisDensity density;
    density.method = method;
    // Only the axes that count, each turned to the lower hemisphere, in order of plunge:
    // neighbouring axes add into the same rings, which stay in cache. Equal axes are not merged
    // here, which would not change a count: stress_axes merges the many equal ones of states.
    const std::vector<TWeightedAxis> ordered = in_plunge_order(axes);
    for (const TWeightedAxis& axis : ordered)
        density.axes += axis.weight;
    if (density.axes == 0)
        return density;
    const double area = counting_area(method, density.axes);
    density.cos_radius = 1 - area;

    // Integer sums: neither the order of the axes nor the split between the cores can change
    // them.
    const std::span<const TWeightedAxis> all(ordered);
    const auto sums =
        sum_over_net(all, enough_for_two_cores,
                     [&](std::span<const TWeightedAxis> part, TNetSums& part_sums, bool reports) {
                         return add_axes(part, density.cos_radius, part_sums, control, reports);
                     });
    if (!sums || control.cancelled()) {
        density.cancelled = true;
        return density;
    }
    density.counts = sums->sums();

    const double n = double(density.axes);
    const double scale =
        method == TDensityMethod::Kamb ? 1 / std::sqrt(n * area * (1 - area)) : 100 / n;
    density.values.resize(density.counts.size());
    for (std::size_t i = 0; i < density.counts.size(); ++i) {
        density.values[i] = double(density.counts[i]) * scale;
        density.max_value = std::max(density.max_value, density.values[i]);
    }
    if (control.progress)
        control.progress(1);
    return density;
}

TNetVector unit_axis(const Tvector3& u) {
    const double x = u.x, y = u.y, z = u.z;
    const double length = std::sqrt(x * x + y * y + z * z);
    const double k = (z > 0 ? -1 : 1) / length;
    return {x * k, y * k, z * k};
}

QString no_density_axes_message(TDensitySubject subject) {
    QString what = density_subject_caption(subject);
    if (subject == TDensitySubject::Poles || subject == TDensitySubject::Lineations)
        what = what.toLower();
    return QStringLiteral("There are no %1 to count: no density.").arg(what);
}
