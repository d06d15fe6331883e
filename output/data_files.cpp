#include "output/data_files.h"

#include "core/text_file.h"
#include "output/text_fields.h"

#include <QStringList>

#include <algorithm>

namespace {

QString angle(float value, QChar point) {
    return finite_field(QStringLiteral(" ##0.0"), value, 0, point);
}

QString stress(float value, QChar point) {
    return finite_field(QStringLiteral("0.0000"), value, 0, point);
}

void append_closing_lines(QStringList& lines, const QString& source_label, const QString& filename,
                          const TStressTensor& st, QChar point) {
    lines << QString() << source_label + one_line(filename)
          << QStringLiteral("# designated stress state:")
          << QStringLiteral("#  ") + angle(st.ax[0].az, point) +
                 finite_field(QStringLiteral("/##0.0"), st.ax[0].pl, 0, point) +
                 angle(st.ax[2].az, point) +
                 finite_field(QStringLiteral("/##0.0"), st.ax[2].pl, 0, point) +
                 finite_field(QStringLiteral(" 0.0000"), st.sr, 0, point);
}

// Plane, lineation and sense of one alternative.
QString full_slip(const TSlipData& sd, QChar point) {
    return angle(sd.Pazpl.az, point) + angle(sd.Pazpl.pl, point) + angle(sd.Lazpl.az, point) +
           angle(sd.Lazpl.pl, point) + u' ' + sense_letter(sd.sense);
}

QString misfit_line(const TFaultData& fd, TMifitMeasure measure, QChar point) {
    QString line = datatype_letter(fd.datatype) + full_slip(fd.SDList.front(), point);
    if (fd.datatype == TDataType::Mec) {
        // Both nodal planes by slip direction, whatever the measure of the representative.
        for (size_t i = 0; i < std::min<size_t>(fd.SDList.size(), 2); ++i)
            line += QStringLiteral(" # misfit (nodal plane ") + QString::number(i + 1) +
                    QStringLiteral(") =") +
                    finite_field(QStringLiteral(" ##0.0"), fd.SDList[i].misfit_angle, 180, point);
    } else {
        for (size_t i = 1; i < fd.SDList.size(); ++i)
            line += QStringLiteral(" &") + angle(fd.SDList[i].Lazpl.az, point) +
                    angle(fd.SDList[i].Lazpl.pl, point);
        const double worst = max_misfit(measure);
        line += QStringLiteral(" # misfit= ") +
                finite_field(QStringLiteral("##0.0"), fd.rep_misfit, worst, point);
    }
    return line + QStringLiteral(", Sn= ") + stress(fd.get_rep_normal_stress(), point) +
           QStringLiteral(", tau= ") + stress(fd.get_rep_shear_stress(), point);
}

bool fail(const QString& path, const QString& reason, QString* error) {
    if (error)
        *error = QStringLiteral("Cannot write file [%1]: %2").arg(path, reason);
    return false;
}

bool nothing_to_do(const QString& path, QString* error) {
    if (!path.isEmpty())
        return false;
    if (error)
        error->clear();
    return true;
}

} // namespace

bool save_data_misfit(const QString& path, const TFaultDataSet& FDSet,
                      const QString& FD_loaded_filename, const TStressTensor& designated,
                      TMifitMeasure measure, QString* error) {
    if (nothing_to_do(path, error))
        return true;
    const QChar point = locale_decimal_point();
    QStringList lines;
    lines.reserve(FDSet.count() + 4);
    for (int k = 0; k < FDSet.count(); ++k) {
        const TFaultData& fd = FDSet.FDList[size_t(k)];
        // Without a representative the stresses are unknown (get_rep_* would throw), and any
        // number written instead would be made up.
        if (fd.rep_isd < 0 || fd.rep_isd >= int(fd.SDList.size()))
            return fail(path, QStringLiteral("fault datum #%1 has no computed misfit.").arg(k + 1),
                        error);
        lines << misfit_line(fd, measure, point);
    }
    append_closing_lines(lines, QStringLiteral("# source file = "), FD_loaded_filename, designated,
                         point);
    return write_text_lines(path, lines, error);
}

bool save_data_theoretical(const QString& path, const TFaultDataSet& theoretical,
                           const QString& FD_loaded_filename, const TStressTensor& designated,
                           QString* error) {
    if (nothing_to_do(path, error))
        return true;
    const QChar point = locale_decimal_point();
    QStringList lines;
    lines.reserve(theoretical.count() + 4);
    for (int k = 0; k < theoretical.count(); ++k) {
        const TFaultData& fd = theoretical.FDList[size_t(k)];
        // The analysis leaves a datum without alternatives empty here; skipping it would shift
        // every later line against the loaded data.
        if (fd.SDList.empty())
            return fail(path, QStringLiteral("fault datum #%1 has no theoretical slip.").arg(k + 1),
                        error);
        lines << datatype_letter(fd.datatype) + full_slip(fd.SDList.front(), point);
    }
    append_closing_lines(lines, QStringLiteral("# source file (fault plane) = "),
                         FD_loaded_filename, designated, point);
    return write_text_lines(path, lines, error);
}
