#pragma once

// The designation of a stress state by three clicks on the stress plot: the first axis on
// either net, the second on the girdle that appears on the other net, then the stress ratio on
// the colour scale. It works on picture points and paints its marks on the picture it is
// given; the view feeds it the mouse and shows the picture.

#include "plot/st_plot.h"
#include "stress/st_classes.h"

#include <QPainter>
#include <QPoint>
#include <QString>

enum class TMode { STEP0, STEP1, STEP2, STEP3 };

class TDesignation {
public:
    TMode mode = TMode::STEP0;
    TDesignationOverlays overlays;
    Tazpl designated_ap;
    Tsigma1or3 on_which_plot = Tsigma1or3::not_specified;
    Tsigma1or3 firstly_designated_axis = Tsigma1or3::not_specified;
    float designated_stress_ratio = 0;
    // The state the clicks build, starting from the one designated before.
    TStressTensor designated_ST{};

    // Starts at the first axis; the marks already on the picture stay there.
    void start(const TStressTensor& previous);

    // The mouse is at picture point p: picks the axis or ratio under it and, during a
    // designation, draws the marks of the step onto canvas. True when canvas was drawn on.
    bool mouse_moved(QPoint p, QPainter& canvas, const TSTPlotStyles& styles, bool color);

    // Leaves a designation under way: back to no step, no marks of this one.
    void cancel();
    bool under_way() const { return mode != TMode::STEP0; }

    // A click ends the step; true when it was the third and designated_ST is complete.
    bool mouse_released();

    // What the read-out shows after the last move: the axis picked, or the stress ratio.
    QString read_out() const;

    // The step's caption in the status bar: empty, "1st axis", "2nd axis", "stress ratio".
    QString step_caption() const;

private:
    void fix_axis();
};
