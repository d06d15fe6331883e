#include "faults/table_reader.h"

#include "faults/fd_list_text.h"
#include "faults/fd_reader.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

QStringList listing(const TFaultDataSet& set) {
    QStringList lines;
    for (int k = 0; k < set.count(); ++k)
        lines.append(fd_list_line(set.FDList[k], k, false, u'.'));
    return lines;
}

struct TableReading {
    TempFolder folder;
    EventLog log{folder.path(QStringLiteral("QMT.log"))};
    TFaultDataSet set;
    TTableReadResult result;

    void read(const QString& text, const TTableOptions& options = {}) {
        result = read_fault_data_table(text, QStringLiteral("site.csv"), options, set, log);
    }
};

// The same data written in each convention read as the same listing as the line file.
TEST(TableReader, EveryConventionGivesTheLineFilesData) {
    const QStringList lines{"F 90 45 90 45 R", "F 90 45 35.3 30 N", "F 90 45 0 0 S",
                            "M 90 45 90 45 R", "L 240 60 240 60 N"};
    TempFolder folder;
    EventLog log;
    RecordingMessages messages;
    TFaultDataSet expected_set;
    read_fault_data_lines(lines, QStringLiteral("site.efd"), expected_set, log, messages);
    const QStringList expected = listing(expected_set);

    TTableOptions left;
    left.strike_rule = TStrikeRule::Left;
    const struct {
        const char* name;
        QString text;
        TTableOptions options;
    } tables[] = {
        {"dip direction, trend, plunge, words",
         "kind,dd,dip,trend,plunge,sense\nF,90,45,90,45,reverse\nF,90,45,35.26439,30,normal\n"
         "F,90,45,0,0,sinistral\nM,90,45,90,45,thrust\nL,240,60,240,60,n\n",
         {}},
        {"strike (right-hand rule), rake",
         "Type;Strike;Dip;Rake\nF;0;45;90\nF;0;45;-45\nF;0;45;0\nM;0;45;90\nL;150;60;-90\n",
         {}},
        {"strike (left-hand rule), trend, plunge",
         "type\tstrike\tdip\ttrend\tplunge\tsense\nF\t180\t45\t90\t45\tR\nF\t180\t45\t35,"
         "26439\t30\tN\n"
         "F\t180\t45\t0\t0\tS\nM\t180\t45\t90\t45\tR\nL\t330\t60\t240\t60\tN\n",
         left},
        {"quadrant bearings, dip quadrants, pitch",
         "kind strike dip pitch pitch_dir sense\nF N0E 45E 90 N R\nF S0E 45SE 45 N N\n"
         "F N0E 45E 0 N S\nM S0W 45E 90 S R\nL S30E 60SW 90 S N\n",
         {}},
        {"quoted cells, comments, CR line ends",
         "# a site\r\"Kind\",\"Strike\",\"Dip\",\"Rake\"\r\"F\",\"0\",\"45\",\"90\"\r# more\r"
         "\"F\",\"0\",\"45\",\"-45\"\r\"F\",\"0\",\"45\",\"0\"\r\"M\",\"0\",\"45\",\"90\"\r"
         "\"L\",\"150\",\"60\",\"-90\"\r",
         {}},
    };
    for (const auto& table : tables) {
        SCOPED_TRACE(table.name);
        TableReading r;
        r.read(table.text, table.options);
        ASSERT_TRUE(r.result.columns_known);
        EXPECT_EQ(r.result.problems.join(u'\n'), QString());
        EXPECT_EQ(listing(r.set), expected);
    }
}

TEST(TableReader, FocalMechanismsGetTheirSecondNodalPlane) {
    TableReading r;
    r.read(QStringLiteral("strike,dip,rake,kind\n0,45,90,M\n"));
    ASSERT_EQ(r.set.count(), 1);
    ASSERT_EQ(r.set.FDList[0].SDList.size(), 2u);
    const TSlipData& second = r.set.FDList[0].SDList[1];
    EXPECT_NEAR(second.Pazpl.az, 270, 1e-3);
    EXPECT_NEAR(second.Pazpl.pl, 45, 1e-3);
    EXPECT_EQ(second.sense, TSense::R);
}

