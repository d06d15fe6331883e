#include "ui/text_list.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

int TTextListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant TTextListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= lines_.size())
        return {};
    if (role == Qt::DisplayRole)
        return lines_[index.row()];
    if (role == Qt::ForegroundRole && size_t(index.row()) < colours_.size())
        return colours_[size_t(index.row())];
    return {};
}

void TTextListModel::set_lines(QStringList lines, std::vector<QColor> colours) {
    beginResetModel();
    lines_ = std::move(lines);
    colours_ = std::move(colours);
    endResetModel();
}

void TTextListModel::clear() {
    set_lines({}, {});
    set_line_extent(20);
}

void TTextListModel::set_line_extent(int extent) {
    if (extent == extent_)
        return;
    emit layoutAboutToBeChanged();
    extent_ = extent;
    emit layoutChanged();
}

void TTextListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    // The colour tells the kind of the datum, also on the selected line.
    const QVariant colour = index.data(Qt::ForegroundRole);
    painter->setPen(colour.isValid() ? colour.value<QColor>() : palette.text().color());
    painter->setFont(option.font);
    const QFontMetrics metrics(option.font);
    painter->drawText(option.rect.left() + 2, option.rect.top() + metrics.ascent(),
                      index.data(Qt::DisplayRole).toString());
}

QSize TTextListDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return QSize(model_->line_extent(), line_height_);
}

TTextListView::TTextListView(const QFont& font, int line_height, QWidget* parent)
    : QListView(parent), model_(new TTextListModel(this)) {
    setFont(font);
    setModel(model_);
    setItemDelegate(new TTextListDelegate(model_, line_height, this));
    setUniformItemSizes(true); // constant time layout for long lists
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int TTextListView::selected_row() const {
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void horizontal_scroll_bar_for_ListBox(TTextListView& list) {
    const QFontMetrics metrics(list.font());
    const QStringList& lines = list.text_model()->lines();
    int widest = 0;
    if (QFontInfo(list.font()).fixedPitch()) {
        // Every character is as wide as any other: the longest line is the widest.
        qsizetype longest = -1;
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (longest < 0 || lines[i].size() > lines[longest].size())
                longest = i;
        if (longest >= 0)
            widest = metrics.horizontalAdvance(lines[longest]);
    } else {
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    list.text_model()->set_line_extent(widest + 20);
}
