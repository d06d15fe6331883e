#include "faults/fd_reader.h"

#include "core/text_file.h"
#include "tests/support/resource_use.h"
#include "tests/support/sparse_file.h"
#include "tests/support/test_support.h"

#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Reading {
    TempFolder folder;
    EventLog log{folder.path(QStringLiteral("QMT.log"))};
    RecordingMessages messages;
    TFaultDataSet set;
    TFDReadResult result;

    void read_lines(const QStringList& lines, const QString& path = QStringLiteral("site.efd")) {
        result = read_fault_data_lines(lines, path, set, log, messages);
    }
    void read_file(const QByteArray& bytes) {
        const QString path = folder.write(QStringLiteral("site.efd"), bytes);
        result = read_fault_data_file(path, set, log, messages);
    }
    QStringList log_lines() const {
        return QString::fromUtf8(folder.read(QStringLiteral("QMT.log")))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
};

TEST(FaultDataReader, ReadsEveryKindOfDatumLine) {
    Reading r;
    r.read_lines({"120 30 200 20 N", "F 120.5 30 200 20 r", "M 40 60 310 5 D",
                  "S 90 80 0 0 S & 180 0 S & 10 5 N", "L 120 30 200 20 U"});
    ASSERT_TRUE(r.result.read);
    EXPECT_TRUE(r.messages.shown.isEmpty());
    ASSERT_EQ(r.set.count(), 5);

    const TFaultData& full = r.set.FDList[0];
    EXPECT_EQ(full.datatype, TDataType::Ful);
    ASSERT_EQ(full.SDList.size(), 1u);
    EXPECT_EQ(full.SDList[0].Pazpl, make_azpl(120, 30));
    EXPECT_EQ(full.SDList[0].Lazpl, make_azpl(200, 20));
    EXPECT_EQ(full.SDList[0].sense, TSense::N);
    EXPECT_LT(full.SDList[0].v.z, 0.0f); // composed

    EXPECT_EQ(r.set.FDList[1].SDList[0].Pazpl.az, 120.5f);
    EXPECT_EQ(r.set.FDList[1].SDList[0].sense, TSense::R);

    const TFaultData& mec = r.set.FDList[2];
    EXPECT_EQ(mec.datatype, TDataType::Mec);
    ASSERT_EQ(mec.SDList.size(), 2u);
    EXPECT_EQ(mec.SDList[1].Pazpl, compose_second_nodal_plane(mec.SDList[0]).Pazpl);

    const TFaultData& sen = r.set.FDList[3];
    EXPECT_EQ(sen.datatype, TDataType::Sen);
    ASSERT_EQ(sen.SDList.size(), 3u);
    for (const TSlipData& sd : sen.SDList)
        EXPECT_EQ(sd.Pazpl, make_azpl(90, 80));
    EXPECT_EQ(sen.SDList[1].Lazpl, make_azpl(180, 0));
    EXPECT_EQ(sen.SDList[2].Lazpl, make_azpl(10, 5));
    EXPECT_EQ(sen.SDList[2].sense, TSense::N);
    EXPECT_LT(sen.SDList[2].v.z, 0.0f);

    EXPECT_EQ(r.set.FDList[4].datatype, TDataType::Lin);
    EXPECT_EQ(r.set.FDList[4].SDList[0].sense, TSense::U);
}

TEST(FaultDataReader, SkipsLinesThatAreNotDataWithoutMessage) {
    Reading r;
    r.read_lines({"f 120 30 200 20 N", "-10 30 200 20 N", "+10 30 200 20 N", "120 30 200 20", "",
                  "   ", "# comment 120 30 200 20 N", "  \t# indented comment", "X 120 30 200 20 N",
                  "fault 120 30 200 20 N"});
    EXPECT_EQ(r.set.count(), 0);
    EXPECT_TRUE(r.messages.shown.isEmpty());
}

