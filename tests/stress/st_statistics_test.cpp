#include "stress/st_statistics.h"

#include "core/number_text.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

TStressTensor state(const Tazpl& sigma1, const Tazpl& sigma3, float phi, float Ln) {
    TStressTensor st = stress_tensor_from_axes(sigma1, sigma3, phi);
    st.Ln = Ln;
    return st;
}

TStressTensor weighted_vector(const Tvector5& ss, float Ln) {
    TStressTensor st;
    st.ss = ss;
    st.Ln = Ln;
    return st;
}

const QString conf = QStringLiteral("59% conf (2 stdev by Theta) = ");

TEST(StressStatistics, ConfidenceAngleFromTheMeanLength) {
    // One state of weight R makes the mean vector R long.
    const struct {
        float R;
        const char* length;
        const char* angle;
    } rows[] = {
        {0.5f, "0.5000", "65.27 deg"},
        {0.9f, "0.9000", "25.78 deg"},
        {0.05f, "0.0500", "349.74 deg"},
        {0.04f, "0.0400", "too large dispersion"},
        {1.0f, "1.0000", "0.00 deg"},
        {1.0000002f, "1.0000", "0.00 deg"}, // coinciding states rounded past 1
    };
    const TStressTensor one = state(make_azpl(30, 20), make_azpl(210, 70), 0.4f, 1);
    for (const auto& row : rows) {
        const QStringList lines = stress_statistics_lines({weighted_vector(one.ss, row.R)});
        ASSERT_EQ(lines.size(), 4);
        EXPECT_EQ(lines[1], QStringLiteral("mean sigma-vector length (R) = ") + row.length);
        EXPECT_EQ(lines[2], conf + row.angle) << row.R;
        EXPECT_EQ(lines[3], QStringLiteral("mean Theta to mean = 0.00"));
    }
}

TEST(StressStatistics, MeanStateAndItsFormats) {
    // sigma3 in the vertical plane of sigma1, perpendicular to it.
    const QStringList lines =
        stress_statistics_lines({state(make_azpl(45.6f, 3.2f), make_azpl(225.6f, 86.8f), 0.3f, 1)});
    EXPECT_EQ(lines[0], QStringLiteral("mean stress: 046/03 226/87 0.3000"));
}

TEST(StressStatistics, OrthogonalStatesAreFortyFiveDegreesFromTheirMean) {
    Tvector5 a, b;
    a.x[0] = 1;
    b.x[3] = 1;
    const QStringList lines =
        stress_statistics_lines({weighted_vector(a, 0.5f), weighted_vector(b, 0.5f)});
    EXPECT_EQ(lines[1], QStringLiteral("mean sigma-vector length (R) = 0.7071"));
    EXPECT_EQ(lines[3], QStringLiteral("mean Theta to mean = 45.00"));

    Tvector5 long_by_rounding; // its dot product with its own direction exceeds 1
    long_by_rounding.x[0] = 1.0000001f;
    EXPECT_EQ(stress_statistics_lines({weighted_vector(long_by_rounding, 1)})[3],
              QStringLiteral("mean Theta to mean = 0.00"));
}

// As many states as make the angles be worked out on two threads: the two weighted states
// count wherever they stand, the many without weight nowhere.
TEST(StressStatistics, LargeSetsOfFewWeightedStates) {
    Tvector5 a, b, c;
    a.x[0] = 1;
    b.x[3] = 1;
    c.x[1] = 1;
    for (const int n : {40000, 40001}) {
        for (const auto& [first, second] :
             {std::pair{0, n - 1}, std::pair{n / 2 - 1, n / 2}, std::pair{n / 2, n / 2 + 1}}) {
            std::vector<TStressTensor> states(size_t(n), weighted_vector(c, 0));
            states[size_t(first)] = weighted_vector(a, 0.5f);
            states[size_t(second)] = weighted_vector(b, 0.5f);
            const QStringList lines = stress_statistics_lines(states);
            EXPECT_EQ(lines[1], QStringLiteral("mean sigma-vector length (R) = 0.7071")) << n;
            EXPECT_EQ(lines[3], QStringLiteral("mean Theta to mean = 45.00")) << n << ' ' << first;
        }
    }
}

