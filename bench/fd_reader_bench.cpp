// Reading a large fault-slip file of mixed kinds into a data set.

#include "faults/fd_reader.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

namespace {

class NullMessages : public Messages {
public:
    void show(const QString&) override {}
    bool ask(const QString&, const QString&) override { return false; }
};

QByteArray mixed_fault_data(int count) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> az(0, 360), pl(0, 90);
    const char* senses = "NRSDHU";
    QByteArray text = "# generated fault-slip data\r\n";
    for (int i = 0; i < count; ++i) {
        const char kind = "FMLS"[i % 4];
        text += kind;
        text += ' ' + QByteArray::number(az(rng), 'f', 1) + ' ' +
                QByteArray::number(pl(rng), 'f', 1) + ' ' + QByteArray::number(az(rng), 'f', 1) +
                ' ' + QByteArray::number(pl(rng), 'f', 1) + ' ' + senses[i % 6];
        if (kind == 'S')
            text += " & " + QByteArray::number(az(rng), 'f', 1) + ' ' +
                    QByteArray::number(pl(rng), 'f', 1) + " D";
        text += "\r\n";
    }
    return text;
}

void BM_read_fault_data_file(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.efd"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        state.SkipWithError("cannot write the input");
    f.write(mixed_fault_data(static_cast<int>(state.range(0))));
    f.close();

    EventLog log(dir.filePath(QStringLiteral("QMT.log")));
    NullMessages messages;
    TFaultDataSet set;
    for (auto _ : state) {
        const TFDReadResult result = read_fault_data_file(path, set, log, messages);
        benchmark::DoNotOptimize(result);
    }
    state.counters["data"] = set.count();
}

} // namespace

BENCHMARK(BM_read_fault_data_file)->Arg(100000)->Unit(benchmark::kMillisecond);
