#include "batch/batch_options.h"
#include "batch/batch_run.h"

#include "core/logger.h"
#include "core/number_text.h"
#include "faults/fd_list_text.h"
#include "faults/fd_reader.h"
#include "output/data_files.h"
#include "output/data_table.h"
#include "output/stress_tensor_file.h"
#include "plot/st_plot.h"
#include "session/session.h"
#include "stress/ir_reader.h"
#include "stress/st_statistics.h"
#include "tests/batch/batch_call.h"
#include "tests/support/test_support.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

const QString result_path = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");
const QString data_path = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.efd");

QStringList lines_of(const QString& text) {
    return text.split(u'\n', Qt::SkipEmptyParts);
}

// A message on standard error: the program, the file it is about, the text.
QString said(const QString& file, const QString& text) {
    return QStringLiteral("quomtel-batch: ") +
           (file.isEmpty() ? QString() : file + QStringLiteral(": ")) + text;
}

// An inversion result of one datum and a state of each fitness, with the CGP file named cgp
// beside it, unless that name is too long for a file.
QString write_result(const TempFolder& dir, const std::vector<long long>& fitness,
                     const QByteArray& cgp = "site.cgp") {
    const QByteArray n = QByteArray::number(qsizetype(fitness.size()));
    QByteArray result = "1\r\nF 120 30 120 30 N\r\n" + n + "\r\n" + n + "\r\n" + cgp + "\r\n";
    QByteArray states = n + "\r\n";
    for (size_t i = 0; i < fitness.size(); ++i) {
        result +=
            QByteArray::number(qsizetype(i + 1)) + ' ' + QByteArray::number(fitness[i]) + "\r\n";
        states += QByteArray::number(qsizetype(i * 40)) + " 80 " +
                  QByteArray::number(qsizetype(i * 40 + 180)) + " 10 0.5\r\n";
    }
    if (cgp.size() < 200)
        dir.write(QString::fromUtf8(cgp), states);
    return dir.write(QStringLiteral("site.tlv"), result);
}

// What the window holds after opening the example result and designating its fittest state.
struct WindowSession {
    EventLog log;
    RecordingMessages messages;
    TSession session{log, messages};

    explicit WindowSession(TPlotMethod method = TPlotMethod::TLD) {
        session.set_plot_method(method);
        EXPECT_TRUE(session.read_IR(result_path));
        EXPECT_TRUE(session.designate_fittest());
    }
};

TEST(BatchOptions, DefaultsAreTheWindowsInitialSettings) {
    const TBatchParse p = parse_batch_arguments({"quomtel-batch", "--fault-data", "a.efd"});
    ASSERT_EQ(p.kind, TBatchParse::Kind::Run) << p.text.toStdString();
    const TBatchOptions& o = p.options;
    EXPECT_EQ(o.fault_data, QStringLiteral("a.efd"));
    EXPECT_EQ(o.stress, TBatchStress::None);
    EXPECT_EQ(o.settings.misfitmeasure, TMifitMeasure::SlipDir);
    EXPECT_EQ(o.settings.misfit_bin_size, 10);
    EXPECT_FLOAT_EQ(o.settings.ef, 0.8f);
    EXPECT_FLOAT_EQ(o.settings.df, 1.0f);
    EXPECT_EQ(o.settings.emphasis, TEmphasis::Siz);
    EXPECT_TRUE(o.settings.tadpole_tail && o.settings.color);
    EXPECT_EQ(o.settings.plotmethod, TPlotMethod::TLD);
    EXPECT_EQ(o.settings.projection, TProjection::EArea);
    EXPECT_FALSE(o.theoretical_slip || o.model_faults || o.designated_axes);
    EXPECT_TRUE(o.settings.plot_labels);
    EXPECT_DOUBLE_EQ(o.png_scale, 1);
    EXPECT_EQ(o.max_symbols, 10'000'000);
}

TEST(BatchOptions, EveryOptionIsTaken) {
    const TBatchParse p = parse_batch_arguments({"quomtel-batch",
                                                 "--inversion-result=r.tlv",
                                                 "--fault-data",
                                                 "f.fdt",
                                                 "--stress",
                                                 "10/80,190/10,0.25",
                                                 "--measure",
                                                 "fry",
                                                 "--bin-size",
                                                 "90",
                                                 "--enhance",
                                                 "0.5",
                                                 "--dispersion",
                                                 "5",
                                                 "--emphasis",
                                                 "number",
                                                 "--tails",
                                                 "off",
                                                 "--colour",
                                                 "off",
                                                 "--plot-method",
                                                 "great-circle",
                                                 "--projection",
                                                 "equal-angle",
                                                 "--theoretical-slip",
                                                 "off",
                                                 "--model-faults",
                                                 "on",
                                                 "--designated-axes",
                                                 "off",
                                                 "--labels",
                                                 "off",
                                                 "--write-misfit",
                                                 "m.txt",
                                                 "--write-theoretical",
                                                 "t.efd",
                                                 "--write-stress-tensor",
                                                 "s.txt",
                                                 "--statistics",
                                                 "--list-fault-data",
                                                 "--plot-fault-data",
                                                 "f.PNG",
                                                 "--plot-stress",
                                                 "s.svg",
                                                 "--plot-mohr",
                                                 "m.pdf",
                                                 "--plot-histogram",
                                                 "h.emf",
                                                 "--png-scale",
                                                 "2",
                                                 "--max-symbols",
                                                 " 2147483647"});
    ASSERT_EQ(p.kind, TBatchParse::Kind::Run) << p.text.toStdString();
    const TBatchOptions& o = p.options;
    EXPECT_EQ(o.stress, TBatchStress::Axes);
    EXPECT_EQ(o.sigma1, make_azpl(10, 80));
    EXPECT_EQ(o.sigma3, make_azpl(190, 10));
    EXPECT_FLOAT_EQ(o.phi, 0.25f);
    EXPECT_EQ(o.settings.misfitmeasure, TMifitMeasure::DistFry);
    EXPECT_EQ(o.settings.misfit_bin_size, 90);
    EXPECT_FLOAT_EQ(o.settings.ef, 0.5f);
    EXPECT_FLOAT_EQ(o.settings.df, 5.0f);
    EXPECT_EQ(o.settings.emphasis, TEmphasis::Num);
    EXPECT_FALSE(o.settings.tadpole_tail || o.settings.color);
    EXPECT_EQ(o.settings.plotmethod, TPlotMethod::GCA);
    EXPECT_EQ(o.settings.projection, TProjection::EAngle);
    EXPECT_EQ(o.theoretical_slip, false);
    EXPECT_EQ(o.model_faults, true);
    EXPECT_EQ(o.designated_axes, false);
    EXPECT_FALSE(o.settings.plot_labels);
    EXPECT_TRUE(o.statistics && o.list_fault_data);
    EXPECT_EQ(o.plot_fault_data, QStringLiteral("f.PNG"));
    EXPECT_DOUBLE_EQ(o.png_scale, 2);
    EXPECT_EQ(o.max_symbols, INT_MAX);

    const TBatchParse best =
        parse_batch_arguments({"quomtel-batch", "--inversion-result", "r.tlv", "--stress", "best"});
    EXPECT_EQ(best.options.stress, TBatchStress::Best);
}

