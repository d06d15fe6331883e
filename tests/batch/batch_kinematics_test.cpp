// The batch tool's kinematics: options refused with the option named (exit 2, nothing written),
// and the files and pictures of one run, their rows agreeing with the session's numbers.

#include "batch/batch_options.h"

#include "session/session.h"
#include "stress/net_grid.h"
#include "tests/batch/batch_call.h"
#include "tests/session/session_fixture.h"
#include "tests/support/test_support.h"

#include <QFileInfo>
#include <QImage>
#include <QLocale>

#include <gtest/gtest.h>

namespace {

const QString ridge_data = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.efd");
const QString ridge_result = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");

QStringList rows_of(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts);
}

TEST(BatchKinematicsOptions, RefusedWithTheOptionNamed) {
    const struct {
        QStringList arguments;
        const char* reason;
    } cases[] = {
        {{"--fault-data", "a.efd", "--write-density", "d.csv"}, "--write-density needs --density"},
        {{"--fault-data", "a.efd", "--density", "q", "--write-density", "d.csv"},
         "--density must be poles, lineations, p, t, sigma1 or sigma3, not 'q'"},
        {{"--fault-data", "a.efd", "--density", "sigma1", "--plot-density", "d.png"},
         "Stress Tensor must be loaded."},
        {{"--inversion-result", "a.tlv", "--emphasis", "density", "--plot-stress", "s.png"}, ""},
        {{"--fault-data", "a.efd", "--emphasis", "density", "--plot-stress", "s.png"},
         "Stress Tensor must be loaded."},
        {{"--density", "p", "--write-density", "d.csv"}, "Fault Data must be loaded."},
        {{"--fault-data", "a.efd", "--density-method", "gauss"},
         "--density-method must be kamb or schmidt, not 'gauss'"},
        {{"--fault-data", "a.efd", "--density", "p", "--density-levels", "4,2"},
         "--density-levels: contour levels must be positive and increasing"},
        {{"--fault-data", "a.efd", "--contours", "sigma1", "--plot-fault-data", "f.png"},
         "--contours must be none, poles, lineations, p or t"},
        {{"--fault-data", "a.efd", "--plot-dihedra", "d.pic"},
         "--plot-dihedra: cannot tell the picture format of 'd.pic': use .emf, .svg, .pdf or "
         ".png, or --format"},
    };
    for (const auto& c : cases) {
        QStringList arguments = c.arguments;
        arguments.prepend(QStringLiteral("quomtel-batch"));
        const TBatchParse parsed = parse_batch_arguments(arguments);
        if (*c.reason == 0) {
            EXPECT_EQ(parsed.kind, TBatchParse::Kind::Run) << parsed.text.toStdString();
            continue;
        }
        EXPECT_EQ(parsed.kind, TBatchParse::Kind::UsageError) << arguments.join(u' ').toStdString();
        EXPECT_EQ(parsed.text, QString::fromUtf8(c.reason));
    }
}

TEST(BatchKinematicsOptions, MethodAndLevelsReachTheSettings) {
    const TBatchParse states = parse_batch_arguments(
        {"quomtel-batch", "--inversion-result", "a.tlv", "--density", "sigma3", "--density-levels",
         "0.5 1;3", "--write-density", "d.csv"});
    ASSERT_EQ(states.kind, TBatchParse::Kind::Run) << states.text.toStdString();
    // N in the millions: 1 % area unless told otherwise, and the levels are of that method.
    EXPECT_EQ(states.options.settings.kinematics_method, TDensityMethod::Schmidt);
    EXPECT_EQ(states.options.settings.schmidt_levels, (std::vector<double>{0.5, 1, 3}));
    EXPECT_TRUE(states.options.settings.kamb_levels.empty());

    const TBatchParse data =
        parse_batch_arguments({"quomtel-batch", "--fault-data", "a.efd", "--density", "t",
                               "--plot-kinematics", "k.svg", "--contours", "poles"});
    ASSERT_EQ(data.kind, TBatchParse::Kind::Run) << data.text.toStdString();
    EXPECT_EQ(data.options.settings.kinematics_method, TDensityMethod::Kamb);
    EXPECT_EQ(data.options.settings.kinematics_underlay, TKinematicsUnderlay::Density);
    EXPECT_EQ(data.options.settings.kinematics_subject, TDensitySubject::T);
    EXPECT_EQ(data.options.settings.fd_contours, TDensitySubject::Poles);
}

