#include "output/result_files.h"

#include "faults/fd_reader.h"
#include "output/data_files.h"
#include "stress/fitness_kernel.h"
#include "stress/inversion_grid.h"
#include "stress/ir_reader.h"
#include "stress/st_statistics.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// Data of every kind, with numbers of many digits and orientations a computation made.
TFaultDataSet sample_data() {
    TFDLineContext context;
    context.decimal_point = u'.';
    TFaultDataSet set;
    for (const char* line :
         {"F 120 30 200 20 N", "M 40 60 310 5 D", "L 123.456 33.3333 200.001 20.5 U",
          "S 90 80 0 0 S & 180 0 S & 10.25 5 N", "F 300 70 30 0.1 R", "M 250 40 250 40 N",
          "F 10 60 100 0 S", "S 200 45 200 45 N", "F 359.9 89.9 0 0.01 D", "L 0 0 0 0 U"})
        set.FDList.push_back(read_fault_datum_line(QString::fromLatin1(line), 1, context).value());
    TSlipData sd;
    sd.Pazpl = make_azpl(100 / 3.0f, float(std::sqrt(2.0) * 40));
    sd.Lazpl = vector3_to_azpl_lower(make_vector3(0.6f, -0.3f, -0.74f));
    sd.sense = TSense::N;
    compose_slip_data_vectors(sd);
    set.FDList.push_back(TFaultData{TDataType::Ful, {sd}, -1, -1});
    return set;
}

struct TReadBack {
    TFaultDataSet data;
    TStressStates states;
    RecordingMessages messages;
    TIRReadResult result;
};

void read_back(const TempFolder& folder, const QString& name, TReadBack& out) {
    EventLog log;
    out.result = read_inversion_result(folder.read(name), folder.path(name),
                                       QDir(folder.path(QStringLiteral("."))).absolutePath(),
                                       out.data, out.states, log, out.messages);
}

void expect_same_data(const TFaultDataSet& read, const TFaultDataSet& written) {
    ASSERT_EQ(read.count(), written.count());
    for (int k = 0; k < read.count(); ++k) {
        const TFaultData &a = read.FDList[size_t(k)], &b = written.FDList[size_t(k)];
        EXPECT_EQ(a.datatype, b.datatype) << "datum " << k + 1;
        ASSERT_EQ(a.SDList.size(), b.SDList.size()) << "datum " << k + 1;
        for (size_t i = 0; i < a.SDList.size(); ++i) {
            const TSlipData &x = a.SDList[i], &y = b.SDList[i];
            EXPECT_TRUE(x.Pazpl == y.Pazpl && x.Lazpl == y.Lazpl && x.sense == y.sense &&
                        x.v == y.v && x.n == y.n && x.b == y.b && x.ee == y.ee && x.ep == y.ep)
                << "datum " << k + 1 << ", alternative " << i + 1;
        }
    }
}

// The states of the candidates as a result weighs and orders them: Ln = L / sum of L (summed in
// single precision, in file order), ascending fitness, equal fitness in file order.
std::vector<TStressTensor> weighted_states(const std::vector<TInversionCandidate>& candidates) {
    std::vector<TStressTensor> states;
    float sum = 0;
    for (size_t i = 0; i < candidates.size(); ++i) {
        states.push_back(candidate_stress_tensor(candidates[i], int(i) + 1));
        sum = float(double(sum) + candidates[i].fitness);
    }
    for (TStressTensor& st : states)
        st.Ln = float(double(st.L) / sum);
    std::stable_sort(states.begin(), states.end(),
                     [](const TStressTensor& a, const TStressTensor& b) { return a.L < b.L; });
    return states;
}

std::vector<TInversionCandidate> grid_candidates(const TFaultDataSet& data, TMifitMeasure measure) {
    TGridSettings settings;
    settings.spacing = 30;
    settings.ratio_step = 0.5;
    settings.tolerance = 25;
    settings.measure = measure;
    return grid_search(data, settings).candidates;
}

// The default locale for the life of a test.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(before_); }

private:
    QLocale before_;
};

