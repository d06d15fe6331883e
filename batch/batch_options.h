#pragma once

// The command line of quomtel-batch: what to read, how to analyse and draw, what to write.

#include "core/math_operations.h"
#include "faults/table_reader.h"
#include "session/inversion.h"
#include "session/settings.h"

#include <QString>
#include <QStringList>

#include <optional>

enum class TBatchStress { None, Axes, Best };

struct TBatchOptions {
    QString fault_data;
    QString inversion_result;
    // The fault data are a table: by its extension (.csv, .tsv) or by --table.
    bool fault_data_table = false;
    TTableOptions table;

    TBatchStress stress = TBatchStress::None;
    Tazpl sigma1{};
    Tazpl sigma3{};
    float phi = 0;

    // As a new window starts; the layer options below override the designation's defaults.
    TSessionSettings settings;
    // Unset: as the check boxes are after a designation with the plot method.
    std::optional<bool> theoretical_slip;
    std::optional<bool> model_faults;
    std::optional<bool> designated_axes;

    // The fault data inverted into the stress states, replacing any result read.
    std::optional<TInversionSettings> invert;
    QString write_result; // the stress states as a result (.tlv) with its CGP file beside

    QString write_misfit;
    QString write_theoretical;
    QString write_stress_tensor;
    QString write_fault_data;
    QString write_table; // .json: JSON, else CSV
    bool statistics = false;
    bool json = false; // the statistics as one JSON object
    bool list_fault_data = false;
    QString plot_fault_data;
    QString plot_stress;
    QString plot_mohr;
    QString plot_histogram;
    // Kinematics: the subject of --write-density, --plot-density and of the contours under
    // --plot-kinematics; the axes per datum, densities and right dihedra, as text and pictures.
    std::optional<TDensitySubject> density;
    QString write_kinematics;
    QString plot_kinematics;
    QString write_density;
    QString plot_density;
    QString write_dihedra;
    QString plot_dihedra;
    double png_scale = 1;
    // A stress picture of more symbols than this is refused: drawing one by one, a result with a
    // few huge fitnesses would take hours.
    int max_symbols = 10'000'000;
    // Any message about the input fails the run (after what could be written is written).
    bool strict = false;
    // Only problems on standard error: no notes, no progress.
    bool quiet = false;
};

struct TBatchParse {
    enum class Kind { Run, Help, Version, UsageError } kind = Kind::UsageError;
    TBatchOptions options;
    QString text; // the help or version text, or the reason of the usage error
};

// The manual page, quomtel-batch.1, made from the same table of options as the help.
QString batch_man_page();

// arguments[0] is the program name, as QCoreApplication::arguments() gives it.
TBatchParse parse_batch_arguments(const QStringList& arguments);

// "AZ1/PL1,AZ3/PL3,PHI": empty on success, else the reason.
QString parse_stress_designation(const QString& text, Tazpl& sigma1, Tazpl& sigma3, float& phi);

inline const QString batch_program_name = QStringLiteral("quomtel-batch");
