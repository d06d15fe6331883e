#include "ui/table_import.h"

#include <QBrush>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<TColumnRole, const char*>, 12> role_captions{{
    {TColumnRole::Skip, "(not read)"},
    {TColumnRole::Kind, "kind (F M L S)"},
    {TColumnRole::DipDir, "dip direction"},
    {TColumnRole::Strike, "strike"},
    {TColumnRole::Dip, "dip"},
    {TColumnRole::Quadrant, "dip quadrant"},
    {TColumnRole::Trend, "trend"},
    {TColumnRole::Plunge, "plunge"},
    {TColumnRole::Rake, "rake"},
    {TColumnRole::Pitch, "pitch"},
    {TColumnRole::PitchDir, "pitch direction"},
    {TColumnRole::Sense, "sense"},
}};

constexpr std::array<std::pair<char16_t, const char*>, 4> delimiters{{
    {u',', "Comma"},
    {u';', "Semicolon"},
    {u'\t', "Tab"},
    {u' ', "Blanks"},
}};

const QColor skipped_tint(255, 224, 224);

} // namespace

void TTablePreviewModel::set_table(const TTable& table, const std::vector<TColumnRole>& roles,
                                   const TTableOptions& options) {
    beginResetModel();
    rows_.clear();
    names_ = table.layout.header ? table.layout.names : QStringList();
    cells_ = int(names_.size());
    const bool complete = roles_complete(roles);
    for (std::size_t k = 0; k < table.rows.size() && k < std::size_t(shown_rows); ++k) {
        TPreviewRow row{table.rows[k], QString(), false};
        cells_ = std::max(cells_, int(row.row.cells.size()));
        if (complete) {
            const TRowDatum r = row_to_datum(row.row, table.layout, roles, options);
            row.skipped = !r.datum;
            row.outcome = r.datum ? datum_line(*r.datum) : r.problem;
        }
        rows_.push_back(std::move(row));
    }
    endResetModel();
}

int TTablePreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TTablePreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cells_ + 2;
}

QVariant TTablePreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TPreviewRow& row = rows_[std::size_t(index.row())];
    const int column = index.column();
    if (role == Qt::DisplayRole) {
        if (column == 0)
            return row.row.line;
        if (column == cells_ + 1)
            return row.outcome;
        return row.row.cells.value(column - 1);
    }
    if (role == Qt::BackgroundRole && row.skipped)
        return QBrush(skipped_tint);
    if (role == Qt::ToolTipRole && row.skipped)
        return row.outcome;
    return {};
}

QVariant TTablePreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return QStringLiteral("Line");
    if (section == cells_ + 1)
        return QStringLiteral("Becomes");
    return names_.value(section - 1, QString::number(section));
}

TTableImportDialog::TTableImportDialog(const QString& name, QString text,
                                       const TTableOptions& initial, QWidget* parent)
    : QDialog(parent), text_(std::move(text)) {
    setWindowTitle(QStringLiteral("Import Table - %1").arg(name));

    delimiter_ = new QComboBox(this);
    for (const auto& [c, caption] : delimiters)
        delimiter_->addItem(QString::fromLatin1(caption), QChar(c));
    delimiter_->setToolTip(QStringLiteral("What separates the cells of a row (detected)"));
    header_ = new QCheckBox(QStringLiteral("First row names the columns"), this);
    header_->setToolTip(
        QStringLiteral("Detected when the first row holds no number; its names choose the roles"));
    rule_ = new QComboBox(this);
    rule_->addItem(QStringLiteral("Right-hand rule: dip direction = strike + 90"));
    rule_->addItem(QStringLiteral("Left-hand rule: dip direction = strike - 90"));
    rule_->setCurrentIndex(initial.strike_rule == TStrikeRule::Left ? 1 : 0);
    rule_->setToolTip(QStringLiteral(
        "How a strike without a dip quadrant gives the dip direction; a rake is always measured "
        "from the right-hand-rule strike"));
    tolerance_ = new QDoubleSpinBox(this);
    tolerance_->setRange(0, 90);
    tolerance_->setDecimals(1);
    tolerance_->setSuffix(QStringLiteral("°"));
    tolerance_->setValue(initial.lineation_tolerance);
    tolerance_->setToolTip(QStringLiteral(
        "A lineation this close to its plane is moved onto it; a row farther off is skipped"));

    auto* form = new QFormLayout;
    auto* delimiter_row = new QHBoxLayout;
    delimiter_row->addWidget(delimiter_);
    delimiter_row->addWidget(header_);
    delimiter_row->addStretch();
    form->addRow(QStringLiteral("Delimiter:"), delimiter_row);
    rule_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* rule_row = new QHBoxLayout;
    rule_row->addWidget(rule_);
    rule_row->addStretch();
    form->addRow(QStringLiteral("Strike:"), rule_row);
    auto* tolerance_row = new QHBoxLayout;
    tolerance_row->addWidget(tolerance_);
    tolerance_row->addWidget(new QLabel(QStringLiteral("at most: moved onto it"), this));
    tolerance_row->addStretch();
    form->addRow(QStringLiteral("Lineations off their plane:"), tolerance_row);

    auto* roles_widget = new QWidget;
    roles_grid_ = new QGridLayout(roles_widget);
    roles_grid_->setContentsMargins(0, 0, 0, 0);
    auto* roles_area = new QScrollArea(this);
    roles_area->setWidget(roles_widget);
    roles_area->setWidgetResizable(true);
    roles_area->setFrameShape(QFrame::NoFrame);
    roles_area->setFixedHeight(roles_widget->sizeHint().height() + 56);

    view_ = new QTableView(this);
    view_->setModel(&preview_);
    view_->verticalHeader()->hide();
    view_->setSelectionMode(QAbstractItemView::NoSelection);
    view_->horizontalHeader()->setStretchLastSection(true);

    status_ = new QLabel(this);
    status_->setWordWrap(true);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("What each column holds:"), this));
    layout->addWidget(roles_area);
    layout->addWidget(view_, 1);
    layout->addWidget(status_);
    layout->addWidget(buttons_);
    resize(820, 520);

    split(initial.delimiter, initial.header);
    if (initial.columns && initial.columns->size() == role_boxes_.size()) {
        rebuild_role_boxes(*initial.columns);
        refresh();
    }
    connect(delimiter_, &QComboBox::currentIndexChanged, this,
            [this] { split(delimiter_->currentData().toChar(), header_->isChecked()); });
    connect(header_, &QCheckBox::toggled, this,
            [this](bool on) { split(delimiter_->currentData().toChar(), on); });
    connect(rule_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(tolerance_, &QDoubleSpinBox::valueChanged, this, [this] { refresh(); });
}