// One run writes every kinematics output; the text files have a header and one row per datum
// or per node, with full stops under a German locale, and agree with the session's numbers.
TEST(BatchKinematicsRun, FilesAndPicturesAgreeWithTheSession) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TempFolder folder;
    const BatchRun r = run({"--fault-data",       ridge_data,
                            "--inversion-result", ridge_result,
                            "--stress",           "best",
                            "--write-kinematics", folder.path("k.csv"),
                            "--density",          "p",
                            "--write-density",    folder.path("d.csv"),
                            "--plot-density",     folder.path("d.png"),
                            "--write-dihedra",    folder.path("r.csv"),
                            "--plot-dihedra",     folder.path("r.svg"),
                            "--plot-kinematics",  folder.path("k.png"),
                            "--contours",         "poles",
                            "--plot-fault-data",  folder.path("f.png"),
                            "--emphasis",         "density",
                            "--plot-stress",      folder.path("s.png")});
    QLocale::setDefault(previous);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    SessionFixture f;
    ASSERT_TRUE(f.session.read_IR(ridge_result));
    ASSERT_TRUE(f.session.read_FD(ridge_data));
    const TKinematicAxesSet& axes = f.session.kinematic_axes();
    // Data without a sense are counted once, on standard error.
    EXPECT_TRUE(r.err.contains(missing_axes_message(axes.without_axes))) << r.err.toStdString();

    const QStringList kinematics = rows_of(folder.read("k.csv"));
    ASSERT_EQ(kinematics.size(), f.session.FDSet.count() + 1);
    EXPECT_EQ(kinematics[0], "number,kind,P_trend,P_plunge,T_trend,T_plunge,B_trend,B_plunge");
    const TDatumAxes& first = axes.data.front();
    const QStringList cells = kinematics[first.datum + 1].split(u',');
    ASSERT_EQ(cells.size(), 8);
    EXPECT_EQ(cells[2].toFloat(), first.axes.P.az);
    EXPECT_EQ(cells[7].toFloat(), first.axes.B.pl);
    EXPECT_EQ(kinematics.filter(QStringLiteral(",,,,,,")).size(), axes.without_axes);

    const TAxisDensity* density = f.session.density(TDensitySubject::P, TDensityMethod::Kamb);
    ASSERT_NE(density, nullptr);
    const QStringList nodes = rows_of(folder.read("d.csv"));
    ASSERT_EQ(nodes.size(), net_node_count + 1);
    EXPECT_EQ(nodes[0], "trend,plunge,value");
    for (const int node : {0, 1441, net_vertical_node}) {
        const QStringList row = nodes[node + 1].split(u',');
        const TNetNodeOrientation o = net_node_orientation(node);
        EXPECT_EQ(row[0].toDouble(), o.trend);
        EXPECT_EQ(row[1].toDouble(), o.plunge);
        EXPECT_EQ(row[2].toDouble(), density->values[std::size_t(node)]) << node;
    }
    const QStringList dihedra = rows_of(folder.read("r.csv"));
    ASSERT_EQ(dihedra.size(), net_node_count + 1);
    EXPECT_EQ(dihedra[0], "trend,plunge,percent");

    for (const char* picture : {"d.png", "k.png", "f.png", "s.png"})
        EXPECT_FALSE(QImage(folder.path(QString::fromLatin1(picture))).isNull()) << picture;
    EXPECT_GT(QFileInfo(folder.path("r.svg")).size(), 0);
}

// The contour layer under the fault data and the stress view's density emphasis change their
// pictures; turned off, the pictures are those of before, pixel for pixel.
TEST(SessionKinematics, LayersOnChangeThePictureAndOffRestoreIt) {
    SessionFixture f;
    ASSERT_TRUE(f.session.read_IR(ridge_result));
    ASSERT_TRUE(f.session.read_FD(ridge_data));
    const auto picture = [&](auto draw, QSize size) {
        QImage image(size, QImage::Format_RGB32);
        QPainter canvas(&image);
        draw(canvas);
        return image;
    };
    const QSize fd(fd_plot_size, fd_plot_size), st(st_plot_width, st_plot_height);
    const auto draw_fd = [&](QPainter& canvas) { f.session.draw_FD(canvas); };
    const auto draw_st = [&](QPainter& canvas) { f.session.draw_ST_states(canvas); };
    const QImage fd_before = picture(draw_fd, fd), st_before = picture(draw_st, st);

    f.session.set_fd_contours(TDensitySubject::Poles);
    f.session.set_stress_density(true);
    const QImage contoured = picture(draw_fd, fd);
    EXPECT_NE(contoured, fd_before);
    // The data over the contours, painted last to first, as when drawn one by one.
    const TFDPlotLayers layers = f.session.FD_plot_layers();
    EXPECT_EQ(picture(
                  [&](QPainter& canvas) {
                      draw_FD_plot(canvas, f.session.fd_styles, layers, TFDRoute::Vector);
                  },
                  fd),
              contoured);
    EXPECT_NE(picture(draw_st, st), st_before);
    f.session.set_fd_contours(std::nullopt);
    f.session.set_stress_density(false);
    EXPECT_EQ(picture(draw_fd, fd), fd_before);
    EXPECT_EQ(picture(draw_st, st), st_before);
    EXPECT_TRUE(f.messages.shown.isEmpty()) << f.messages.shown.join(u'\n').toStdString();
}

