#pragma once

// What the two inversions of fault-slip data into stress states share: the candidate states
// they produce, made exactly as the CGP reader makes its records; the checks of their inputs,
// whose messages both front ends show; and how a long run is followed and cancelled.

#include "faults/fd_classes.h"
#include "stress/st_classes.h"

#include <QString>

#include <array>
#include <atomic>
#include <functional>

// A candidate stress state as a CGP record holds it: sigma1 and sigma3 in whole degrees (lower
// hemisphere) and the stress ratio, with the fitness its fitness line gives.
struct TInversionCandidate {
    Tazpl sigma1;
    Tazpl sigma3;
    float ratio = 0;
    int fitness = 0;
    // Grid search: mean representative misfit of the data counted in the fitness, in the units
    // of the measure. Linear inversion: 0.
    double mean_misfit = 0;
};

// Rounded to whole degrees as the CGP reader rounds (halves to the even neighbour); an azimuth
// that comes to 360 is 0, the same line.
Tazpl whole_degree_orientation(double azimuth, double plunge);

// The lower-hemisphere orientation, in degrees and double precision, of the axis along v
// (x east, y north, z up; any length but zero).
struct TAxisOrientation {
    double azimuth = 0; // [0, 360)
    double plunge = 0;  // [0, 90]
};
TAxisOrientation axis_orientation(const std::array<double, 3>& v);

// The state read_CGP builds from the candidate's record: azpl_to_vector3 of both axes and
// build_stress_tensor with the ratio; L is the fitness, id as given.
TStressTensor candidate_stress_tensor(const TInversionCandidate& candidate, int id = -1);

// Following and stopping a long run. The flag is polled often enough to stop within some tens
// of milliseconds; a cancelled run returns no candidates. progress receives the fraction done,
// non-decreasing, from 0 to 1; each inversion says from which thread.
struct TInversionControl {
    const std::atomic<bool>* cancel = nullptr;
    std::function<void(double fraction)> progress;

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

// Checks of the inputs, each empty when the value is fine and else the reason to show. The
// ranges are closed; a value that is not a number is out of range.
inline constexpr int fewest_inversion_data = 4;
QString check_data_count(int usable);
QString check_grid_spacing(double degrees);
QString check_ratio_step(double step);
QString check_tolerance(double degrees);
QString check_bootstrap_count(long long resamples);
// For a run that kept no candidate: no state explains any datum within the tolerance.
QString no_fitting_candidate_message(double tolerance);
