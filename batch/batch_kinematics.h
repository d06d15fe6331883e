#pragma once

// The batch tool's kinematic analysis: P, T and B axes per datum, densities of axes, right
// dihedra, their pictures, and the fault-data picture's contour layer.

#include "batch/batch_options.h"

class QCommandLineParser;
class TSession;

// Reads the kinematics options into options (and the density settings into its settings);
// empty, or the reason of a usage error, naming the option. fault_data and result_loaded tell
// what the run will have loaded.
QString parse_kinematics_options(const QCommandLineParser& parser, TBatchOptions& options,
                                 bool fault_data, bool result_loaded);

// Whether any kinematics output is asked for.
bool kinematics_output(const TBatchOptions& options);

// Writes every kinematics output asked for; false when any failed (each failure told).
bool write_kinematics_outputs(TSession& session, const TBatchOptions& options);
