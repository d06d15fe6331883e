#pragma once

// The stress view: stress states of an inversion result and the designation of one of them.

#include "ui/view_dock.h"

class TFormFD;

class TFormST : public TViewDock {
    Q_OBJECT
public:
    // Clears the stress-designation check boxes of the fault data view, which must exist.
    explicit TFormST(TFormFD& fd_view, QWidget* parent = nullptr);

    bool ST_loaded = false;
    bool ST_designated = false;

    void update_status_bar();
    // Reads an inversion result; its reader comes with the stress states.
    void read_IR(const QString& path);

private:
    TFormFD& fd_view_;
};
