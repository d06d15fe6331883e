#include "output/data_files.h"

#include "faults/table_reader.h"

#include "core/text_file.h"
#include "output/text_fields.h"

#include <algorithm>

namespace {

// The patterns of both files, parsed once a file: per field they would cost more than the rest.
struct TFormats {
    explicit TFormats(QChar point)
        : angle(QStringLiteral(" ##0.0"), point), misfit(QStringLiteral("##0.0"), point),
          plunge(QStringLiteral("/##0.0"), point), stress(QStringLiteral("0.0000"), point),
          ratio(QStringLiteral(" 0.0000"), point) {}
    TNumberFormat angle, misfit, plunge, stress, ratio;
};

void append_angle(QByteArray& bytes, float value, const TFormats& f) {
    append_finite_field(bytes, f.angle, value, 0);
}

void append_closing_lines(QByteArray& bytes, const QString& source_label, const QString& filename,
                          const TStressTensor& st, const TFormats& f) {
    end_text_line(bytes);
    append_text_line(bytes, source_label + one_line(filename));
    append_text_line(bytes, u"# designated stress state:");
    bytes += "#  ";
    append_angle(bytes, st.ax[0].az, f);
    append_finite_field(bytes, f.plunge, st.ax[0].pl, 0);
    append_angle(bytes, st.ax[2].az, f);
    append_finite_field(bytes, f.plunge, st.ax[2].pl, 0);
    append_finite_field(bytes, f.ratio, st.sr, 0);
    end_text_line(bytes);
}

// Plane, lineation and sense of one alternative.
void append_full_slip(QByteArray& bytes, const TSlipData& sd, const TFormats& f) {
    append_angle(bytes, sd.Pazpl.az, f);
    append_angle(bytes, sd.Pazpl.pl, f);
    append_angle(bytes, sd.Lazpl.az, f);
    append_angle(bytes, sd.Lazpl.pl, f);
    bytes += ' ';
    append_char(bytes, sense_letter(sd.sense));
}

void append_misfit_line(QByteArray& bytes, const TFaultData& fd, double worst, const TFormats& f) {
    append_char(bytes, datatype_letter(fd.datatype));
    append_full_slip(bytes, fd.SDList.front(), f);
    if (fd.datatype == TDataType::Mec) {
        // Both nodal planes by slip direction, whatever the measure of the representative.
        for (size_t i = 0; i < std::min<size_t>(fd.SDList.size(), 2); ++i) {
            bytes += " # misfit (nodal plane ";
            bytes += static_cast<char>('1' + i);
            bytes += ") =";
            append_finite_field(bytes, f.angle, fd.SDList[i].misfit_angle, 180);
        }
    } else {
        for (size_t i = 1; i < fd.SDList.size(); ++i) {
            bytes += " &";
            append_angle(bytes, fd.SDList[i].Lazpl.az, f);
            append_angle(bytes, fd.SDList[i].Lazpl.pl, f);
        }
        bytes += " # misfit= ";
        append_finite_field(bytes, f.misfit, fd.rep_misfit, worst);
    }
    bytes += ", Sn= ";
    append_finite_field(bytes, f.stress, fd.get_rep_normal_stress(), 0);
    bytes += ", tau= ";
    append_finite_field(bytes, f.stress, fd.get_rep_shear_stress(), 0);
    end_text_line(bytes);
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
                      TMifitMeasure measure, QString* error, QChar decimal_point) {
    if (nothing_to_do(path, error))
        return true;
    const TFormats formats(decimal_point);
    const double worst = max_misfit(measure);
    QByteArray bytes;
    bytes.reserve(qsizetype(FDSet.count()) * 80 + 256);
    for (int k = 0; k < FDSet.count(); ++k) {
        const TFaultData& fd = FDSet.FDList[size_t(k)];
        // Without a representative the stresses are unknown (get_rep_* would throw), and any
        // number written instead would be made up.
        if (fd.rep_isd < 0 || fd.rep_isd >= int(fd.SDList.size()))
            return fail(path, QStringLiteral("fault datum #%1 has no computed misfit.").arg(k + 1),
                        error);
        append_misfit_line(bytes, fd, worst, formats);
    }
    append_closing_lines(bytes, QStringLiteral("# source file = "), FD_loaded_filename, designated,
                         formats);
    return write_file_atomically(path, bytes, error);
}

bool save_data_theoretical(const QString& path, const TFaultDataSet& theoretical,
                           const QString& FD_loaded_filename, const TStressTensor& designated,
                           QString* error, QChar decimal_point) {
    if (nothing_to_do(path, error))
        return true;
    const TFormats formats(decimal_point);
    QByteArray bytes;
    bytes.reserve(qsizetype(theoretical.count()) * 32 + 256);
    for (int k = 0; k < theoretical.count(); ++k) {
        const TFaultData& fd = theoretical.FDList[size_t(k)];
        // The analysis leaves a datum without alternatives empty here; skipping it would shift
        // every later line against the loaded data.
        if (fd.SDList.empty())
            return fail(path, QStringLiteral("fault datum #%1 has no theoretical slip.").arg(k + 1),
                        error);
        append_char(bytes, datatype_letter(fd.datatype));
        append_full_slip(bytes, fd.SDList.front(), formats);
        end_text_line(bytes);
    }
    append_closing_lines(bytes, QStringLiteral("# source file (fault plane) = "),
                         FD_loaded_filename, designated, formats);
    return write_file_atomically(path, bytes, error);
}

bool save_data_fault_data(const QString& path, const TFaultDataSet& set,
                          const QString& FD_loaded_filename, QString* error, QChar decimal_point) {
    if (nothing_to_do(path, error))
        return true;
    QByteArray bytes;
    bytes.reserve(qsizetype(set.count()) * 32 + 64);
    append_text_line(bytes, QStringLiteral("# fault data from %1").arg(FD_loaded_filename));
    for (const TFaultData& fd : set.FDList)
        if (!fd.SDList.empty())
            append_text_line(bytes, datum_line(fd, decimal_point));
    return write_file_atomically(path, bytes, error);
}
