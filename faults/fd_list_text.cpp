#include "faults/fd_list_text.h"

#include "core/number_text.h"

namespace {

void append_slip(QString& line, const TSlipData& sd, QChar point) {
    line += u' ' + format_float(QStringLiteral("000"), sd.Lazpl.az, point) + u' ' +
            format_float(QStringLiteral("00"), sd.Lazpl.pl, point) + u' ' + sense_letter(sd.sense);
}

void append_plane(QString& line, const TSlipData& sd, QChar point) {
    line += u' ' + format_float(QStringLiteral("000"), sd.Pazpl.az, point) + u' ' +
            format_float(QStringLiteral("00"), sd.Pazpl.pl, point);
}

} // namespace

QString fd_list_line(const TFaultData& datum, int k, bool designated) {
    return fd_list_line(datum, k, designated, locale_decimal_point());
}

QString fd_list_line(const TFaultData& datum, int k, bool designated, QChar point) {
    QString line = align_right(QString::number(k), 4) + QStringLiteral(" : ");
    if (designated)
        line += u'[' +
                align_right(format_float(QStringLiteral("0.0"), datum.rep_misfit, point), 5) +
                QStringLiteral("] ");
    line += datatype_letter(datum.datatype);
    for (size_t i = 0; i < datum.SDList.size(); ++i) {
        const TSlipData& sd = datum.SDList[i];
        if (i == 0) {
            append_plane(line, sd, point);
        } else if (datum.datatype == TDataType::Mec) {
            line += QStringLiteral(" /");
            append_plane(line, sd, point);
        } else {
            line += QStringLiteral(" &");
        }
        append_slip(line, sd, point);
    }
    if (designated && datum.rep_isd >= 0 && datum.rep_isd < static_cast<int>(datum.SDList.size()))
        line += QStringLiteral(" {") +
                align_right(
                    format_float(QStringLiteral("0.00"), datum.get_rep_normal_stress(), point), 3) +
                u',' +
                align_right(
                    format_float(QStringLiteral("0.00"), datum.get_rep_shear_stress(), point), 3) +
                u'}';
    return line;
}
