#include "faults/table_reader.h"

#include "core/number_text.h"
#include "core/string_operations.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

const QString routine_name = QStringLiteral("read_FD");
constexpr double on_plane_tolerance = 0.5; // degrees: measuring noise, kept as measured
constexpr int sample_lines = 20;           // lines looked at to tell the delimiter

bool is_blank(QChar c) {
    return c == u' ' || c == u'\t' || c.unicode() < 32;
}

// A cell without its quotes, "" standing for one quote.
QString unquoted(QStringView cell) {
    const QStringView t = trim_control(cell);
    if (t.size() < 2 || t.front() != u'"' || t.back() != u'"')
        return t.toString();
    QString out = t.sliced(1, t.size() - 2).toString();
    out.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return out;
}

// The cells of one line; quotes protect delimiters.
QStringList split_cells(QStringView line, QChar delimiter) {
    QStringList cells;
    const bool blanks = delimiter == u' ';
    bool quoted = false;
    qsizetype start = 0;
    const QStringView t = trim_control(line);
    for (qsizetype i = 0; i <= t.size(); ++i) {
        const bool end = i == t.size();
        const QChar c = end ? QChar() : t[i];
        if (!end && c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (!end && (quoted || (blanks ? !is_blank(c) : c != delimiter)))
            continue;
        cells.append(unquoted(t.sliced(start, i - start)));
        if (blanks)
            while (i + 1 < t.size() && is_blank(t[i + 1]))
                ++i;
        start = i + 1;
    }
    return cells;
}

// Delimiters outside quotes.
int count_outside_quotes(QStringView line, QChar delimiter) {
    int count = 0;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == delimiter)
            ++count;
    }
    return count;
}

// The first of tab, semicolon and comma that every sampled line holds equally often; else the
// one most lines hold; else blanks.
QChar detect_delimiter(const std::vector<QStringView>& lines) {
    static constexpr std::array<char16_t, 3> candidates{u'\t', u';', u','};
    QChar best = u' ';
    std::size_t best_lines = 0;
    for (const char16_t candidate : candidates) {
        std::size_t holding = 0;
        bool equal = true;
        int first_count = -1;
        for (const QStringView line : lines) {
            const int count = count_outside_quotes(line, candidate);
            holding += count > 0 ? 1 : 0;
            if (first_count < 0)
                first_count = count;
            equal = equal && count == first_count;
        }
        if (equal && first_count > 0)
            return candidate;
        if (holding > best_lines) {
            best = candidate;
            best_lines = holding;
        }
    }
    return best_lines == lines.size() ? best : QChar(u' ');
}

struct TCells {
    const TTableRow& row;
    const TTableLayout& layout;
    const std::vector<TColumnRole>& roles;

    int column(TColumnRole role) const {
        for (std::size_t k = 0; k < roles.size(); ++k)
            if (roles[k] == role)
                return int(k);
        return -1;
    }
    bool has(TColumnRole role) const { return !text(role).isEmpty(); }
    QString text(TColumnRole role) const {
        const int k = column(role);
        return k >= 0 && k < row.cells.size() ? row.cells[k].trimmed() : QString();
    }
    QString column_name(TColumnRole role) const {
        const int k = column(role);
        if (layout.header && k < layout.names.size() && !layout.names[k].trimmed().isEmpty())
            return layout.names[k].trimmed();
        return QString::number(k + 1);
    }
    QString problem(TColumnRole role, const QString& what) const {
        return QStringLiteral("row %1, column %2: %3").arg(row.line).arg(column_name(role), what);
    }
    QString bad(TColumnRole role, const QString& expected) const {
        const QString cell = text(role);
        if (cell.isEmpty())
            return problem(role, QStringLiteral("empty, %1 expected").arg(expected));
        return problem(role, QStringLiteral("\"%1\" is not %2").arg(cell, expected));
    }
};

struct TPlane {
    double dip_direction = 0, dip = 0;
};

