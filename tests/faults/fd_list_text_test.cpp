#include "faults/fd_list_text.h"

#include "faults/fd_reader.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

TFaultData datum_of(const QString& line) {
    TFDLineContext context;
    auto datum = read_fault_datum_line(line, 1, context);
    EXPECT_TRUE(datum.has_value()) << line.toStdString();
    return datum.value_or(TFaultData{});
}

TEST(FaultDataListLine, PiecesWithoutDesignation) {
    struct Row {
        const char* datum;
        int k;
        const char* line;
    };
    const Row rows[] = {
        {"F 120.4 30 200 5 N", 1, "   1 : F 120 30 200 05 N"},
        {"F 7.5 5 359.6 0.4 r", 12, "  12 : F 008 05 360 00 R"},
        {"L 0 90 10 2.5 U", 12345, "12345 : L 000 90 010 03 U"},
        {"S 90 80 0 0 S & 180 0 S & 10 5 N", 3, "   3 : S 090 80 000 00 S & 180 00 S & 010 05 N"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(fd_list_line(datum_of(r.datum), r.k, false), QString::fromLatin1(r.line));

    // A focal mechanism shows its second nodal plane with plane, slip and sense.
    const TFaultData mec = datum_of("M 90 60 90 60 N");
    EXPECT_EQ(fd_list_line(mec, 2, false),
              QStringLiteral("   2 : M 090 60 090 60 N / 270 30 270 30 N"));
}

TEST(FaultDataListLine, MisfitAndStressesWhileDesignated) {
    TFaultData datum = datum_of("F 120 30 200 20 N");
    datum.rep_isd = 0;
    datum.rep_misfit = 7.3f;
    datum.SDList[0].normal_stress = 0.455f;
    datum.SDList[0].shear_stress = 0.3f;
    EXPECT_EQ(fd_list_line(datum, 1, true),
              QStringLiteral("   1 : [  7.3] F 120 30 200 20 N {0.46,0.30}"));
    datum.rep_misfit = 180.0f;
    EXPECT_EQ(fd_list_line(datum, 1, true).mid(7, 8), QStringLiteral("[180.0] "));

    // Not yet analysed: no stresses to show.
    datum.rep_isd = -1;
    datum.rep_misfit = -1.0f;
    EXPECT_EQ(fd_list_line(datum, 1, true), QStringLiteral("   1 : [ -1.0] F 120 30 200 20 N"));
}

} // namespace
