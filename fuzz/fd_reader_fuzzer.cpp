// Feeds arbitrary bytes to the fault-slip data reader as the contents of a data file.

#include "fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFaultDataSet set = read_fault_data_bytes(data, size);
    exercise_fault_data(set, {});
    return 0;
}