// What was computed belongs to the data it was computed of.
TEST(SessionKinematics, NewDataAreCountedAfresh) {
    SessionFixture f;
    ASSERT_TRUE(f.session.read_FD(ridge_data));
    const long long ridge_poles =
        f.session.density(TDensitySubject::Poles, TDensityMethod::Schmidt)->axes;
    TempFolder folder;
    ASSERT_TRUE(f.session.read_FD(folder.write("two.efd", "F 120 40 300 40 N\nF 10 80 100 0 D\n")));
    EXPECT_NE(ridge_poles, 2);
    EXPECT_EQ(f.session.density(TDensitySubject::Poles, TDensityMethod::Schmidt)->axes, 2);
    EXPECT_EQ(f.session.kinematic_axes().data.size(), 2u);
}

// What cannot be computed is told once per data set, however often a view asks again, and new
// states leave what belongs to the data alone.
TEST(SessionKinematics, NothingToCountIsToldOnce) {
    SessionFixture f;
    // Nothing loaded is nothing to tell: a view may ask before any file is opened.
    EXPECT_EQ(f.session.density(TDensitySubject::Poles, TDensityMethod::Kamb), nullptr);
    EXPECT_EQ(f.session.density(TDensitySubject::Sigma1, TDensityMethod::Schmidt), nullptr);
    EXPECT_EQ(f.session.right_dihedra(), nullptr);
    EXPECT_TRUE(f.messages.shown.isEmpty()) << f.messages.shown.join(u'\n').toStdString();
    TempFolder folder;
    ASSERT_TRUE(
        f.session.read_FD(folder.write("senseless.efd", "F 120 40 300 40 H\nF 10 80 100 0 U\n")));
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(f.session.right_dihedra(), nullptr);
        EXPECT_EQ(f.session.density(TDensitySubject::P, TDensityMethod::Kamb), nullptr);
        EXPECT_TRUE(f.session.kinematic_axes().data.empty());
    }
    ASSERT_TRUE(f.session.read_IR(ridge_result)); // its data replace these, and are counted
    ASSERT_TRUE(f.session.read_FD(folder.path("senseless.efd")));
    EXPECT_EQ(f.session.right_dihedra(), nullptr);
    EXPECT_TRUE(f.session.kinematic_axes().data.empty());
    const int told = int(f.messages.shown.size());
    f.session.change_flag_ST_loaded(false);
    EXPECT_EQ(f.session.right_dihedra(), nullptr);
    EXPECT_TRUE(f.session.kinematic_axes().data.empty());
    EXPECT_EQ(int(f.messages.shown.size()), told) << f.messages.shown.join(u'\n').toStdString();
}

TEST(DensityLevels, TypedListsAreReadOrRefused) {
    const struct {
        const char* text;
        QChar point;
        std::vector<double> levels;
        const char* problem;
    } cases[] = {
        {"2, 4, 6", u'.', {2, 4, 6}, ""},
        {"2 4;8", u'.', {2, 4, 8}, ""},
        {"0,5; 1,5", u',', {0.5, 1.5}, ""},
        {"", u'.', {}, ""}, // the defaults
        {"2, x", u'.', {7}, "invalid contour level \"x\""},
        {"3 3", u'.', {7}, "contour levels must be positive and increasing"},
        {"-1 2", u'.', {7}, "contour levels must be positive and increasing"},
    };
    for (const auto& c : cases) {
        std::vector<double> levels{7};
        EXPECT_EQ(check_density_levels(QString::fromUtf8(c.text), c.point, levels),
                  QString::fromUtf8(c.problem))
            << c.text;
        EXPECT_EQ(levels, c.levels) << c.text;
        if (!*c.problem) {
            std::vector<double> again;
            EXPECT_EQ(check_density_levels(density_levels_text(levels, c.point), c.point, again),
                      QString());
            EXPECT_EQ(again, levels) << "read back: " << c.text;
        }
    }
}

} // namespace