void TTableImportDialog::split(std::optional<QChar> delimiter, std::optional<bool> header) {
    table_ = split_table(text_, delimiter, header);
    {
        const QSignalBlocker a(delimiter_), b(header_);
        delimiter_->setCurrentIndex(std::max(0, delimiter_->findData(table_.layout.delimiter)));
        header_->setChecked(table_.layout.header);
    }
    std::size_t columns = table_.layout.names.size();
    for (const TTableRow& row : table_.rows)
        columns = std::max(columns, std::size_t(row.cells.size()));
    std::vector<TColumnRole> roles = table_roles(table_.layout, {});
    roles.resize(columns, TColumnRole::Skip);
    rebuild_role_boxes(roles);
    refresh();
}

void TTableImportDialog::rebuild_role_boxes(const std::vector<TColumnRole>& roles) {
    for (QWidget* w : role_boxes_)
        delete w;
    for (QWidget* w : role_labels_)
        delete w;
    role_boxes_.clear();
    role_labels_.clear();
    for (std::size_t k = 0; k < roles.size(); ++k) {
        const QString name = table_.layout.names.value(qsizetype(k)).trimmed();
        auto* label = new QLabel(name.isEmpty() ? QStringLiteral("Column %1").arg(k + 1) : name);
        auto* box = new QComboBox;
        for (const auto& [role, caption] : role_captions)
            box->addItem(QString::fromLatin1(caption), int(role));
        box->setCurrentIndex(box->findData(int(roles[k])));
        box->setToolTip(QStringLiteral("What column %1 holds").arg(k + 1));
        connect(box, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
        roles_grid_->addWidget(label, 0, int(k));
        roles_grid_->addWidget(box, 1, int(k));
        role_labels_.push_back(label);
        role_boxes_.push_back(box);
    }
}

std::vector<TColumnRole> TTableImportDialog::roles() const {
    std::vector<TColumnRole> out;
    for (const QComboBox* box : role_boxes_)
        out.push_back(TColumnRole(box->currentData().toInt()));
    return out;
}

TTableOptions TTableImportDialog::options() const {
    TTableOptions o;
    o.delimiter = delimiter_->currentData().toChar();
    o.header = header_->isChecked();
    o.strike_rule = rule_->currentIndex() == 1 ? TStrikeRule::Left : TStrikeRule::Right;
    o.lineation_tolerance = tolerance_->value();
    o.columns = roles();
    return o;
}

void TTableImportDialog::refresh() {
    const TTableOptions o = options();
    preview_.set_table(table_, *o.columns, o);
    const bool complete = roles_complete(*o.columns);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(complete);
    if (!complete) {
        status_->setText(QStringLiteral(
            "Choose the columns of the plane (dip direction or strike, and dip) and of the slip "
            "(trend and plunge, rake, or pitch)."));
        return;
    }
    int skipped = 0;
    for (int k = 0; k < preview_.rowCount(); ++k)
        skipped += preview_.skipped(k) ? 1 : 0;
    const int rows = int(table_.rows.size());
    status_->setText(
        skipped == 0
            ? QStringLiteral("%1 rows to read.").arg(rows)
            : QStringLiteral("%1 rows to read; %2 of the first %3 would be skipped (tinted).")
                  .arg(rows)
                  .arg(skipped)
                  .arg(preview_.rowCount()));
}
