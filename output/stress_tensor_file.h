#pragma once

// The stress-tensor file: a commented header, then the stress states the stress plot shows,
// fittest first, with the number of symbols that stands for each.

#include "core/number_text.h"
#include "stress/ir_reader.h"

#include <QString>

// Reads Le as update_plotted_numbers last wrote it for ef, and max_L, from states; STSet is in
// ascending order of fitness. A non-finite orientation or ratio is written as 0; the plotted
// number is symbol_count(Le), as drawn. An empty path does nothing and succeeds. Returns
// false with the reason in *error.
bool save_data_stress_tensor(const QString& path, const TStressStates& states,
                             const QString& ST_loaded_filename, float ef, QString* error,
                             QChar decimal_point = locale_decimal_point());
