#pragma once

// Inverting the fault data into candidate stress states, as both front ends offer it: the
// settings with their checks, and the computation on a copy of the data, which may therefore
// run on any thread while the session stays with its own. TSession::load_inversion then makes
// the candidates the loaded result.

#include "faults/fd_classes.h"
#include "stress/compatibility.h"
#include "stress/inversion_common.h"

#include <QString>

#include <cstdint>
#include <vector>

enum class TInversionMethod { Grid, Linear };

struct TInversionSettings {
    TInversionMethod method = TInversionMethod::Grid;
    double grid_spacing = 5;    // g, degrees (grid search)
    double ratio_step = 0.1;    // r (grid search)
    double tolerance = 20;      // t, in the units of the misfit measure (grid search)
    long long resamples = 1000; // B (linear inversion)
    std::uint32_t seed = 1;     // of the resamples
};

// "grid" or "linear", as the batch tool's --invert takes it.
QString inversion_method_name(TInversionMethod method);

// Empty when the settings of the method chosen may run, else why not: g within 1..30, r within
// 0.01..0.5, t within 1..90 and a grid of at most largest_grid states; B within 0..100000.
QString check_inversion_settings(const TInversionSettings& settings);

enum class TInversionStatus { Solved, Cancelled, Failed };

struct TInversionOutcome {
    TInversionStatus status = TInversionStatus::Failed;
    // Failed: the reason (too few data, no state within the tolerance, a degenerate system).
    // Solved: what the user may like to know: the data used and, for the linear method, its
    // solution in full precision.
    QString message;
    // With fitness > 0, in the order of their numbers; empty unless Solved.
    std::vector<TInversionCandidate> candidates;
};

// What a run reads, its own copy.
struct TInversionJob {
    TFaultDataSet data;
    TMifitMeasure measure = TMifitMeasure::SlipDir; // of the fitness
    TInversionSettings settings;                    // checked
    QString name;                                   // of the result, for the caption

    // The progress and the cancel flag of control as the method's own function documents them
    // (the grid search reports from its worker threads).
    TInversionOutcome run(const TInversionControl& control = {}) const;
};
