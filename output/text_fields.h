#pragma once

// Number and text pieces shared by the text result files.

#include "core/number_text.h"

#include <QByteArray>
#include <QString>

#include <cmath>

// A value that is not finite is written as fallback: "NaN" or "INF" in a result file would be
// taken for a number by no reader, ours included.
inline QString finite_field(const QString& pattern, double value, double fallback, QChar point) {
    return format_float(pattern, std::isfinite(value) ? value : fallback, point);
}

// The same into a file's bytes.
inline void append_finite_field(QByteArray& bytes, const TNumberFormat& format, double value,
                                double fallback) {
    format.append_utf8(bytes, std::isfinite(value) ? value : fallback);
}

// A character of a line of a file's bytes, UTF-8 encoded as the line would be.
inline void append_char(QByteArray& bytes, QChar c) {
    if (c.unicode() < 0x80)
        bytes.append(static_cast<char>(c.unicode()));
    else
        bytes.append(QString(c).toUtf8());
}

// A file name on a comment line. A line break inside it would start a line of its own, which
// the fault-data reader could take for a datum.
inline QString one_line(QString text) {
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return text;
}
