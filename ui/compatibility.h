#pragma once

// The compatibility view: misfit histogram and Mohr diagram of the designated stress state.

#include "stress/compatibility.h"
#include "ui/view_dock.h"

class TFormCompatibility : public TViewDock {
    Q_OBJECT
public:
    explicit TFormCompatibility(QWidget* parent = nullptr);

    TMifitMeasure misfitmeasure = TMifitMeasure::SlipDir;
};
