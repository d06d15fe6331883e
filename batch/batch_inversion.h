#pragma once

// The batch tool's inversion: its options, read into the settings the window's dialog gives,
// and the run, followed on a terminal.

#include "batch/batch_options.h"

class QCommandLineParser;
class TSession;

// Reads --invert and the settings of its method into options.invert; empty, or the reason of a
// usage error, naming the option.
QString parse_inversion_options(const QCommandLineParser& parser, TBatchOptions& options);

// Inverts the loaded data as options.invert says, showing the progress on standard error when
// shown; false when the data gave no result (the reason has been told).
bool run_batch_inversion(TSession& session, const TBatchOptions& options, bool shown);
