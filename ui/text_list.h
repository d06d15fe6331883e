#pragma once

// A list of text lines, each with its own colour, for lists that may hold 10^5 lines: a model,
// a delegate that draws a line at 2 pixels from the left, and the horizontal scroll range.

#include <QAbstractListModel>
#include <QColor>
#include <QFont>
#include <QListView>
#include <QStyledItemDelegate>

#include <vector>

class TTextListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void set_lines(QStringList lines, std::vector<QColor> colours);
    void clear();
    const QStringList& lines() const { return lines_; }

    // Width of every line: the widest line plus 20 pixels.
    int line_extent() const { return extent_; }
    void set_line_extent(int extent);

private:
    QStringList lines_;
    std::vector<QColor> colours_;
    int extent_ = 20;
};

class TTextListDelegate : public QStyledItemDelegate {
public:
    TTextListDelegate(const TTextListModel* model, int line_height, QObject* parent)
        : QStyledItemDelegate(parent), model_(model), line_height_(line_height) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const TTextListModel* model_;
    int line_height_;
};

// A list view with fixed line height showing a TTextListModel.
class TTextListView : public QListView {
    Q_OBJECT
public:
    TTextListView(const QFont& font, int line_height, QWidget* parent = nullptr);
    TTextListModel* text_model() const { return model_; }
    // -1 without selection.
    int selected_row() const;

private:
    TTextListModel* model_;
};

// Sets the list's horizontal scroll range to its widest line plus 20 pixels.
void horizontal_scroll_bar_for_ListBox(TTextListView& list);
