#pragma once

// "Analysis > Invert...": the method and its settings, with the misfit measure the fitness is
// counted in shown but not chosen here (it is the compatibility view's).

#include "session/inversion.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

class TInvertDialog : public QDialog {
    Q_OBJECT
public:
    TInvertDialog(const TInversionSettings& initial, TMifitMeasure measure,
                  QWidget* parent = nullptr);
    // As typed: the session checks them, and a value out of range is its message box.
    TInversionSettings settings() const;

    QComboBox* method_box = nullptr;
    QDoubleSpinBox* spacing_box = nullptr;
    QDoubleSpinBox* ratio_step_box = nullptr;
    QDoubleSpinBox* tolerance_box = nullptr;
    QSpinBox* resamples_box = nullptr;
    QSpinBox* seed_box = nullptr;
    QLabel* measure_label = nullptr;

private:
    void method_changed();
};
