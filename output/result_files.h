#pragma once

// The files of an inversion run: the inversion-result file (.tlv) with the fault data, the
// counts, the name of its CGP file and a fitness line per stress state; and the CGP file beside
// it with the principal axes and the stress ratio of each state. read_inversion_result reads
// back exactly the data and the states written.

#include "core/number_text.h"
#include "faults/fd_classes.h"
#include "stress/inversion_common.h"

#include <QString>

#include <vector>

// Beside the result, with its name and the extension .cgp ("run.tlv" -> "run.cgp").
QString cgp_path_for_result(const QString& result_path);

// Writes the result at result_path and its CGP file at cgp_path_for_result(result_path), the
// candidates numbered in the order given, each with its fitness line. Every datum with an
// alternative is written in the fault-datum line format with the given decimal point,
// and every number with the digits it needs to read back as the same single; the data of the
// readers (whose second nodal planes and further Sen alternatives are the ones the reader
// makes) thus read back identical, and so do candidates in whole degrees. The CGP file is
// written first; when the result then cannot be written, the CGP file is removed, or the one
// it replaced put back, so that no half pair is left. Returns false with the reason in *error:
// also for no candidate of positive fitness, a path ending in .cgp, or a number that is not
// finite.
bool save_inversion_result(const QString& result_path, const TFaultDataSet& data,
                           const std::vector<TInversionCandidate>& candidates, QString* error,
                           QChar decimal_point = locale_decimal_point());
