#include "ui/edit_box.h"

#include <QFocusEvent>
#include <QKeyEvent>

void TEditBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A box being emptied by a menu or a popup keeps its text until the user really leaves.
    if (event->reason() != Qt::PopupFocusReason)
        emit left();
}

void TEditBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept(); // consumed
        emit enter_pressed();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
