#include "stress/st_list_text.h"

#include "core/number_text.h"

QString st_list_line(const TStressTensor& st, int position, QChar point) {
    const auto f = [point](const char* pattern, float value) {
        return format_float(QString::fromLatin1(pattern), value, point);
    };
    return align_right(QString::number(position + 1), 4) + QStringLiteral(" : ") +
           QString::number(st.id) + u' ' + QString::number(st.L) + u' ' + f("000", st.ax[0].az) +
           u' ' + f("00", st.ax[0].pl) + u' ' + f("000", st.ax[2].az) + u' ' +
           f("00", st.ax[2].pl) + u' ' + f("0.0000", st.sr);
}
