#include "stress/ir_reader.h"

#include "core/text_file.h"
#include "tests/support/sparse_file.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <numeric>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

// A result with its CGP file, in a temporary folder with a separate executable folder.
struct Reading {
    TempFolder folder;
    QString exe = folder.path(QStringLiteral("exe"));
    QString path = folder.path(QStringLiteral("r.tlv"));
    EventLog log{folder.path(QStringLiteral("QMT.log"))};
    RecordingMessages messages;
    TFaultDataSet fd;
    TStressStates st;
    TIRReadResult result;

    Reading() { QDir().mkpath(exe); }
    void cgp(const QByteArray& text, const QString& name = QStringLiteral("s.cgp")) {
        folder.write(QStringLiteral("exe/") + name, text);
    }
    TIROutcome read(const QStringList& lines) {
        result = read_inversion_result_lines(lines, path, exe, fd, st, log, messages);
        return result.outcome;
    }
    std::vector<int> field(int TStressTensor::*f) const {
        std::vector<int> out;
        for (const TStressTensor& s : st.STSet)
            out.push_back(s.*f);
        return out;
    }
    QStringList log_lines() const {
        return QString::fromUtf8(folder.read(QStringLiteral("QMT.log")))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
};

const QByteArray three_states = "3\r\n10 20 100 0 0.5\n30 40 120 0 0.1\n50 60 140 0 0.9\n";

// Nfd, the fault lines, Nst, Nfit, the CGP name and the fitness lines.
QStringList layout(const QStringList& faults, const QStringList& fitness,
                   const QString& name = QStringLiteral("s.cgp"), int nst = 3) {
    QStringList lines{QString::number(faults.size())};
    lines << faults << QString::number(nst) << QString::number(fitness.size()) << name << fitness;
    return lines;
}

TEST(InversionResultReader, NormalisesAndSortsByFitness) {
    Reading r;
    r.cgp(three_states);
    EXPECT_EQ(r.read(layout({"120 30 200 20 N", "m 40 60 310 5 d"}, {"1 5", "2 0", "3 15 x"})),
              TIROutcome::Loaded);
    EXPECT_TRUE(r.messages.shown.isEmpty()) << r.messages.shown.join('|').toStdString();
    EXPECT_EQ(r.fd.count(), 2);
    EXPECT_EQ(r.st.cgp_filename, r.exe + QStringLiteral("/s.cgp"));
    EXPECT_EQ(r.field(&TStressTensor::id), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(r.field(&TStressTensor::L), (std::vector<int>{0, 5, 15}));
    EXPECT_EQ(r.st.STSet[0].Ln, 0.0f);
    EXPECT_EQ(r.st.STSet[1].Ln, 0.25f);
    EXPECT_EQ(r.st.STSet[2].Ln, 0.75f);
    EXPECT_EQ(r.st.max_L, 15);
    EXPECT_EQ(r.st.max_Ln, 0.75f);
    EXPECT_EQ(r.st.min_Ln_nonzero, 0.25f);
    EXPECT_EQ(r.st.STSet[2].sr, 0.9f);
}

TEST(InversionResultReader, RepeatedFitnessLinesAndEqualFitness) {
    Reading r;
    r.cgp(three_states);
    // State 1 keeps the later 10, but the sum counts both lines: 5 + 10 + 10 + 5 = 30.
    EXPECT_EQ(r.read(layout({}, {"1 5", "1 10", "2 10", "3 5"})), TIROutcome::Loaded);
    EXPECT_EQ(r.field(&TStressTensor::id), (std::vector<int>{3, 1, 2})); // ties in file order
    EXPECT_EQ(r.st.STSet[0].Ln, float(5.0 / 30));
    EXPECT_EQ(r.st.STSet[2].Ln, float(10.0 / 30));
    EXPECT_EQ(r.fd.count(), 0); // Nfd = 0: line 2 is Nst
}

TEST(InversionResultReader, NegativeFitnessSumLeavesNoWeights) {
    Reading r;
    r.cgp(three_states);
    EXPECT_EQ(r.read(layout({}, {"1 -9", "2 3"})), TIROutcome::Loaded);
    for (const TStressTensor& s : r.st.STSet)
        EXPECT_EQ(s.Ln, 0.0f);
    EXPECT_EQ(r.st.max_Ln, 0.0f);
    EXPECT_EQ(r.st.min_Ln_nonzero, 1.0f);
}

TEST(InversionResultReader, Failures) {
    const QStringList fit{"1 5"};
    const struct {
        const char* what;
        QStringList lines;
        TIROutcome outcome;
    } rows[] = {
        {"Nfd not a number", {"abc"}, TIROutcome::ExceptionRaised},
        {"Nfd a decimal", {"3.5"}, TIROutcome::ExceptionRaised},
        {"Nfd with exponent", {"1e3"}, TIROutcome::ExceptionRaised},
        {"Nfd negative", {"-1", "3", "1", "s.cgp", "1 5"}, TIROutcome::ExceptionRaised},
        {"Nfd beyond the file", {"9", "120 30 200 20 N"}, TIROutcome::ExceptionRaised},
        {"empty file", {}, TIROutcome::ExceptionRaised},
        {"blank fault line", layout({"120 30 200 20 N", ""}, fit), TIROutcome::ExceptionRaised},
        {"fault line too short", layout({"F 120 30 200 20"}, fit), TIROutcome::ExceptionRaised},
        {"Nst negative", {"0", "-3", "1", "s.cgp", "1 5"}, TIROutcome::ExceptionRaised},
        {"Nfit not an integer", {"0", "3", "x", "s.cgp", "1 5"}, TIROutcome::ExceptionRaised},
        {"no CGP name line", {"0", "3", "1"}, TIROutcome::ExceptionRaised},
        {"Nfit huge", {"0", "3", "2147483647", "s.cgp", "1 5"}, TIROutcome::ExceptionRaised},
        {"Nfit beyond int", {"0", "3", "2147483648", "s.cgp"}, TIROutcome::ExceptionRaised},
        {"state 0", layout({}, {"0 5"}), TIROutcome::ExceptionRaised},
        {"state beyond the records", layout({}, {"4 5"}), TIROutcome::ExceptionRaised},
        {"fitness a decimal", layout({}, {"1 1.5"}), TIROutcome::ExceptionRaised},
        {"fitness token missing", layout({}, {"1 5", "2"}), TIROutcome::ExceptionRaised},
        {"blank fitness line", layout({}, {""}), TIROutcome::ExceptionRaised},
        {"all fitness 0", layout({}, {"1 0", "2 0"}), TIROutcome::InvalidResult},
        {"only negative fitness", layout({}, {"1 -4"}), TIROutcome::InvalidResult},
        {"no fitness lines", layout({}, {}), TIROutcome::InvalidResult},
    };
    for (const auto& row : rows) {
        Reading r;
        r.cgp(three_states);
        EXPECT_EQ(r.read(row.lines), row.outcome) << row.what;
    }
    EXPECT_EQ(ir_failure_message(TIROutcome::ExceptionRaised), QStringLiteral("Exception raised"));
    EXPECT_EQ(ir_failure_message(TIROutcome::InvalidResult),
              QStringLiteral("Invalid Inversion Result File"));
    EXPECT_TRUE(ir_failure_message(TIROutcome::Loaded).isEmpty());
}

TEST(InversionResultReader, AfterAFailureWhatWasReadStaysUnsorted) {
    Reading r;
    r.cgp(three_states);
    EXPECT_EQ(r.read(layout({"120 30 200 20 N", "X 1 2"}, {"3 7"})), TIROutcome::ExceptionRaised);
    EXPECT_EQ(r.fd.count(), 1);
    EXPECT_TRUE(r.st.STSet.empty());

    EXPECT_EQ(r.read(layout({}, {"3 7", "2 9", "9 1"})), TIROutcome::ExceptionRaised);
    EXPECT_EQ(r.field(&TStressTensor::id), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(r.field(&TStressTensor::L), (std::vector<int>{0, 9, 7}));
    EXPECT_EQ(r.st.STSet[2].Ln, 0.0f);
}

TEST(InversionResultReader, CGPLookupAndMessages) {
    Reading beside; // only beside the result
    beside.folder.write(QStringLiteral("s.cgp"), three_states);
    EXPECT_EQ(beside.read(layout({}, {"1 5"})), TIROutcome::Loaded);
    EXPECT_EQ(beside.st.cgp_filename, beside.folder.path(QStringLiteral("s.cgp")));

    Reading both; // the executable's folder comes first
    both.cgp("1\n0 0 0 90 0\n");
    both.folder.write(QStringLiteral("s.cgp"), three_states);
    EXPECT_EQ(both.read(layout({}, {"1 5"}, QStringLiteral("s.cgp"), 1)), TIROutcome::Loaded);
    EXPECT_EQ(both.st.STSet.size(), 1u);
    EXPECT_TRUE(both.messages.shown.isEmpty());

    Reading none; // blanks of the name and of the folder are trimmed in the message only
    none.exe = QStringLiteral("  ") + none.exe;
    EXPECT_EQ(none.read(layout({}, {}, QStringLiteral("s.cgp  "))), TIROutcome::InvalidResult);
    EXPECT_EQ(none.st.cgp_filename, none.exe + QStringLiteral("/s.cgp  "));
    const QString trimmed = none.exe.trimmed() + QStringLiteral("/s.cgp");
    EXPECT_EQ(none.messages.shown,
              QStringList(
                  {QStringLiteral("CGP File  [") + trimmed + QStringLiteral("]  not found."),
                   QStringLiteral("conflict in number of stress tensor between\r\n[") + none.path +
                       QStringLiteral("] and [") + none.st.cgp_filename + QStringLiteral("]")}));

    Reading folder; // a folder by the CGP's name
    QDir().mkpath(folder.exe + QStringLiteral("/s.cgp"));
    EXPECT_EQ(folder.read(layout({}, {"1 5"})), TIROutcome::ExceptionRaised);

    // A pipe named by the result is refused rather than waited on for ever.
    Reading pipe;
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe.exe + QStringLiteral("/s.cgp")).constData(), 0600), 0);
    EXPECT_EQ(pipe.read(layout({}, {"1 5"})), TIROutcome::ExceptionRaised);
    QByteArray bytes;
    EXPECT_FALSE(read_IR_file(pipe.exe + QStringLiteral("/s.cgp"), bytes));
}

