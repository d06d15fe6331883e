#pragma once

// The fixed pixel sizes of the views' layout, made to give way to the font: where a text needs
// more room than the fixed size (large fonts without high-DPI scaling, or a long file name), the
// size grows; where it fits, the fixed size holds, so at 100 % the layout stays as it is.

#include <QLabel>
#include <QString>

class QLineEdit;
class QWidget;

// A status-bar panel: at least width wide, and as wide as its text. With widest, it keeps the
// width of that text, so a read-out that follows the mouse never shifts its neighbours.
class TStatusPanel : public QLabel {
public:
    // widest: a read-out's widest text, which it always has room for. usual: for a panel
    // whose text grows (a count, a file name), a text that a font larger than the layout's
    // still shows whole.
    explicit TStatusPanel(int width, const QString& widest = QString(),
                          const QString& usual = QString(), QWidget* parent = nullptr);
    QSize sizeHint() const override;
    // A read-out keeps its width. A growing text takes the room the window has to spare and is
    // cut beyond it: it never widens the window.
    QSize minimumSizeHint() const override;

private:
    int text_width(const QString& text) const;

    int width_;
    QString widest_;
    QString usual_;
};

// The width of an edit box: width, or what it needs to show widest whole.
int edit_box_width(const QLineEdit& edit, int width, const QString& widest);

// A size of the fixed layout for the widget's font: as it is up to 9 points at 96 dpi (12
// pixels, the font the layout is made for, which it holds even where Qt would ask a few pixels
// more), in proportion to a larger font beyond, and never less than needed there.
int grown_size(const QWidget& widget, int size, int needed);

// A fixed height, grown with the font: what the widget's layout needs at least beyond 12 pixels.
void fix_height(QWidget& widget, int height);
