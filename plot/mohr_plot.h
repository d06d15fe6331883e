#pragma once

// The Mohr diagram of the designated stress state: the three half-circles of the reduced tensor
// and one point per fault datum at the stresses of its representative alternative, coloured by
// its representative misfit. Draws on any QPainter; screen and export share it.

#include "faults/fd_classes.h"
#include "plot/draw_operations.h"
#include "plot/st_symbols.h"
#include "stress/st_classes.h"

#include <QPainter>

inline constexpr int mohr_plot_size = 1000;

struct TMohrPlotStyles {
    TCoordAxes2D coordaxes;
    TSymbolSpec symbMohr;
};

// One stress unit is 700 pixels from (150, 800); shear stress grows upward.
void init_Mohr_style(TMohrPlotStyles& styles);

// White 1000 x 1000 picture with the two grey axes.
void draw_Mohr_frame(QPainter& canvas, const TMohrPlotStyles& styles);

// Circles, then the data in list order over whatever the canvas holds. max_misfit (180 or 90)
// maps the misfit onto the rainbow scale. A datum without a valid representative is skipped.
void plot_Mohr(QPainter& canvas, const TMohrPlotStyles& styles, const TFaultDataSet& set,
               const TStressTensor& st, int max_misfit);

// "σn" and "τ" at the ends of the axes, and the bar of the points' colours from misfit 0 to
// max_misfit to the right of the circles.
void draw_Mohr_labels(QPainter& canvas, const TMohrPlotStyles& styles, int max_misfit);

// Frame, its labels if asked for, and the plot when both the data and a designated stress state
// are given.
void draw_Mohr_diagram(QPainter& canvas, const TMohrPlotStyles& styles, const TFaultDataSet* set,
                       const TStressTensor* st, int max_misfit, bool labels = false);
