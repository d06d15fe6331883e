#pragma once

// The stress states of an inversion run as the stress view holds them: exactly what
// read_inversion_result builds of the result and CGP files that save_inversion_result writes
// of the same candidates, so that a result in memory and the result reopened are one.

#include "stress/inversion_common.h"
#include "stress/ir_reader.h"

#include <vector>

// Candidate k (from 1) becomes the state of number k with its fitness as L; the normalised
// fitness is L over the sum of fitness kept in single precision, summed in the order given; the
// states are in ascending fitness, equals in the order given. cgp_filename stays empty.
TStressStates result_states(const std::vector<TInversionCandidate>& candidates);

// The candidates a loaded result is saved as: one per state in order of number, with its axes,
// ratio and fitness.
std::vector<TInversionCandidate> result_candidates(const std::vector<TStressTensor>& STSet);
