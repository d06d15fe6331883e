// The batch tool's inversion: options read or refused (exit 2), input that gives no result
// (exit 1, nothing written), and the command a new user types, run as the program.

#include "batch/batch_options.h"
#include "batch/batch_run.h"

#include "stress/inversion_grid.h"
#include "tests/batch/batch_call.h"
#include "tests/support/test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

const QString quarry_data = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/quarry_site.efd");

TEST(BatchInversionOptions, SettingsAreTakenOrRefusedWithTheOptionNamed) {
    const TBatchParse grid =
        parse_batch_arguments({"quomtel-batch", "--fault-data", "a.efd", "--invert", "grid",
                               "--grid-step", "2.5", "--ratio-step", "0.05", "--tolerance", "30"});
    ASSERT_EQ(grid.kind, TBatchParse::Kind::Run) << grid.text.toStdString();
    ASSERT_TRUE(grid.options.invert);
    EXPECT_EQ(grid.options.invert->method, TInversionMethod::Grid);
    EXPECT_EQ(grid.options.invert->grid_spacing, 2.5);
    EXPECT_EQ(grid.options.invert->ratio_step, 0.05);
    EXPECT_EQ(grid.options.invert->tolerance, 30);
    const TBatchParse linear =
        parse_batch_arguments({"quomtel-batch", "--inversion-result", "r.tlv", "--invert", "linear",
                               "--bootstrap", "0", "--seed", "4294967295", "--stress", "best"});
    ASSERT_EQ(linear.kind, TBatchParse::Kind::Run) << linear.text.toStdString();
    EXPECT_EQ(linear.options.invert->method, TInversionMethod::Linear);
    EXPECT_EQ(linear.options.invert->resamples, 0);
    EXPECT_EQ(linear.options.invert->seed, 4294967295u);

    const struct {
        QStringList arguments;
        QString reason;
    } refused[] = {
        {{"--invert", "simplex"}, "--invert must be grid or linear, not 'simplex'"},
        {{"--invert", "grid", "--grid-step", "0.5"}, "--grid-step: " + check_grid_spacing(0.5)},
        {{"--invert", "grid", "--grid-step", "31"}, "--grid-step: " + check_grid_spacing(31)},
        {{"--invert", "grid", "--grid-step", "five"}, "--grid-step must be a number, not 'five'"},
        {{"--invert", "grid", "--ratio-step", "0.6"}, "--ratio-step: " + check_ratio_step(0.6)},
        {{"--invert", "grid", "--tolerance", "91"}, "--tolerance: " + check_tolerance(91)},
        {{"--invert", "grid", "--grid-step", "1", "--ratio-step", "0.01"},
         "--grid-step: " + check_grid_size(1, 0.01)},
        {{"--invert", "linear", "--bootstrap", "100001"},
         "--bootstrap: " + check_bootstrap_count(100001)},
        {{"--invert", "linear", "--bootstrap", "-1"}, "--bootstrap: " + check_bootstrap_count(-1)},
        {{"--invert", "linear", "--seed", "-1"},
         "--seed must be an integer from 0 to 4294967295, not '-1'"},
        {{"--grid-step", "5"}, "--grid-step needs --invert"},
        {{"--invert", "grid", "--seed", "2"}, "--seed does not apply to --invert grid"},
        {{"--invert", "linear", "--tolerance", "10"},
         "--tolerance does not apply to --invert linear"},
    };
    for (const auto& c : refused) {
        TempFolder dir;
        const QString written = dir.path(QStringLiteral("r.tlv"));
        const BatchRun r =
            run(QStringList{"--fault-data", quarry_data, "--write-result", written} + c.arguments);
        EXPECT_EQ(r.status, batch_usage_error) << c.reason.toStdString();
        EXPECT_TRUE(r.err.startsWith("quomtel-batch: " + c.reason + u'\n')) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(written));
    }
    for (const auto& [arguments, reason] :
         {std::pair<QStringList, QString>{{"--invert", "grid", "--statistics"},
                                          "Fault Data must be loaded."},
          {{"--fault-data", "a.efd", "--write-result", "r.tlv"}, "Stress Tensor must be loaded."},
          {{"--fault-data", "a.efd", "--invert", "grid", "--write-result", "-"},
           "--write-result needs a file name, not '-'"},
          {{"--fault-data", "a.efd", "--stress", "best"},
           "--stress best needs --inversion-result or --invert"}}) {
        const BatchRun r = run(arguments);
        EXPECT_EQ(r.status, batch_usage_error) << reason.toStdString();
        EXPECT_TRUE(r.err.startsWith("quomtel-batch: " + reason + u'\n')) << r.err.toStdString();
    }
}

