#pragma once

// Statistics of a set of stress states: their weighted mean and the dispersion about it, with
// the states as unit 5-vectors weighted by their normalised fitness.

#include "stress/st_classes.h"

#include <QStringList>

#include <vector>

// The four lines of the statistics memo: the mean stress state, the length R of the weighted
// mean 5-vector, the 59 % confidence angle and the mean angle of the states to the mean.
// Where the formulas leave their domain the text still reads sensibly: R >= 1 (coinciding
// states) is a confidence angle of 0.00 deg, R = 0 a too large dispersion, and a mean that has
// no direction is "undefined".
QStringList stress_statistics_lines(const std::vector<TStressTensor>& STSet);