TEST(StressStatistics, NoMeanWithoutWeight) {
    const QStringList undefined{QStringLiteral("mean stress: undefined"),
                                QStringLiteral("mean sigma-vector length (R) = 0.0000"),
                                conf + QStringLiteral("too large dispersion"),
                                QStringLiteral("mean Theta to mean = undefined")};
    EXPECT_EQ(stress_statistics_lines({}), undefined);
    TStressTensor one = state(make_azpl(30, 20), make_azpl(210, 70), 0.4f, 0);
    EXPECT_EQ(stress_statistics_lines({one, one}), undefined);
    TStressTensor opposite = one;
    for (float& c : opposite.ss.x)
        c = -c;
    opposite.Ln = one.Ln = 0.5f; // cancelling states
    EXPECT_EQ(stress_statistics_lines({one, opposite}), undefined);
}

// The JSON holds every figure of the text in full: each, shown as the text shows it, is the text;
// an absent figure is null. The text with a comma is the same but for the point.
TEST(StressStatistics, JsonHasTheFiguresOfTheText) {
    const TStressTensor a = state(make_azpl(45.6f, 3.2f), make_azpl(225.6f, 86.8f), 0.3f, 0.7f);
    const TStressTensor b = state(make_azpl(120, 10), make_azpl(300, 80), 0.6f, 0.3f);
    const std::vector<TStressTensor> sets[] = {{a, b}, {a}, {}, {weighted_vector(a.ss, 0.04f)}};
    const auto shown = [](const QJsonValue& v, const char* pattern) {
        return v.isNull() ? QStringLiteral("null")
                          : format_float(QString::fromLatin1(pattern), v.toDouble(), u'.');
    };
    for (const std::vector<TStressTensor>& set : sets) {
        const TStressStatistics statistics = stress_statistics(set);
        const QStringList text = stress_statistics_lines(statistics, u'.');
        ASSERT_EQ(text, stress_statistics_lines(set));
        QJsonParseError problem;
        const QJsonObject o =
            QJsonDocument::fromJson(stress_statistics_json(statistics), &problem).object();
        ASSERT_EQ(problem.error, QJsonParseError::NoError);
        EXPECT_EQ(o.size(), 8);
        const QString mean = o["mean_sigma1_trend"].isNull()
                                 ? QStringLiteral("undefined")
                                 : shown(o["mean_sigma1_trend"], "000") + u'/' +
                                       shown(o["mean_sigma1_plunge"], "00") + u' ' +
                                       shown(o["mean_sigma3_trend"], "000") + u'/' +
                                       shown(o["mean_sigma3_plunge"], "00") + u' ' +
                                       shown(o["mean_stress_ratio"], "0.0000");
        EXPECT_EQ(text[0], QStringLiteral("mean stress: ") + mean);
        EXPECT_EQ(text[1], QStringLiteral("mean sigma-vector length (R) = ") +
                               shown(o["mean_vector_length"], "0.0000"));
        EXPECT_EQ(text[2], conf + (o["confidence_angle"].isNull()
                                       ? QStringLiteral("too large dispersion")
                                       : shown(o["confidence_angle"], "##0.00") + " deg"));
        EXPECT_EQ(text[3], QStringLiteral("mean Theta to mean = ") +
                               (o["mean_angle_to_mean"].isNull()
                                    ? QStringLiteral("undefined")
                                    : shown(o["mean_angle_to_mean"], "##0.00")));
        QStringList with_comma = stress_statistics_lines(statistics, u',');
        EXPECT_EQ(with_comma.join(u'|').replace(u',', u'.'), text.join(u'|'));
    }
}

} // namespace