TEST(FaultDataReader, LinePreparation) {
    Reading r;
    r.read_lines({"  \t120 30 200 20 N  ", "120\t30 \t 200\t\t20\tN", "120 30 200 20 N # a b c",
                  ".5 30 200 20 N", "Fault 120 30 200 20 x", "Sx 90 80 0 0 n & 180 0 s",
                  "S 90 80 0 0 S & 180 0 S # note", "S 90 80 0 0 S &", "F 1.2e2 3E1 200 20 h"});
    EXPECT_TRUE(r.messages.shown.isEmpty());
    ASSERT_EQ(r.set.count(), 9);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.set.FDList[i].SDList.size(), 1u);
        EXPECT_EQ(r.set.FDList[i].SDList[0].Pazpl, make_azpl(120, 30));
        EXPECT_EQ(r.set.FDList[i].SDList[0].Lazpl, make_azpl(200, 20));
    }
    EXPECT_EQ(r.set.FDList[3].SDList[0].Pazpl.az, 0.5f);
    EXPECT_EQ(r.set.FDList[4].datatype, TDataType::Ful);
    EXPECT_EQ(r.set.FDList[4].SDList[0].sense, TSense::U);

    const TFaultData& sx = r.set.FDList[5];
    EXPECT_EQ(sx.datatype, TDataType::Sen);
    ASSERT_EQ(sx.SDList.size(), 2u);
    EXPECT_EQ(sx.SDList[0].sense, TSense::N);
    EXPECT_EQ(sx.SDList[1].sense, TSense::S);
    EXPECT_EQ(r.set.FDList[6].SDList.size(), 2u);
    EXPECT_EQ(r.set.FDList[7].SDList.size(), 1u); // a lone "&" reads nothing more
    EXPECT_EQ(r.set.FDList[8].SDList[0].Pazpl, make_azpl(120, 30));
    EXPECT_EQ(r.set.FDList[8].SDList[0].sense, TSense::H);
}

TEST(FaultDataReader, BadNumbersDropTheDatumAndReadingGoesOn) {
    Reading r;
    r.read_lines({"# header", "", "120 30 200 20 N", "120 30 2O0 20 N", "S 90 80 0 0 S & 18O 0 S",
                  "F 120 30 200 20", "S 90 80 0 0 S & 180 0", "S 90 80 0 0 S & 180",
                  "M 40 60 310 5 D", "F 120 30 200 20 N 1e999", "F 1e999 30 200 20 N"});
    EXPECT_EQ(r.messages.shown,
              QStringList({"invalid data at line #4", "invalid data at line #5",
                           "invalid data at line #6", "invalid data at line #7",
                           "invalid data at line #8", "invalid data at line #11"}));
    ASSERT_EQ(r.set.count(), 3);
    EXPECT_EQ(r.set.FDList[1].datatype, TDataType::Mec);
    EXPECT_EQ(r.set.FDList[2].SDList.size(), 1u); // tokens after the sense are ignored
}

TEST(FaultDataReader, LogsTheFirstOrientationOutOfRangeOnly) {
    Reading r;
    r.log.reset_log();
    r.read_lines(
        {"# two bad data", "120 95 200 20 N", "", "120 30 200 -3 N", "S 90 80 0 0 S & 400 0 S"},
        QStringLiteral("/data/site.efd"));
    EXPECT_TRUE(r.result.orientation_error);
    EXPECT_EQ(r.set.count(), 3); // kept and used like any other
    EXPECT_TRUE(r.messages.shown.isEmpty());
    EXPECT_EQ(r.log_lines(), QStringList("ERROR: Input azpl is out of range. [routine=read_FD] "
                                         "[file=/data/site.efd] [line=2]"));
    EXPECT_EQ(orientation_error_message(QStringLiteral("/data/site.efd")),
              QStringLiteral("There is at least an error in file [/data/site.efd].\r\n"
                             "See [QMT.log]."));
}

TEST(FaultDataReader, ChecksTheLineationAndAndGroups) {
    for (const char* line : {"120 30 200 91 N", "120 30 -1 20 N", "S 90 80 0 0 S & 361 0 S"}) {
        Reading r;
        r.read_lines({line});
        EXPECT_TRUE(r.result.orientation_error) << line;
        EXPECT_EQ(r.log_lines().size(), 1);
    }
    Reading ok;
    ok.read_lines({"360 90 0 0 N", "0 0 360 90 N"});
    EXPECT_FALSE(ok.result.orientation_error);
    EXPECT_TRUE(ok.log_lines().isEmpty());
}

TEST(FaultDataReader, ReplacesThePreviousSet) {
    Reading r;
    r.read_lines({"120 30 200 20 N", "120 30 200 20 N"});
    r.read_lines({"# only comments", ""});
    EXPECT_TRUE(r.result.read);
    EXPECT_EQ(r.set.count(), 0);
}

