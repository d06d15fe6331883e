#include "faults/fd_reader.h"

#include "faults/fd_list_text.h"
#include "tests/support/resource_use.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Reading {
    TempFolder folder;
    EventLog log{folder.path(QStringLiteral("QMT.log"))};
    RecordingMessages messages;
    TFaultDataSet set;
    TFDReadResult result;

    void read(const QByteArray& bytes) {
        result = read_fault_data_file(folder.write(QStringLiteral("site.efd"), bytes), set, log,
                                      messages);
    }
};

bool all_finite(const TFaultDataSet& set) {
    for (const TFaultData& fd : set.FDList)
        for (const TSlipData& sd : fd.SDList)
            for (float x : {sd.Pazpl.az, sd.Pazpl.pl, sd.Lazpl.az, sd.Lazpl.pl, sd.v.x, sd.v.y,
                            sd.v.z, sd.n.x, sd.n.y, sd.n.z, sd.b.x, sd.b.y, sd.b.z})
                if (!std::isfinite(x))
                    return false;
    return true;
}

QStringList invalid_at(std::initializer_list<int> lines) {
    QStringList texts;
    for (int k : lines)
        texts << QStringLiteral("invalid data at line #") + QString::number(k);
    return texts;
}

QByteArray utf16le(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

TEST(FaultDataBadInput, BrokenFiles) {
    const QByteArray ten_mb(10 << 20, 'x');
    const struct {
        const char* what;
        QByteArray bytes;
        int data;
        QStringList messages;
    } rows[] = {
        {"empty file", "", 0, {}},
        {"nul bytes", with_nuls("120 30 200 20 N~\n120 3~ 200 20 N\n~~~\n"), 1, invalid_at({2})},
        // Without a byte-order mark the bytes are read as the code page reads them: a NUL in
        // every number, and the NUL after each CR a line of its own.
        {"utf-16 without bom", utf16le("120 30 200 20 N\r\n90 80 0 0 S\r\n"), 0,
         invalid_at({1, 3})},
        {"not numbers", "F nan 30 200 20 N\nF 120 inf 200 20 N\nF 120 30 0x10 20 N\n", 0,
         invalid_at({1, 2, 3})},
        {"10 MB line of one token", "F " + ten_mb, 0, {}},
        {"10 MB number", "F 1" + QByteArray(10 << 20, '0') + " 30 200 20 N\n", 0, invalid_at({1})},
        {"10 MB of tokens after a datum",
         "F 120 30 200 20 N " + QByteArray(ten_mb).replace("xx", "x "),
         1,
         {}},
        {"10 MB of blanks before a datum", QByteArray(10 << 20, ' ') + "120 30 200 20 N", 1, {}},
    };
    for (const auto& row : rows) {
        Reading r;
        const ResourceWatch watch;
        r.read(row.bytes);
        // A 10 MB line costs what reading 10 MB costs, not a string per token.
        EXPECT_LT(watch.elapsed_ms(), 2000 * sanitizer_slowdown) << row.what;
        EXPECT_LT(watch.peak_growth_bytes(), 100 << 20) << row.what;
        EXPECT_TRUE(r.result.read) << row.what;
        EXPECT_EQ(r.set.count(), row.data) << row.what;
        EXPECT_EQ(r.messages.shown, row.messages) << row.what;
        EXPECT_TRUE(all_finite(r.set)) << row.what;
    }
}

TEST(FaultDataBadInput, SignedZeroIsShownAsZero) {
    Reading r;
    r.read("F -0 30 200 -0 N\n");
    ASSERT_EQ(r.set.count(), 1);
    EXPECT_EQ(fd_list_line(r.set.FDList[0], 1, false), QStringLiteral("   1 : F 000 30 200 00 N"));
}

TEST(FaultDataBadInput, BinaryGarbage) {
    Reading r;
    r.read(garbage_bytes(1 << 20, 7));
    EXPECT_TRUE(r.result.read);
    EXPECT_TRUE(all_finite(r.set));
    for (const QString& m : r.messages.shown)
        EXPECT_TRUE(m.startsWith(QStringLiteral("invalid data at line #"))) << m.toStdString();
}

} // namespace
