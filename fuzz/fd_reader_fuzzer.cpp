// Feeds arbitrary bytes to the fault-slip data reader as the contents of a data file.

#include "core/text_file.h"
#include "faults/fd_reader.h"
#include "fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    EventLog log; // no path: nothing is written
    SilentMessages messages;
    TFaultDataSet set;
    read_fault_data_lines(decode_text_lines(bytes), QStringLiteral("fuzz.efd"), set, log, messages);
    exercise_fault_data(set, {});
    return 0;
}
