#pragma once

// Statistics of a set of stress states: their weighted mean and the dispersion about it, with
// the states as unit 5-vectors weighted by their normalised fitness.

#include "stress/st_classes.h"

#include <QByteArray>
#include <QChar>
#include <QStringList>

#include <optional>
#include <vector>

// The figures of the statistics. Where the formulas leave their domain a figure is absent: a
// mean that has no direction (and so no angle to it), or a confidence angle of a dispersion too
// large to have one. R >= 1 (coinciding states) is a confidence angle of 0.
struct TStressStatistics {
    struct Mean {
        Tazpl sigma1;
        Tazpl sigma3;
        float ratio = 0;
    };
    std::optional<Mean> mean;
    float R = 0;                           // length of the weighted mean 5-vector
    std::optional<float> confidence_angle; // 59 %, degrees
    std::optional<float> mean_angle;       // of the states to the mean, degrees
};

TStressStatistics stress_statistics(const std::vector<TStressTensor>& STSet);

// The four lines of the statistics memo: the mean stress state, the length R of the weighted
// mean 5-vector, the 59 % confidence angle and the mean angle of the states to the mean.
// Where the formulas leave their domain the text still reads sensibly: R >= 1 (coinciding
// states) is a confidence angle of 0.00 deg, R = 0 a too large dispersion, and a mean that has
// no direction is "undefined".
QStringList stress_statistics_lines(const std::vector<TStressTensor>& STSet);
// The lines of figures computed before, with the given decimal point (the locale's above).
QStringList stress_statistics_lines(const TStressStatistics& statistics, QChar decimal_point);

// The same figures for other programs: one JSON object on one line, in full, with a full stop
// whatever the locale, and null for an absent figure. The keys:
// mean_sigma1_trend, mean_sigma1_plunge, mean_sigma3_trend, mean_sigma3_plunge,
// mean_stress_ratio, mean_vector_length, confidence_angle, mean_angle_to_mean.
QByteArray stress_statistics_json(const TStressStatistics& statistics);