TEST(BatchOptions, PerpendicularityAllowsOneDegree) {
    Tazpl s1, s3;
    float phi = 0;
    EXPECT_EQ(parse_stress_designation("0/0,90.9/0,1", s1, s3, phi), QString());
    EXPECT_NE(parse_stress_designation("0/0,91.1/0,1", s1, s3, phi), QString());
    EXPECT_EQ(parse_stress_designation("360/90,0/0,0", s1, s3, phi), QString());
}

TEST(BatchOptions, HelpAndVersionExitZero) {
    const BatchRun help = run({"--help"});
    EXPECT_EQ(help.status, batch_ok);
    for (const char* name : {"--fault-data",
                             "--inversion-result",
                             "--stress",
                             "--measure",
                             "--bin-size",
                             "--enhance",
                             "--dispersion",
                             "--emphasis",
                             "--tails",
                             "--colour",
                             "--plot-method",
                             "--projection",
                             "--theoretical-slip",
                             "--model-faults",
                             "--designated-axes",
                             "--write-misfit",
                             "--write-theoretical",
                             "--write-stress-tensor",
                             "--statistics",
                             "--list-fault-data",
                             "--plot-fault-data",
                             "--plot-stress",
                             "--plot-mohr",
                             "--plot-histogram",
                             "--png-scale",
                             "--max-symbols",
                             "--version",
                             "--table",
                             "--columns",
                             "--strike-rule",
                             "--lineation-tolerance",
                             "--write-fault-data",
                             "--invert",
                             "--grid-step",
                             "--ratio-step",
                             "--tolerance",
                             "--bootstrap",
                             "--seed",
                             "--write-result"}) {
        const QStringList hits = help.out.split(u'\n').filter(QString::fromLatin1(name));
        EXPECT_FALSE(hits.isEmpty()) << name;
    }
    // One line per option: no description is wrapped onto a line of its own.
    for (const QString& line : help.out.split(u'\n'))
        if (line.startsWith(QStringLiteral("    ")))
            ADD_FAILURE() << line.toStdString();
    const BatchRun version = run({"--version"});
    EXPECT_EQ(version.status, batch_ok);
    EXPECT_EQ(version.out, QStringLiteral("quomtel-batch 1.10\n"));
}

struct UsageCase {
    QStringList arguments;
    const char* reason;
};

