#pragma once

// The compatibility view: misfit histogram and Mohr diagram of the designated stress state.

#include "ui/view_dock.h"

class TFormCompatibility : public TViewDock {
    Q_OBJECT
public:
    explicit TFormCompatibility(QWidget* parent = nullptr);
};