// A CGP name that names no file, or names a folder, reads as a CGP file not found: the path
// looked for (beside the executable; an absolute name is taken below that folder too), the
// count conflict, and, without fitness lines, the invalid result.
TEST(InversionResultReader, CGPNamesOfNoFile) {
    const struct {
        const char* what;
        std::function<QString(Reading&)> name; // makes what the row needs
        std::function<QString(Reading&)> looked_for;
    } rows[] = {
        {"empty", [](Reading&) { return QString(); }, [](Reading& r) { return r.exe + u'/'; }},
        {"a folder beside the result",
         [](Reading& r) {
             QDir().mkpath(r.folder.path(QStringLiteral("d.cgp")));
             return QStringLiteral("d.cgp");
         },
         [](Reading& r) { return r.exe + QStringLiteral("/d.cgp"); }},
        {"an absolute path to a missing file",
         [](Reading& r) { return r.folder.path(QStringLiteral("missing.cgp")); },
         [](Reading& r) { return r.exe + u'/' + r.folder.path(QStringLiteral("missing.cgp")); }},
        {"an absolute path to a folder, a folder also where it is looked for",
         [](Reading& r) {
             QDir().mkpath(r.exe + u'/' + r.exe);
             return r.exe;
         },
         [](Reading& r) { return r.exe + u'/' + r.exe; }},
    };
    for (const auto& row : rows) {
        Reading r;
        const QString name = row.name(r);
        const TIROutcome outcome = r.read(layout({}, {}, name));
        const QString looked_for = row.looked_for(r);
        EXPECT_EQ(r.st.cgp_filename, looked_for) << row.what;
        EXPECT_EQ(r.messages.shown + QStringList(ir_failure_message(outcome)),
                  QStringList(
                      {QStringLiteral("CGP File  [") + looked_for + QStringLiteral("]  not found."),
                       QStringLiteral("conflict in number of stress tensor between\r\n[") + r.path +
                           QStringLiteral("] and [") + looked_for + QStringLiteral("]"),
                       QStringLiteral("Invalid Inversion Result File")}))
            << row.what;
    }
}

