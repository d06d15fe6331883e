// The session's inversion: a run becomes the loaded result exactly as its files reopened would
// make it; a cancelled or refused run, and bad input, leave everything as it was.

#include "session/session.h"
#include "stress/st_statistics.h"
#include "tests/session/session_fixture.h"
#include "tests/support/test_support.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>

namespace {

const QString quarry_data = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/quarry_site.efd");
const QString ridge_result = QStringLiteral(QUOMTEL_EXAMPLES_DIR "/ridge_site.tlv");

TInversionSettings grid_settings(double spacing, double tolerance = 20) {
    TInversionSettings s;
    s.grid_spacing = spacing;
    s.tolerance = tolerance;
    return s;
}

TInversionSettings linear_settings(long long resamples) {
    TInversionSettings s;
    s.method = TInversionMethod::Linear;
    s.resamples = resamples;
    return s;
}

// Everything of the states that a view, a statistic or a file uses.
void expect_same_states(const TSession& a, const TSession& b, const char* what) {
    ASSERT_EQ(a.STSet.size(), b.STSet.size()) << what;
    for (size_t k = 0; k < a.STSet.size(); ++k) {
        const TStressTensor &x = a.STSet[k], &y = b.STSet[k];
        ASSERT_TRUE(x.id == y.id && x.L == y.L && x.Ln == y.Ln && x.sr == y.sr) << what << k;
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(x.ax[size_t(i)].az == y.ax[size_t(i)].az &&
                        x.ax[size_t(i)].pl == y.ax[size_t(i)].pl)
                << what << k;
        ASSERT_TRUE(x.ss == y.ss) << what << k;
    }
    EXPECT_EQ(a.states.max_L, b.states.max_L) << what;
    EXPECT_EQ(a.states.max_Ln, b.states.max_Ln) << what;
    EXPECT_EQ(a.states.min_Ln_nonzero, b.states.min_Ln_nonzero) << what;
    EXPECT_EQ(a.plotted.Nst_to_be_plotted, b.plotted.Nst_to_be_plotted) << what;
    EXPECT_EQ(stress_statistics_lines(a.STSet), stress_statistics_lines(b.STSet)) << what;
    EXPECT_EQ(a.fittest_state()->id, b.fittest_state()->id) << what;
}

TEST(SessionInversion, ResultInMemoryIsTheResultReopenedFromItsFiles) {
    const struct {
        const char* what;
        TInversionSettings settings;
        QString note; // the start of the one message
    } rows[] = {
        {"grid", grid_settings(10), QStringLiteral("Grid search: ")},
        {"linear", linear_settings(40), QStringLiteral("Linear inversion of 36 fault data")},
    };
    for (const auto& row : rows) {
        SessionFixture run;
        ASSERT_TRUE(run.session.read_FD(quarry_data));
        ASSERT_TRUE(run.session.invert(row.settings)) << row.what;
        EXPECT_TRUE(run.session.ST_loaded);
        EXPECT_EQ(run.session.ST_loaded_filename,
                  QStringLiteral("quarry_site.efd (%1)").arg(QLatin1String(row.what)));
        EXPECT_EQ(run.session.FD_loaded_filename, QStringLiteral("quarry_site.efd"));
        ASSERT_EQ(run.messages.shown.size(), 1) << row.what;
        EXPECT_TRUE(run.messages.shown[0].startsWith(row.note))
            << run.messages.shown[0].toStdString();
        for (const TStressTensor& st : run.session.STSet)
            ASSERT_GT(st.L, 0);

        TempFolder folder;
        const QString path = folder.path(QStringLiteral("run.tlv"));
        ASSERT_TRUE(run.session.save_inversion_result(path));
        EXPECT_EQ(run.session.ST_loaded_filename, QStringLiteral("run.tlv"));
        EXPECT_EQ(QFileInfo(run.session.states.cgp_filename).fileName(), QStringLiteral("run.cgp"));

        SessionFixture reopened;
        ASSERT_TRUE(reopened.session.read_IR(path))
            << reopened.messages.shown.join(u'|').toStdString();
        EXPECT_EQ(reopened.session.FDSet.count(), run.session.FDSet.count());
        expect_same_states(run.session, reopened.session, row.what);
        EXPECT_EQ(reopened.session.ST_loaded_filename, run.session.ST_loaded_filename);

        // Saved again from the states read, the files are the same bytes.
        const QString again = folder.path(QStringLiteral("again.tlv"));
        ASSERT_TRUE(reopened.session.save_inversion_result(again));
        EXPECT_EQ(folder.read(QStringLiteral("again.cgp")), folder.read(QStringLiteral("run.cgp")));
    }
}

TEST(SessionInversion, CancelledOrRefusedRunLeavesEverythingAsItWas) {
    std::atomic<bool> cancel{true};
    TInversionControl cancelled;
    cancelled.cancel = &cancel;
    const struct {
        const char* what;
        TInversionSettings settings;
        TInversionControl control;
        QString message; // none for a cancel
    } rows[] = {
        {"grid cancelled", grid_settings(5), cancelled, {}},
        {"linear cancelled", linear_settings(1000), cancelled, {}},
        {"spacing", grid_settings(0.5), {}, check_grid_spacing(0.5)},
        {"spacing", grid_settings(31), {}, check_grid_spacing(31)},
        {"ratio step",
         [] {
             auto s = grid_settings(5);
             s.ratio_step = 0.6;
             return s;
         }(),
         {},
         check_ratio_step(0.6)},
        {"tolerance", grid_settings(5, 91), {}, check_tolerance(91)},
        {"resamples", linear_settings(100001), {}, check_bootstrap_count(100001)},
        {"resamples", linear_settings(-1), {}, check_bootstrap_count(-1)},
    };
    for (const auto& row : rows) {
        SessionFixture f;
        TSession& s = f.session;
        ASSERT_TRUE(s.read_IR(ridge_result));
        const std::vector<TStressTensor> before = s.STSet;
        const QString name = s.ST_loaded_filename;
        EXPECT_FALSE(s.invert(row.settings, row.control)) << row.what;
        EXPECT_EQ(f.messages.shown,
                  row.message.isEmpty() ? QStringList() : QStringList{row.message})
            << row.what;
        ASSERT_TRUE(s.ST_loaded);
        EXPECT_EQ(s.ST_loaded_filename, name);
        ASSERT_EQ(s.STSet.size(), before.size());
        for (size_t k = 0; k < before.size(); k += 997)
            EXPECT_TRUE(s.STSet[k].id == before[k].id && s.STSet[k].L == before[k].L);
    }
}

TEST(SessionInversion, BadDataAreToldAndChangeNothing) {
    const auto lines = [](std::initializer_list<const char*> data) {
        QByteArray text;
        for (const char* line : data)
            text += QByteArray(line) + "\r\n";
        return text;
    };
    const struct {
        const char* what;
        QByteArray data;
        TInversionSettings settings;
        QString message;
    } rows[] = {
        {"three usable, grid", lines({"F 90 40 90 40 N", "F 10 70 100 0 S", "F 250 30 250 30 R"}),
         grid_settings(10), check_data_count(3)},
        {"three usable, linear",
         lines({"F 90 40 90 40 N", "F 10 70 100 0 S", "F 250 30 250 30 R", "L 1 2 3 4 U"}),
         linear_settings(10), check_data_count(3)},
        {"each plane slipped both ways",
         lines({"S 93.7 37.3 93.7 37.3 N & 93.7 37.3 R", "S 211.2 68.9 300.4 12.2 S & 300.4 12.2 D",
                "S 93.7 37.3 93.7 37.3 N & 93.7 37.3 R",
                "S 211.2 68.9 300.4 12.2 S & 300.4 12.2 D"}),
         [] {
             auto s = grid_settings(30);
             s.ratio_step = 0.5;
             return s;
         }(),
         no_fitting_candidate_message(20)},
        {"parallel planes",
         lines({"F 90 40 90 40 N", "F 90 40 0 0 S", "F 90 40 180 0 D", "F 90 40 45 30 N",
                "F 90 40 135 30 N"}),
         linear_settings(10),
         QStringLiteral("The fault data do not determine a stress tensor: their planes are too "
                        "nearly parallel or too few kinds of them.")},
    };
    for (const auto& row : rows) {
        SessionFixture f;
        TSession& s = f.session;
        TempFolder folder;
        ASSERT_TRUE(s.read_IR(ridge_result));
        const size_t states = s.STSet.size();
        ASSERT_TRUE(s.read_FD(folder.write(QStringLiteral("bad.efd"), row.data)));
        f.messages.shown.clear();
        EXPECT_FALSE(s.invert(row.settings)) << row.what;
        EXPECT_EQ(f.messages.shown, QStringList{row.message}) << row.what;
        EXPECT_EQ(s.STSet.size(), states) << row.what;
        EXPECT_EQ(s.ST_loaded_filename, QStringLiteral("ridge_site.tlv"));
    }
    SessionFixture empty;
    EXPECT_FALSE(empty.session.invert({}));
    EXPECT_EQ(empty.messages.shown, QStringList{QStringLiteral("Fault Data must be loaded.")});
    EXPECT_FALSE(empty.session.save_inversion_result(QStringLiteral("/nonexistent/x.tlv")));
    EXPECT_EQ(empty.messages.shown.size(), 2);
}

} // namespace
