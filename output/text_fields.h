#pragma once

// Number and text pieces shared by the text result files.

#include "core/number_text.h"

#include <QString>

#include <cmath>

// A value that is not finite is written as fallback: "NaN" or "INF" in a result file would be
// taken for a number by no reader, ours included.
inline QString finite_field(const QString& pattern, double value, double fallback, QChar point) {
    return format_float(pattern, std::isfinite(value) ? value : fallback, point);
}

// A file name on a comment line. A line break inside it would start a line of its own, which
// the fault-data reader could take for a datum.
inline QString one_line(QString text) {
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return text;
}
