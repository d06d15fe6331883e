#pragma once

// Grid search for the stress states that explain fault-slip data: every state of a regular grid
// of sigma1 and sigma3 directions and stress ratios is scored by its fitness, the number of data
// whose representative misfit under the chosen measure (as calc_theoretical_slip_and_misfit and
// choose_representative give it, for data of every kind) is at most a tolerance. Each state is
// made exactly as the CGP reader makes a record, so a result written and read back has the very
// fitness computed here.

#include "faults/fd_classes.h"
#include "stress/compatibility.h"
#include "stress/inversion_common.h"

#include <QString>

#include <vector>

struct TGridSettings {
    double spacing = 5;      // g, degrees between neighbouring directions (check_grid_spacing)
    double ratio_step = 0.1; // r, step of the stress ratio (check_ratio_step)
    double tolerance = 20;   // t, largest misfit that counts, in the units of the measure
    TMifitMeasure measure = TMifitMeasure::SlipDir;
    int threads = 0; // 0: one per processor core; the result does not depend on it
};

// A state of the grid as its CGP record has it.
struct TGridState {
    Tazpl sigma1; // whole degrees
    Tazpl sigma3; // whole degrees
    float ratio = 0;
};

// The states of the grid in grid order:
// - sigma1 on rings of plunge 0, g, 2g, ... below 90, each at azimuths 360 j / n with n the
//   least whole number that makes the step at most g / cos(plunge) (the horizontal ring only
//   over azimuths 0 to 180, since a line and its opposite are one axis), then plunge 90 once;
// - for each sigma1, sigma3 at steps of 180 / m degrees (m the least that makes the step at
//   most g) around the great circle perpendicular to it, from its horizontal direction;
// - for each pair, the ratio from 0 to 1 in n equal steps of at most r, both ends included.
// Both axes are rounded to whole degrees (halves to the even neighbour, a vertical axis at
// azimuth 0); a pair that rounds to one already there is left out. Every stress state then lies
// within 1.5 g of a state of the grid in both axes (random states come within 0.8 g, for any g
// from 1 to 30) and within r / 2 of it in ratio.
std::vector<TGridState> grid_states(double spacing, double ratio_step);

// The number of states of the grid, for checking before a run.
long long grid_size(double spacing, double ratio_step);
inline constexpr long long largest_grid = 10'000'000;
// Empty when the grid has at most largest_grid states.
QString check_grid_size(double spacing, double ratio_step);

// Data with at least one alternative: those a grid search scores.
int grid_usable_data(const TFaultDataSet& data);

struct TGridResult {
    bool cancelled = false;
    // States with fitness > 0, numbered in this order: fitness descending, then mean
    // representative misfit of the counted data ascending, then grid order. Empty when cancelled
    // (and when no state explains any datum: see no_fitting_candidate_message).
    std::vector<TInversionCandidate> candidates;
    long long evaluated = 0; // states of the grid scored
    int used_data = 0;       // grid_usable_data
};

// Scores every state of the grid on all processor cores (settings.threads) and keeps those with
// fitness > 0. The settings are expected to have passed the checks. control.cancel is polled
// every few thousand datum evaluations; control.progress is called from the worker threads (the
// calling thread among them), one call at a time, whenever another half per cent is done: a
// window must pass the fraction on to its own thread (a queued call). Returns when all workers
// have ended; an exception of a worker is thrown again here.
TGridResult grid_search(const TFaultDataSet& data, const TGridSettings& settings,
                        const TInversionControl& control = {});