TEST(BatchOptions, EveryUsageErrorExitsTwoWithOneLineReason) {
    const QString r = result_path;
    const std::vector<UsageCase> cases = {
        {{}, "nothing to do"},
        {{"--bogus"}, "Unknown option 'bogus'"},
        {{"--fault-data"}, "Missing value after '--fault-data'"},
        {{"--fault-data", "a", "extra"}, "unexpected argument 'extra'"},
        {{"--fault-data", "a", "--stress", "1/2/3"}, "--stress must be"},
        {{"--fault-data", "a", "--stress", "10/80,190/x,0.5"}, "--stress must be"},
        {{"--fault-data", "a", "--stress", "361/80,190/10,0.5"}, "out of range"},
        {{"--fault-data", "a", "--stress", "10/91,190/10,0.5"}, "out of range"},
        {{"--fault-data", "a", "--stress", "10/-1,190/10,0.5"}, "out of range"},
        {{"--fault-data", "a", "--stress", "10/80,190/10,1.01"}, "outside 0..1"},
        {{"--fault-data", "a", "--stress", "10/80,190/10,-0.1"}, "outside 0..1"},
        {{"--fault-data", "a", "--stress", "10/80,200/30,0.5"}, "perpendicular"},
        {{"--fault-data", "a", "--stress", "best"}, "needs --inversion-result"},
        {{"--fault-data", "a.csv", "--columns", "dip,azimuth"}, "--columns takes"},
        {{"--fault-data", "a.csv", "--strike-rule", "up"}, "--strike-rule takes right or left"},
        {{"--fault-data", "a.tsv", "--lineation-tolerance", "91"}, "--lineation-tolerance"},
        {{"--fault-data", "a.efd", "--columns", "dip"}, "--columns needs a table"},
        {{"--write-fault-data", "a.efd"}, "Fault Data must be loaded."},
        {{"--fault-data", "a", "--measure", "angle"}, "--measure must be slip or fry"},
        {{"--fault-data", "a", "--bin-size", "ten"}, "invalid bin size"},
        {{"--fault-data", "a", "--bin-size", "4"}, "out of range"},
        {{"--fault-data", "a", "--bin-size", "181"}, "out of range"},
        {{"--fault-data", "a", "--measure", "fry", "--bin-size", "91"}, "out of range"},
        {{"--fault-data", "a", "--enhance", "x"}, "invalid ef"},
        {{"--fault-data", "a", "--enhance", "1.5"}, "ef must be in [0, 1]"},
        {{"--fault-data", "a", "--dispersion", "-1"}, "df must be in [0, 5]"},
        {{"--fault-data", "a", "--dispersion", "nan"}, "invalid df"},
        {{"--fault-data", "a", "--emphasis", "colour"}, "--emphasis must be number or size"},
        {{"--fault-data", "a", "--tails", "yes"}, "--tails must be on or off"},
        {{"--fault-data", "a", "--colour", "1"}, "--colour must be on or off"},
        {{"--fault-data", "a", "--labels", "none"}, "--labels must be on or off"},
        {{"--fault-data", "a", "--plot-method", "gca"}, "--plot-method must be"},
        {{"--fault-data", "a", "--projection", "polar"}, "--projection must be"},
        {{"--fault-data", "a", "--theoretical-slip", ""}, "--theoretical-slip must be"},
        {{"--fault-data", "a", "--model-faults", "On"}, "--model-faults must be"},
        {{"--fault-data", "a", "--designated-axes", "x"}, "--designated-axes must be"},
        {{"--fault-data", "a", "--plot-mohr", "m.jpg"}, "picture format of 'm.jpg'"},
        {{"--fault-data", "a", "--plot-stress", "noext"}, "picture format of 'noext'"},
        {{"--fault-data", "a", "--png-scale", "0"}, "--png-scale"},
        {{"--fault-data", "a", "--png-scale", "9"}, "--png-scale"},
        {{"--fault-data", "a", "--max-symbols", "0"}, "--max-symbols must be an integer"},
        {{"--fault-data", "a", "--max-symbols", "1e7"}, "--max-symbols must be an integer"},
        {{"--fault-data", "a", "--max-symbols", "2.5"}, "--max-symbols must be an integer"},
        {{"--fault-data", "a", "--max-symbols", "2147483648"}, "--max-symbols must be an integer"},
        {{"--fault-data", "a", "--write-misfit", "m"},
         "Fault Data must be loaded AND Stress State must be designated."},
        {{"--stress", "10/80,190/10,0.5", "--write-theoretical", "t"},
         "Fault Data must be loaded AND Stress State must be designated."},
        {{"--fault-data", "a", "--write-stress-tensor", "s"}, "Stress Tensor must be loaded."},
        {{"--fault-data", "a", "--statistics"}, "Stress Tensor must be loaded."},
        {{"--plot-mohr", "m.svg", "--list-fault-data"}, "Fault Data must be loaded."},
        {{"--fault-data", "a", "--plot-mohr", "-"},
         "--plot-mohr: a picture written to standard output needs --format"},
        {{"--fault-data", "a", "--plot-mohr", "-", "--format", "gif"}, "--format must be"},
        {{"--fault-data", "a", "--decimal-point", ","}, "--decimal-point must be locale or ."},
        {{"--inversion-result", "r", "--json"}, "--json needs --statistics"},
        {{"--fault-data", "-", "--inversion-result", "-"}, "cannot both read standard input"},
    };
    for (const UsageCase& c : cases) {
        const BatchRun result = run(c.arguments);
        const std::string args = c.arguments.join(u' ').toStdString();
        EXPECT_EQ(result.status, batch_usage_error) << args;
        EXPECT_TRUE(result.out.isEmpty()) << args;
        const QStringList lines = result.err.split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 2) << args << ": " << result.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("quomtel-batch: ")))
            << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains(QString::fromLatin1(c.reason)))
            << args << ": " << lines[0].toStdString();
        EXPECT_FALSE(lines[0].contains(u'\r')) << args;
        EXPECT_TRUE(lines[1].contains(QStringLiteral("--help"))) << args;
    }
}

TEST(BatchRun, FailedReadsAndWritesExitOne) {
    TempFolder dir;
    BatchRun r = run({"--fault-data", dir.path("missing.efd")});
    EXPECT_EQ(r.status, batch_failed);
    EXPECT_EQ(lines_of(r.err).size(), 1);

    r = run({"--inversion-result", dir.path("missing.tlv"), "--statistics"});
    EXPECT_EQ(r.status, batch_failed);
    EXPECT_EQ(r.err, said(dir.path("missing.tlv"), QStringLiteral("Exception raised\n")));
    EXPECT_TRUE(r.out.isEmpty()); // nothing is written after a failed read

    // No fitness above zero: the window's "Invalid" box.
    const QString invalid =
        dir.write("zero.tlv", "1\r\nF 102 55 083 54 N\r\n2\r\n2\r\nzero.cgp\r\n1 0\r\n2 0\r\n");
    dir.write("zero.cgp", "2 stress states\r\n 66.0 11.7 288.9 74.2 0.5969\r\n"
                          " 36.0 33.7 297.7 12.2 0.3337\r\n");
    r = run({"--inversion-result", invalid, "--statistics"});
    EXPECT_EQ(r.status, batch_failed);
    EXPECT_TRUE(lines_of(r.err).contains(said(invalid, invalid_result_message)))
        << r.err.toStdString();

    // A failed write does not stop the other outputs.
    r = run({"--inversion-result", result_path, "--write-stress-tensor",
             dir.path("no/such/folder/s.txt"), "--plot-mohr", dir.path("no/m.svg"),
             "--plot-histogram", dir.path("h.png")});
    EXPECT_EQ(r.status, batch_failed);
    EXPECT_EQ(lines_of(r.err).size(), 2) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.path("h.png")));
}