std::optional<TPlane> plane_of(const TCells& cells, const TTableOptions& options,
                               QString& problem) {
    const std::optional<TAngleWithDirection> dip =
        angle_with_direction(cells.text(TColumnRole::Dip), cells.layout.decimal_comma);
    if (!dip) {
        problem = cells.bad(TColumnRole::Dip, QStringLiteral("a dip"));
        return std::nullopt;
    }
    TPlane plane;
    plane.dip = dip->angle;
    if (cells.column(TColumnRole::DipDir) >= 0) {
        const std::optional<double> dd =
            bearing_from_text(cells.text(TColumnRole::DipDir), cells.layout.decimal_comma);
        if (!dd) {
            problem = cells.bad(TColumnRole::DipDir, QStringLiteral("a dip direction"));
            return std::nullopt;
        }
        plane.dip_direction = *dd;
        return plane;
    }
    const std::optional<double> strike =
        bearing_from_text(cells.text(TColumnRole::Strike), cells.layout.decimal_comma);
    if (!strike) {
        problem = cells.bad(TColumnRole::Strike, QStringLiteral("a strike"));
        return std::nullopt;
    }
    std::optional<double> quadrant = dip->direction;
    if (cells.has(TColumnRole::Quadrant)) {
        quadrant = compass_azimuth(cells.text(TColumnRole::Quadrant));
        if (!quadrant) {
            problem = cells.bad(TColumnRole::Quadrant, QStringLiteral("a dip quadrant"));
            return std::nullopt;
        }
    }
    if (!quadrant) {
        plane.dip_direction = dip_direction_by_rule(*strike, options.strike_rule);
        return plane;
    }
    const std::optional<double> dd = dip_direction_toward(*strike, *quadrant);
    if (!dd) {
        problem = cells.problem(cells.has(TColumnRole::Quadrant) ? TColumnRole::Quadrant
                                                                 : TColumnRole::Dip,
                                QStringLiteral("the dip quadrant lies along the strike"));
        return std::nullopt;
    }
    plane.dip_direction = *dd;
    return plane;
}

std::optional<double> number_of(const TCells& cells, TColumnRole role) {
    return table_number(cells.text(role), cells.layout.decimal_comma);
}

Tazpl plane_azpl(const TPlane& p) {
    return make_azpl(float(p.dip_direction), float(p.dip));
}

// The slip vector a plane, lineation and sense give.
Tvector3 slip_vector(const TPlane& plane, const Tazpl& lineation, TSense sense) {
    TSlipData sd;
    sd.Pazpl = plane_azpl(plane);
    sd.Lazpl = lineation;
    sd.sense = sense;
    compose_slip_data_vectors(sd);
    return sd.v;
}

} // namespace

std::optional<TColumnRole> role_from_header(QStringView name) {
    static const std::array<std::pair<QString, TColumnRole>, 30> names{{
        {QStringLiteral("kind"), TColumnRole::Kind},
        {QStringLiteral("type"), TColumnRole::Kind},
        {QStringLiteral("datatype"), TColumnRole::Kind},
        {QStringLiteral("dipdir"), TColumnRole::DipDir},
        {QStringLiteral("dipdirection"), TColumnRole::DipDir},
        {QStringLiteral("dd"), TColumnRole::DipDir},
        {QStringLiteral("azimuth"), TColumnRole::DipDir},
        {QStringLiteral("dipazimuth"), TColumnRole::DipDir},
        {QStringLiteral("dipaz"), TColumnRole::DipDir},
        {QStringLiteral("strike"), TColumnRole::Strike},
        {QStringLiteral("strikeazimuth"), TColumnRole::Strike},
        {QStringLiteral("dip"), TColumnRole::Dip},
        {QStringLiteral("dipangle"), TColumnRole::Dip},
        {QStringLiteral("quadrant"), TColumnRole::Quadrant},
        {QStringLiteral("dipquadrant"), TColumnRole::Quadrant},
        {QStringLiteral("trend"), TColumnRole::Trend},
        {QStringLiteral("lineationtrend"), TColumnRole::Trend},
        {QStringLiteral("sliptrend"), TColumnRole::Trend},
        {QStringLiteral("plunge"), TColumnRole::Plunge},
        {QStringLiteral("lineationplunge"), TColumnRole::Plunge},
        {QStringLiteral("slipplunge"), TColumnRole::Plunge},
        {QStringLiteral("rake"), TColumnRole::Rake},
        {QStringLiteral("pitch"), TColumnRole::Pitch},
        {QStringLiteral("pitchdir"), TColumnRole::PitchDir},
        {QStringLiteral("pitchdirection"), TColumnRole::PitchDir},
        {QStringLiteral("sense"), TColumnRole::Sense},
        {QStringLiteral("slipsense"), TColumnRole::Sense},
        {QStringLiteral("movement"), TColumnRole::Sense},
        {QStringLiteral("skip"), TColumnRole::Skip},
        {QStringLiteral("ignore"), TColumnRole::Skip},
    }};
    return word_value(names, name);
}