// Either lookup passes over a folder to a file, and takes an absolute name below its folder.
TEST(InversionResultReader, CGPLookupPassesOverFolders) {
    Reading folder_first;
    QDir().mkpath(folder_first.exe + QStringLiteral("/s.cgp"));
    folder_first.folder.write(QStringLiteral("s.cgp"), three_states);
    EXPECT_EQ(folder_first.read(layout({}, {"1 5"})), TIROutcome::Loaded);
    EXPECT_EQ(folder_first.st.cgp_filename, folder_first.folder.path(QStringLiteral("s.cgp")));
    EXPECT_TRUE(folder_first.messages.shown.isEmpty());

    Reading absolute; // found below the result's folder, as the second lookup puts it
    const QString name = absolute.folder.path(QStringLiteral("abs/s.cgp"));
    const QString below_result = QFileInfo(absolute.path).path() + u'/' + name;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(below_result).path()));
    QFile file(below_result);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(three_states) == three_states.size());
    file.close();
    EXPECT_EQ(absolute.read(layout({}, {"1 5"}, name)), TIROutcome::Loaded);
    EXPECT_EQ(absolute.st.cgp_filename, below_result);
    EXPECT_EQ(absolute.st.STSet.size(), 3u);
}

// Letters of the data block are upper-cased as ASCII also on the way through decoded bytes.
TEST(InversionResultReader, NonAsciiLettersInTheDataBlock) {
    Reading r;
    r.cgp(three_states);
    const QString text = QStringLiteral(
        "2\r\n\u017f 90 80 0 0 S & 180 0 S\r\nf 90 45 90 45 \u0131\r\n3\r\n1\r\ns.cgp\r\n1 5\r\n");
    r.result = read_inversion_result(text.toUtf8(), r.path, r.exe, r.fd, r.st, r.log, r.messages);
    ASSERT_EQ(r.result.outcome, TIROutcome::Loaded);
    ASSERT_EQ(r.fd.count(), 2);
    EXPECT_EQ(r.fd.FDList[0].datatype, TDataType::Ful); // not a sense-only datum
    EXPECT_EQ(r.fd.FDList[0].SDList.size(), 1u);
    EXPECT_EQ(r.fd.FDList[1].SDList[0].sense, TSense::U);
}

