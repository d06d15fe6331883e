#pragma once

// What the user sets in the three views, with the values a new session starts with, and the
// check of every setting typed as text. The window's boxes and the batch tool's options go
// through the same checks, so both give the same reason for a refused value.

#include "core/number_text.h"
#include "output/picture_files.h"
#include "plot/fd_plot.h"
#include "plot/st_symbols.h"
#include "stress/axis_density.h"
#include "stress/compatibility.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// What lies under the P and T axes in the kinematics view.
enum class TKinematicsUnderlay { None, Density, Dihedra };

struct TSessionSettings {
    // The stress view.
    float ef = 0.8f; // enhance factor
    float df = 1.0f; // dispersion factor
    TEmphasis emphasis = TEmphasis::Siz;
    bool tadpole_tail = true;
    bool color = true; // else grey
    // The fault data view.
    TPlotMethod plotmethod = TPlotMethod::TLD;
    TProjection projection = TProjection::EArea;
    // Layers shown once a stress state is designated.
    bool theoretical_slip = true;
    bool model_faults = true;
    bool designated_axes = true;
    // Every picture: the names of the nets and axes, north, the ends of the colour scales.
    bool plot_labels = true;
    // The compatibility view.
    int misfit_bin_size = 10;
    TMifitMeasure misfitmeasure = TMifitMeasure::SlipDir;
    // Density contours of the stress states' sigma1 and sigma3 axes, weighted by fitness, in
    // place of the tadpoles (the emphasis "Density"); 1 % area, since with N = sum of L in the
    // millions a Kamb circle shrinks to a point.
    bool stress_density = false;
    TDensityMethod stress_density_method = TDensityMethod::Schmidt;
    // The kinematics view: the P and T axes of the data over the density of one subject or
    // the right dihedra.
    bool kinematic_axes = true;
    TKinematicsUnderlay kinematics_underlay = TKinematicsUnderlay::None;
    TDensitySubject kinematics_subject = TDensitySubject::P;
    TDensityMethod kinematics_method = TDensityMethod::Kamb;
    // The fault data view's contour layer under the data: none, or one subject's density.
    std::optional<TDensitySubject> fd_contours;
    TDensityMethod fd_contour_method = TDensityMethod::Kamb;
    // The contour levels of each method wherever it is drawn; empty: its defaults.
    std::vector<double> kamb_levels;
    std::vector<double> schmidt_levels;
    // The decimal point of the files written; none: the locale's when each is written.
    std::optional<QChar> decimal_point;
    // The format of a picture whose name has no extension that tells one ("-" for standard
    // output); none: an enhanced metafile.
    std::optional<TPictureFormat> picture_format;
};

inline QChar decimal_point_to_write(const TSessionSettings& settings) {
    return settings.decimal_point.value_or(locale_decimal_point());
}

// The levels of a method as the settings hold them.
inline const std::vector<double>& density_levels_of(const TSessionSettings& settings,
                                                    TDensityMethod method) {
    return method == TDensityMethod::Kamb ? settings.kamb_levels : settings.schmidt_levels;
}

// Contour levels typed as a list, "2, 4, 6" or "2 4 6" (with the decimal point given): finite,
// positive and increasing; empty text means the defaults. Empty, or why it was refused.
QString check_density_levels(QStringView text, QChar decimal_point, std::vector<double>& levels);
// The levels as check_density_levels reads them back; "" for the defaults.
QString density_levels_text(const std::vector<double>& levels, QChar decimal_point);

// Each takes a text into value and returns an empty string, or returns the message that tells
// why the text was refused and leaves value alone. The decimal point is the locale's in the
// window and '.' on the command line.
QString check_enhance(QStringView text, QChar decimal_point, float& value);
QString check_dispersion(QStringView text, QChar decimal_point, float& value);
// The range of a bin size depends on the measure: 5 up to its largest misfit.
QString check_bin_size(QStringView text, TMifitMeasure measure, int& value);

// A bin size valid under the previous measure, carried over to the chosen one: it doubles or
// halves, staying within the new range.
int bin_size_for_measure(int bin_size, TMifitMeasure chosen);

// A stress state typed as values: each axis within azimuth 0..360 and plunge 0..90, the ratio
// within 0..1, and the axes within 1 degree of perpendicular (a designation puts sigma3 on the
// girdle of sigma1; typed values are rounded). Empty, or the reason of the refusal.
bool orientation_in_range(const Tazpl& axis);
bool axes_perpendicular(const Tazpl& sigma1, const Tazpl& sigma3);
QString check_stress_axes(const Tazpl& sigma1, const Tazpl& sigma3, double phi);