QString role_name(TColumnRole role) {
    switch (role) {
    case TColumnRole::Skip:
        return QStringLiteral("skip");
    case TColumnRole::Kind:
        return QStringLiteral("kind");
    case TColumnRole::DipDir:
        return QStringLiteral("dipdir");
    case TColumnRole::Strike:
        return QStringLiteral("strike");
    case TColumnRole::Dip:
        return QStringLiteral("dip");
    case TColumnRole::Quadrant:
        return QStringLiteral("quadrant");
    case TColumnRole::Trend:
        return QStringLiteral("trend");
    case TColumnRole::Plunge:
        return QStringLiteral("plunge");
    case TColumnRole::Rake:
        return QStringLiteral("rake");
    case TColumnRole::Pitch:
        return QStringLiteral("pitch");
    case TColumnRole::PitchDir:
        return QStringLiteral("pitchdir");
    case TColumnRole::Sense:
        return QStringLiteral("sense");
    }
    return QString();
}

std::optional<TColumnRole> role_from_name(QStringView name) {
    for (int k = 0; k <= int(TColumnRole::Sense); ++k)
        if (name.trimmed() == role_name(TColumnRole(k)))
            return TColumnRole(k);
    return std::nullopt;
}

std::optional<std::vector<TColumnRole>> roles_from_list(QStringView list) {
    std::vector<TColumnRole> roles;
    for (const QStringView name : list.split(u',')) {
        const std::optional<TColumnRole> role = role_from_name(name);
        if (!role)
            return std::nullopt;
        roles.push_back(*role);
    }
    return roles;
}

TTable split_table(QStringView text, std::optional<QChar> delimiter, std::optional<bool> header) {
    TTable table;
    std::vector<std::pair<int, QStringView>> lines;
    int number = 0;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = at;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        ++number;
        const QStringView line = trim_control(text.sliced(at, end - at));
        if (!line.isEmpty() && line.front() != u'#')
            lines.emplace_back(number, line);
        at = end + (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n' ? 2 : 1);
    }
    std::vector<QStringView> sample;
    for (std::size_t k = 0; k < lines.size() && k < std::size_t(sample_lines); ++k)
        sample.push_back(lines[k].second);
    TTableLayout& layout = table.layout;
    layout.delimiter = delimiter        ? *delimiter
                       : sample.empty() ? QChar(u',')
                                        : detect_delimiter(sample);
    layout.decimal_comma = layout.delimiter == u';' || layout.delimiter == u'\t';
    table.rows.reserve(lines.size());
    for (const auto& [line_number, line] : lines)
        table.rows.push_back({line_number, split_cells(line, layout.delimiter)});
    // A first row without a single number names the columns.
    if (!table.rows.empty()) {
        const TTableRow& first = table.rows.front();
        bool numbers = false;
        for (const QString& cell : first.cells)
            numbers = numbers || table_number(cell, layout.decimal_comma).has_value();
        if (header.value_or(!numbers)) {
            layout.header = true;
            layout.header_line = first.line;
            layout.names = first.cells;
            table.rows.erase(table.rows.begin());
        }
    }
    return table;
}

std::vector<TColumnRole> table_roles(const TTableLayout& layout, const TTableOptions& options) {
    if (options.columns)
        return *options.columns;
    std::vector<TColumnRole> roles;
    if (!layout.header)
        return roles;
    for (const QString& name : layout.names)
        roles.push_back(role_from_header(name).value_or(TColumnRole::Skip));
    return roles;
}

bool roles_complete(const std::vector<TColumnRole>& roles) {
    const auto has = [&](TColumnRole role) {
        return std::find(roles.begin(), roles.end(), role) != roles.end();
    };
    const bool plane =
        has(TColumnRole::Dip) && (has(TColumnRole::DipDir) || has(TColumnRole::Strike));
    const bool slip = (has(TColumnRole::Trend) && has(TColumnRole::Plunge)) ||
                      has(TColumnRole::Rake) || has(TColumnRole::Pitch);
    return plane && slip;
}

