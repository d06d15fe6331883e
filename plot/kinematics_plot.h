#pragma once

// Whole pictures of the kinematic analysis: one net with the P and T axes of the data, the
// density contours of one subject or the right dihedra under them, and the legends to its right;
// and the stress-state plot's density emphasis, sigma1 and sigma3 contours weighted by fitness
// on the two stress nets instead of tadpoles.

#include "plot/contour_plot.h"
#include "plot/st_plot.h"

#include <QPainter>

#include <span>
#include <vector>

inline constexpr int kinematics_plot_width = 1400;
inline constexpr int kinematics_plot_height = 1040;

struct TKinematicsStyles {
    TBaseCircle basecircle; // the size of the fault-data net, with room for "N" over it
    TContourStyle density = density_contour_style();
    TContourStyle dihedra = dihedra_contour_style();
    TKinematicSymbolStyle symbols;
    QPoint legend_at{1040, 70};
};

void set_kinematics_styles(TKinematicsStyles& styles);

// What one picture shows; absent layers are left out. Density and dihedra exclude each other:
// with both, the dihedra are drawn.
struct TKinematicsLayers {
    TProjection projection = TProjection::EArea;
    const TRightDihedra* dihedra = nullptr;
    const TAxisDensity* density = nullptr;
    TDensitySubject subject = TDensitySubject::P;
    std::vector<double> levels; // empty: default_density_levels
    const TKinematicAxesSet* axes = nullptr;
};

// White picture, the shading, the net's outline and "N", the axes, the legends.
void draw_kinematics_plot(QPainter& canvas, const TKinematicsStyles& styles,
                          const TKinematicsLayers& layers);

// The levels a picture of the density uses: the given ones that are usable, else the defaults.
std::vector<double> density_levels(const TAxisDensity& density, std::span<const double> levels);

// Density bands of one subject on a net that another picture draws (the fault-data net, say),
// after its frame and before its data: the bands, the net's outline over them, the legend with
// its top-left corner at legend_at.
void draw_density_layer(QPainter& canvas, const TBaseCircle& net, TProjection projection,
                        const TAxisDensity& density, TDensitySubject subject,
                        std::span<const double> levels, const TContourStyle& style,
                        QPoint legend_at);

// The density of the sigma1 and sigma3 axes of the states on the two stress nets (equal-area),
// with the levels common to both (empty: the defaults for the higher maximum), the stress-ratio
// colour scale of the frame (for a designation) and the legend between the nets.
void draw_stress_density(QPainter& canvas, const TSTPlotStyles& styles, bool color_scale,
                         const TAxisDensity& sigma1, const TAxisDensity& sigma3,
                         std::span<const double> levels = {},
                         const TContourStyle& style = density_contour_style());
