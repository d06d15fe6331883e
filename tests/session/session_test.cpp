// The session without a window: opening, designating, switching the measure, reloading under a
// designation, refused input, and the three-click designation fed with picture points.

#include "plot/draw_operations.h"
#include "session/designation.h"
#include "session/session.h"
#include "tests/support/test_support.h"

#include <QImage>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString data_path = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.efd");
const QString result_path = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");

struct SessionFixture {
    EventLog log;
    RecordingMessages messages;
    TSession session{log, messages};
};

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
