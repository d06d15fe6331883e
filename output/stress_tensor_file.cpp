#include "output/stress_tensor_file.h"

#include "core/text_file.h"
#include "output/text_fields.h"
#include "plot/st_symbols.h"

#include <QStringList>

namespace {

struct TStateFormats {
    explicit TStateFormats(QChar point)
        : angle(QStringLiteral(" ##0.0"), point), ratio(QStringLiteral(" #0.000"), point) {}
    TNumberFormat angle, ratio;
};

void append_data_line(QByteArray& bytes, const TStressTensor& st, int k, const TStateFormats& f) {
    append_finite_field(bytes, f.angle, st.ax[0].az, 0);
    append_finite_field(bytes, f.angle, st.ax[0].pl, 0);
    append_finite_field(bytes, f.angle, st.ax[2].az, 0);
    append_finite_field(bytes, f.angle, st.ax[2].pl, 0);
    append_finite_field(bytes, f.ratio, st.sr, 0);
    bytes += ' ';
    bytes += QByteArray::number(k);
    end_text_line(bytes);
}

} // namespace

bool save_data_stress_tensor(const QString& path, const TStressStates& states,
                             const QString& ST_loaded_filename, float ef, QString* error,
                             QChar point) {
    if (path.isEmpty()) {
        if (error)
            error->clear();
        return true;
    }
    const QString rule = QStringLiteral("# ");
    const QStringList header{
        QStringLiteral("# Stress states plotted on QMT"),
        rule,
        QStringLiteral("# filename       = ") + one_line(ST_loaded_filename),
        QStringLiteral("# max fitness    = ") + QString::number(states.max_L),
        QStringLiteral("# enhance factor = ") +
            finite_field(QStringLiteral(" 0.000"), ef, 0, point),
        QStringLiteral("# enhance unit   = ") +
            finite_field(QStringLiteral(" #####0.0"), double(states.max_L) * ef, 0, point),
        rule,
        QStringLiteral("# sigma1_az sigma1_pl sigma3_az sigma3_pl stress_ratio plotted_number"),
        rule,
    };
    QByteArray bytes;
    for (const QString& line : header)
        append_text_line(bytes, line);
    const TStateFormats formats(point);
    for (auto it = states.STSet.rbegin(); it != states.STSet.rend(); ++it) {
        // The count the plot draws, so NaN and weights beyond the int range come out alike.
        const int k = symbol_count(it->Le);
        if (k <= 0)
            break;
        append_data_line(bytes, *it, k, formats);
    }
    return write_file_atomically(path, bytes, error);
}
