#pragma once

// The fault data and their analysis as a table for other programs: one row per datum, with a
// header, comma-separated (or, for a .json name, an array of objects with the same keys).
// Numbers are written in full and with a full stop, whatever the locale.

#include "faults/fd_classes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The column names, in order. "misfit" is the datum's misfit under the measure in force (what
// the histogram counts: for a sense-only datum the agreement of the sense), "misfit_angle" and
// "fry_distance" those of its representative alternative.
QStringList data_table_keys();

// analysed: the compatibility analysis has run (a state is designated); else its columns are
// empty (null in JSON). theoretical holds datum k's theoretical slip for datum k.
QByteArray data_table_csv(const TFaultDataSet& set, const TFaultDataSet& theoretical,
                          bool analysed);
QByteArray data_table_json(const TFaultDataSet& set, const TFaultDataSet& theoretical,
                           bool analysed);

// By the extension: .json as JSON, anything else as CSV; atomically. An empty path does nothing.
bool save_data_table(const QString& path, const TFaultDataSet& set,
                     const TFaultDataSet& theoretical, bool analysed, QString* error);
