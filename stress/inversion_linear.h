#pragma once

// Linear inversion of fault-slip data for the stress state (Michael 1984, J. Geophys. Res. 89,
// 11517-11526): the deviatoric stress tensor whose shear traction on every plane best matches
// the observed slip direction, on the assumption that all planes carry shear tractions of the
// same magnitude, which makes the problem linear least squares in the five independent
// components of the tensor. Its spread comes from bootstrap resamples of the data (Michael
// 1987, J. Geophys. Res. 92, 357-368). Compression is positive, and the theoretical slip of the
// solution is the one calc_theoretical_slip_and_misfit computes.

#include "faults/fd_classes.h"
#include "stress/inversion_common.h"

#include <QString>

#include <cstdint>
#include <vector>

struct TLinearSettings {
    int resamples = 1000;   // B (check_bootstrap_count)
    std::uint32_t seed = 1; // the same seed and data give the same resamples on every platform
};

enum class TLinearStatus {
    Solved,
    TooFewData, // fewer than fewest_inversion_data usable data
    Degenerate, // the data do not determine a tensor (all planes parallel, say)
    Cancelled,
};

// The solution of all data, for a message: axes to 0.1 degree, ratio to 0.001.
struct TLinearSolution {
    double sigma1_azimuth = 0;
    double sigma1_plunge = 0;
    double sigma3_azimuth = 0;
    double sigma3_plunge = 0;
    double ratio = 0;
};
// "sigma1 = 123.4/56.7, sigma3 = 301.2/33.0, stress ratio = 0.456"
QString linear_solution_text(const TLinearSolution& solution);

struct TLinearResult {
    TLinearStatus status = TLinearStatus::Degenerate;
    QString message; // the reason, when not Solved
    TLinearSolution solution;
    // Candidate 1 is the solution of all data; then one per resample that could be solved. All
    // have fitness 1 and, as every candidate, axes in whole degrees.
    std::vector<TInversionCandidate> candidates;
    int used_ful = 0; // Ful data with a sense N, R, S or D
    int used_mec = 0; // Mec data with a sense N, R, S or D
    int not_used = 0; // all other data: Lin, Sen, without a sense, or with slip along the normal
    int nodal_rounds = 0;            // rounds of choosing the nodal planes of Mec data
    bool nodal_choice_stable = true; // false when 20 rounds did not settle the choice
    int degenerate_resamples = 0;    // resamples that determined no tensor; left out
};

// The data linear_inversion uses (used_ful + used_mec).
int linear_usable_data(const TFaultDataSet& data);

// Ful data give their plane and slip. A Mec datum gives the nodal plane of smaller misfit under
// the current solution (on a tie the second, as choose_representative picks), chosen again
// after each solution until no choice changes, at most 20 rounds; the first choice is made by
// the solution of the Ful data when there are at least 4 of them, else it is the first nodal
// plane. The slip is taken within its plane. Each resample draws as many used data as there
// are, with replacement, and starts from the nodal planes of the whole solution. control.cancel
// is polled before each resample; control.progress is called on the calling thread.
TLinearResult linear_inversion(const TFaultDataSet& data, const TLinearSettings& settings = {},
                               const TInversionControl& control = {});