TEST(BatchRun, MessagesOfTheReadGoToStandardErrorOnOneLineEach) {
    TempFolder dir;
    const QString path = dir.write("bad.efd", "F 102 55 083 54 N\r\nF 400 55 083 54 N\r\n"
                                              "F 1x2 55 083 54 N\r\nF 305 78 227 43 N\r\n");
    const BatchRun r = run({"--fault-data", path, "--list-fault-data"});
    EXPECT_EQ(r.status, batch_ok);
    const QStringList err = lines_of(r.err);
    ASSERT_EQ(err.size(), 2) << r.err.toStdString();
    EXPECT_TRUE(err[0].contains(QStringLiteral("line #3"))) << err[0].toStdString();
    // What the log line would have said, in place of a pointer to a log that is not written.
    EXPECT_EQ(err[1], said(path, QStringLiteral("There is at least an error in file [%1]. ERROR: "
                                                "Input azpl is out of range. [routine=read_FD] "
                                                "[file=%1] [line=2]")
                                     .arg(path)));
    EXPECT_TRUE(err[0].startsWith(said(path, QString()))) << err[0].toStdString();
    EXPECT_FALSE(r.err.contains(u'\r'));
    // Undesignated, the list shows what the window's list shows before a designation.
    TFaultDataSet set;
    EventLog log;
    RecordingMessages messages;
    read_fault_data_file(path, set, log, messages);
    QStringList expected;
    for (int k = 0; k < set.count(); ++k)
        expected << fd_list_line(set.FDList[size_t(k)], k + 1, false);
    EXPECT_EQ(lines_of(r.out), expected);
}

TEST(BatchRun, TextOutputsAreTheWindowsFiles) {
    TempFolder dir;
    const BatchRun r =
        run({"--inversion-result", result_path, "--stress", "best", "--write-misfit",
             dir.path("m.txt"), "--write-theoretical", dir.path("t.efd"), "--write-stress-tensor",
             dir.path("s.txt"), "--statistics", "--list-fault-data"});
    ASSERT_EQ(r.status, batch_ok) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString(); // the CGP is found beside the result

    WindowSession window;
    TSession& w = window.session;
    ASSERT_TRUE(w.save_data_misfit(dir.path("wm.txt")));
    ASSERT_TRUE(w.save_data_theoretical(dir.path("wt.efd")));
    ASSERT_TRUE(w.save_data_stress_tensor(dir.path("ws.txt")));
    EXPECT_EQ(dir.read("m.txt"), dir.read("wm.txt"));
    EXPECT_EQ(dir.read("t.efd"), dir.read("wt.efd"));
    EXPECT_EQ(dir.read("s.txt"), dir.read("ws.txt"));
    EXPECT_FALSE(dir.read("m.txt").isEmpty());

    QStringList expected = stress_statistics_lines(w.STSet);
    for (int k = 0; k < w.FDSet.count(); ++k)
        expected << fd_list_line(w.FDSet.FDList[size_t(k)], k + 1, true);
    EXPECT_EQ(lines_of(r.out), expected);
}

TEST(BatchRun, FaultDataFileReplacesTheResultsDataUnderAGivenStress) {
    TempFolder dir;
    const BatchRun r =
        run({"--inversion-result", result_path, "--fault-data", data_path, "--stress",
             "290/85,110/5,0.4", "--measure", "fry", "--write-misfit", dir.path("m.txt"),
             "--write-stress-tensor", dir.path("s.txt"), "--enhance", "0.3"});
    ASSERT_EQ(r.status, batch_ok) << r.err.toStdString();

    // The data file read on its own and analysed by hand.
    TFaultDataSet set, theoretical;
    EventLog log;
    RecordingMessages messages;
    read_fault_data_file(data_path, set, log, messages);
    TStressTensor st = stress_tensor_from_axes(make_azpl(290, 85), make_azpl(110, 5), 0.4f);
    calc_theoretical_slip_and_misfit(set, theoretical, st, TMifitMeasure::DistFry);
    ASSERT_TRUE(save_data_misfit(dir.path("wm.txt"), set, QFileInfo(data_path).fileName(), st,
                                 TMifitMeasure::DistFry, nullptr));
    EXPECT_EQ(dir.read("m.txt"), dir.read("wm.txt"));

    // The states of the result, as enhanced by 0.3.
    TStressStates states;
    TFaultDataSet result_data;
    QByteArray bytes;
    ASSERT_TRUE(read_IR_file(result_path, bytes));
    read_inversion_result(bytes, result_path, QCoreApplication::applicationDirPath(), result_data,
                          states, log, messages);
    update_plotted_numbers(states.STSet, 0.3f, TEmphasis::Siz, states.max_Ln,
                           states.min_Ln_nonzero);
    ASSERT_TRUE(save_data_stress_tensor(dir.path("ws.txt"), states,
                                        QFileInfo(result_path).fileName(), 0.3f, nullptr));
    EXPECT_EQ(dir.read("s.txt"), dir.read("ws.txt"));
}

// The fault data picture as the window's bitmap holds it after the designation, with the
// layers set by hand.
QImage window_fd_bitmap(bool model, bool theoretical, TPlotMethod method) {
    WindowSession window(method);
    TSession& w = window.session;
    w.set_model_faults(model);
    w.set_theoretical_slip(theoretical);
    w.set_designated_axes(true);
    QImage image(fd_plot_size, fd_plot_size, QImage::Format_RGB32);
    QPainter canvas(&image);
    w.draw_FD(canvas);
    return image;
}