TEST(InversionResultReader, CGPRecords) {
    const struct {
        const char* text;
        size_t records;
        bool read;
    } rows[] = {
        {"2 states\n1 2 3 4 0.5 rest\n5\t6\n7 8\n0.25 ignored\n", 2, true},
        {"3\n1 2 3 4 0.5\n5 6", 2, true},            // a partial record gets zeros
        {"1000000000000\n1 2 3 4 0.5\r\n", 1, true}, // N bounds nothing but the loop
        {"0\n1 2 3 4 0.5\n", 0, true},
        {"-2\n1 2 3 4 0.5\n", 0, true},
        {"", 0, true},
        {"3.0\n1 2 3 4 0.5\n", 0, false},
        {"2\n1 2 3 4 0.5\n1 2 3x 4 0.5\n", 1, false},
        {"1\n1 2 3 4 inf\n", 0, false},
        {"1\n1 2 3 4 1e39\n", 0, false},
        {"1\n+1 -2 .5e1 4. 1e-400\n", 1, true},
    };
    for (const auto& row : rows) {
        Reading r;
        r.cgp(row.text);
        std::vector<TStressTensor> set;
        EXPECT_EQ(read_CGP(r.exe + QStringLiteral("/s.cgp"), set, r.messages), row.read)
            << row.text;
        EXPECT_EQ(set.size(), row.records) << row.text;
        for (size_t i = 0; i < set.size(); ++i)
            EXPECT_EQ(set[i].id, int(i + 1));
    }
}

