#pragma once

// The misfit histogram: representative misfits of the fault data binned by data kind, and the
// stacked bar chart that shows them. The chart draws on any QPainter, so the screen widget and
// every export device get the same picture.

#include "faults/fd_classes.h"
#include "plot/draw_operations.h"
#include "stress/compatibility.h"

#include <QPainter>
#include <QRect>
#include <QString>

#include <array>
#include <vector>

// Counts per bin and data kind; bin i covers [i bin_size, (i + 1) bin_size).
struct TMisfitBins {
    int bin_size = 0;
    std::vector<int> centres;
    std::array<std::vector<int>, 4> counts; // indexed by TDataType, one entry per bin
};

// max_misfit / bin_size bins, rounded up; misfits at or beyond the top go into the last bin, an
// unanalysed datum (-1) into the first. No bins unless both numbers are positive.
TMisfitBins bin_misfits(const TFaultDataSet& set, int max_misfit, int bin_size);

// Height of the tallest stacked bar.
int tallest_stack(const TMisfitBins& bins);

// Steps of 5 from a stack of 5 up, else the stack itself; 0 means automatic spacing.
int left_axis_increment(int tallest);

// Top of the left axis: the tallest stack (at least 1) rounded up to a whole step of the given
// increment, or of the automatic one when it is 0.
int left_axis_maximum(int tallest, int increment);

// 1, 2 or 5 times a power of ten, so that about ten steps cover the range.
int automatic_increment(int range);

// The series, in the chart's order: F, M, L, S.
inline constexpr std::array<TDataType, 4> misfit_series{TDataType::Ful, TDataType::Mec,
                                                        TDataType::Lin, TDataType::Sen};
QString misfit_series_title(TDataType type);
TColorValue misfit_series_color(TDataType type);

// What the chart shows: the axis settings the view changes, and the bins.
struct TMisfitHistogram {
    int bottom_max = 180;
    int bottom_increment = 20;
    int left_increment = 10; // 0: automatic
    TMisfitBins bins;
};

// Bottom axis of a misfit measure: 0..180 in steps of 20 or 0..90 in steps of 10.
void set_misfit_axis_range(TMisfitHistogram& chart, TMifitMeasure measure);

// New bins for the set and the left-axis increment that goes with them.
void fill_misfit_histogram(TMisfitHistogram& chart, const TFaultDataSet& set, int max_misfit,
                           int bin_size);

// The whole chart inside area; the painter's state is restored afterwards.
void draw_misfit_histogram(QPainter& canvas, QRect area, const TMisfitHistogram& data);
