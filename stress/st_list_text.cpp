#include "stress/st_list_text.h"

#include "core/number_text.h"
#include "core/parallel.h"

#include <QByteArray>

#include <cmath>

QString st_list_line(const TStressTensor& st, int position, QChar point) {
    const auto f = [point](const char* pattern, float value) {
        return format_float(QString::fromLatin1(pattern), value, point);
    };
    return align_right(QString::number(position + 1), 4) + QStringLiteral(" : ") +
           QString::number(st.id) + u' ' + QString::number(st.L) + u' ' + f("000", st.ax[0].az) +
           u' ' + f("00", st.ax[0].pl) + u' ' + f("000", st.ax[2].az) + u' ' +
           f("00", st.ax[2].pl) + u' ' + f("0.0000", st.sr);
}

namespace {

// st_list_line with its patterns read once.
class TListLineFormat {
public:
    explicit TListLineFormat(QChar point)
        : azimuth_(QStringLiteral("000"), point), plunge_(QStringLiteral("00"), point),
          ratio_(QStringLiteral("0.0000"), point) {}

    QString line(const TStressTensor& st, int position, QByteArray& buffer) const {
        buffer.clear();
        const QByteArray number = QByteArray::number(position + 1);
        for (qsizetype k = number.size(); k < 4; ++k)
            buffer += ' ';
        buffer += number;
        buffer += " : ";
        buffer += QByteArray::number(st.id);
        buffer += ' ';
        buffer += QByteArray::number(st.L);
        buffer += ' ';
        azimuth_.append_utf8(buffer, st.ax[0].az);
        buffer += ' ';
        plunge_.append_utf8(buffer, st.ax[0].pl);
        buffer += ' ';
        azimuth_.append_utf8(buffer, st.ax[2].az);
        buffer += ' ';
        plunge_.append_utf8(buffer, st.ax[2].pl);
        buffer += ' ';
        ratio_.append_utf8(buffer, st.sr);
        return QString::fromUtf8(buffer);
    }

private:
    TNumberFormat azimuth_, plunge_, ratio_;
};

// Below this many states, a second thread is not worth starting.
constexpr std::size_t fewest_states_for_two_threads = 20000;

} // namespace

QStringList st_list_lines(std::span<const TStressTensor> states, QChar point) {
    const TListLineFormat format(point);
    const auto lines_of = [&](std::size_t first, std::size_t end) {
        QStringList lines;
        QByteArray buffer;
        for (std::size_t p = first; p < end; ++p)
            if (std::trunc(states[p].Le) >= 1)
                lines.append(format.line(states[p], int(p), buffer));
        return lines;
    };
    if (states.size() < fewest_states_for_two_threads)
        return lines_of(0, states.size());
    const std::size_t half = states.size() / 2;
    QStringList first, second;
    run_both([&] { first = lines_of(0, half); }, [&] { second = lines_of(half, states.size()); });
    first.append(std::move(second));
    return first;
}
