#include "faults/fd_reader.h"

#include "core/number_text.h"
#include "core/string_operations.h"
#include "core/text_file.h"

#include <vector>

namespace {

const QString routine_name = QStringLiteral("read_FD");

bool is_type_letter(QChar c) {
    return c == u'F' || c == u'M' || c == u'S' || c == u'L';
}

TDataType datatype_from_letter(QChar c) {
    switch (c.unicode()) {
    case 'M':
        return TDataType::Mec;
    case 'L':
        return TDataType::Lin;
    case 'S':
        return TDataType::Sen;
    default:
        return TDataType::Ful;
    }
}

// The tokens of a line, kept as they are cut so that a datum can go back to them, and cut only
// as far as they are asked for. Views into the line, which must outlive this.
class LineTokens {
public:
    LineTokens(QStringView text, QChar delimiter) : cutter_(text, delimiter) {}

    // Whether token i exists.
    bool has(qsizetype i) {
        for (QStringView token; qsizetype(cut_.size()) <= i;) {
            if (!cutter_.next(token))
                return false;
            cut_.push_back(token);
        }
        return true;
    }
    // Token i, which has(i) has found.
    QStringView operator[](qsizetype i) const { return cut_[size_t(i)]; }
    // Puts a token in front of the others.
    void prepend(QStringView token) { cut_.insert(cut_.begin(), token); }

private:
    DelimitedTokens cutter_;
    std::vector<QStringView> cut_;
};

// Why a datum's tokens could not be read: a token is absent, or it does not convert.
enum class TTokenStatus { Ok, Missing, Invalid };

TTokenStatus read_number(LineTokens& tokens, qsizetype at, float& out,
                         const TFDLineContext& context) {
    if (!tokens.has(at))
        return TTokenStatus::Missing;
    return text_to_float(tokens[at], out, context.decimal_point) ? TTokenStatus::Ok
                                                                 : TTokenStatus::Invalid;
}

// Reads an orientation from two tokens, in token order, so that the first fault of a line
// decides how it ends; the range check logs only the first failure of a file.
TTokenStatus read_azpl(LineTokens& tokens, qsizetype at, Tazpl& out, int line_number,
                       TFDLineContext& context) {
    if (const TTokenStatus s = read_number(tokens, at, out.az, context); s != TTokenStatus::Ok)
        return s;
    if (const TTokenStatus s = read_number(tokens, at + 1, out.pl, context); s != TTokenStatus::Ok)
        return s;
    if (!context.orientation_error && context.log)
        context.orientation_error =
            check_azpl(out, routine_name, context.path, line_number, *context.log);
    return TTokenStatus::Ok;
}

// Reads the datum from its tokens, the type letter already decided.
TTokenStatus read_datum_tokens(LineTokens& tokens, int line_number, TFDLineContext& context,
                               TFaultData& datum) {
    TSlipData first;
    if (const TTokenStatus s = read_azpl(tokens, 1, first.Pazpl, line_number, context);
        s != TTokenStatus::Ok)
        return s;
    if (const TTokenStatus s = read_azpl(tokens, 3, first.Lazpl, line_number, context);
        s != TTokenStatus::Ok)
        return s;
    if (!tokens.has(5))
        return TTokenStatus::Missing; // a type letter but no sense letter
    first.sense = sense_from_letter(tokens[5][0]);
    compose_slip_data_vectors(first);
    datum.SDList.push_back(first);

    if (datum.datatype == TDataType::Mec)
        datum.SDList.push_back(compose_second_nodal_plane(datum.SDList.front()));

    if (datum.datatype == TDataType::Sen) {
        // Groups of "&", trend, plunge, sense; the first position without "&" ends the line.
        for (qsizetype at = 6; tokens.has(at + 1) && tokens[at].startsWith(u'&'); at += 4) {
            TSlipData more;
            more.Pazpl = datum.SDList.front().Pazpl;
            if (const TTokenStatus s = read_azpl(tokens, at + 1, more.Lazpl, line_number, context);
                s != TTokenStatus::Ok)
                return s;
            if (!tokens.has(at + 3))
                return TTokenStatus::Missing; // the last group lacks its sense letter
            more.sense = sense_from_letter(tokens[at + 3][0]);
            compose_slip_data_vectors(more);
            datum.SDList.push_back(more);
        }
    }
    return TTokenStatus::Ok;
}

void report_invalid_data(int line_number, const TFDLineContext& context) {
    if (context.messages)
        context.messages->show(QStringLiteral("invalid data at line #") +
                               QString::number(line_number));
}

} // namespace

std::optional<TFaultData> read_fault_datum_line(const QString& line, int line_number,
                                                TFDLineContext& context) {
    QString text = trim_control(line).toString();
    text.replace(u'\t', u' ');
    if (text.isEmpty() || text.startsWith(u'#'))
        return std::nullopt;

    LineTokens tokens(text, u' ');
    if (!tokens.has(4))
        return std::nullopt; // fewer than five tokens
    if (is_number(tokens[0].left(1)))
        tokens.prepend(u"F"); // a line without type letter is a full datum
    if (!is_type_letter(tokens[0][0]))
        return std::nullopt;

    TFaultData datum;
    datum.datatype = datatype_from_letter(tokens[0][0]);
    // A missing token is reported like a bad one here: a data file has no structure to break.
    if (read_datum_tokens(tokens, line_number, context, datum) != TTokenStatus::Ok) {
        report_invalid_data(line_number, context);
        return std::nullopt;
    }
    return datum;
}

TIRDatumStatus read_ir_fault_datum_line(QStringView line, int line_number, TFDLineContext& context,
                                        TFaultData& datum) {
    datum = TFaultData();
    // Tabs stay: only spaces separate tokens in this section.
    LineTokens tokens(line, u' ');
    if (!tokens.has(0))
        return TIRDatumStatus::TooFewTokens;
    if (is_number(tokens[0].left(1)))
        tokens.prepend(u"F");
    datum.datatype = datatype_from_letter(ascii_upper(tokens[0][0]));

    switch (read_datum_tokens(tokens, line_number, context, datum)) {
    case TTokenStatus::Ok:
        return TIRDatumStatus::Read;
    case TTokenStatus::Invalid:
        report_invalid_data(line_number, context);
        datum = TFaultData();
        return TIRDatumStatus::InvalidData;
    case TTokenStatus::Missing:
        break;
    }
    datum = TFaultData();
    return TIRDatumStatus::TooFewTokens;
}

TFDReadResult read_fault_data_lines(const QStringList& lines, const QString& path,
                                    TFaultDataSet& set, EventLog& log, Messages& messages) {
    set.clear_FD();
    set.FDList.reserve(static_cast<size_t>(lines.size()));
    TFDLineContext context{path, &log, &messages, false, locale_decimal_point()};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (auto datum = read_fault_datum_line(lines[i], static_cast<int>(i + 1), context))
            set.FDList.push_back(std::move(*datum));
    }
    set.FDList.shrink_to_fit();

    TFDReadResult result;
    result.read = true;
    result.orientation_error = context.orientation_error;
    return result;
}

TFDReadResult read_fault_data_file(const QString& path, TFaultDataSet& set, EventLog& log,
                                   Messages& messages) {
    TTextReadResult text = read_text_lines(path);
    if (!text.ok) {
        TFDReadResult result;
        result.error = text.error;
        return result;
    }
    return read_fault_data_lines(text.lines, path, set, log, messages);
}

QString orientation_error_message(const QString& path) {
    return QStringLiteral("There is at least an error in file [") + path +
           QStringLiteral("].\r\nSee [") + log_file_name + QStringLiteral("].");
}
