// libFuzzer target: the fuzzer's bytes are an input document, validated in-process once per report format.
#include "validator/run.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::string report;
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    for (const char format : {'H', 'C', 'T', 'X'}) {
        report.clear();
        if (validator::run_in_memory(document, format, &report) != 0)
            std::abort(); // a document can never make a run fail
    }
    return 0;
}