// Data that give no result fail the run before anything is written or printed.
TEST(BatchInversionRun, DataWithoutAResultExitOneAndWriteNothing) {
    const struct {
        const char* what;
        QByteArray data;
        QStringList options;
        QString message;
    } rows[] = {
        {"too few",
         "F 90 40 90 40 N\r\nF 10 70 100 0 S\r\nF 250 30 250 30 R\r\n",
         {"--invert", "grid"},
         check_data_count(3)},
        {"no state within the tolerance",
         "S 93.7 37.3 93.7 37.3 N & 93.7 37.3 R\r\nS 211.2 68.9 300.4 12.2 S & 300.4 12.2 D\r\n"
         "S 93.7 37.3 93.7 37.3 N & 93.7 37.3 R\r\nS 211.2 68.9 300.4 12.2 S & 300.4 12.2 D\r\n",
         {"--invert", "grid", "--grid-step", "30", "--ratio-step", "0.5", "--tolerance", "20"},
         no_fitting_candidate_message(20)},
        {"parallel planes",
         "F 90 40 90 40 N\r\nF 90 40 0 0 S\r\nF 90 40 180 0 D\r\nF 90 40 45 30 N\r\n",
         {"--invert", "linear"},
         "The fault data do not determine a stress tensor: their planes are too nearly parallel "
         "or too few kinds of them."},
    };
    for (const auto& row : rows) {
        TempFolder dir;
        const QString data = dir.write(QStringLiteral("bad.efd"), row.data);
        const BatchRun r =
            run(QStringList{"--fault-data", data, "--write-result", dir.path("r.tlv"),
                            "--write-stress-tensor", dir.path("s.txt"), "--statistics"} +
                row.options);
        EXPECT_EQ(r.status, batch_failed) << row.what;
        EXPECT_EQ(r.err, "quomtel-batch: " + row.message + u'\n') << row.what;
        EXPECT_TRUE(r.out.isEmpty()) << row.what;
        EXPECT_EQ(QDir(dir.path(".")).entryList(QDir::Files), QStringList{"bad.efd"}) << row.what;
    }
}

// The command of the user guide, run as the program from an empty folder: the result files
// beside, the fittest state designated, the statistics printed, exactly as the files reopened
// give them. The linear method tells its solution.
TEST(BatchInversionRun, TheGuidesCommandWorksAndItsFilesReopenTheSame) {
    const QString program =
        QCoreApplication::applicationDirPath() + QStringLiteral("/quomtel-batch");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "quomtel-batch is not built beside the test";
    TempFolder dir;
    QProcess process;
    process.setWorkingDirectory(dir.path("."));
    process.start(program, {"--fault-data", quarry_data, "--invert", "grid", "--write-result",
                            "q.tlv", "--stress", "best", "--statistics"});
    ASSERT_TRUE(process.waitForFinished(120'000));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    ASSERT_EQ(process.exitCode(), batch_ok) << err.toStdString();
    EXPECT_TRUE(err.startsWith("quomtel-batch: Grid search: ")) << err.toStdString();
    EXPECT_EQ(out.split(u'\n', Qt::SkipEmptyParts).size(), 4) << out.toStdString();
    EXPECT_TRUE(QFileInfo(dir.path("q.cgp")).isFile());

    const BatchRun reopened =
        run({"--inversion-result", dir.path("q.tlv"), "--stress", "best", "--statistics"});
    EXPECT_EQ(reopened.status, batch_ok) << reopened.err.toStdString();
    EXPECT_EQ(reopened.out, out);

    const BatchRun linear = run({"--fault-data", quarry_data, "--invert", "linear", "--bootstrap",
                                 "30", "--write-stress-tensor", dir.path("s.txt")});
    EXPECT_EQ(linear.status, batch_ok) << linear.err.toStdString();
    EXPECT_TRUE(linear.err.contains("Solution of all data: sigma1 = ")) << linear.err.toStdString();
    EXPECT_TRUE(QFileInfo(dir.path("s.txt")).isFile());
}

} // namespace
