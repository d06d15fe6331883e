#pragma once

#include <QString>

class QAbstractButton;
class QGroupBox;
class QRadioButton;
class QWidget;

// A titled group of two exclusive radio buttons, stored into items; none is checked yet.
QGroupBox* radio_group(const QString& title, const QString& first, const QString& second,
                       QRadioButton* (&items)[2], QWidget* parent = nullptr);

// Shows a value the session holds already: the button sends no signal back to it.
void set_checked_quietly(QAbstractButton* button, bool checked);