TEST(FaultDataReader, FileEncodingsAndLineEnds) {
    const QByteArray body = "# \xc3\xa9t\xc3\xa9 site\r120 30 200 20 N\r\r90 80 0 0 S\r";
    Reading cr;
    cr.read_file(body);
    EXPECT_EQ(cr.set.count(), 2);

    Reading bom;
    bom.read_file("\xef\xbb\xbf"
                  "120 30 200 20 N\r\n120 30 200 20 N\n");
    EXPECT_EQ(bom.set.count(), 2);

    QByteArray utf16("\xff\xfe");
    const QString text = QStringLiteral("# Köln\r\n120 30 2O0 20 N\r\n120 30 200 20 N\r\n");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    Reading wide;
    wide.read_file(utf16);
    EXPECT_EQ(wide.set.count(), 1);
    EXPECT_EQ(wide.messages.shown, QStringList("invalid data at line #2"));

    Reading latin; // not UTF-8: read as Windows-1252, still parsed
    latin.read_file("# Z\xfcrich\n120\t30\t200\t20\tN\n");
    EXPECT_EQ(latin.set.count(), 1);
}

TEST(FaultDataReader, UnreadableFileLeavesTheSetAlone) {
    Reading r;
    r.read_lines({"120 30 200 20 N"});
    r.result = read_fault_data_file(r.folder.path(QStringLiteral("missing.efd")), r.set, r.log,
                                    r.messages);
    EXPECT_FALSE(r.result.read);
    EXPECT_FALSE(r.result.error.isEmpty());
    EXPECT_EQ(r.set.count(), 1);
}

// A file written under any locale reads under any other: under German a "120.5" was once
// dropped as invalid data, and under C every line of a German file was.
TEST(FaultDataReader, NumbersOfAnyLocale) {
    const QLocale before;
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        Reading r;
        r.read_lines({"120,5 30 200 20 N", "120.5 30 200 20 N", "M 40,5 60 310 5,25 D",
                      "120,5,0 30 200 20 N"});
        QLocale::setDefault(before);
        ASSERT_EQ(r.set.count(), 3) << locale.name().toStdString();
        EXPECT_EQ(r.set.FDList[0].SDList[0].Pazpl.az, 120.5f);
        EXPECT_EQ(r.set.FDList[1].SDList[0].Pazpl.az, 120.5f);
        EXPECT_EQ(r.set.FDList[2].SDList[0].Lazpl.pl, 5.25f);
        EXPECT_EQ(r.messages.shown, QStringList("invalid data at line #4"));
    }
}

} // namespace

namespace {

TEST(InversionResultDatumLine, DiffersFromADataFileLine) {
    const struct {
        const char* line;
        TIRDatumStatus status;
        TDataType type;
        size_t alternatives;
    } rows[] = {
        {"f 120 30 200 20 N", TIRDatumStatus::Read, TDataType::Ful, 1},
        {"m 40 60 310 5 D", TIRDatumStatus::Read, TDataType::Mec, 2},
        {"l 120 30 200 20 U", TIRDatumStatus::Read, TDataType::Lin, 1},
        {"s 90 80 0 0 S & 180 0 S", TIRDatumStatus::Read, TDataType::Sen, 2},
        {"X 120 30 200 20 N", TIRDatumStatus::Read, TDataType::Ful, 1},
        {"# 120 30 200 20 N", TIRDatumStatus::Read, TDataType::Ful, 1},
        {"45 30 120 25 N", TIRDatumStatus::Read, TDataType::Ful, 1},
        {"S 90 80 0 0 S &", TIRDatumStatus::Read, TDataType::Sen, 1},
        {"120\t30 200 20 N", TIRDatumStatus::InvalidData, TDataType::Ful, 0},
        {"F 12O 30", TIRDatumStatus::InvalidData, TDataType::Ful, 0},
        {"", TIRDatumStatus::TooFewTokens, TDataType::Ful, 0},
        {" \t ", TIRDatumStatus::TooFewTokens, TDataType::Ful, 0},
        {"F 120 30 200 20", TIRDatumStatus::TooFewTokens, TDataType::Ful, 0},
        {"S 90 80 0 0 S & 180", TIRDatumStatus::TooFewTokens, TDataType::Ful, 0},
        {"S 90 80 0 0 S & 180 0", TIRDatumStatus::TooFewTokens, TDataType::Ful, 0},
    };
    for (const auto& row : rows) {
        RecordingMessages messages;
        TFDLineContext context{QStringLiteral("r.tlv"), nullptr, &messages, false, u'.'};
        TFaultData datum;
        EXPECT_EQ(read_ir_fault_datum_line(QString::fromLatin1(row.line), 4, context, datum),
                  row.status)
            << row.line;
        EXPECT_EQ(datum.SDList.size(), row.alternatives) << row.line;
        if (row.status == TIRDatumStatus::Read) {
            EXPECT_EQ(datum.datatype, row.type) << row.line;
        }
        EXPECT_EQ(messages.shown, row.status == TIRDatumStatus::InvalidData
                                      ? QStringList("invalid data at line #4")
                                      : QStringList())
            << row.line;
    }
}

} // namespace

