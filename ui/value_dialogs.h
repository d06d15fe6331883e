#pragma once

// Two small dialogs of the window: a stress state by its values, and where and how to save
// every result at once.

#include "ui/dialogs.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

// sigma1 and sigma3 as trend/plunge and the stress ratio; OK checks them as the batch tool's
// --stress does and says what is wrong without closing.
class TDesignateDialog : public QDialog {
    Q_OBJECT
public:
    explicit TDesignateDialog(const TStressValues& initial, QWidget* parent = nullptr);
    TStressValues values() const;
    void accept() override;

    QDoubleSpinBox* boxes[5] = {}; // sigma1 trend, plunge; sigma3 trend, plunge; ratio
    QLabel* problem = nullptr;
};

class TSaveAllDialog : public QDialog {
    Q_OBJECT
public:
    TSaveAllDialog(const QString& folder, QWidget* parent = nullptr);
    TSaveAllChoice choice() const;

    QLineEdit* folder_edit = nullptr;
    QComboBox* format_box = nullptr;
};
