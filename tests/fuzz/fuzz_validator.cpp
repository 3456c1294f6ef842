// libFuzzer target: the fuzzer's bytes are an input document, validated in-process once per report format
// (the fixed-column text with the echo file), and once more with the one-look reading of field lines turned
// off: both ways must give the same report and the same echo file.
#include "reader/scanner.h"
#include "validator/run.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Output {
    std::string report, echo;
};

void validate(std::string_view document, char format, Output& out, bool with_echo) {
    out.report.clear();
    out.echo.clear();
    if (validator::run_in_memory(document, format, &out.report, with_echo ? &out.echo : nullptr) != 0)
        std::abort(); // a document can never make a run fail
}

} // namespace

// The reports carry the time of the run: a fixed one, so that two runs a second apart still compare.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SOURCE_DATE_EPOCH", "1246370709", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Output quick, general;
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    for (const char format : {'H', 'C', 'X', 'T'})
        validate(document, format, quick, format == 'T');
    reader::one_look = false;
    validate(document, 'T', general, true);
    reader::one_look = true;
    if (quick.report != general.report || quick.echo != general.echo)
        std::abort(); // the two ways of reading a field differ
    return 0;
}
