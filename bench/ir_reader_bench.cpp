// Reading a large inversion result: the fault data, a million CGP states and a million fitness
// lines, with the sort, the normalisation and the statistics that follow a load.

#include "bench/bench_data.h"
#include "core/text_file.h"
#include "stress/ir_reader.h"
#include "stress/st_statistics.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Both ways in: the bytes of the file, or the lines of read_text_lines.
enum class Input { Bytes, Lines };

void read_IR(benchmark::State& state, Input input) {
    const int data = 2000, states = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.tlv"));
    if (!write_file(dir.filePath(QStringLiteral("bench.cgp")), cgp_text(states, 11)) ||
        !write_file(path, result_text(data, states, 12))) {
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