TRowDatum row_to_datum(const TTableRow& row, const TTableLayout& layout,
                       const std::vector<TColumnRole>& roles, const TTableOptions& options) {
    const TCells cells{row, layout, roles};
    TRowDatum out;
    TDataType kind = TDataType::Ful;
    if (cells.has(TColumnRole::Kind)) {
        const std::optional<TDataType> k = datatype_from_text(cells.text(TColumnRole::Kind));
        if (!k) {
            out.problem = cells.bad(TColumnRole::Kind, QStringLiteral("a kind (F, M, L or S)"));
            return out;
        }
        kind = *k;
    }
    const std::optional<TPlane> plane = plane_of(cells, options, out.problem);
    if (!plane)
        return out;

    std::optional<TSense> given;
    if (cells.has(TColumnRole::Sense)) {
        given = sense_from_text(cells.text(TColumnRole::Sense));
        if (!given) {
            out.problem = cells.bad(TColumnRole::Sense, QStringLiteral("a sense of slip"));
            return out;
        }
    }
    Tazpl lineation;
    TSense sense = given.value_or(TSense::U);
    const bool by_trend = cells.column(TColumnRole::Trend) >= 0 &&
                          cells.column(TColumnRole::Plunge) >= 0 &&
                          (cells.has(TColumnRole::Trend) || cells.column(TColumnRole::Rake) < 0) &&
                          (cells.has(TColumnRole::Trend) || cells.column(TColumnRole::Pitch) < 0);
    if (by_trend) {
        const std::optional<double> trend =
            bearing_from_text(cells.text(TColumnRole::Trend), cells.layout.decimal_comma);
        if (!trend) {
            out.problem = cells.bad(TColumnRole::Trend, QStringLiteral("a trend"));
            return out;
        }
        const std::optional<double> plunge = number_of(cells, TColumnRole::Plunge);
        if (!plunge) {
            out.problem = cells.bad(TColumnRole::Plunge, QStringLiteral("a plunge"));
            return out;
        }
        lineation = make_azpl(float(*trend), float(*plunge));
        const double off = angle_off_plane(plane_azpl(*plane), lineation);
        if (off > options.lineation_tolerance) {
            out.problem = QStringLiteral("row %1: lineation %2° off its plane")
                              .arg(row.line)
                              .arg(format_float(QStringLiteral("0.0"), off, u'.'));
            return out;
        }
        if (off > on_plane_tolerance) {
            lineation = project_onto_plane(plane_azpl(*plane), lineation);
            out.projected = true;
        }
    } else if (cells.column(TColumnRole::Rake) >= 0 && cells.has(TColumnRole::Rake)) {
        const std::optional<double> rake = number_of(cells, TColumnRole::Rake);
        if (!rake || *rake < -180 || *rake > 180) {
            out.problem = cells.bad(TColumnRole::Rake, QStringLiteral("a rake in [-180, 180]"));
            return out;
        }
        const TSlipFromRake slip = slip_from_rake(plane->dip_direction, plane->dip, *rake);
        lineation = slip.lineation;
        sense = slip.sense;
        // A sense given beside the rake must move the hanging wall the rake's way.
        if (given && dot_product3(slip_vector(*plane, lineation, *given),
                                  slip_vector(*plane, lineation, slip.sense)) <= 0) {
            out.problem = cells.problem(
                TColumnRole::Sense,
                QStringLiteral("\"%1\" contradicts the rake").arg(cells.text(TColumnRole::Sense)));
            return out;
        }
        if (given && (*given == TSense::N || *given == TSense::R || *given == TSense::S ||
                      *given == TSense::D))
            sense = *given;
    } else if (cells.column(TColumnRole::Pitch) >= 0) {
        const std::optional<TAngleWithDirection> pitch =
            angle_with_direction(cells.text(TColumnRole::Pitch), layout.decimal_comma);
        if (!pitch || pitch->angle < 0 || pitch->angle > 90) {
            out.problem = cells.bad(TColumnRole::Pitch, QStringLiteral("a pitch in [0, 90]"));
            return out;
        }
        std::optional<double> end = pitch->direction;
        if (cells.has(TColumnRole::PitchDir))
            end = compass_azimuth(cells.text(TColumnRole::PitchDir));
        if (!end) {
            const TColumnRole at = cells.column(TColumnRole::PitchDir) >= 0 ? TColumnRole::PitchDir
                                                                            : TColumnRole::Pitch;
            out.problem = cells.bad(
                at, QStringLiteral("the end of the strike line the pitch is measured from"));
            return out;
        }
        const std::optional<Tazpl> l =
            lineation_from_pitch(plane->dip_direction, plane->dip, pitch->angle, *end);
        if (!l) {
            out.problem =
                cells.problem(cells.column(TColumnRole::PitchDir) >= 0 ? TColumnRole::PitchDir
                                                                       : TColumnRole::Pitch,
                              QStringLiteral("the pitch direction lies across the strike"));
            return out;
        }
        lineation = *l;
    } else {
        out.problem = cells.bad(TColumnRole::Rake, QStringLiteral("a rake"));
        return out;
    }

    TSlipData sd;
    sd.Pazpl = plane_azpl(*plane);
    sd.Lazpl = lineation;
    sd.sense = sense;
    compose_slip_data_vectors(sd);
    TFaultData datum;
    datum.datatype = kind;
    datum.SDList.push_back(sd);
    if (kind == TDataType::Mec)
        datum.SDList.push_back(compose_second_nodal_plane(datum.SDList.front()));
    out.datum = std::move(datum);
    return out;
}

