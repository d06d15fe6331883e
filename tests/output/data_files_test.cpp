#include "output/data_files.h"

#include "faults/fd_reader.h"
#include "faults/table_reader.h"
#include "tests/support/test_support.h"

#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr float nan = std::numeric_limits<float>::quiet_NaN();

TSlipData slip(float paz, float ppl, float laz, float lpl, TSense sense, float misfit = 0,
               float sn = 0, float tau = 0) {
    TSlipData sd;
    sd.Pazpl = make_azpl(paz, ppl);
    sd.Lazpl = make_azpl(laz, lpl);
    sd.sense = sense;
    sd.misfit_angle = misfit;
    sd.normal_stress = sn;
    sd.shear_stress = tau;
    return sd;
}

TFaultData datum(TDataType type, std::vector<TSlipData> sds, int rep, float rep_misfit) {
    return TFaultData{type, std::move(sds), rep, rep_misfit};
}

TStressTensor designated() { // sigma1 5/80, sigma3 185/10, ratio 0.5
    TStressTensor st;
    st.ax = {make_azpl(5, 80), Tazpl{}, make_azpl(185, 10)};
    st.e_vec = {azpl_to_vector3(st.ax[0]), Tvector3{}, azpl_to_vector3(st.ax[2])};
    build_stress_tensor(st, 0.5f);
    return st;
}

