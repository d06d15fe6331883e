// Importing a field table of 100,000 faults written as strike, dip and rake, as the window and
// the batch tool import it: the file read, every row converted, the data set replaced.

#include "bench/bench_data.h"
#include "session/session.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray strike_dip_rake_table(int rows) {
    QByteArray text = "strike,dip,rake\n";
    text.reserve(qsizetype(rows) * 16 + 16);
    for (int k = 0; k < rows; ++k) {
        text += QByteArray::number(k * 7 % 360) + ',' + QByteArray::number(5 + k * 13 % 85) +
                ',' + QByteArray::number(k * 11 % 361 - 180) + '\n';
    }
    return text;
}

void BM_ImportTable(benchmark::State& state) {
    QTemporaryDir dir;
    EventLog log;
    NullMessages messages;
    TSession session(log, messages);
    const QString path = dir.filePath(QStringLiteral("site.csv"));
    if (!write_file(path, strike_dip_rake_table(int(state.range(0)))))
        return state.SkipWithError("cannot write the table");
    for (auto _ : state)
        if (!session.read_table(path, {}, QString()) ||
            session.FDSet.count() != state.range(0))
            state.SkipWithError("not read");
}

} // namespace

BENCHMARK(BM_ImportTable)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);