TEST(InversionResultFiles, ReadBackGivesTheDataStatesAndStatisticsWritten) {
    const TFaultDataSet data = sample_data();
    std::vector<TInversionCandidate> candidates = grid_candidates(data, TMifitMeasure::SlipDir);
    ASSERT_GT(candidates.size(), 10u);
    // Ratios of a linear inversion: any single.
    for (float ratio : {1 / 3.0f, 0.123456789f, 0.7f, 0.999999f, 1e-7f})
        candidates.push_back({make_azpl(12, 34), make_azpl(200, 50), ratio, 1, 0});
    TempFolder folder;
    QString error;
    ASSERT_TRUE(save_inversion_result(folder.path("run.tlv"), data, candidates, &error))
        << error.toStdString();

    TReadBack back;
    read_back(folder, QStringLiteral("run.tlv"), back);
    ASSERT_EQ(back.result.outcome, TIROutcome::Loaded);
    EXPECT_TRUE(back.messages.shown.isEmpty()) << back.messages.shown.join(u'\n').toStdString();
    expect_same_data(back.data, data);
    ASSERT_EQ(back.states.STSet.size(), candidates.size());
    for (const TStressTensor& st : back.states.STSet) {
        const TInversionCandidate& c = candidates[size_t(st.id - 1)];
        const TStressTensor made = candidate_stress_tensor(c);
        EXPECT_TRUE(st.ax[0] == c.sigma1 && st.ax[2] == c.sigma3 && st.sr == c.ratio &&
                    st.L == c.fitness)
            << "state " << st.id;
        EXPECT_TRUE(st.sg == made.sg && st.ss == made.ss) << "state " << st.id;
    }
    EXPECT_EQ(stress_statistics_lines(back.states.STSet),
              stress_statistics_lines(weighted_states(candidates)));
}

TEST(InversionResultFiles, ReadBackStatesHaveTheFitnessTheSearchGaveThem) {
    const TFaultDataSet data = sample_data();
    for (TMifitMeasure measure : {TMifitMeasure::SlipDir, TMifitMeasure::DistFry}) {
        const std::vector<TInversionCandidate> candidates = grid_candidates(data, measure);
        TempFolder folder;
        ASSERT_TRUE(save_inversion_result(folder.path("run.tlv"), data, candidates, nullptr));
        TReadBack back;
        read_back(folder, QStringLiteral("run.tlv"), back);
        ASSERT_EQ(back.result.outcome, TIROutcome::Loaded);
        const TFitnessKernel kernel(back.data, measure, 25);
        for (const TStressTensor& st : back.states.STSet)
            ASSERT_EQ(kernel.evaluate(st).fitness, st.L) << "state " << st.id;
    }
}

