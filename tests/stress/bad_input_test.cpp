#include "stress/ir_reader.h"

#include "tests/support/resource_use.h"
#include "tests/support/test_support.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A result and its CGP file in a temporary folder, the executable's folder inside it.
struct Reading {
    TempFolder folder;
    QString exe = folder.path(QStringLiteral("exe"));
    QString path = folder.path(QStringLiteral("r.tlv"));
    EventLog log{folder.path(QStringLiteral("QMT.log"))};
    RecordingMessages messages;
    TFaultDataSet fd;
    TStressStates st;
    TIRReadResult result;

    Reading() {
        QDir().mkpath(exe);
        folder.write(QStringLiteral("exe/s.cgp"),
                     "3\r\n10 20 100 0 0.5\n30 40 120 0 0.1\n50 60 140 0 0.9\n");
    }
    TIROutcome read(const QByteArray& bytes) {
        result = read_inversion_result(bytes, path, exe, fd, st, log, messages);
        return result.outcome;
    }
};

bool all_finite(const TFaultDataSet& fd, const std::vector<TStressTensor>& states) {
    for (const TFaultData& d : fd.FDList)
        for (const TSlipData& sd : d.SDList)
            for (float x : {sd.Pazpl.az, sd.Pazpl.pl, sd.Lazpl.az, sd.Lazpl.pl, sd.v.z, sd.n.z})
                if (!std::isfinite(x))
                    return false;
    for (const TStressTensor& s : states)
        for (float x : {s.ax[0].az, s.ax[0].pl, s.ax[2].az, s.ax[2].pl, s.sr, s.ss.x[0], s.Ln})
            if (!std::isfinite(x))
                return false;
    return true;
}

const QByteArray header = "1\r\nF 120 30 200 20 N\r\n3\r\n2\r\ns.cgp\r\n";

TEST(InversionResultBadInput, BrokenResults) {
    const QString conflict = QStringLiteral("conflict in number of stress tensor between");
    const struct {
        const char* what;
        QByteArray bytes;
        TIROutcome outcome;
        int data;
        size_t states;
        int messages;
        QString first_message;
    } rows[] = {
        {"garbage", garbage_bytes(1 << 20, 11), TIROutcome::ExceptionRaised, 0, 0, 0, QString()},
        {"utf-16, no bom", with_nuls("1~\r~\n~F~ ~1~ ~2~ ~3~ ~4~ ~N~\r~\n~"),
         TIROutcome::ExceptionRaised, 0, 0, 0, QString()},
        {"nul at ends", with_nuls("1~\r\n~F 120 30 200 20 N~\r\n3\r\n2\r\ns.cgp\r\n1 5~\r\n2 5~"),
         TIROutcome::Loaded, 1, 3, 0, QString()},
        // The name is taken as it stands; the message trims it as it trims blanks.
        {"nul after the CGP name", header.chopped(2) + with_nuls("~\r\n1 5\r\n"),
         TIROutcome::ExceptionRaised, 1, 0, 2, QStringLiteral("CGP File  [")},
        {"nul byte in a number", with_nuls("1\r\nF 120 3~0 200 20 N\r\n3\r\n1\r\ns.cgp\r\n1 5\r\n"),
         TIROutcome::Loaded, 0, 3, 1, QStringLiteral("invalid data at line #2")},
        {"Nst = 2147483647", "0\r\n2147483647\r\n1\r\ns.cgp\r\n1 5\r\n", TIROutcome::Loaded, 0, 3,
         1, conflict},
        {"fitness index -1", header + "1 5\r\n-1 5\r\n", TIROutcome::ExceptionRaised, 1, 3, 0,
         QString()},
        {"fitness -0", header + "1 -0\r\n2 7\r\n", TIROutcome::Loaded, 1, 3, 0, QString()},
    };
    for (const auto& row : rows) {
        Reading r;
        EXPECT_EQ(r.read(row.bytes), row.outcome) << row.what;
        EXPECT_EQ(r.fd.count(), row.data) << row.what;
        EXPECT_EQ(r.st.STSet.size(), row.states) << row.what;
        EXPECT_TRUE(all_finite(r.fd, r.st.STSet)) << row.what;
        EXPECT_EQ(r.messages.shown.size(), row.messages) << row.what;
        EXPECT_TRUE(r.messages.shown.value(0).startsWith(row.first_message)) << row.what;
    }
}

