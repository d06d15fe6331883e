#pragma once

// The kinematic axes of the data as a table for a QTableView: No., kind, P, T, B, one row per
// datum that has axes (there may be 10^5), each axis as "ttt/pp".

#include "stress/kinematic_axes.h"

#include <QAbstractTableModel>

#include <vector>

class TAxesTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void set_axes(std::vector<TDatumAxes> axes);
    void clear();

private:
    std::vector<TDatumAxes> axes_;
};

// "045/30": the trend and plunge in whole degrees, a trend of 360 as 000.
QString axis_text(const Tazpl& axis);