TEST(InversionResultFiles, SmallResultAsGolden) {
    TFDLineContext context;
    TFaultDataSet data;
    for (const char* line : {"F 120 30 200 20 N", "M 40.5 60 310 5 D", "S 90 80 0 0 S & 180 0 S"})
        data.FDList.push_back(read_fault_datum_line(QString::fromLatin1(line), 1, context).value());
    const std::vector<TInversionCandidate> candidates = {
        {make_azpl(5, 80), make_azpl(185, 10), 0.5f, 3, 4.25},
        {make_azpl(0, 90), make_azpl(90, 0), 0.1f, 2, 0},
        {make_azpl(359, 0), make_azpl(89, 1), 1 / 3.0f, 1, 0},
    };
    const DefaultLocale c_locale(QLocale::c());
    TempFolder folder;
    ASSERT_TRUE(
        save_inversion_result(folder.path("inversion_result.tlv"), data, candidates, nullptr));
    const auto golden = [](const char* name) {
        QFile file(test_data_path(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing golden file");
    };
    EXPECT_EQ(folder.read("inversion_result.tlv"), golden("inversion_result.tlv"));
    EXPECT_EQ(folder.read("inversion_result.cgp"), golden("inversion_result.cgp"));
}

TEST(InversionResultFiles, DataFollowTheDecimalPointOfTheLocale) {
    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    const TFaultDataSet data = sample_data();
    const std::vector<TInversionCandidate> candidates = {
        {make_azpl(5, 80), make_azpl(185, 10), 0.25f, 2, 0}};
    TempFolder folder;
    const bool saved = save_inversion_result(folder.path("de.tlv"), data, candidates, nullptr);
    TReadBack back;
    read_back(folder, QStringLiteral("de.tlv"), back);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(folder.read("de.tlv").contains("L 123,456 33,3333 200,001 20,5 U"));
    EXPECT_TRUE(folder.read("de.cgp").contains("5 80 185 10 0.25"));
    ASSERT_EQ(back.result.outcome, TIROutcome::Loaded);
    expect_same_data(back.data, data);
}

// A result and a fault-slip file written under one locale read under another, both ways; and
// written with a full stop whatever the locale, as the batch tool's --decimal-point . asks.
TEST(InversionResultFiles, LocaleRoundTrip) {
    const QLocale german(QLocale::German, QLocale::Germany);
    const struct {
        QLocale writing;
        std::optional<QChar> point;
        QLocale reading;
        const char16_t* written;
    } rows[] = {
        {german, {}, QLocale::c(), u"L 123,456 33,3333 200,001 20,5 U"},
        {QLocale::c(), {}, german, u"L 123.456 33.3333 200.001 20.5 U"},
        {german, u'.', german, u"L 123.456 33.3333 200.001 20.5 U"},
        {QLocale(QLocale::Arabic, QLocale::Egypt), {}, german, u"L 123\u066B456 33\u066B3333"},
    };
    const TFaultDataSet data = sample_data();
    const std::vector<TInversionCandidate> candidates = {
        {make_azpl(5, 80), make_azpl(185, 10), 0.25f, 2, 0}};
    for (const auto& row : rows) {
        const std::string name =
            row.writing.name().toStdString() + " to " + row.reading.name().toStdString();
        TempFolder folder;
        bool saved = false;
        {
            const DefaultLocale writing(row.writing);
            const QChar point = row.point.value_or(locale_decimal_point());
            saved = save_inversion_result(folder.path("r.tlv"), data, candidates, nullptr, point) &&
                    save_data_fault_data(folder.path("f.efd"), data, "r.tlv", nullptr, point);
        }
        ASSERT_TRUE(saved) << name;
        EXPECT_TRUE(QString::fromUtf8(folder.read("r.tlv")).contains(QStringView(row.written)))
            << name;
        const DefaultLocale reading(row.reading);
        TReadBack back;
        read_back(folder, QStringLiteral("r.tlv"), back);
        ASSERT_EQ(back.result.outcome, TIROutcome::Loaded) << name;
        EXPECT_TRUE(back.messages.shown.isEmpty()) << name;
        expect_same_data(back.data, data);
        // The fault-slip file has one decimal.
        EventLog log;
        RecordingMessages messages;
        TFaultDataSet file_data;
        ASSERT_TRUE(read_fault_data_file(folder.path("f.efd"), file_data, log, messages).read);
        EXPECT_TRUE(messages.shown.isEmpty()) << name;
        ASSERT_EQ(file_data.count(), data.count()) << name;
        for (size_t k = 0; k < data.FDList.size(); ++k)
            EXPECT_NEAR(file_data.FDList[k].SDList[0].Lazpl.pl, data.FDList[k].SDList[0].Lazpl.pl,
                        0.051)
                << name << ", datum " << k + 1;
    }
}

TEST(InversionResultFiles, NoHalfPairIsLeft) {
    const TFaultDataSet data = sample_data();
    const std::vector<TInversionCandidate> one = {
        {make_azpl(5, 80), make_azpl(185, 10), 0.25f, 2, 0}};
    const std::vector<TInversionCandidate> unfit = {
        {make_azpl(5, 80), make_azpl(185, 10), 0.25f, 0, 0}};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<TInversionCandidate> not_finite = {
        {make_azpl(5, 80), make_azpl(185, 10), nan, 2, 0}};
    const struct {
        const char* name;
        const char* path;
        const std::vector<TInversionCandidate>* candidates;
        bool folder_in_the_way;
        const char* reason;
    } cases[] = {
        {"no positive fitness", "a.tlv", &unfit, false, "positive fitness"},
        {"extension of the CGP file", "a.cgp", &one, false, "extension"},
        {"ratio not a number", "a.tlv", &not_finite, false, "not finite"},
        {"result cannot be written", "a.tlv", &one, true, "folder"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        if (c.folder_in_the_way) {
            ASSERT_TRUE(QDir().mkpath(folder.path(QString::fromLatin1(c.path))));
        }
        QString error;
        EXPECT_FALSE(save_inversion_result(folder.path(QString::fromLatin1(c.path)), data,
                                           *c.candidates, &error))
            << c.name;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.reason)))
            << c.name << ": " << error.toStdString();
        EXPECT_FALSE(QFileInfo(folder.path("a.cgp")).isFile()) << c.name;
    }

    // A CGP file the failed save replaced is put back.
    TempFolder folder;
    folder.write("b.cgp", "1\r\n1 2 3 4 0.5\r\n");
    ASSERT_TRUE(QDir().mkpath(folder.path("b.tlv")));
    EXPECT_FALSE(save_inversion_result(folder.path("b.tlv"), data, one, nullptr));
    EXPECT_EQ(folder.read("b.cgp"), QByteArray("1\r\n1 2 3 4 0.5\r\n"));
}

TEST(InversionResultFiles, CgpFileLiesBesideTheResult) {
    const struct {
        const char* result;
        const char* cgp;
    } cases[] = {{"run.tlv", "run.cgp"},
                 {"/data/site/run.tlv", "/data/site/run.cgp"},
                 {"site/run.2.bk4", "site/run.2.cgp"},
                 {"/run", "/run.cgp"}};
    for (const auto& c : cases)
        EXPECT_EQ(cgp_path_for_result(QString::fromLatin1(c.result)), QString::fromLatin1(c.cgp));
}

} // namespace