TEST(InversionResultBadInput, BrokenCGPFiles) {
    const struct {
        const char* what;
        QByteArray text;
        bool read;
        size_t states;
    } rows[] = {
        {"garbage", garbage_bytes(1 << 20, 11), false, 0},
        {"nan", "1\n1 2 3 4 nan\n", false, 0},
        {"-0", "1\n-0 -0 3 4 -0\n", true, 1},
        {"nul separators", with_nuls("1\n1~2~3~4~0.5\n"), true, 1},
        {"N beyond 64 bits", "9223372036854775808\n1 2 3 4 0.5\n", false, 0},
    };
    for (const auto& row : rows) {
        Reading r;
        std::vector<TStressTensor> set;
        EXPECT_EQ(read_CGP(r.folder.write(QStringLiteral("exe/s.cgp"), row.text), set, r.messages),
                  row.read)
            << row.what;
        EXPECT_EQ(set.size(), row.states) << row.what;
        EXPECT_TRUE(all_finite({}, set)) << row.what;
        EXPECT_TRUE(r.messages.shown.isEmpty()) << row.what;
    }
}

// A count is never trusted to size anything: the file bounds the work and the memory.
TEST(InversionResultBadInput, HugeCountsCostNothing) {
    const struct {
        const char* what;
        QByteArray result;
        QByteArray cgp;
        TIROutcome outcome;
        size_t states;
    } rows[] = {
        {"Nfd = 2147483647", "2147483647\r\nF 120 30 200 20 N\r\n3\r\n1\r\ns.cgp\r\n1 5\r\n", "",
         TIROutcome::ExceptionRaised, 0},
        {"Nfit = 2147483647", "0\r\n1\r\n2147483647\r\ns.cgp\r\n1 5\r\n", "1\n1 2 3 4 0.5\n",
         TIROutcome::ExceptionRaised, 1},
        {"CGP N = 10^12", "0\r\n1\r\n1\r\ns.cgp\r\n1 5\r\n", "1000000000000\n1 2 3 4 0.5\n",
         TIROutcome::Loaded, 1},
        {"CGP N = 2147483647", "0\r\n1\r\n1\r\ns.cgp\r\n1 5\r\n", "2147483647\n1 2 3 4 0.5\n",
         TIROutcome::Loaded, 1},
    };
    for (const auto& row : rows) {
        Reading r;
        if (!row.cgp.isEmpty())
            r.folder.write(QStringLiteral("exe/s.cgp"), row.cgp);
        const ResourceWatch watch;
        EXPECT_EQ(r.read(row.result), row.outcome) << row.what;
        // Bounds against a reading that grows with the square of a line, not a benchmark: a
        // machine busy with other work must not fail them.
        EXPECT_LT(watch.elapsed_ms(), 1000 * sanitizer_slowdown) << row.what;
        EXPECT_LT(watch.peak_growth_bytes(), 16 << 20) << row.what;
        EXPECT_EQ(r.st.STSet.size(), row.states) << row.what;
    }
}

