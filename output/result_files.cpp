#include "output/result_files.h"

#include "core/number_text.h"
#include "core/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

// The shortest decimal that reads back as the same single (std::from_chars for float, as the
// fault-datum reader converts), without exponent.
QByteArray shortest(float value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return QByteArray(buffer, int(result.ptr - buffer));
}

// A number of the CGP file: the CGP reader converts to double and then to single, which for a
// decimal close to the middle between two singles can round differently from a conversion to
// single; such a number gets the 17 digits that make the double of the single itself.
QByteArray cgp_number(float value) {
    QByteArray text = shortest(value);
    double read = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), read);
    if (float(read) == value)
        return text;
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "%.17g", double(value));
    return QByteArray(buffer, n);
}

QString datum_number(float value, QChar decimal_point) {
    QString text = QString::fromLatin1(shortest(value));
    if (decimal_point != u'.')
        text.replace(u'.', decimal_point);
    return text;
}

bool finite(const Tazpl& a) {
    return std::isfinite(a.az) && std::isfinite(a.pl);
}

// The datum as the inversion-result reader reads it: type, plane, lineation and sense of the
// first alternative; for Sen every further slip after "&".
std::optional<QString> datum_line(const TFaultData& fd, QChar decimal_point) {
    const TSlipData& first = fd.SDList.front();
    if (!finite(first.Pazpl) || !finite(first.Lazpl))
        return std::nullopt;
    const auto number = [decimal_point](float v) { return datum_number(v, decimal_point); };
    QString line = QString(datatype_letter(fd.datatype)) + u' ' + number(first.Pazpl.az) + u' ' +
                   number(first.Pazpl.pl) + u' ' + number(first.Lazpl.az) + u' ' +
                   number(first.Lazpl.pl) + u' ' + sense_letter(first.sense);
    if (fd.datatype == TDataType::Sen)
        for (std::size_t k = 1; k < fd.SDList.size(); ++k) {
            const TSlipData& sd = fd.SDList[k];
            if (!finite(sd.Lazpl))
                return std::nullopt;
            line += QStringLiteral(" & ") + number(sd.Lazpl.az) + u' ' + number(sd.Lazpl.pl) +
                    u' ' + sense_letter(sd.sense);
        }
    return line;
}

bool fail(const QString& path, const QString& reason, QString* error) {
    if (error)
        *error = QStringLiteral("Cannot write file [%1]: %2").arg(path, reason);
    return false;
}

} // namespace

QString cgp_path_for_result(const QString& result_path) {
    const QString path = QDir::fromNativeSeparators(result_path);
    return path.left(path.lastIndexOf(u'/') + 1) + QFileInfo(path).completeBaseName() +
           QStringLiteral(".cgp");
}

bool save_inversion_result(const QString& result_path, const TFaultDataSet& data,
                           const std::vector<TInversionCandidate>& candidates, QString* error,
                           QChar decimal_point) {
    const QString cgp_path = cgp_path_for_result(result_path);
    const QString cgp_name = QFileInfo(cgp_path).fileName();
    if (QFileInfo(result_path).suffix().compare(QStringLiteral("cgp"), Qt::CaseInsensitive) == 0)
        return fail(result_path,
                    QStringLiteral("a result cannot have the extension of its CGP file."), error);
    if (cgp_name.contains(u'\r') || cgp_name.contains(u'\n'))
        return fail(result_path, QStringLiteral("the name of the CGP file holds a line break."),
                    error);
    if (std::none_of(candidates.begin(), candidates.end(),
                     [](const TInversionCandidate& c) { return c.fitness > 0; }))
        return fail(result_path, QStringLiteral("no stress state of positive fitness to write."),
                    error);

    QByteArray cgp = QByteArray::number(qsizetype(candidates.size())) + "\r\n";
    cgp.reserve(qsizetype(candidates.size()) * 24 + 16);
    for (const TInversionCandidate& c : candidates) {
        if (!finite(c.sigma1) || !finite(c.sigma3) || !std::isfinite(c.ratio))
            return fail(cgp_path, QStringLiteral("a stress state has a number that is not finite."),
                        error);
        cgp += cgp_number(c.sigma1.az) + ' ' + cgp_number(c.sigma1.pl) + ' ' +
               cgp_number(c.sigma3.az) + ' ' + cgp_number(c.sigma3.pl) + ' ' + cgp_number(c.ratio) +
               "\r\n";
    }

    QStringList lines;
    for (const TFaultData& fd : data.FDList) {
        if (fd.SDList.empty())
            continue; // nothing the reader could make of it
        const std::optional<QString> line = datum_line(fd, decimal_point);
        if (!line)
            return fail(result_path,
                        QStringLiteral("a fault datum has an orientation that is not finite."),
                        error);
        lines.append(*line);
    }
    QByteArray result;
    append_text_line(result, QString::number(lines.size()));
    for (const QString& line : lines)
        append_text_line(result, line);
    append_text_line(result, QString::number(candidates.size())); // states
    append_text_line(result, QString::number(candidates.size())); // fitness lines
    append_text_line(result, cgp_name);
    for (std::size_t i = 0; i < candidates.size(); ++i)
        append_text_line(result, QStringLiteral("%1 %2").arg(i + 1).arg(candidates[i].fitness));

    // The CGP file this one replaces, to be put back if the result cannot be written.
    std::optional<QByteArray> previous;
    if (const QFileInfo info(cgp_path); info.exists() && info.isFile()) {
        QFile old(cgp_path);
        if (!old.open(QIODevice::ReadOnly))
            return fail(cgp_path, old.errorString(), error);
        previous = old.readAll();
    }
    if (!write_file_atomically(cgp_path, cgp, error))
        return false;
    if (!write_file_atomically(result_path, result, error)) {
        if (previous)
            write_file_atomically(cgp_path, *previous, nullptr);
        else
            QFile::remove(cgp_path);
        return false;
    }
    return true;
}
