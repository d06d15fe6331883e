// The session without a window: opening, designating, switching the measure, reloading under a
// designation, refused input, and the three-click designation fed with picture points.

#include "core/text_file.h"
#include "plot/draw_operations.h"
#include "session/designation.h"
#include "session/session.h"
#include "tests/session/session_fixture.h"
#include "tests/support/resource_use.h"
#include "tests/support/sparse_file.h"
#include "tests/support/test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

#include <sys/resource.h>

namespace {

const QString data_path = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.efd");
const QString result_path = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");

// Everything a refused input must leave as it was.
struct Snapshot {
    int data = 0;
    QString data_file;
    size_t states = 0;
    bool designated = false;
    float sigma1_az = 0;
    float ef = 0, df = 0;
    int bin = 0;
    TMifitMeasure measure{};
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const TSession& s) {
    return {s.FDSet.count(), s.FD_loaded_filename,       s.STSet.size(),
            s.ST_designated, s.designated_ST.ax[0].az,   s.settings.ef,
            s.settings.df,   s.settings.misfit_bin_size, s.settings.misfitmeasure};
}

TEST(Session, OpenDesignateAndReloadUnderTheDesignation) {
    SessionFixture f;
    TSession& s = f.session;
    QSignalSpy analysed(&s, &TSession::analysis_changed);
    ASSERT_TRUE(s.read_FD(data_path));
    EXPECT_TRUE(s.FD_loaded);
    EXPECT_EQ(s.FD_loaded_filename, QStringLiteral("ridge_site.efd"));
    EXPECT_EQ(analysed.count(), 0); // nothing designated yet

    ASSERT_TRUE(s.designate(make_azpl(290, 85), make_azpl(110, 5), 0.4f));
    EXPECT_EQ(analysed.count(), 1);
    EXPECT_EQ(s.designated_ST.L, -1);
    EXPECT_EQ(s.designated_ST.id, -1);
    EXPECT_EQ(s.TheoreticalFDSet.count(), s.FDSet.count());
    for (const TFaultData& fd : s.FDSet.FDList)
        EXPECT_GE(fd.rep_misfit, 0);

    // A result opened now is analysed under the designated state at once.
    ASSERT_TRUE(s.read_IR(result_path));
    EXPECT_EQ(analysed.count(), 2);
    EXPECT_TRUE(s.ST_loaded && s.FD_loaded);
    EXPECT_EQ(s.TheoreticalFDSet.count(), s.FDSet.count());
    EXPECT_FALSE(s.chart.bins.centres.empty());
    EXPECT_TRUE(f.messages.shown.isEmpty()) << f.messages.shown.join(u'|').toStdString();
}

TEST(Session, DesignationTurnsOnTheLayersOfThePlotMethod) {
    // plot method, theoretical slip, model faults
    const std::tuple<TPlotMethod, bool, bool> rows[] = {
        {TPlotMethod::TLD, false, true},
        {TPlotMethod::GCA, true, false},
    };
    for (const auto& [method, theoretical, model] : rows) {
        SessionFixture f;
        f.session.set_plot_method(method);
        ASSERT_TRUE(f.session.read_IR(result_path));
        ASSERT_TRUE(f.session.designate_fittest());
        EXPECT_EQ(f.session.settings.theoretical_slip, theoretical);
        EXPECT_EQ(f.session.settings.model_faults, model);
        EXPECT_TRUE(f.session.settings.designated_axes);
        const TFDPlotLayers layers = f.session.FD_plot_layers();
        EXPECT_EQ(layers.theoretical != nullptr, theoretical);
        EXPECT_EQ(layers.model_faults != nullptr, model);
        f.session.change_flag_ST_designated(false);
        EXPECT_FALSE(f.session.settings.theoretical_slip || f.session.settings.model_faults ||
                     f.session.settings.designated_axes);
    }
}

TEST(Session, MeasureSwitchCarriesTheBinSizeOnlyUnderADesignation) {
    struct Row {
        bool designated;
        int bin;
        int after_fry;
        int back;
    };
    const Row rows[] = {
        {true, 10, 5, 10},
        {true, 7, 7, 14},
        {true, 180, 90, 180},
        {false, 20, 20, 20},
    };
    for (const Row& r : rows) {
        SessionFixture f;
        TSession& s = f.session;
        ASSERT_TRUE(s.read_FD(data_path));
        ASSERT_TRUE(s.set_bin_size(QString::number(r.bin)));
        if (r.designated) {
            ASSERT_TRUE(s.designate(make_azpl(290, 85), make_azpl(110, 5), 0.4f));
        }
        QSignalSpy analysed(&s, &TSession::analysis_changed);
        s.set_measure(TMifitMeasure::DistFry);
        EXPECT_EQ(s.settings.misfit_bin_size, r.after_fry) << r.bin;
        EXPECT_EQ(s.max_misfit(), 90);
        EXPECT_EQ(s.chart.bottom_max, 90);
        EXPECT_EQ(analysed.count(), r.designated ? 1 : 0);
        for (const TFaultData& fd : s.FDSet.FDList)
            EXPECT_LE(fd.rep_misfit, r.designated ? 90.0f : -1.0f);
        s.set_measure(TMifitMeasure::SlipDir);
        EXPECT_EQ(s.settings.misfit_bin_size, r.back) << r.bin;
        EXPECT_EQ(s.chart.bottom_increment, 20);
    }
}

TEST(Session, RefusedInputLeavesEverythingAsItWas) {
    struct Row {
        const char* what;
        std::function<bool(TSession&)> act;
        QString message; // the start of the one message shown
    };
    const Row rows[] = {
        {"missing data file",
         [](TSession& s) { return s.read_FD(QStringLiteral("/nonexistent/a.efd")); },
         QStringLiteral("Cannot open file [/nonexistent/a.efd]")},
        {"missing result",
         [](TSession& s) { return s.read_IR(QStringLiteral("/nonexistent.tlv")); },
         QStringLiteral("Exception raised")},
        {"enhance", [](TSession& s) { return s.set_enhance(u"1.5", u'.'); },
         QStringLiteral("ef must be in [0, 1]")},
        {"dispersion", [](TSession& s) { return s.set_dispersion(u"abc", u'.'); },
         QStringLiteral("invalid df")},
        {"bin size", [](TSession& s) { return s.set_bin_size(u"3"); },
         QStringLiteral("out of range")},
        {"axes", [](TSession& s) { return s.designate(make_azpl(0, 90), make_azpl(0, 80), 0.5f); },
         QStringLiteral("sigma1 and sigma3 are more than 1 degree from perpendicular")},
        {"ratio", [](TSession& s) { return s.designate(make_azpl(0, 90), make_azpl(0, 0), 1.5f); },
         QStringLiteral("stress ratio 1.5 outside 0..1")},
    };
    for (const Row& r : rows) {
        SessionFixture f;
        TSession& s = f.session;
        ASSERT_TRUE(s.read_IR(result_path));
        ASSERT_TRUE(s.designate_fittest());
        const Snapshot before = snapshot(s);
        EXPECT_FALSE(r.act(s)) << r.what;
        ASSERT_EQ(f.messages.shown.size(), 1) << r.what;
        EXPECT_TRUE(f.messages.shown[0].startsWith(r.message)) << f.messages.shown[0].toStdString();
        EXPECT_TRUE(snapshot(s) == before) << r.what;
    }
    SessionFixture empty;
    EXPECT_FALSE(empty.session.designate_fittest());
    EXPECT_EQ(empty.messages.shown, QStringList{QStringLiteral("Stress Tensor must be loaded.")});
    EXPECT_FALSE(empty.session.ST_designated);
}

TEST(Designation, ThreeClicksOnPicturePointsBuildTheState) {
    TSTPlotStyles styles;
    setup_stress_plot_styles(styles);
    const TStressTensor aim = stress_tensor_from_axes(make_azpl(40, 60), make_azpl(220, 30), 0.25f);
    const QPoint sigma3 = azpl_to_point(aim.ax[2], TProjection::EArea, styles.basecircle[1]);
    const QPoint sigma1 = azpl_to_point(aim.ax[0], TProjection::EArea, styles.basecircle[0]);
    const QPoint ratio(800 + 100, 940); // a quarter along the colour scale

    QImage picture(2000, 1000, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter canvas(&picture);
    TDesignation d;
    EXPECT_FALSE(d.mouse_released());                          // no move yet: nothing picked
    EXPECT_FALSE(d.mouse_moved(sigma1, canvas, styles, true)); // not designating: no marks
    EXPECT_EQ(picture.pixelColor(sigma1), QColor(Qt::white));

    d.start(TStressTensor{});
    QStringList captions{d.step_caption()};
    // The third axis first: either net may start.
    for (const QPoint p : {sigma3, sigma1, ratio}) {
        EXPECT_TRUE(d.mouse_moved(p, canvas, styles, true));
        const bool done = d.mouse_released();
        EXPECT_EQ(done, p == ratio);
        captions << d.step_caption();
    }
    EXPECT_EQ(captions, (QStringList{QStringLiteral("1st axis"), QStringLiteral("2nd axis"),
                                     QStringLiteral("stress ratio"), QString()}));
    EXPECT_EQ(d.firstly_designated_axis, Tsigma1or3::sigma3);
    const TStressTensor& st = d.designated_ST;
    for (int k : {0, 2})
        EXPECT_GT(std::abs(dot_product3(st.e_vec[size_t(k)], aim.e_vec[size_t(k)])),
                  std::cos(1.5 * 3.14159265 / 180))
            << k;
    EXPECT_NEAR(st.sr, 0.25f, 1e-6f);
    // The circle of radius 30 stays around the first axis.
    EXPECT_NE(picture.pixelColor(sigma3 + QPoint(30, 0)), QColor(Qt::white));
}

} // namespace

namespace {

// The fault data of a result are shown as soon as they are read, so that the window counts
// them while the user is told that the CGP file is missing.
TEST(Session, FaultDataOfAResultShownBeforeTheCGPFileIsLookedFor) {
    SessionFixture f;
    TSession& s = f.session;
    TempFolder folder;
    const QString path = folder.write(
        QStringLiteral("r.tlv"), "2\r\n120 30 200 20 N\r\n90 80 0 0 S\r\n3\r\n0\r\nnone.cgp\r\n");
    QStringList events;
    QObject::connect(&s, &TSession::fault_data_changed, [&] {
        events << QStringLiteral("fault data: %1%2")
                      .arg(s.FDSet.count())
                      .arg(s.FD_loaded ? QStringLiteral(" loaded from ") + s.FD_loaded_filename
                                       : QString());
    });
    f.messages.on_show = [&](const QString& text) { events << text.section(u' ', 0, 1); };
    EXPECT_FALSE(s.read_IR(path));
    EXPECT_EQ(events, QStringList({"fault data: 2 loaded from r.tlv", "CGP File", "conflict in",
                                   "fault data: 2", "Invalid Inversion"}));
    EXPECT_FALSE(s.FD_loaded || s.ST_loaded);
    EXPECT_EQ(s.FDSet.count(), 2);
}

// A file beyond the memory is refused before a byte is read, naming its size; what is loaded
// stays, and no view is told of a change.
TEST(Session, FilesTooLargeForTheMemoryLeaveEverything) {
    TempFolder folder;
    const struct {
        const char* name;
        bool (TSession::*read)(const QString&);
    } rows[] = {{"huge.efd", &TSession::read_FD}, {"huge.tlv", &TSession::read_IR}};
    for (const auto& row : rows) {
        SessionFixture f;
        TSession& s = f.session;
        ASSERT_TRUE(s.read_IR(result_path));
        ASSERT_TRUE(s.designate_fittest());
        const Snapshot before = snapshot(s);
        const QString path = folder.path(QString::fromLatin1(row.name));
        if (!make_file_beyond_the_memory(path))
            GTEST_SKIP() << "no sparse file that large here";
        QSignalSpy fault_data(&s, &TSession::fault_data_changed);
        QSignalSpy states(&s, &TSession::states_changed);
        EXPECT_FALSE((s.*row.read)(path)) << row.name;
        EXPECT_EQ(f.messages.shown,
                  QStringList(file_too_large_message(path, QFileInfo(path).size())));
        EXPECT_TRUE(snapshot(s) == before) << row.name;
        EXPECT_TRUE(s.FD_loaded && s.ST_loaded) << row.name;
        EXPECT_EQ(fault_data.count() + states.count(), 0) << row.name;
        QFile::remove(path);
    }
}

#if defined(Q_OS_LINUX) && !defined(QUOMTEL_TEST_ASAN)
// The memory running out while the data are made, past the check of the file's size: the user
// is told, and what was loaded stays. The process is given little more address space than it
// has, as a small machine would.
TEST(Session, MemoryRunningOutWhileReadingLeavesEverything) {
    const auto address_space = [] {
        QFile statm(QStringLiteral("/proc/self/statm"));
        return statm.open(QIODevice::ReadOnly)
                   ? statm.readAll().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE)
                   : 0;
    };
    QByteArray data; // some 8 MB, a data set of some 100 MB
    for (int k = 0; k < 400000; ++k)
        data += k % 2 ? "M 40 60 310 5 D\n" : "S 90 80 0 0 S & 180 0 S\n";
    TempFolder folder;
    const struct {
        const char* what;
        QString path;
        bool (TSession::*read)(const QString&);
    } rows[] = {
        {"data file", folder.write(QStringLiteral("big.efd"), data), &TSession::read_FD},
        {"result of many data",
         folder.write(QStringLiteral("big.tlv"), "400000\n" + data + "3\n1\ns.cgp\n1 5\n"),
         &TSession::read_IR},
    };
    data = QByteArray();
    for (const auto& row : rows) {
        SessionFixture f;
        TSession& s = f.session;
        ASSERT_TRUE(s.read_IR(result_path));
        const Snapshot before = snapshot(s);
        QSignalSpy fault_data(&s, &TSession::fault_data_changed);
        release_free_memory();

        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(address_space() + (40 << 20));
        ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
        const bool read = (s.*row.read)(row.path);
        setrlimit(RLIMIT_AS, &saved);

        EXPECT_FALSE(read) << row.what;
        ASSERT_EQ(f.messages.shown.size(), 1) << row.what;
        EXPECT_TRUE(f.messages.shown[0].startsWith(QStringLiteral("Cannot read file [") + row.path +
                                                   QStringLiteral("]: too large (")))
            << f.messages.shown[0].toStdString();
        EXPECT_TRUE(snapshot(s) == before) << row.what;
        EXPECT_TRUE(s.FD_loaded && s.ST_loaded) << row.what;
        EXPECT_EQ(fault_data.count(), 0) << row.what;
    }
}
#endif

// Stops the drawing it follows once n states are drawn.
class StoppingProgress : public TDrawProgress {
public:
    explicit StoppingProgress(int n) : n_(n) {}
    void begin(int total) override { total_ = total; }
    void advance(int done) override {
        ++told_;
        if (done >= n_)
            stop_.request_stop();
    }
    void end() override {}
    std::stop_token stop_request() const override { return stop_.get_token(); }
    int total_ = 0, told_ = 0;

private:
    int n_;
    std::stop_source stop_;
};

std::vector<std::pair<int, float>> ids_and_weights(const TSession& s) {
    std::vector<std::pair<int, float>> states;
    for (const TStressTensor& st : s.STSet)
        states.emplace_back(st.id, st.Le);
    return states;
}

// A stress drawing stopped on the way says so and leaves the states as they were; a saved
// picture is drawn whole whatever its progress asks.
TEST(Session, StoppedStressDrawingLeavesTheStates) {
    SessionFixture f;
    TSession& s = f.session;
    ASSERT_TRUE(s.read_IR(result_path));
    ASSERT_TRUE(s.set_enhance(u"0.2", u'.'));
    const auto states = ids_and_weights(s);
    QImage whole(st_plot_width, st_plot_height, QImage::Format_RGB32);
    QImage stopped = whole;
    {
        QPainter canvas(&whole);
        EXPECT_TRUE(s.draw_ST_states(canvas));
    }
    StoppingProgress progress(50);
    {
        QPainter canvas(&stopped);
        EXPECT_FALSE(s.draw_ST_states(canvas, &progress));
    }
    EXPECT_GT(progress.total_, 500);
    EXPECT_LT(progress.told_, progress.total_ / 2);
    EXPECT_FALSE(stopped == whole);
    EXPECT_EQ(ids_and_weights(s), states);

    TempFolder dir;
    StoppingProgress saving(50);
    ASSERT_TRUE(s.save_graph_ST(dir.path(QStringLiteral("st.png")), 1, &saving));
    EXPECT_EQ(saving.told_, saving.total_);
    EXPECT_EQ(QImage(dir.path(QStringLiteral("st.png"))).convertToFormat(QImage::Format_RGB32),
              whole);
}

} // namespace