TEST(BatchRun, PngIsTheWindowsBitmapWithItsCheckBoxDefaults) {
    TempFolder dir;
    const QStringList base = {"--inversion-result", result_path, "--stress", "best"};
    // Tangent lineation: model faults on, theoretical slip off; great circle the reverse.
    ASSERT_EQ(run(base + QStringList{"--plot-fault-data", dir.path("tld.png")}).status, batch_ok);
    ASSERT_EQ(run(base + QStringList{"--plot-method", "great-circle", "--plot-fault-data",
                                     dir.path("gca.png")})
                  .status,
              batch_ok);
    ASSERT_EQ(
        run(base + QStringList{"--model-faults", "off", "--plot-fault-data", dir.path("plain.png")})
            .status,
        batch_ok);
    const auto png = [&](const char* name) {
        return QImage(dir.path(name)).convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_EQ(png("tld.png"), window_fd_bitmap(true, false, TPlotMethod::TLD));
    EXPECT_EQ(png("gca.png"), window_fd_bitmap(false, true, TPlotMethod::GCA));
    EXPECT_EQ(png("plain.png"), window_fd_bitmap(false, false, TPlotMethod::TLD));
    EXPECT_NE(png("tld.png"), png("plain.png"));
}

TEST(BatchRun, EveryPictureFormatOpens) {
    TempFolder dir;
    const char* plots[] = {"fault-data", "stress", "mohr", "histogram"};
    const QSize sizes[] = {{1000, 1000}, {2000, 1000}, {1000, 1000}, batch_histogram_size};
    for (const char* format : {"emf", "svg", "pdf", "png"}) {
        QStringList args = {"--inversion-result", result_path, "--stress", "best"};
        for (const char* plot : plots)
            args << QStringLiteral("--plot-") + QString::fromLatin1(plot)
                 << dir.path(QStringLiteral("%1.%2").arg(plot, format));
        const BatchRun r = run(args);
        ASSERT_EQ(r.status, batch_ok) << format << ": " << r.err.toStdString();
    }

    for (int i = 0; i < 4; ++i) {
        const QString plot = QString::fromLatin1(plots[i]);
        const QByteArray emf = dir.read(plot + ".emf");
        ASSERT_GT(emf.size(), 44) << plots[i];
        EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF")) << plots[i];

        QXmlStreamReader xml(dir.read(plot + ".svg"));
        int elements = 0;
        QString root;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && elements++ == 0)
                root = xml.name().toString();
        EXPECT_FALSE(xml.hasError()) << plots[i] << ": " << xml.errorString().toStdString();
        EXPECT_EQ(root, QStringLiteral("svg"));
        EXPECT_GT(elements, 10) << plots[i];

        EXPECT_TRUE(dir.read(plot + ".pdf").startsWith("%PDF")) << plots[i];

        const QImage image(dir.path(plot + ".png"));
        EXPECT_EQ(image.size(), sizes[i]) << plots[i];
    }
}

std::string pixel_digest(const QImage& picture) {
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (int y = 0; y < img.height(); ++y)
        h.addData(QByteArrayView(img.constScanLine(y), img.width() * 4));
    return h.result().toHex().toStdString();
}

// Without labels the pictures are those of the program before it had labels, pixel for pixel
// (digests of its pictures); with them, their texts are in the vector pictures.
TEST(BatchRun, LabelsOffDrawsThePicturesOfBeforeAndOnWritesTheirTexts) {
    TempFolder dir;
    struct Row {
        QStringList arguments;
        const char* plot;
        const char* digest;
    };
    const QStringList best = {"--inversion-result", result_path, "--stress", "best"};
    const QStringList fry = best + QStringList{"--measure",    "fry",          "--plot-method",
                                               "great-circle", "--projection", "equal-angle"};
    const Row rows[] = {
        {best, "fault-data", "bc17c3bf62a39e6ed9d143bb65a248ad35290c0d"},
        {best, "stress", "c7faebcf01a1ba5077fa595dedf4cd028319ee9b"},
        {best, "mohr", "899ecfd4362295de22521d72d99f067aaea3ec17"},
        {best + QStringList{"--emphasis", "number", "--enhance", "0.5", "--colour", "off"},
         "stress", "02e9f5a6c63586fab3c51f287bd41bc49dd2a374"},
        {fry, "fault-data", "8045425e64bc5795d464f9774cbe5c13b942c671"},
        {fry, "mohr", "1b62cc93ca2702b1044217abb5e2bec326628c88"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString() + " " + row.plot);
        const QString path = dir.path(QStringLiteral("off.png"));
        ASSERT_EQ(run(row.arguments +
                      QStringList{"--labels", "off", QStringLiteral("--plot-") + row.plot, path})
                      .status,
                  batch_ok);
        EXPECT_EQ(pixel_digest(QImage(path)), row.digest);
    }

    const QStringList texts[] = {
        {"N"}, {"σ1", "σ3", "N", ">0<", ">1<"}, {"σ", "n", "τ", "misfit", "90°"}};
    const char* plots[] = {"fault-data", "stress", "mohr"};
    for (std::size_t i = 0; i < 3; ++i) {
        const QString path = dir.path(QStringLiteral("on.svg"));
        ASSERT_EQ(run(fry + QStringList{QStringLiteral("--plot-") + plots[i], path}).status,
                  batch_ok);
        const QString svg = QString::fromUtf8(dir.read(QStringLiteral("on.svg")));
        for (const QString& text : texts[i])
            EXPECT_TRUE(svg.contains(text.startsWith(u'>') ? text : u'>' + text + u'<'))
                << plots[i] << ": " << text.toStdString();
    }
}

TEST(BatchRun, PngScaleAndPicturesWithoutData) {
    TempFolder dir;
    // Without a designation the window saves the empty frames; so does the batch.
    const BatchRun r = run({"--plot-mohr", dir.path("m.png"), "--plot-stress", dir.path("s.png"),
                            "--plot-histogram", dir.path("h.png"), "--png-scale", "0.5"});
    ASSERT_EQ(r.status, batch_ok) << r.err.toStdString();
    EXPECT_EQ(QImage(dir.path("m.png")).size(), QSize(500, 500));
    EXPECT_EQ(QImage(dir.path("s.png")).size(), QSize(1000, 500));
    EXPECT_EQ(QImage(dir.path("h.png")).size(), QSize(250, 250));
}