namespace {

// "ſ" (long s) and "ı" (dotless i) upper-case to S and I under Unicode rules, but letters are
// ASCII: each is a wrong letter, read exactly as "x" is.
TEST(DatumLetters, NonAsciiLettersAreWrongLetters) {
    const struct {
        const char16_t* line;
        bool inversion_result; // the data block of a result, else a data file
        bool read;
        TDataType type;
        const char* senses; // of the alternatives read, in order
    } rows[] = {
        {u"F 90 45 90 45 \u017f", false, true, TDataType::Ful, "U"},
        {u"F 90 45 90 45 \u0131", false, true, TDataType::Ful, "U"},
        {u"S 90 80 0 0 S & 180 0 \u017f", false, true, TDataType::Sen, "SU"},
        {u"\u017f 90 80 0 0 S & 180 0 S", false, false, TDataType::Ful, ""},
        {u"\u017f 90 80 0 0 S & 180 0 S", true, true, TDataType::Ful, "S"},
        {u"\u0131 90 45 90 45 N", true, true, TDataType::Ful, "N"},
        {u"s 90 80 0 0 \u017f & 180 0 s", true, true, TDataType::Sen, "US"},
        {u"f 90 45 90 45 \u0131", true, true, TDataType::Ful, "U"},
    };
    const auto read = [](const QString& line, bool inversion_result) {
        TFDLineContext context{QStringLiteral("r.tlv"), nullptr, nullptr, false, u'.'};
        if (!inversion_result)
            return read_fault_datum_line(line, 1, context);
        TFaultData datum;
        return read_ir_fault_datum_line(line, 1, context, datum) == TIRDatumStatus::Read
                   ? std::optional<TFaultData>(datum)
                   : std::nullopt;
    };
    const auto senses = [](const TFaultData& datum) {
        QString letters;
        for (const TSlipData& sd : datum.SDList)
            letters += sense_letter(sd.sense);
        return letters;
    };
    for (const auto& row : rows) {
        const QString line = QString::fromUtf16(row.line);
        const std::optional<TFaultData> datum = read(line, row.inversion_result);
        const std::optional<TFaultData> as_x = read(
            QString(line).replace(u'\u017f', u'x').replace(u'\u0131', u'x'), row.inversion_result);
        ASSERT_EQ(datum.has_value(), row.read) << line.toStdString();
        ASSERT_EQ(as_x.has_value(), row.read) << line.toStdString();
        if (!row.read)
            continue;
        EXPECT_EQ(datum->datatype, row.type) << line.toStdString();
        EXPECT_EQ(senses(*datum), QString::fromLatin1(row.senses)) << line.toStdString();
        EXPECT_EQ(as_x->datatype, row.type) << line.toStdString();
        EXPECT_EQ(senses(*as_x), QString::fromLatin1(row.senses)) << line.toStdString();
    }
}

} // namespace

