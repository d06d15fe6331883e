#pragma once

#include <QString>

#include <initializer_list>
#include <span>

class QAbstractButton;
class QGroupBox;
class QRadioButton;
class QWidget;

// A titled group of two exclusive radio buttons, stored into items; none is checked yet.
QGroupBox* radio_group(const QString& title, const QString& first, const QString& second,
                       QRadioButton* (&items)[2], QWidget* parent = nullptr);
// The same with one item per caption, one under the other.
QGroupBox* radio_group(const QString& title, std::initializer_list<QString> captions,
                       std::span<QRadioButton*> items, QWidget* parent = nullptr);

// Shows a value the session holds already: the button sends no signal back to it.
void set_checked_quietly(QAbstractButton* button, bool checked);
