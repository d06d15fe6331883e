#pragma once

// The two text result files of the fault data view: the misfit data file (misfit, normal and
// shear stress per datum) and the theoretical-slip data file (one full datum per datum, which
// reads back as fault-slip data). Both end with the source file and the designated state.

#include "core/number_text.h"
#include "faults/fd_classes.h"
#include "stress/compatibility.h"
#include "stress/st_classes.h"

#include <QString>

// Every writer takes the decimal point of its numbers: the locale's, as the window writes, or
// the one the batch tool is told.

// Call after calc_theoretical_slip_and_misfit with designated: FDSet carries the computed
// fields, measure is the one they were computed under. A non-finite misfit is written as the
// worst misfit of the measure (180 or 90 degrees), any other non-finite number as 0.
// An empty path does nothing and succeeds. A datum without a representative alternative fails
// the save before anything is written. Returns false with the reason in *error.
bool save_data_misfit(const QString& path, const TFaultDataSet& FDSet,
                      const QString& FD_loaded_filename, const TStressTensor& designated,
                      TMifitMeasure measure, QString* error,
                      QChar decimal_point = locale_decimal_point());

// theoretical is the set calc_theoretical_slip_and_misfit built: one Ful datum per datum.
bool save_data_theoretical(const QString& path, const TFaultDataSet& theoretical,
                           const QString& FD_loaded_filename, const TStressTensor& designated,
                           QString* error, QChar decimal_point = locale_decimal_point());

// The data set as a fault-slip data file: a comment naming the source, then one line per
// datum with one decimal. Written atomically; an empty path does nothing and succeeds.
bool save_data_fault_data(const QString& path, const TFaultDataSet& set,
                          const QString& FD_loaded_filename, QString* error,
                          QChar decimal_point = locale_decimal_point());