namespace {

// Equal to the last bit, alternative by alternative.
bool same_data(const TFaultDataSet& a, const TFaultDataSet& b) {
    if (a.count() != b.count())
        return false;
    for (size_t k = 0; k < a.FDList.size(); ++k) {
        const TFaultData& x = a.FDList[k];
        const TFaultData& y = b.FDList[k];
        if (x.datatype != y.datatype || x.SDList.size() != y.SDList.size())
            return false;
        for (size_t i = 0; i < x.SDList.size(); ++i) {
            const TSlipData& s = x.SDList[i];
            const TSlipData& t = y.SDList[i];
            if (!(s.Pazpl == t.Pazpl && s.Lazpl == t.Lazpl && s.sense == t.sense && s.v == t.v &&
                  s.b == t.b && s.n == t.n && s.ee == t.ee && s.ep == t.ep))
                return false;
        }
    }
    return true;
}

// A file read from its bytes and the same text read from its lines, one by one.
struct BothWays {
    Reading bytes, lines;

    explicit BothWays(const QByteArray& text) {
        const QString path = QStringLiteral("/data/site.efd");
        bytes.log.reset_log();
        lines.log.reset_log();
        bytes.set.FDList.resize(3); // replaced
        bytes.result = read_fault_data_bytes(text, path, bytes.set, bytes.log, bytes.messages);
        lines.read_lines(decode_text_lines(text), path);
    }
    void expect_same(const std::string& what) const {
        EXPECT_TRUE(bytes.result.read) << what;
        EXPECT_TRUE(same_data(bytes.set, lines.set)) << what;
        EXPECT_EQ(bytes.messages.shown, lines.messages.shown) << what;
        EXPECT_EQ(bytes.result.orientation_error, lines.result.orientation_error) << what;
        EXPECT_EQ(bytes.log_lines(), lines.log_lines()) << what;
    }
};

QByteArray utf16le_with_bom(const QString& text) {
    return "\xff\xfe" + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

// Small texts: every line kind, number syntax and line end that the line reader has met.
TEST(FaultDataBytes, ReadAsTheirLines) {
    const QByteArray rows[] = {
        "",
        "120 30 200 20 N",
        "120 30 200 20 N\r\n\r\n  \t\r\n# c 1 2 3 4 N\r\nF 1 2 3 4 R",
        "120 30 200 20 N\r90 80 0 0 S\r\r",                       // CR only
        "120 30 200 20 N\n\r\n\r90 80 0 0 S\n",                   // every line end
        "120\t30 \t200\t\t20\tN\t\nS\t90 80 0 0 S\t&\t180 0 S\n", // tabs separate
        "120\x01 30 200 20 N\n\x01 120 30 200 20 N\x1f\n",        // other blanks only at ends
        // Numbers: signs, points, exponents, and what is no number.
        "+1.5e1 .5 5. -0 N\n1e-50 1E+1 0.0e0 00012 N\n",
        "F 1,5 30 200 20 N\nF 1.5.5 30 200 20 N\nF 1e 30 200 20 N\nF . 30 200 20 N\n",
        "F - 30 200 20 N\nF +-1 30 200 20 N\nF 0x10 3 2 1 N\nF 1e39 3 2 1 N\nF 3.4e38 1 2 1 N\n",
        ".5 30 200 20 N\n-5 30 200 20 N\n+5 30 200 20 N\n",
        // Kinds, letters, groups; orientations out of range.
        "m 40 60 310 5 d\nM 40 60 310 5 D x y\nL 1 2 3 4\nS 90 80 0 0 S & 180 0 S & 10 5 N\n",
        "S 90 80 0 0 S &\nS 90 80 0 0 S & 1\nS 90 80 0 0 S & 1 2\nS 90 80 0 0 S &x 1 2 R\n",
        "120 95 200 20 N\n120 30 400 20 N\n",
        "F 90 45 90 45 \xc5\xbf\nX 1 2 3 4 N\n\xc5\xbf 1 2 3 4 N\n", // UTF-8 letters
        "# Z\xfcrich\r\n120 30 200 20 N\r\n\x80 1 2 3 4 N\r\n",      // Windows-1252
        "\xef\xbb\xbf\xef\xbb\xbf"
        "120 30 200 20 N\n\xef\xbb\xbf"
        "120 30 200 20 N\n", // marks
        utf16le_with_bom("# K\u00f6ln\r\n120 30 2O0 20 N\r120 30 200 20 N\r\n\r\n"),
        with_nuls("120 30 200 20 N~\n120 3~ 200 20 N\n~~~\n"),
    };
    for (const QByteArray& text : rows)
        BothWays(text).expect_same(text.toHex(' ').toStdString());
}

// Lines of every kind, a few of them broken or out of range at the given line numbers, many
// enough for the text to be read in two halves at once.
QByteArray large_text(int lines, std::initializer_list<int> invalid,
                      std::initializer_list<int> out_of_range, const char* line_end) {
    QByteArray text;
    for (int k = 1; k <= lines; ++k) {
        if (std::find(invalid.begin(), invalid.end(), k) != invalid.end())
            text += "F 12O 30 200 20 N";
        else if (std::find(out_of_range.begin(), out_of_range.end(), k) != out_of_range.end())
            text += "F 120 95 200 20 N";
        else if (k % 97 == 0)
            text += "# comment";
        else if (k % 89 == 0)
            text += "   ";
        else
            text += QByteArray(1, "FMLS"[k % 4]) + ' ' + QByteArray::number(k % 360) + ".5 " +
                    QByteArray::number(k % 90) + " 200\t20 " + "NRSDHU"[k % 6] +
                    (k % 4 == 3 ? " & 10 5 N" : "");
        text += line_end;
    }
    return text;
}

TEST(FaultDataBytes, LargeTextsReadInTwoHalvesAsLineByLine) {
    const int n = 150000; // some 3.5 MB
    const struct {
        const char* what;
        QByteArray text;
    } rows[] = {
        {"no problem", large_text(n, {}, {}, "\r\n")},
        {"invalid data in both halves, out of range in the second only",
         large_text(n, {7, n / 2 - 1, n / 2, n / 2 + 1, n - 3, n}, {n / 2 + 17, n - 1}, "\r\n")},
        {"out of range in both halves", large_text(n, {}, {n / 2 - 100, n / 2 + 100}, "\n")},
        {"CR only", large_text(n, {n / 3, 2 * n / 3}, {3 * n / 4}, "\r")},
        {"Windows-1252", "\x80\n" + large_text(n, {n - 2}, {n - 1}, "\n")},
        {"UTF-16", utf16le_with_bom(QString::fromLatin1(large_text(n, {n / 2}, {n - 9}, "\r\n")))},
    };
    for (const auto& row : rows) {
        const BothWays r(row.text);
        r.expect_same(row.what);
        EXPECT_GT(r.bytes.set.count(), n * 9 / 10) << row.what;
    }
}

// A file of blank lines holds nothing but its bytes while it is read, and its few data are
// found, with the numbers of their lines.
TEST(FaultDataBytes, BlankLinesCostTheirBytesOnly) {
    const qsizetype blank_lines = 24 << 20;
    QByteArray text(blank_lines, '\n');
    text.insert(10, "120 30 200 20 N");
    text.insert(blank_lines / 2, "F 12O 30 200 20 N\r");
    text += "   \t 90 80 0 0 S  \n\n\n";
    const qsizetype size = text.size();
    Reading r;
    const QString path = r.folder.write(QStringLiteral("blank.efd"), text);
    text = QByteArray();
    release_free_memory();

    const ResourceWatch watch;
    r.result = read_fault_data_file(path, r.set, r.log, r.messages);
    EXPECT_LT(watch.peak_growth_bytes(), 3 * size);
    EXPECT_LT(watch.elapsed_ms(), 4000 * sanitizer_slowdown);
    EXPECT_TRUE(r.result.read);
    ASSERT_EQ(r.set.count(), 2);
    EXPECT_EQ(r.set.FDList[1].SDList[0].Pazpl, make_azpl(90, 80));
    EXPECT_EQ(r.messages.shown,
              QStringList("invalid data at line #" + QString::number(blank_lines / 2 - 15 + 1)));
}

TEST(FaultDataBytes, FileTooLargeForTheMemoryLeavesTheSet) {
    Reading r;
    r.read_lines({"120 30 200 20 N", "90 80 0 0 S"});
    const QString path = r.folder.path(QStringLiteral("huge.efd"));
    if (!make_file_beyond_the_memory(path))
        GTEST_SKIP() << "no sparse file that large here";
    const qint64 size = QFileInfo(path).size();
    r.result = read_fault_data_file(path, r.set, r.log, r.messages);
    EXPECT_FALSE(r.result.read);
    EXPECT_EQ(r.result.error, file_too_large_message(path, size));
    EXPECT_EQ(r.set.count(), 2);
    EXPECT_TRUE(r.messages.shown.isEmpty());
}

} // namespace