struct SymbolLimitCase {
    const char* what;
    std::vector<long long> fitness;
    QStringList arguments;
    int status;
    const char* message; // the one line on standard error when refused
};

// The count is known only once the result is read: a refused run stops before any output, and
// --max-symbols bounds the symbols of Number emphasis and the states of Size.
TEST(BatchRun, StressPictureBeyondMaxSymbolsWritesNothing) {
    const QString limit = QStringLiteral("--max-symbols");
    const QStringList number = {"--emphasis", "number", "--enhance", "0"};
    const std::vector<SymbolLimitCase> cases = {
        {"number: 1 + 3 + 3 symbols", {1, 3, 3}, number + QStringList{limit, "7"}, batch_ok, ""},
        {"number: one too many",
         {1, 3, 3},
         number + QStringList{limit, "6"},
         batch_usage_error,
         "the stress plot would draw 7 symbols, more than --max-symbols 6"},
        {"size: one symbol a state",
         {1, 3, 3},
         {"--emphasis", "size", "--enhance", "0", limit, "2"},
         batch_usage_error,
         "the stress plot would draw 3 symbols, more than --max-symbols 2"},
        {"enhanced by 0.8: the weakest state drops out",
         {1, 3, 3},
         {"--emphasis", "number", limit, "1"},
         batch_usage_error,
         "the stress plot would draw 2 symbols, more than --max-symbols 1"},
        {"size within the limit", {1, 3, 3}, {"--enhance", "0", limit, "3"}, batch_ok, ""},
        // Drawing these would take hours: refused at once by the default limit.
        {"two huge fitnesses over a small one",
         {5, INT_MAX, INT_MAX},
         number,
         batch_usage_error,
         "the stress plot would draw 858993473 symbols, more than --max-symbols 10000000"},
    };
    for (const SymbolLimitCase& c : cases) {
        TempFolder dir;
        const QString result = write_result(dir, c.fitness);
        const BatchRun r =
            run(QStringList{"--inversion-result", result, "--statistics", "--write-stress-tensor",
                            dir.path("s.txt"), "--plot-mohr", dir.path("m.svg"), "--plot-stress",
                            dir.path("s.png")} +
                c.arguments);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err.toStdString();
        const bool written = c.status == batch_ok;
        EXPECT_EQ(r.err,
                  written ? QString() : said(QString(), QString::fromLatin1(c.message)) + u'\n')
            << c.what;
        EXPECT_EQ(r.out.isEmpty(), !written) << c.what;
        for (const char* output : {"s.txt", "m.svg", "s.png"})
            EXPECT_EQ(QFileInfo::exists(dir.path(output)), written) << c.what << ": " << output;
    }

    // Without a stress picture the limit does not matter.
    TempFolder dir;
    const BatchRun r = run({"--inversion-result", write_result(dir, {1, 3, 3}), "--statistics",
                            "--emphasis", "number", limit, "1"});
    EXPECT_EQ(r.status, batch_ok) << r.err.toStdString();
}