QByteArray golden(const char* name) {
    QFile file(test_data_path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing golden file");
}

TFaultDataSet every_kind_of_datum() {
    TFaultDataSet set;
    set.FDList = {
        datum(TDataType::Ful, {slip(120, 30, 200, 20, TSense::N, 12.34f, 0.45f, 0.32f)}, 0, 12.34f),
        // Both nodal plane misfits whatever rep_misfit holds; the representative's stresses.
        datum(TDataType::Mec,
              {slip(40, 60, 310, 5, TSense::D, 20.06f, 0.9f, 0.9f),
               slip(304, 85, 130, 30, TSense::D, 7.25f, 0.6f, 0.1234f)},
              1, 3.3f),
        datum(TDataType::Sen,
              {slip(90, 80, 0, 0, TSense::S, 0, 0, 1), slip(90, 80, 180, 0, TSense::S),
               slip(90, 80, 10, 5, TSense::N)},
              0, 180),
        datum(TDataType::Lin, {slip(5, 89.96f, 359.96f, 0.04f, TSense::U, 0, 0.45f, 0.45f)}, 0,
              0.05f),
        datum(TDataType::Ful, {slip(120, 30, 200, 20, TSense::N, 0, nan, nan)}, 0, nan),
        datum(TDataType::Mec,
              {slip(40, 60, 310, 5, TSense::D, nan), slip(304, 85, 130, 30, TSense::D)}, 1, 0),
    };
    return set;
}

TEST(MisfitDataFile, EveryKindOfDatumAsGolden) {
    const TFaultDataSet set = every_kind_of_datum();
    TempFolder folder;
    QString error = QStringLiteral("stale");
    ASSERT_TRUE(save_data_misfit(folder.path("m.txt"), set, "site.efd", designated(),
                                 TMifitMeasure::SlipDir, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(folder.read("m.txt"), golden("output_misfit.txt"));
    // Under DistFry the worst misfit stands in for a NaN.
    ASSERT_TRUE(save_data_misfit(folder.path("m.txt"), set, "site.efd", designated(),
                                 TMifitMeasure::DistFry, &error));
    EXPECT_TRUE(folder.read("m.txt").contains("N # misfit= 90.0, Sn= 0.0000"));
}

// Every number takes the locale's separator, also one of more than a byte in UTF-8.
TEST(MisfitDataFile, EveryNumberTakesTheLocaleSeparator) {
    const QLocale before;
    for (const QLocale& locale :
         {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Arabic, QLocale::Egypt)}) {
        QLocale::setDefault(locale);
        const QByteArray point = locale.decimalPoint().toUtf8();
        TempFolder folder;
        ASSERT_TRUE(save_data_misfit(folder.path("m.txt"), every_kind_of_datum(), "site.efd",
                                     designated(), TMifitMeasure::SlipDir, nullptr));
        const QByteArray expected =
            golden("output_misfit.txt").replace(".", point).replace("site" + point, "site.");
        EXPECT_EQ(folder.read("m.txt"), expected) << locale.name().toStdString();
    }
    QLocale::setDefault(before);
}

TEST(DataFiles, EmptySetGivesTheClosingLinesOnly) {
    const QByteArray closing = "\r\n# source file = site.efd\r\n# designated stress state:\r\n"
                               "#   5.0/80.0 185.0/10.0 0.5000\r\n";
    TempFolder folder;
    ASSERT_TRUE(save_data_misfit(folder.path("m.txt"), {}, "site.efd", designated(),
                                 TMifitMeasure::SlipDir, nullptr));
    EXPECT_EQ(folder.read("m.txt"), closing);
    ASSERT_TRUE(save_data_theoretical(folder.path("t.efd"), {}, "site.efd", designated(), nullptr));
    EXPECT_EQ(folder.read("t.efd"), QByteArray(closing).replace("file =", "file (fault plane) ="));
}

TEST(DataFiles, FailuresAreReportedAndLeaveThePreviousFile) {
    TempFolder folder;
    const QString target = folder.write("m.txt", "previous");
    TFaultDataSet set, theoretical;
    set.FDList = {datum(TDataType::Ful, {slip(120, 30, 200, 20, TSense::N)}, 0, 1),
                  datum(TDataType::Ful, {slip(120, 30, 200, 20, TSense::N)}, -1, -1)};
    theoretical.FDList.resize(1); // what the analysis leaves for a datum without alternatives
    QString error;
    EXPECT_FALSE(
        save_data_misfit(target, set, "site.efd", designated(), TMifitMeasure::SlipDir, &error));
    EXPECT_TRUE(error.contains("datum #2 has no computed misfit")) << error.toStdString();
    EXPECT_FALSE(save_data_theoretical(target, theoretical, "site.efd", designated(), &error));
    EXPECT_TRUE(error.contains("datum #1 has no theoretical slip")) << error.toStdString();
    set.FDList.pop_back();
    for (const QString& path : {target + "/m.txt", folder.path(QString())}) {
        EXPECT_FALSE(save_data_misfit(path, set, "", designated(), TMifitMeasure::SlipDir, &error));
        EXPECT_TRUE(error.startsWith("Cannot write file [")) << error.toStdString();
    }
    EXPECT_EQ(folder.read("m.txt"), "previous");
    EXPECT_TRUE(save_data_misfit("", set, "", designated(), TMifitMeasure::SlipDir, &error));
}

TEST(TheoreticalSlipFile, ReadsBackAsFullDataThatTheStateFits) {
    const QLocale before;
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        TempFolder folder;
        EventLog log{folder.path("QMT.log")};
        RecordingMessages messages;
        TFaultDataSet data, theoretical, back, back_theoretical;
        read_fault_data_lines({"F 120 30 200 20 N", "M 40 60 310 5 D", "L 300 45 30 0 U",
                               "S 90 80 0 0 S & 180 0 S", "F 0 0 45 0 N"},
                              "site.efd", data, log, messages);
        calc_theoretical_slip_and_misfit(data, theoretical, designated(), TMifitMeasure::SlipDir);
        // A line break in the name must not become a datum line.
        ASSERT_TRUE(save_data_theoretical(folder.path("t.efd"), theoretical, "a\nF 1 2 3 4 N",
                                          designated(), nullptr));
        ASSERT_TRUE(read_fault_data_file(folder.path("t.efd"), back, log, messages).read);
        EXPECT_TRUE(messages.shown.isEmpty());
        ASSERT_EQ(back.count(), 5);
        calc_theoretical_slip_and_misfit(back, back_theoretical, designated(),
                                         TMifitMeasure::SlipDir);
        for (size_t k = 0; k < 5; ++k) {
            const TFaultData& fd = back.FDList[k];
            EXPECT_EQ(fd.datatype, TDataType::Ful);
            EXPECT_EQ(fd.SDList.at(0).sense, theoretical.FDList[k].SDList[0].sense) << k;
            EXPECT_LT(fd.rep_misfit, 0.2f) << k; // zero up to the file's tenths of a degree
        }
        if (locale != QLocale::c()) {
            EXPECT_TRUE(folder.read("t.efd").startsWith("F 120,0 30,0 "));
        }
    }
    QLocale::setDefault(before);
}

// Data imported from a table, saved as a fault-slip file and read back, are the data saved:
// every kind, in a locale whose decimal point is a comma as well.
TEST(FaultDataFile, SavedDataReadBack) {
    const QString table = QStringLiteral("kind,dd,dip,trend,plunge,sense\n"
                                         "F,120.5,30,200,20,N\nM,40,60,310,5,D\n"
                                         "L,120,30,200,20,U\nS,90,80,0,0,S\n");
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German)}) {
        const QLocale previous;
        QLocale::setDefault(locale);
        TempFolder folder;
        EventLog log;
        RecordingMessages messages;
        TFaultDataSet imported, back;
        TTableOptions options;
        options.lineation_tolerance = 90;
        read_fault_data_table(table, QStringLiteral("site.csv"), options, imported, log);
        ASSERT_EQ(imported.count(), 4);
        const QString path = folder.path(QStringLiteral("site.efd"));
        QString error;
        ASSERT_TRUE(save_data_fault_data(path, imported, QStringLiteral("site.csv"), &error))
            << error.toStdString();
        read_fault_data_file(path, back, log, messages);
        QLocale::setDefault(previous);
        EXPECT_TRUE(messages.shown.isEmpty());
        ASSERT_EQ(back.count(), imported.count());
        for (int k = 0; k < back.count(); ++k)
            EXPECT_EQ(datum_line(back.FDList[k]), datum_line(imported.FDList[k])) << k;
        EXPECT_EQ(back.FDList[1].SDList.size(), 2u);
    }
}

} // namespace
