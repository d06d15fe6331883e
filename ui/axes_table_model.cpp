#include "ui/axes_table_model.h"

#include <cmath>

namespace {

enum Column { Number, Kind, P, T, B, Columns };

} // namespace

QString axis_text(const Tazpl& axis) {
    const int trend = int(std::lround(axis.az)) % 360;
    const int plunge = int(std::lround(axis.pl));
    return QStringLiteral("%1/%2").arg(trend, 3, 10, QChar(u'0')).arg(plunge, 2, 10, QChar(u'0'));
}

int TAxesTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(axes_.size());
}

int TAxesTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant TAxesTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= axes_.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == Kind ? int(Qt::AlignCenter)
                                      : int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const TDatumAxes& datum = axes_[size_t(index.row())];
    switch (index.column()) {
    case Number:
        return datum.datum + 1; // numbered as the fault-data list numbers them
    case Kind:
        return QString(datatype_letter(datum.datatype));
    case P:
        return axis_text(datum.axes.P);
    case T:
        return axis_text(datum.axes.T);
    case B:
        return axis_text(datum.axes.B);
    default:
        return {};
    }
}

QVariant TAxesTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[Columns] = {"No.", "Kind", "P", "T", "B"};
    return section >= 0 && section < Columns ? QString::fromLatin1(titles[section]) : QString();
}

void TAxesTableModel::set_axes(std::vector<TDatumAxes> axes) {
    beginResetModel();
    axes_ = std::move(axes);
    endResetModel();
}

void TAxesTableModel::clear() {
    set_axes({});
}
