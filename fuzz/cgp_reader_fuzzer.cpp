// Feeds arbitrary bytes to the CGP reader as the contents of a CGP file.

#include "fuzz/fuzz_support.h"
#include "stress/ir_reader.h"
#include "stress/st_statistics.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = scratch_folder() + QStringLiteral("/states.cgp");
    write_scratch_file(
        path, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    SilentMessages messages;
    std::vector<TStressTensor> states;
    read_CGP(path, states, messages);
    (void)stress_statistics_lines(states);
    return 0;
}