// A 10 MB line wherever a line may stand reads quickly and costs a few times its size.
TEST(InversionResultBadInput, TenMegabyteLines) {
    const QByteArray junk(10 << 20, 'x');
    const QByteArray tokens = QByteArray(junk).replace("xx", "x ");
    const QByteArray digits(10 << 20, '1');
    const struct {
        const char* what;
        QByteArray result;
        QByteArray cgp;
        TIROutcome outcome;
        int data;
    } rows[] = {
        {"count", "1" + junk + "\r\n", {}, TIROutcome::ExceptionRaised, 0},
        {"count of digits", digits + "\r\n", {}, TIROutcome::ExceptionRaised, 0},
        {"fault line",
         "1\r\nF 120 30 200 20 N " + tokens + "\r\n3\r\n1\r\ns.cgp\r\n1 5\r\n",
         {},
         TIROutcome::Loaded,
         1},
        {"fault line of one number",
         "1\r\nF 1" + digits + " 30 200 20 N\r\n",
         {},
         TIROutcome::ExceptionRaised,
         0},
        {"fitness line",
         header + "1 5 " + tokens + "\r\n2 " + junk + "\r\n",
         {},
         TIROutcome::ExceptionRaised,
         1},
        {"CGP name", "0\r\n3\r\n1\r\n" + junk + "\r\n1 5\r\n", {}, TIROutcome::ExceptionRaised, 0},
        {"CGP number", "0\r\n1\r\n1\r\ns.cgp\r\n1 5\r\n", "1\n1" + digits + " 2 3 4 0.5\n",
         TIROutcome::ExceptionRaised, 0},
        {"CGP fraction", "0\r\n1\r\n1\r\ns.cgp\r\n1 5\r\n", "1\n0." + digits + " 2 3 4 0.5\n",
         TIROutcome::Loaded, 0},
        {"CGP rest of the first line", "0\r\n1\r\n1\r\ns.cgp\r\n1 5\r\n",
         "1 " + tokens + "\n1 2 3 4 0.5\n", TIROutcome::Loaded, 0},
    };
    for (const auto& row : rows) {
        Reading r;
        if (!row.cgp.isEmpty())
            r.folder.write(QStringLiteral("exe/s.cgp"), row.cgp);
        const ResourceWatch watch;
        EXPECT_EQ(r.read(row.result), row.outcome) << row.what;
        EXPECT_LT(watch.elapsed_ms(), 8000 * sanitizer_slowdown) << row.what;
        EXPECT_LT(watch.peak_growth_bytes(), 160 << 20) << row.what;
        EXPECT_EQ(r.fd.count(), row.data) << row.what;
    }
}

// The name is read as it stands below the executable's folder: "../" may leave it (read only),
// and a leading "/" does not make it absolute.
TEST(InversionResultBadInput, CGPNamesLeavingTheFolder) {
    const QByteArray cgp = "1\n10 20 100 0 0.5\n";
    Reading up;
    up.folder.write(QStringLiteral("up.cgp"), cgp);
    EXPECT_EQ(up.read("0\r\n1\r\n1\r\n../up.cgp\r\n1 5\r\n"), TIROutcome::Loaded);
    EXPECT_EQ(up.st.STSet.size(), 1u);
    EXPECT_EQ(up.folder.read(QStringLiteral("up.cgp")), cgp);
    EXPECT_TRUE(up.messages.shown.isEmpty());

    Reading absolute;
    const QString elsewhere = absolute.folder.write(QStringLiteral("abs.cgp"), cgp);
    EXPECT_EQ(absolute.read("0\r\n1\r\n1\r\n" + elsewhere.toUtf8() + "\r\n1 5\r\n"),
              TIROutcome::ExceptionRaised);
    EXPECT_TRUE(absolute.st.STSet.empty());
    ASSERT_EQ(absolute.messages.shown.size(), 2);
    EXPECT_EQ(absolute.messages.shown[0], QStringLiteral("CGP File  [") + absolute.exe + u'/' +
                                              elsewhere + QStringLiteral("]  not found."));
    EXPECT_EQ(absolute.folder.read(QStringLiteral("abs.cgp")), cgp);

    for (const char* name : {"", ".", "..", "../exe"}) {
        Reading folder; // names of folders: no CGP file, so state 1 is not there either
        EXPECT_EQ(folder.read("0\r\n1\r\n1\r\n" + QByteArray(name) + "\r\n1 5\r\n"),
                  TIROutcome::ExceptionRaised)
            << name;
        ASSERT_EQ(folder.messages.shown.size(), 2) << name;
        EXPECT_EQ(folder.messages.shown[0], QStringLiteral("CGP File  [") + folder.exe + u'/' +
                                                QString::fromLatin1(name) +
                                                QStringLiteral("]  not found."))
            << name;
    }
}

} // namespace
