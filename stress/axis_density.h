#pragma once

// Densities of axes on the lower hemisphere, at every node of the net grid (net_grid.h):
// - Kamb (1959): a counting circle of angular radius theta with 1 - cos theta = A =
//   sigma^2 / (N + sigma^2), sigma = 3; the density is count / sqrt(N A (1 - A)), in multiples
//   of the standard deviation;
// - 1 % area (Schmidt): a counting circle of 1 % of the hemisphere, 1 - cos theta = 0.01; the
//   density is 100 count / N, in percent.
// N is the number of axes; an axis u counts at node g when |net_dot(g, u)| >= cos theta. An axis
// of weight w counts as w equal axes (the fitness of stress states), so every count is an exact
// integer. The nodes each axis reaches are added a run of a ring at a time, on both cores, with
// the same sums as a count over every pair; the states' many equal axes are merged first
// (stress_axes).

#include "faults/fd_classes.h"
#include "stress/inversion_common.h"
#include "stress/kinematic_axes.h"
#include "stress/net_grid.h"
#include "stress/st_classes.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <span>
#include <vector>

enum class TDensityMethod { Kamb, Schmidt };
// What is counted: poles of the planes, slip lineations, P or T axes of the data, or the sigma1
// or sigma3 axes of the stress states weighted by fitness.
enum class TDensitySubject { Poles, Lineations, P, T, Sigma1, Sigma3 };

// The words of the batch tool's options: kamb, schmidt; poles, lineations, p, t, sigma1, sigma3.
QString density_method_name(TDensityMethod method);
std::optional<TDensityMethod> density_method_from_name(QStringView name);
QString density_subject_name(TDensitySubject subject);
std::optional<TDensitySubject> density_subject_from_name(QStringView name);
// What a legend calls them: "Kamb", "1 % area"; "Poles", "Lineations", "P axes", "T axes",
// "σ1 axes", "σ3 axes".
QString density_method_caption(TDensityMethod method);
QString density_subject_caption(TDensitySubject subject);
bool subject_of_stress_states(TDensitySubject subject);

struct TWeightedAxis {
    Tvector3 u;           // either end; need not be of unit length
    long long weight = 1; // axes of weight 0 or less do not count
};

// Poles of the planes (the first plane of each datum), slip lineations (the first slip of F, M
// and L data), P or T axes of the data that have them, in data-set order.
std::vector<TWeightedAxis> pole_axes(const TFaultDataSet& set);
std::vector<TWeightedAxis> lineation_axes(const TFaultDataSet& set);
std::vector<TWeightedAxis> p_axes(const TKinematicAxesSet& axes);
std::vector<TWeightedAxis> t_axes(const TKinematicAxesSet& axes);
// sigma1 (ax[0]) or sigma3 (ax[2]) of the states, weighted by fitness L: states of equal
// orientation merged, in the order of first appearance; states of fitness 0 (and designated
// ones, -1) do not count.
std::vector<TWeightedAxis> stress_axes(std::span<const TStressTensor> states, Tsigma1or3 axis);

// The axes of one subject: the fault-data subjects from set, the stress ones from states.
std::vector<TWeightedAxis> density_axes(TDensitySubject subject, const TFaultDataSet& set,
                                        std::span<const TStressTensor> states);

// Equal vectors (after turning each to the lower hemisphere) merged into one axis with the sum
// of their weights, in the order of first appearance; weights of 0 or less dropped.
std::vector<TWeightedAxis> merged_axes(std::span<const TWeightedAxis> axes);

// 1 - cos theta of the counting circle for n axes.
double counting_area(TDensityMethod method, long long n);

struct TAxisDensity {
    TDensityMethod method = TDensityMethod::Kamb;
    long long axes = 0;            // N, the sum of the weights
    double cos_radius = 1;         // cos theta of the counting circle
    std::vector<long long> counts; // per node of the net grid; empty when N = 0
    std::vector<double> values;    // per node: multiples of sigma (Kamb) or percent
    double max_value = 0;
    bool cancelled = false;
};

// The density of the axes at every node; control may stop it (a cancelled result holds no
// values).
TAxisDensity axis_density(std::span<const TWeightedAxis> axes, TDensityMethod method,
                          const TInversionControl& control = {});

// The unit vector, on the lower hemisphere and in double precision, that the counts take for u.
TNetVector unit_axis(const Tvector3& u);

// What to tell when a subject has no axis to count.
QString no_density_axes_message(TDensitySubject subject);
