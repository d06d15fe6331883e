// Feeds arbitrary bytes to the inversion-result reader. An input is a result, optionally
// followed by the separator line and the contents of the CGP file it names; the seeds name
// "s.cgp", which is where that part is written.

#include "fuzz/fuzz_support.h"
#include "stress/ir_reader.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString folder = scratch_folder() + QStringLiteral("/result");
    static const QString exe = folder + QStringLiteral("/exe");
    static const bool made = QDir().mkpath(exe);
    (void)made;
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray separator = "\n%%CGP%%\n";
    const qsizetype cut = input.indexOf(separator);
    const QByteArray result = cut < 0 ? input : input.left(cut);
    const QString cgp = exe + QStringLiteral("/s.cgp");
    if (cut < 0)
        QFile::remove(cgp);
    else
        write_scratch_file(cgp, input.mid(cut + separator.size()));

    EventLog log; // no path: nothing is written
    SilentMessages messages;
    TFaultDataSet fault_data;
    TStressStates states;
    const TIRReadResult read = read_inversion_result(result, folder + QStringLiteral("/r.tlv"), exe,
                                                     fault_data, states, log, messages);
    if (read.outcome == TIROutcome::Loaded)
        exercise_fault_data(fault_data, states.STSet);
    return 0;
}