// Each bad cell names its row (the file's line) and column; good rows load; a summary counts.
TEST(TableReader, BadCellsAreReportedAndTheirRowsSkipped) {
    const struct {
        const char* row;
        const char* problem;
    } rows[] = {
        {"F,120,3O,200,20,N", "row 3, column dip: \"3O\" is not a dip"},
        {"F,,30,200,20,N", "row 3, column dipdir: empty, a dip direction expected"},
        {"X,120,30,200,20,N", "row 3, column kind: \"X\" is not a kind (F, M, L or S)"},
        {"F,120,30,north,20,N", "row 3, column trend: \"north\" is not a trend"},
        {"F,120,30,200,,N", "row 3, column plunge: empty, a plunge expected"},
        {"F,120,30,200,20,oblique", "row 3, column sense: \"oblique\" is not a sense of slip"},
        {"F,120,30,120,53.4,N", "row 3: lineation 23.4° off its plane"},
    };
    for (const auto& row : rows) {
        TableReading r;
        r.read(QStringLiteral("kind,dipdir,dip,trend,plunge,sense\nF,10,20,100,0,D\n%1\n")
                   .arg(QLatin1String(row.row)));
        ASSERT_EQ(r.result.problems.size(), 1) << row.row;
        EXPECT_EQ(r.result.problems[0], QString::fromUtf8(row.problem));
        EXPECT_EQ(r.set.count(), 1);
        EXPECT_EQ(table_report(r.result, {}),
                  QString::fromUtf8(row.problem) + QStringLiteral("\n2 rows read, 1 skipped"));
    }
    const struct {
        const char* table;
        const char* problem;
    } others[] = {
        {"strike,dip,rake\n0,45,200", "row 2, column rake: \"200\" is not a rake in [-180, 180]"},
        {"strike,dip,rake,sense\n0,45,-90,R", "row 2, column sense: \"R\" contradicts the rake"},
        {"strike,dip,quadrant,rake\n0,45,N,90",
         "row 2, column quadrant: the dip quadrant lies along the strike"},
        {"dd,dip,pitch\n90,45,30",
         "row 2, column pitch: \"30\" is not the end of the strike line the pitch is measured "
         "from"},
        {"dd,dip,pitch\n90,45,30E",
         "row 2, column pitch: the pitch direction lies across the strike"},
        {"0,45,90", ""},
    };
    TTableOptions by_position;
    by_position.columns = roles_from_list(u"strike,dip,rake");
    for (const auto& row : others) {
        TableReading r;
        const bool headerless = QByteArray(row.table).startsWith("0");
        r.read(QString::fromUtf8(row.table), headerless ? by_position : TTableOptions{});
        ASSERT_TRUE(r.result.columns_known) << row.table;
        EXPECT_EQ(r.result.problems.join(u'\n'), QString::fromUtf8(row.problem)) << row.table;
    }
    // Without a header the column is named by its number.
    TableReading r;
    r.read(QStringLiteral("0,45x,90\n"), by_position);
    EXPECT_EQ(r.result.problems.value(0), QStringLiteral("row 1, column 2: \"45x\" is not a dip"));
}

TEST(TableReader, LineationsNearTheirPlaneAreProjectedAndCounted) {
    TableReading r;
    r.read(QStringLiteral(
        "dd,dip,trend,plunge,sense\n90,45,90,47,N\n90,45,90,45.3,N\n90,45,90,54,N\n"));
    ASSERT_EQ(r.set.count(), 3);
    EXPECT_EQ(r.result.projected, 2);
    EXPECT_NEAR(r.set.FDList[0].SDList[0].Lazpl.pl, 45, 1e-3);
    EXPECT_EQ(r.set.FDList[1].SDList[0].Lazpl.pl, 45.3f); // within half a degree: as measured
    EXPECT_EQ(table_report(r.result, {}),
              QStringLiteral("2 lineations projected onto their planes (up to 10° off)"));
    TTableOptions strict;
    strict.lineation_tolerance = 5;
    r.read(QStringLiteral("dd,dip,trend,plunge,sense\n90,45,90,54,N\n"), strict);
    EXPECT_EQ(r.result.problems.value(0), QStringLiteral("row 2: lineation 9.0° off its plane"));
}

TEST(TableReader, ColumnsThatCannotBeTold) {
    const char* tables[] = {"120,30,200,20,N\n", "a,b,c\n1,2,3\n", "dd,dip,sense\n1,2,N\n", ""};
    for (const char* table : tables) {
        TableReading r;
        r.set.FDList.resize(2); // the previous data stay
        r.read(QString::fromUtf8(table));
        EXPECT_FALSE(r.result.columns_known) << table;
        EXPECT_EQ(r.set.count(), 2);
    }
}

TEST(TableReader, OrientationsOutOfRangeAreLoggedOnceAndKept) {
    TableReading r;
    r.read(QStringLiteral("dd,dip,trend,plunge\n90,95,90,95\n90,96,90,96\n"), [] {
        TTableOptions o;
        o.lineation_tolerance = 90;
        return o;
    }());
    EXPECT_TRUE(r.result.orientation_error);
    EXPECT_EQ(r.set.count(), 2);
    EXPECT_EQ(QString::fromUtf8(r.folder.read(QStringLiteral("QMT.log"))).count(u'\n'), 1);
}

TEST(TableReader, DelimiterAndHeaderDetection) {
    const struct {
        const char* text;
        char16_t delimiter;
        bool header;
        bool decimal_comma;
    } rows[] = {
        {"dd,dip\n1,2\n", u',', true, false},      {"dd;dip\n1,5;2\n", u';', true, true},
        {"dd\tdip\n1\t2\n", u'\t', true, true},    {"dd dip\n1   2\n", u' ', true, false},
        {"\"a,b\",dip\n1,2\n", u',', true, false}, {"1,2\n3,4\n", u',', false, false},
    };
    for (const auto& row : rows) {
        const TTable table = split_table(QString::fromUtf8(row.text));
        EXPECT_EQ(table.layout.delimiter, QChar(row.delimiter)) << row.text;
        EXPECT_EQ(table.layout.header, row.header) << row.text;
        EXPECT_EQ(table.layout.decimal_comma, row.decimal_comma) << row.text;
    }
    const TTable quoted = split_table(u"name,dip\n\"say \"\"so\"\", twice\",2\n");
    ASSERT_EQ(quoted.rows.size(), 1u);
    EXPECT_EQ(quoted.rows[0].cells, QStringList({"say \"so\", twice", "2"}));
    EXPECT_EQ(quoted.rows[0].line, 2);
}

TEST(TableReader, DatumLines) {
    TableReading r;
    r.read(QStringLiteral("kind,strike,dip,rake\nF,0,45,-45\nM,0,45,90\n"));
    ASSERT_EQ(r.set.count(), 2);
    EXPECT_EQ(datum_line(r.set.FDList[0]), QStringLiteral("F 90.0 45.0 35.3 30.0 N"));
    EXPECT_EQ(datum_line(r.set.FDList[1]), QStringLiteral("M 90.0 45.0 90.0 45.0 R"));
}

} // namespace
