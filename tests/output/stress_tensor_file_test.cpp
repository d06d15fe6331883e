#include "output/stress_tensor_file.h"

#include "plot/st_plot.h"
#include "tests/support/test_support.h"

#include <QFile>

#include <gtest/gtest.h>

#include <limits>

namespace {

TStressTensor state(float az1, float pl1, float az3, float pl3, float sr, int L) {
    TStressTensor st;
    st.ax = {make_azpl(az1, pl1), Tazpl{}, make_azpl(az3, pl3)};
    st.sr = sr;
    st.L = L;
    st.Ln = float(L) / 20;
    return st;
}

// Fitness 0, 5 and 15, weighted as after loading.
TStressStates three_states(float ef) {
    TStressStates states{{state(100, 10, 10, 5, 0.5f, 0), state(10, 80, 190, 10, 1, 5),
                          state(45, 30, 270, 5, 0.25f, 15)},
                         QString(),
                         15,
                         0.75f,
                         0.25f};
    update_plotted_numbers(states.STSet, ef, TEmphasis::Siz, 0.75f, 0.25f);
    return states;
}

QList<QByteArray> saved_lines(const TStressStates& states, float ef) {
    TempFolder folder;
    EXPECT_TRUE(save_data_stress_tensor(folder.path("s.txt"), states, "ridge.tlv", ef, nullptr));
    return folder.read("s.txt").split('\n');
}

QByteArray golden(const char* name) {
    QFile file(test_data_path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing golden file");
}

TEST(StressTensorFile, ShownStatesFittestFirstAsGolden) {
    TempFolder folder;
    QString error = QStringLiteral("stale");
    ASSERT_TRUE(
        save_data_stress_tensor(folder.path("s.txt"), three_states(0), "ridge.tlv", 0, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(folder.read("s.txt"), golden("output_stress_tensor.txt"));
}

TEST(StressTensorFile, HeaderFitnessLinesAndDataFields) {
    const QList<QByteArray> lines = saved_lines(three_states(0.8f), 0.8f);
    EXPECT_EQ(lines[3], "# max fitness    = 15\r");
    EXPECT_EQ(lines[4], "# enhance factor =  0.800\r");
    EXPECT_EQ(lines[5], "# enhance unit   =  12.0\r");
    EXPECT_EQ(lines.size(), 11); // the fittest state only, then what follows the last CR LF

    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float sr, Le;
        const char* line; // nullptr: not shown
    } rows[] = {
        {0.25f, 3.7f, " 45.0 30.0 270.0 5.0 0.250 3\r"},
        {0.25f, 1e10f, " 45.0 30.0 270.0 5.0 0.250 2147483647\r"}, // as many as the plot draws
        {nan, 1, " 45.0 30.0 270.0 5.0 0.000 1\r"},
        {0.25f, 0.99f, nullptr},
        {0.25f, nan, nullptr},
    };
    for (const auto& r : rows) {
        TStressStates states;
        states.STSet = {state(45, 30, 270, 5, r.sr, 1)};
        states.STSet[0].Le = r.Le;
        const QList<QByteArray> got = saved_lines(states, 0);
        EXPECT_EQ(got.value(9), r.line ? QByteArray(r.line) : QByteArray()) << r.Le;
    }
}

TEST(StressTensorFile, ReplacesOldFileAndReportsFailures) {
    TempFolder folder;
    const QString target = folder.write("s.txt", "previous contents, longer than the new ones ...");
    ASSERT_TRUE(save_data_stress_tensor(target, {}, "x.tlv", 0, nullptr));
    EXPECT_TRUE(folder.read("s.txt").startsWith("# Stress states plotted on QMT\r\n"));
    EXPECT_TRUE(folder.read("s.txt").endsWith("plotted_number\r\n# \r\n"));
    QString error;
    for (const QString& path : {target + "/s.txt", folder.path(QString())}) {
        EXPECT_FALSE(save_data_stress_tensor(path, {}, "x.tlv", 0, &error));
        EXPECT_TRUE(error.startsWith("Cannot write file [")) << error.toStdString();
    }
    EXPECT_TRUE(save_data_stress_tensor(QString(), {}, "x.tlv", 0, &error));
    EXPECT_TRUE(error.isEmpty());
}

} // namespace
