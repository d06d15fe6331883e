// Reading a large inversion result: the fault data, a million CGP states and a million fitness
// lines, with the sort, the normalisation and the statistics that follow a load.

#include "core/text_file.h"
#include "stress/ir_reader.h"
#include "stress/st_statistics.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

class NullMessages : public Messages {
public:
    void show(const QString&) override {}
    bool ask(const QString&, const QString&) override { return false; }
};

bool write_file(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray number(double v, int decimals) {
    return QByteArray::number(v, 'f', decimals);
}

// Perpendicular sigma1 and sigma3 in random orientations, one decimal as inversions write them.
QByteArray cgp_text(int states, std::mt19937& rng) {
    std::normal_distribution<double> gauss;
    std::uniform_real_distribution<double> ratio(0, 1);
    QByteArray text = QByteArray::number(states) + " candidate stress states\r\n";
    text.reserve(states * 34);
    for (int i = 0; i < states; ++i) {
        const Tvector3 a = normalize3(make_vector3(gauss(rng), gauss(rng), gauss(rng)));
        const Tvector3 r = make_vector3(gauss(rng), gauss(rng), gauss(rng));
        const Tvector3 b = normalize3(subtract3(r, scale3(dot_product3(r, a), a)));
        const Tazpl s1 = vector3_to_azpl_lower(a), s3 = vector3_to_azpl_lower(b);
        text += number(s1.az, 1) + ' ' + number(s1.pl, 1) + ' ' + number(s3.az, 1) + ' ' +
                number(s3.pl, 1) + ' ' + number(ratio(rng), 4) + "\r\n";
    }
    return text;
}

QByteArray result_text(int data, int states, std::mt19937& rng) {
    std::uniform_real_distribution<double> az(0, 360), pl(0, 90);
    std::uniform_int_distribution<int> fitness(0, 2000);
    QByteArray text = QByteArray::number(data) + "\r\n";
    for (int i = 0; i < data; ++i)
        text += "FMLS"[i % 4] + (' ' + number(az(rng), 1)) + ' ' + number(pl(rng), 1) + ' ' +
                number(az(rng), 1) + ' ' + number(pl(rng), 1) + ' ' + "NRSDHU"[i % 6] +
                (i % 4 == 3 ? " & " + number(az(rng), 1) + ' ' + number(pl(rng), 1) + " D" : "") +
                "\r\n";
    text += QByteArray::number(states) + "\r\n" + QByteArray::number(states) + "\r\nbench.cgp\r\n";
    for (int i = 1; i <= states; ++i)
        text += QByteArray::number(i) + ' ' + QByteArray::number(fitness(rng)) + "\r\n";
    return text;
}

// Both ways in: the bytes of the file, or the lines of read_text_lines.
enum class Input { Bytes, Lines };

void read_IR(benchmark::State& state, Input input) {
    const int data = 2000, states = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    std::mt19937 rng(11);
    const QString path = dir.filePath(QStringLiteral("bench.tlv"));
    if (!write_file(dir.filePath(QStringLiteral("bench.cgp")), cgp_text(states, rng)) ||
        !write_file(path, result_text(data, states, rng))) {
        state.SkipWithError("cannot write the input");
        return;
    }

    EventLog log(dir.filePath(QStringLiteral("QMT.log")));
    NullMessages messages;
    TFaultDataSet fault_data;
    TStressStates st;
    for (auto _ : state) {
        TIRReadResult result;
        if (input == Input::Bytes) {
            QByteArray bytes;
            read_IR_file(path, bytes);
            result = read_inversion_result(bytes, path, dir.path(), fault_data, st, log, messages);
        } else {
            const TTextReadResult text = read_text_lines(path);
            result = read_inversion_result_lines(text.lines, path, dir.path(), fault_data, st, log,
                                                 messages);
        }
        const QStringList memo = stress_statistics_lines(st.STSet);
        if (result.outcome != TIROutcome::Loaded)
            state.SkipWithError("not loaded");
        benchmark::DoNotOptimize(memo);
    }
    state.counters["data"] = fault_data.count();
    state.counters["states"] = double(st.STSet.size());
}

void BM_read_IR(benchmark::State& state) {
    read_IR(state, Input::Bytes);
}

void BM_read_IR_lines(benchmark::State& state) {
    read_IR(state, Input::Lines);
}

} // namespace

BENCHMARK(BM_read_IR)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_read_IR_lines)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