// What the window's box would show, on one line: a 10 MB CGP name keeps only its ends.
TEST(BatchRun, LongMessagesAreShortenedAsTheBoxShortensThem) {
    TempFolder dir;
    const QByteArray name(10 << 20, 'x');
    const BatchRun r = run({"--inversion-result", write_result(dir, {1, 3}, name), "--statistics"});
    const QStringList cgp = lines_of(r.err).filter(QStringLiteral("CGP File  ["));
    ASSERT_FALSE(cgp.isEmpty()) << r.err.left(300).toStdString();
    for (const QString& line : cgp) {
        EXPECT_LT(line.size(), 2200);
        EXPECT_TRUE(line.endsWith(QStringLiteral("xxx]  not found."))) << line.toStdString();
        EXPECT_TRUE(line.contains(QStringLiteral(" characters ...] "))) << line.toStdString();
    }
    EXPECT_LT(r.err.size(), 10'000);

    // A question too, answered on its line.
    QString text;
    QTextStream stream(&text);
    EXPECT_TRUE(StreamMessages(stream).ask(QStringLiteral("Q"), QString(5000, u'y')));
    EXPECT_EQ(text, said(QString(), message_box_text(QStringLiteral("Q: ") + QString(5000, u'y'))) +
                        " Yes\n");
}

#ifdef __linux__
// Beyond a file-size limit the program is not killed: it names the file it could not write and
// exits 1. Runs the built program beside this test under the shell's ulimit.
TEST(BatchRun, FileSizeLimitFailsTheWriteWithItsReason) {
    const QString program =
        QCoreApplication::applicationDirPath() + QStringLiteral("/quomtel-batch");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "quomtel-batch is not built beside the test";
    TempFolder dir;
    const QString picture = dir.path("x.png");
    QProcess process;
    process.start(QStringLiteral("sh"),
                  {"-c", "ulimit -f 1 && exec \"$0\" \"$@\"", program, "--inversion-result",
                   result_path, "--stress", "best", "--plot-stress", picture});
    ASSERT_TRUE(process.waitForFinished(60'000));
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(process.exitCode(), batch_failed) << err.toStdString();
    const QStringList lines = lines_of(err);
    ASSERT_EQ(lines.size(), 1) << err.toStdString();
    EXPECT_TRUE(lines[0].startsWith(
        said(QString(), QStringLiteral("Cannot write file [") + picture + QStringLiteral("]: "))))
        << lines[0].toStdString();
}
#endif

// A table in, the same data as a fault-slip file out; each bad row on its own line of standard
// error, then the summary; a table whose columns cannot be told fails the run.
TEST(BatchRun, TablesInFaultSlipFileOut) {
    TempFolder dir;
    const QString table =
        dir.write(QStringLiteral("site.txt"), "0;45;-90;N\n0;45;abc;N\n90;30;180;d\n");
    const QString efd = dir.path(QStringLiteral("site.efd"));
    const BatchRun r = run({"--fault-data", table, "--table", "--columns", "strike,dip,rake,skip",
                            "--write-fault-data", efd, "--list-fault-data"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(lines_of(r.err),
              QStringList({said(table, "row 2, column 3: \"abc\" is not a rake in [-180, 180]"),
                           said(table, "3 rows read, 1 skipped")}));
    EXPECT_EQ(lines_of(r.out).size(), 2);
    EXPECT_EQ(QString::fromUtf8(dir.read(QStringLiteral("site.efd"))),
              "# fault data from site.txt\r\nF 90.0 45.0 90.0 45.0 N\r\n"
              "F 180.0 30.0 270.0 0.0 D\r\n");
    const BatchRun unknown = run({"--fault-data", table, "--table", "--list-fault-data"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(lines_of(unknown.err),
              QStringList({said(table, "Cannot tell the columns of [" + table +
                                           "]: name them in the header or with --columns")}));
}

// --strict fails a run that told of any problem in its input, after writing what it could;
// a data file that gives no datum at all fails without it; --quiet keeps notes back.
TEST(BatchRun, StrictAndEmptyReadsExitOne) {
    TempFolder dir;
    const QString bad = dir.write("bad.efd", "F 102 55 083 54 N\r\nF 1x2 55 083 54 N\r\n");
    const QString utf16 = dir.write("utf16.efd", QByteArray("F\0 \0"
                                                            "1\0"
                                                            "2\0"
                                                            "0\0",
                                                            10));
    const struct {
        QStringList arguments;
        int status;
        bool listed;
    } rows[] = {
        {{"--fault-data", bad, "--list-fault-data"}, batch_ok, true},
        {{"--fault-data", bad, "--list-fault-data", "--strict"}, batch_failed, true},
        {{"--fault-data", data_path, "--list-fault-data", "--strict"}, batch_ok, true},
        {{"--fault-data", utf16, "--list-fault-data"}, batch_failed, false},
    };
    for (const auto& row : rows) {
        const BatchRun r = run(row.arguments);
        EXPECT_EQ(r.status, row.status) << row.arguments.join(u' ').toStdString();
        EXPECT_EQ(!r.out.isEmpty(), row.listed) << row.arguments.join(u' ').toStdString();
    }
    const BatchRun empty = run({"--fault-data", utf16, "--list-fault-data"});
    EXPECT_EQ(lines_of(empty.err),
              QStringList({said(utf16, "no fault datum could be read from the file")}));

    QString text;
    QTextStream stream(&text);
    StreamMessages quiet(stream);
    quiet.set_quiet(true);
    quiet.note(QStringLiteral("a note"));
    quiet.show(QStringLiteral("a problem"));
    EXPECT_EQ(text, said(QString(), QStringLiteral("a problem\n")));
}

// The table for other programs holds, per datum, what the misfit file holds, in full and with a
// full stop whatever the locale; the JSON holds the same as the CSV. Undesignated, the analysis
// columns are empty.
TEST(BatchRun, MachineReadableTableAgreesWithTheMisfitFile) {
    TempFolder dir;
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German)); // a decimal comma in the misfit file
    const BatchRun csv_run = run({"--inversion-result", result_path, "--stress", "best",
                                  "--write-table", dir.path("t.csv")});
    const BatchRun json_run =
        run({"--inversion-result", result_path, "--stress", "best", "--write-table",
             dir.path("t.json"), "--write-misfit", dir.path("m.txt")});
    QLocale::setDefault(previous);
    ASSERT_EQ(csv_run.status, batch_ok) << csv_run.err.toStdString();
    ASSERT_EQ(json_run.status, batch_ok) << json_run.err.toStdString();
    const QStringList csv =
        QString::fromUtf8(dir.read("t.csv")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const QStringList misfit = QString::fromUtf8(dir.read("m.txt")).split(QStringLiteral("\r\n"));
    QJsonParseError problem;
    const QJsonArray rows = QJsonDocument::fromJson(dir.read("t.json"), &problem).array();
    ASSERT_EQ(problem.error, QJsonParseError::NoError);
    const QStringList keys = csv.value(0).split(u',');
    ASSERT_EQ(keys, data_table_keys());
    ASSERT_EQ(rows.size(), csv.size() - 1);
    ASSERT_GT(rows.size(), 5);
    const QRegularExpression stresses(QStringLiteral("Sn= (-?[0-9,]+), tau= (-?[0-9,]+)$"));
    const QLocale german(QLocale::German);
    for (int k = 1; k < csv.size(); ++k) {
        const QStringList cells = csv[k].split(u',');
        const QJsonObject object = rows[k - 1].toObject();
        ASSERT_EQ(cells.size(), keys.size());
        for (int i = 0; i < keys.size(); ++i) {
            const QJsonValue v = object[keys[i]];
            if (v.isDouble())
                EXPECT_EQ(cells[i].toDouble(), v.toDouble()) << keys[i].toStdString();
            else
                EXPECT_EQ(cells[i], v.toString()) << keys[i].toStdString();
        }
        // The misfit file's line for the datum: its misfit (for a mechanism, that of the
        // representative nodal plane), Sn and tau, each to the decimals it shows.
        const QString line = misfit.value(k - 1);
        const QString rep = cells[7];
        const QString tag = line.startsWith(u'M')
                                ? QStringLiteral("misfit (nodal plane %1) = ").arg(rep)
                                : QStringLiteral("misfit= ");
        const qsizetype at = line.indexOf(tag);
        ASSERT_GE(at, 0) << line.toStdString();
        QString shown = line.mid(at + tag.size());
        qsizetype end = shown.indexOf(QStringLiteral(", Sn="));
        if (const qsizetype next = shown.indexOf(QStringLiteral(" #")); next >= 0 && next < end)
            end = next;
        shown.truncate(end);
        EXPECT_NEAR(german.toDouble(shown), cells[line.startsWith(u'M') ? 9 : 8].toDouble(), 0.051)
            << line.toStdString();
        const QRegularExpressionMatch m = stresses.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        EXPECT_NEAR(german.toDouble(m.captured(1)), cells[11].toDouble(), 0.00051);
        EXPECT_NEAR(german.toDouble(m.captured(2)), cells[12].toDouble(), 0.00051);
    }
    // Undesignated: the data, and empty analysis columns.
    const BatchRun plain = run({"--fault-data", data_path, "--write-table", dir.path("plain.csv")});
    ASSERT_EQ(plain.status, batch_ok);
    const QStringList lines =
        QString::fromUtf8(dir.read("plain.csv")).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines.value(1).endsWith(QStringLiteral(",,,,,,,,")))
        << lines.value(1).toStdString();
}

// What the batch tool writes takes the locale's decimal point unless told a full stop; the
// statistics as JSON always have one.
TEST(BatchRun, DecimalPointOfWhatIsWritten) {
    TempFolder dir;
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const struct {
        QStringList option;
        const char* misfit_line;
        const char* listed;
    } rows[] = {
        {{}, "F 102,0 55,0 83,0 54,0 N # misfit= ", "{0,"},
        {{"--decimal-point", "locale"}, "F 102,0 55,0 83,0 54,0 N # misfit= ", "{0,"},
        {{"--decimal-point", "."}, "F 102.0 55.0 83.0 54.0 N # misfit= ", "{0."},
    };
    std::vector<BatchRun> runs;
    for (const auto& row : rows)
        runs.push_back(run(QStringList{"--inversion-result", result_path, "--stress", "best",
                                       "--write-misfit", dir.path("m.txt"), "--list-fault-data"}
                           << row.option));
    const BatchRun json = run({"--inversion-result", result_path, "--statistics", "--json"});
    QLocale::setDefault(previous);
    for (size_t i = 0; i < runs.size(); ++i) {
        ASSERT_EQ(runs[i].status, batch_ok) << runs[i].err.toStdString();
        EXPECT_TRUE(lines_of(runs[i].out).value(0).contains(QString::fromLatin1(rows[i].listed)))
            << runs[i].out.toStdString();
    }
    // The last run's file: the full stop asked for.
    EXPECT_TRUE(dir.read("m.txt").startsWith(rows[2].misfit_line));
    ASSERT_EQ(json.status, batch_ok) << json.err.toStdString();
    ASSERT_EQ(lines_of(json.out).size(), 1);
    const QJsonObject statistics = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(statistics.size(), 8);
    // The window's memo of the example: "mean sigma-vector length (R) = 0.3088".
    EXPECT_NEAR(statistics["mean_vector_length"].toDouble(), 0.3088, 0.00005);
}

#ifdef __linux__
struct ProgramRun {
    int status = -1;
    QByteArray out;
    QString err;
};

// The built program beside this test, with input on its standard input and standard output
// sent to the file out_file, appended, when one is named.
ProgramRun run_program(const QStringList& arguments, const QByteArray& input,
                       const QString& out_file = QString()) {
    ProgramRun r;
    QProcess process;
    if (!out_file.isEmpty())
        process.setStandardOutputFile(out_file, QIODevice::Append);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/quomtel-batch"),
                  arguments);
    if (!process.waitForStarted(60'000))
        return r;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60'000))
        return r;
    r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = QString::fromLocal8Bit(process.readAllStandardError());
    return r;
}

// "-" reads the data from standard input and writes to standard output, files and pictures;
// /dev/stdout is written where standard output is, after what is there, never replaced.
TEST(BatchRun, DashForStandardInputAndOutput) {
    if (!QFileInfo(QCoreApplication::applicationDirPath() + "/quomtel-batch").isExecutable())
        GTEST_SKIP() << "quomtel-batch is not built beside the test";
    TempFolder dir;
    QFile data_file(data_path);
    ASSERT_TRUE(data_file.open(QIODevice::ReadOnly));
    const QByteArray data = data_file.readAll();
    const QStringList stress{"--stress", "0/90,90/0,0.5"};
    const BatchRun to_file =
        run(QStringList{"--fault-data", data_path, "--write-misfit", dir.path("m.txt")} << stress);
    ASSERT_EQ(to_file.status, batch_ok) << to_file.err.toStdString();
    const QByteArray misfit = dir.read("m.txt").replace("ridge_site.efd", "-");

    const ProgramRun piped =
        run_program(QStringList{"--fault-data", "-", "--write-misfit", "-"} << stress, data);
    EXPECT_EQ(piped.status, batch_ok) << piped.err.toStdString();
    EXPECT_EQ(piped.out, misfit);
    EXPECT_TRUE(piped.err.isEmpty()) << piped.err.toStdString();

    const ProgramRun svg = run_program(
        QStringList{"--fault-data", "-", "--plot-mohr", "-", "--format", "svg"} << stress, data);
    EXPECT_EQ(svg.status, batch_ok) << svg.err.toStdString();
    EXPECT_TRUE(svg.out.startsWith("<?xml") && svg.out.trimmed().endsWith("</svg>"));

    const QString out = dir.write("out.txt", "before\n");
    const ProgramRun appended = run_program(
        QStringList{"--fault-data", data_path, "--write-misfit", "/dev/stdout"} << stress, {}, out);
    EXPECT_EQ(appended.status, batch_ok) << appended.err.toStdString();
    EXPECT_EQ(dir.read("out.txt"), "before\n" + dir.read("m.txt"));

    const ProgramRun empty = run_program({"--fault-data", "-", "--list-fault-data"}, {});
    EXPECT_EQ(empty.status, batch_failed);
    EXPECT_EQ(empty.err, said("standard input", "no fault datum could be read from the file\n"));
}
#endif

} // namespace