QString datum_line(const TFaultData& datum, QChar decimal_point) {
    const auto number = [decimal_point](float v) {
        return format_float(QStringLiteral("0.0"), v, decimal_point);
    };
    const TSlipData& first = datum.SDList.front();
    QString line = QStringLiteral("%1 %2 %3 %4 %5 %6")
                       .arg(datatype_letter(datum.datatype))
                       .arg(number(first.Pazpl.az), number(first.Pazpl.pl), number(first.Lazpl.az),
                            number(first.Lazpl.pl))
                       .arg(sense_letter(first.sense));
    if (datum.datatype == TDataType::Sen)
        for (std::size_t k = 1; k < datum.SDList.size(); ++k) {
            const TSlipData& sd = datum.SDList[k];
            line += QStringLiteral(" & %1 %2 %3")
                        .arg(number(sd.Lazpl.az), number(sd.Lazpl.pl))
                        .arg(sense_letter(sd.sense));
        }
    return line;
}

TTableReadResult read_fault_data_table(QStringView text, const QString& path,
                                       const TTableOptions& options, TFaultDataSet& set,
                                       EventLog& log) {
    TTableReadResult result;
    const TTable table = split_table(text, options.delimiter, options.header);
    const std::vector<TColumnRole> roles = table_roles(table.layout, options);
    if (!roles_complete(roles))
        return result;
    result.columns_known = true;
    result.rows = int(table.rows.size());
    set.clear_FD();
    set.FDList.reserve(table.rows.size());
    for (const TTableRow& row : table.rows) {
        TRowDatum r = row_to_datum(row, table.layout, roles, options);
        if (!r.datum) {
            ++result.skipped;
            result.problems.append(r.problem);
            continue;
        }
        result.projected += r.projected ? 1 : 0;
        const TSlipData& sd = r.datum->SDList.front();
        // As in a data file: the first orientation out of range is logged, once per file.
        if (!result.orientation_error)
            result.orientation_error = check_azpl(sd.Pazpl, routine_name, path, row.line, log);
        if (!result.orientation_error)
            result.orientation_error = check_azpl(sd.Lazpl, routine_name, path, row.line, log);
        set.FDList.push_back(std::move(*r.datum));
    }
    return result;
}

QString table_report(const TTableReadResult& result, const TTableOptions& options) {
    QStringList lines = result.problems;
    if (result.skipped > 0)
        lines.append(
            QStringLiteral("%1 rows read, %2 skipped").arg(result.rows).arg(result.skipped));
    if (result.projected > 0)
        lines.append(
            QStringLiteral("%1 lineations projected onto their planes (up to %2° off)")
                .arg(result.projected)
                .arg(format_float(QStringLiteral("0.#"), options.lineation_tolerance, u'.')));
    return lines.join(u'\n');
}

QString columns_unknown_message(const QString& path, const QString& remedy) {
    return QStringLiteral("Cannot tell the columns of [%1]: name them in the header or %2")
        .arg(path, remedy);
}