TEST(InversionResultReader, CGPValues) {
    Reading r;
    r.cgp("2\n123.5 40.5 300.4 10.6 0.25\n-0.5 1.5 2.5 3\n");
    std::vector<TStressTensor> set;
    ASSERT_TRUE(read_CGP(r.exe + QStringLiteral("/s.cgp"), set, r.messages));
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[0].ax[0], make_azpl(124, 40)); // halves to the even neighbour
    EXPECT_EQ(set[0].ax[2], make_azpl(300, 11));
    EXPECT_EQ(set[0].sr, 0.25f);
    EXPECT_EQ(set[0].e_vec[0], azpl_to_vector3(make_azpl(124, 40)));
    EXPECT_EQ(set[0].L, 0);
    EXPECT_EQ(set[1].ax[0], make_azpl(-0.0f, 2));
    EXPECT_EQ(set[1].ax[2], make_azpl(2, 3));
    EXPECT_EQ(set[1].sr, 0.0f); // asked for at the end of the file
}

TEST(InversionResultReader, FaultDataSectionMessagesAndLog) {
    Reading r;
    r.log.reset_log();
    r.cgp(three_states);
    const QStringList faults{"120 30 200 20 N", "120 30 2O0 20 N", "120 30 200 20 N",
                             "120 30 200 20 N", "120 30 200 20 N", "S 90 80 0 0 S & 400 0 S",
                             "120 95 200 20 N"};
    EXPECT_EQ(r.read(layout(faults, {"1 5"})), TIROutcome::Loaded);
    EXPECT_TRUE(r.result.orientation_error);
    EXPECT_EQ(r.messages.shown, QStringList("invalid data at line #3"));
    EXPECT_EQ(r.fd.count(), 6);
    EXPECT_EQ(r.log_lines(), QStringList(QStringLiteral("ERROR: Input azpl is out of range. "
                                                        "[routine=read_FD] [file=") +
                                         r.path + QStringLiteral("] [line=7]")));
    EXPECT_EQ(ir_orientation_error_message(r.path),
              QStringLiteral("There is at least an error in file [") + r.path +
                  QStringLiteral("].\r\nSee [QMT.log]."));

    Reading first; // the first alternative of line 7
    first.log.reset_log();
    first.cgp(three_states);
    EXPECT_EQ(first.read(layout(
                  {"1 2 3 4 N", "1 2 3 4 N", "1 2 3 4 N", "1 2 3 4 N", "1 2 3 4 N", "400 2 3 4 N"},
                  {"1 5"})),
              TIROutcome::Loaded);
    ASSERT_EQ(first.log_lines().size(), 1);
    EXPECT_TRUE(first.log_lines()[0].endsWith(QStringLiteral("[line=7]")));
}

TEST(InversionResultReader, BytesReadLikeTheirLines) {
    const QByteArray plain = "1\r\n120 30 200 20 N\r\n3\r\n2\r\ns.cgp\r\n1 5\r\n3 15 Z";
    const QByteArray variants[] = {
        plain + "\xc3\xbc"
                "rich\r\n", // UTF-8
        plain + "\xfc"
                "rich\r",                        // Windows-1252, CR line ends
        QByteArray(plain).replace("\r\n", "\n"), // ASCII, LF
    };
    for (const QByteArray& bytes : variants) {
        Reading r;
        r.cgp(three_states);
        r.result = read_inversion_result(bytes, r.path, r.exe, r.fd, r.st, r.log, r.messages);
        EXPECT_EQ(r.result.outcome, TIROutcome::Loaded);
        EXPECT_EQ(r.fd.count(), 1);
        EXPECT_EQ(r.field(&TStressTensor::L), (std::vector<int>{0, 5, 15}));
    }
    Reading r;
    QByteArray bytes;
    EXPECT_TRUE(read_IR_file(r.folder.write(QStringLiteral("x.tlv"), plain), bytes));
    EXPECT_EQ(bytes, plain);
    EXPECT_FALSE(read_IR_file(r.exe, bytes));
    EXPECT_FALSE(read_IR_file(r.folder.path(QStringLiteral("missing.tlv")), bytes));
}

} // namespace

