#include "output/kinematics_files.h"

#include "stress/net_grid.h"

#include <charconv>
#include <cmath>

namespace {

template <typename T> void append_number(QByteArray& out, T value) {
    if (!std::isfinite(value))
        return;
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error == std::errc())
        out.append(buffer, int(end - buffer));
}

void append_axis(QByteArray& out, const Tazpl& axis) {
    out += ',';
    append_number(out, axis.az);
    out += ',';
    append_number(out, axis.pl);
}

// trend,plunge,value per node.
template <typename Value> QByteArray node_rows(const char* header, Value value) {
    QByteArray out(header);
    out.reserve(net_node_count * 24);
    for (int node = 0; node < net_node_count; ++node) {
        const TNetNodeOrientation o = net_node_orientation(node);
        append_number(out, o.trend);
        out += ',';
        append_number(out, o.plunge);
        out += ',';
        append_number(out, value(node));
        out += '\n';
    }
    return out;
}

} // namespace

QByteArray kinematic_axes_csv(const TFaultDataSet& set, const TKinematicAxesSet& axes) {
    QByteArray out("number,kind,P_trend,P_plunge,T_trend,T_plunge,B_trend,B_plunge\n");
    auto next = axes.data.begin();
    for (int k = 0; k < set.count(); ++k) {
        out += QByteArray::number(k + 1);
        out += ',';
        out += QString(datatype_letter(set.FDList[std::size_t(k)].datatype)).toUtf8();
        if (next != axes.data.end() && next->datum == k) {
            append_axis(out, next->axes.P);
            append_axis(out, next->axes.T);
            append_axis(out, next->axes.B);
            ++next;
        } else {
            out += ",,,,,,";
        }
        out += '\n';
    }
    return out;
}

QByteArray density_csv(const TAxisDensity& density) {
    return node_rows("trend,plunge,value\n", [&](int node) {
        return density.values.empty() ? 0.0 : density.values[std::size_t(node)];
    });
}

QByteArray dihedra_csv(const TRightDihedra& dihedra) {
    return node_rows("trend,plunge,percent\n", [&](int node) {
        return dihedra.percent.empty() ? 0.0 : dihedra.percent[std::size_t(node)];
    });
}
