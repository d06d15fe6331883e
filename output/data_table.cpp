#include "output/data_table.h"

#include "core/text_file.h"

#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// The shortest text that reads back as the same single-precision value.
QByteArray number_text(float value) {
    if (!std::isfinite(value))
        return QByteArray();
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? QByteArray(buffer, int(end - buffer)) : QByteArray();
}

// One row's cells: a number, a text, or nothing.
struct TCell {
    enum class Kind { Number, Text, None } kind = Kind::None;
    QByteArray text;
};

TCell number(float value) {
    const QByteArray text = number_text(value);
    return text.isEmpty() ? TCell{} : TCell{TCell::Kind::Number, text};
}
TCell integer(int value) {
    return {TCell::Kind::Number, QByteArray::number(value)};
}
TCell letter(QChar c) {
    return {TCell::Kind::Text, QString(c).toUtf8()};
}

std::vector<TCell> row_of(int k, const TFaultData& fd, const TFaultData* theo, bool analysed) {
    const TSlipData& first = fd.SDList.front();
    std::vector<TCell> row{integer(k + 1),
                           letter(datatype_letter(fd.datatype)),
                           number(first.Pazpl.az),
                           number(first.Pazpl.pl),
                           number(first.Lazpl.az),
                           number(first.Lazpl.pl),
                           letter(sense_letter(first.sense))};
    const bool has_rep = analysed && fd.rep_isd >= 0 && std::size_t(fd.rep_isd) < fd.SDList.size();
    if (has_rep) {
        const TSlipData& rep = fd.SDList[std::size_t(fd.rep_isd)];
        row.insert(row.end(),
                   {integer(fd.rep_isd + 1), number(fd.rep_misfit), number(rep.misfit_angle),
                    number(rep.d_to_Fry_arc), number(rep.normal_stress), number(rep.shear_stress)});
    } else {
        row.resize(row.size() + 6);
    }
    if (has_rep && theo && !theo->SDList.empty()) {
        const TSlipData& t = theo->SDList.front();
        row.insert(row.end(),
                   {number(t.Lazpl.az), number(t.Lazpl.pl), letter(sense_letter(t.sense))});
    } else {
        row.resize(row.size() + 3);
    }
    return row;
}

template <class TakeRow>
void for_each_row(const TFaultDataSet& set, const TFaultDataSet& theoretical, bool analysed,
                  TakeRow&& take_row) {
    for (int k = 0; k < set.count(); ++k) {
        const TFaultData& fd = set.FDList[std::size_t(k)];
        if (fd.SDList.empty())
            continue;
        const TFaultData* theo =
            k < theoretical.count() ? &theoretical.FDList[std::size_t(k)] : nullptr;
        take_row(row_of(k, fd, theo, analysed));
    }
}

} // namespace

QStringList data_table_keys() {
    return {QStringLiteral("number"),
            QStringLiteral("kind"),
            QStringLiteral("dip_direction"),
            QStringLiteral("dip"),
            QStringLiteral("trend"),
            QStringLiteral("plunge"),
            QStringLiteral("sense"),
            QStringLiteral("representative"),
            QStringLiteral("misfit"),
            QStringLiteral("misfit_angle"),
            QStringLiteral("fry_distance"),
            QStringLiteral("normal_stress"),
            QStringLiteral("shear_stress"),
            QStringLiteral("theoretical_trend"),
            QStringLiteral("theoretical_plunge"),
            QStringLiteral("theoretical_sense")};
}

QByteArray data_table_csv(const TFaultDataSet& set, const TFaultDataSet& theoretical,
                          bool analysed) {
    QByteArray out = data_table_keys().join(u',').toUtf8() + "\r\n";
    for_each_row(set, theoretical, analysed, [&](const std::vector<TCell>& row) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                out += ',';
            out += row[i].text;
        }
        out += "\r\n";
    });
    return out;
}

QByteArray data_table_json(const TFaultDataSet& set, const TFaultDataSet& theoretical,
                           bool analysed) {
    const QStringList keys = data_table_keys();
    QByteArray out = "[";
    bool first_row = true;
    for_each_row(set, theoretical, analysed, [&](const std::vector<TCell>& row) {
        out += first_row ? "\n  {" : ",\n  {";
        first_row = false;
        for (std::size_t i = 0; i < row.size(); ++i) {
            out += (i > 0 ? ", \"" : "\"") + keys[qsizetype(i)].toUtf8() + "\": ";
            switch (row[i].kind) {
            case TCell::Kind::Number:
                out += row[i].text;
                break;
            case TCell::Kind::Text:
                out += '"' + row[i].text + '"'; // a letter: nothing to escape
                break;
            case TCell::Kind::None:
                out += "null";
                break;
            }
        }
        out += '}';
    });
    out += first_row ? "]\n" : "\n]\n";
    return out;
}

bool save_data_table(const QString& path, const TFaultDataSet& set,
                     const TFaultDataSet& theoretical, bool analysed, QString* error) {
    if (path.isEmpty())
        return true;
    const bool json =
        QFileInfo(path).suffix().compare(QStringLiteral("json"), Qt::CaseInsensitive) == 0;
    return write_file_atomically(path,
                                 json ? data_table_json(set, theoretical, analysed)
                                      : data_table_csv(set, theoretical, analysed),
                                 error);
}
