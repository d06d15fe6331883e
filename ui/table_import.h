#pragma once

// The import dialog of a field table: the delimiter and the header as detected, one role box
// per column, the conventions, and a preview of the first rows with the datum each becomes or
// why it is skipped. It produces options for the session's table reading; it reads nothing.

#include "faults/table_reader.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGridLayout;
class QLabel;
class QDialogButtonBox;
class QTableView;

// The first rows of a table as they would be read: the line, the cells, then the datum line
// or the problem. Rows that would be skipped are tinted and carry the problem as a tooltip.
class TTablePreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int shown_rows = 50;

    using QAbstractTableModel::QAbstractTableModel;
    void set_table(const TTable& table, const std::vector<TColumnRole>& roles,
                   const TTableOptions& options);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // What row k becomes: a datum line, or the problem (empty when the roles are incomplete).
    QString outcome(int row) const { return rows_.at(std::size_t(row)).outcome; }
    bool skipped(int row) const { return rows_.at(std::size_t(row)).skipped; }

private:
    struct TPreviewRow {
        TTableRow row;
        QString outcome;
        bool skipped = false;
    };
    std::vector<TPreviewRow> rows_;
    QStringList names_;
    int cells_ = 0;
};

class TTableImportDialog : public QDialog {
    Q_OBJECT
public:
    // name is the file's (or "clipboard"); initial.columns, when given, preselects the roles.
    TTableImportDialog(const QString& name, QString text, const TTableOptions& initial,
                       QWidget* parent = nullptr);

    // The options the user chose; columns always set, header and delimiter too.
    TTableOptions options() const;
    const TTablePreviewModel& preview() const { return preview_; }

    // The boxes, for the tests.
    QComboBox* delimiter_box() const { return delimiter_; }
    QCheckBox* header_box() const { return header_; }
    QComboBox* rule_box() const { return rule_; }
    QDoubleSpinBox* tolerance_box() const { return tolerance_; }
    const std::vector<QComboBox*>& role_boxes() const { return role_boxes_; }
    QDialogButtonBox* buttons() const { return buttons_; }
    QLabel* status() const { return status_; }

private:
    void split(std::optional<QChar> delimiter, std::optional<bool> header);
    void rebuild_role_boxes(const std::vector<TColumnRole>& roles);
    void refresh();
    std::vector<TColumnRole> roles() const;

    QString text_;
    TTable table_;
    TTablePreviewModel preview_;
    QComboBox* delimiter_ = nullptr;
    QCheckBox* header_ = nullptr;
    QComboBox* rule_ = nullptr;
    QDoubleSpinBox* tolerance_ = nullptr;
    QGridLayout* roles_grid_ = nullptr;
    std::vector<QComboBox*> role_boxes_;
    std::vector<QLabel*> role_labels_;
    QTableView* view_ = nullptr;
    QLabel* status_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};
