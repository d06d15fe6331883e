#pragma once

#include <QLineEdit>

// An edit box that tells when the user leaves it and when Enter is pressed in it.
class TEditBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void left();
    void enter_pressed();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