namespace {

// The fault data are handed over once their section has been read whole: after the messages of
// its lines, before the CGP file is looked for, and not at all when the section is broken.
TEST(InversionResultReader, FaultDataHandedOverAfterTheirSection) {
    const struct {
        const char* what;
        QStringList lines;
        bool cgp;
        QStringList events; // messages, and "read N" where the fault data were handed over
    } rows[] = {
        {"loaded", layout({"120 30 200 20 N", "90 80 0 0 S"}, {"1 5"}), true, {"read 2"}},
        {"an invalid datum",
         layout({"120 30 2O0 20 N", "90 80 0 0 S"}, {"1 5"}),
         true,
         {"invalid data at line #2", "read 1"}},
        {"no CGP file",
         layout({"90 80 0 0 S"}, {}),
         false,
         {"read 1", "CGP File", "conflict in number", "(InvalidResult)"}},
        {"a broken section", layout({"90 80 0 0 S", "F 1 2"}, {"1 5"}), true, {}},
        {"no fault data", layout({}, {"1 5"}), true, {"read 0"}},
    };
    for (const auto& row : rows) {
        Reading r;
        if (row.cgp)
            r.cgp(three_states);
        QStringList events;
        r.messages.on_show = [&](const QString& text) {
            // The start of the messages that name files.
            events << (text.startsWith(u"CGP File")   ? QStringLiteral("CGP File")
                       : text.startsWith(u"conflict") ? QStringLiteral("conflict in number")
                                                      : text);
        };
        int calls = 0;
        const TIRReadResult result = read_inversion_result_lines(
            row.lines, r.path, r.exe, r.fd, r.st, r.log, r.messages, [&] {
                ++calls;
                events << QStringLiteral("read ") + QString::number(r.fd.count());
            });
        if (result.outcome == TIROutcome::InvalidResult)
            events << QStringLiteral("(InvalidResult)");
        EXPECT_EQ(events, row.events) << row.what;
        EXPECT_LE(calls, 1) << row.what;
    }
}

// Every state of a large result as it is built alone from its record, sorted by fitness with
// ties in file order, and normalised by the sum of the fitness lines read in their order.
TEST(InversionResultReader, LargeResultsAsEachStateAlone) {
    const int n = 50000; // read in two halves at once
    QByteArray cgp = QByteArray::number(n) + " states\r\n";
    QByteArray result = "1\r\n120 30 200 20 N\r\n" + QByteArray::number(n) + "\r\n" +
                        QByteArray::number(n) + "\r\ns.cgp\r\n";
    struct Expected {
        Tazpl sigma1, sigma3;
        float ratio;
        int L;
    };
    std::vector<Expected> records;
    float sum = 0;
    for (int k = 1; k <= n; ++k) {
        const Tazpl sigma1 = make_azpl(float(k * 7 % 360), float(k % 91));
        const Tazpl sigma3 = make_azpl(float(k * 11 % 360), float(k * 3 % 91));
        const float ratio = float(k % 1000) / 1000;
        cgp += QByteArray::number(sigma1.az) + " " + QByteArray::number(sigma1.pl) + "\t" +
               QByteArray::number(sigma3.az) + " " + QByteArray::number(sigma3.pl) + " " +
               QByteArray::number(k % 1000) + "e-3\n";
        // State k takes the fitness of line n + 1 - k, some of it negative, many ties.
        const int L = (n + 1 - k) % 37 - 5;
        records.push_back({sigma1, sigma3, ratio, L});
    }
    for (int line = 1; line <= n; ++line) {
        const int state = n + 1 - line;
        result += QByteArray::number(state) + " " + QByteArray::number(records[state - 1].L) +
                  (line % 2 ? "\r\n" : "  x\n");
        sum = static_cast<float>(double(sum) + records[state - 1].L);
    }
    Reading r;
    r.cgp(cgp);
    // The progress moves on through the fitness lines and the building of the states, and ends
    // at its total: a step for each line and each state.
    std::vector<std::pair<qint64, qint64>> told;
    r.result = read_inversion_result(result, r.path, r.exe, r.fd, r.st, r.log, r.messages, {},
                                     [&](qint64 done, qint64 total) {
                                         told.push_back({done, total});
                                     });
    ASSERT_EQ(r.result.outcome, TIROutcome::Loaded);
    ASSERT_EQ(r.st.STSet.size(), size_t(n));
    ASSERT_GE(told.size(), 4u);
    EXPECT_EQ(told.back(), (std::pair<qint64, qint64>(2 * n, 2 * n)));
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_TRUE(std::any_of(told.begin(), told.end(),
                            [&](const auto& t) { return t.first > 0 && t.first < n; }));
    EXPECT_TRUE(std::any_of(told.begin(), told.end(),
                            [&](const auto& t) { return t.first > n && t.first < 2 * n; }));

    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return records[a].L < records[b].L; });
    float max_Ln = 0, min_Ln = 1;
    int wrong = 0;
    for (int i = 0; i < n; ++i) {
        const Expected& e = records[size_t(order[size_t(i)])];
        TStressTensor alone = stress_tensor_from_axes(e.sigma1, e.sigma3, e.ratio);
        alone.L = e.L;
        alone.id = order[size_t(i)] + 1;
        alone.Ln = static_cast<float>(double(e.L) / sum);
        max_Ln = std::max(max_Ln, alone.Ln);
        if (alone.Ln > 0)
            min_Ln = std::min(min_Ln, alone.Ln);
        const TStressTensor& st = r.st.STSet[size_t(i)];
        const bool same = st.sg == alone.sg && st.sg_prime == alone.sg_prime &&
                          st.e_vec == alone.e_vec && st.ax == alone.ax && st.sr == alone.sr &&
                          st.L == alone.L && st.Ln == alone.Ln && st.id == alone.id &&
                          st.ss == alone.ss && st.Le == 0;
        if (!same && ++wrong <= 5)
            ADD_FAILURE() << "state " << i << " (number " << alone.id << ")";
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(r.st.max_Ln, max_Ln);
    EXPECT_EQ(r.st.min_Ln_nonzero, min_Ln);
    EXPECT_EQ(r.st.max_L, 31);
}

