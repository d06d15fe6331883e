#pragma once

#include "core/math_operations.h"

#include <QString>

#include <array>
#include <vector>

// One kind of datum of a site: planes scattered around a few sets, taken in turn, each slipping
// as the site's stress predicts, turned within the plane by some noise.
struct ExampleDataGroup {
    char kind;                               // F, M, L or S
    int count;                               // number of data
    std::vector<std::array<double, 2>> sets; // dip direction and dip of each set
    double plane_spread;                     // degrees, of the dip direction (half for the dip)
    double slip_noise;                       // degrees: the turn of the slip, or of S brackets
    int outlier_every = 0;                   // each n-th datum slips far off; 0 for none
};

// A made-up site: the stress its faults slipped under and what was measured.
struct ExampleSite {
    QString name;           // file names without extension
    QString title;          // as the fault data file names it
    QString summary;        // of the stress and the data, a comment of the fault data file
    Tazpl sigma3;           // taken as it is
    Tvector3 sigma1_toward; // sigma1: this direction made perpendicular to sigma3
    double phi;             // stress ratio
    unsigned data_seed;     // of the noise of the data
    unsigned states_seed;   // of the candidate states of the inversion result
    double tolerance;       // degrees: a state explains a slip predicted within this
    std::vector<ExampleDataGroup> groups;
};

std::vector<ExampleSite> example_sites();