TEST(InversionResultReader, EncodingsAndLineEndsOfTheBytes) {
    const QString text = QStringLiteral(
        "1\r\nF 120 30 200 20 N # K\u00f6ln\r\n3\r\n2\r\ns.cgp\r\n1 5\r\n3 15 Z\r\n");
    QByteArray le("\xff\xfe"), be("\xfe\xff");
    for (const QChar c : text) {
        le += char(c.unicode() & 0xff);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xff);
    }
    const QByteArray variants[] = {
        le,
        be,
        "\xef\xbb\xbf" + text.toUtf8(),
        text.toLatin1().replace("\r\n", "\r"),
        text.toUtf8().replace("\r\n", "\n\r"), // a blank line after each: Nfit lines still there
    };
    for (const QByteArray& bytes : variants) {
        Reading r;
        r.cgp(three_states);
        r.result = read_inversion_result(bytes, r.path, r.exe, r.fd, r.st, r.log, r.messages);
        const bool blank_lines = bytes.contains("\n\r");
        EXPECT_EQ(r.result.outcome, blank_lines ? TIROutcome::ExceptionRaised : TIROutcome::Loaded)
            << bytes.toHex(' ').toStdString();
        EXPECT_EQ(r.fd.count(), blank_lines ? 0 : 1);
        if (!blank_lines) {
            EXPECT_EQ(r.field(&TStressTensor::L), (std::vector<int>{0, 5, 15}));
        }
    }
}

TEST(InversionResultReader, FileTooLargeForTheMemoryIsRefusedUnread) {
    Reading r;
    const QString path = r.folder.path(QStringLiteral("huge.tlv"));
    if (!make_file_beyond_the_memory(path))
        GTEST_SKIP() << "no sparse file that large here";
    const qint64 size = QFileInfo(path).size();
    QByteArray bytes;
    QString message;
    EXPECT_FALSE(read_IR_file(path, bytes, &message));
    EXPECT_EQ(message, file_too_large_message(path, size));
    EXPECT_FALSE(read_IR_file(r.folder.path(QStringLiteral("missing.tlv")), bytes, &message));
    EXPECT_EQ(message, exception_raised_message);

    TIRReadResult too_large;
    too_large.outcome = TIROutcome::TooLarge;
    too_large.too_large_message = message = file_too_large_message(path, size);
    EXPECT_EQ(ir_failure_message(too_large), message);
}

} // namespace
