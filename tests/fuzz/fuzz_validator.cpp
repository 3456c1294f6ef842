// libFuzzer target: the fuzzer's bytes are an input document, validated in-process once per report format
// (the fixed-column text with the echo file), and once more with the one-look reading of field lines turned
// off: both ways must give the same report and the same echo file. Every input is also checked for the
// properties of tests/fuzz/properties.h: the four formats agree, -w leaves out exactly the W rows, the
// document cut into two files read as a list gives the report of the whole, and the two conversions of
// numbers agree on every field text.
//
// The inputs are changed by the ZPV mutator (tests/fuzz/zpv_mutator.h) and, a fifth of the time and when it
// has nothing to change, by libFuzzer's byte mutation. Built with VALIX_BYTE_MUTATION_ONLY, the target has
// libFuzzer's own mutation only (the baseline that the ZPV mutator is measured against).
#include "reader/scanner.h"
#include "tests/fuzz/properties.h"
#include "validator/run.h"
#ifndef VALIX_BYTE_MUTATION_ONLY
#include "tests/fuzz/zpv_mutator.h"
#endif

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

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

void fail(const std::string& what) {
    std::fprintf(stderr, "property failed: %s\n", what.c_str());
    std::abort();
}

std::filesystem::path scratch;

} // namespace

// The reports carry the time of the run: a fixed one, so that two runs a second apart still compare. The
// runs of the program with files (for -w and lists) write in a folder of their own.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SOURCE_DATE_EPOCH", "1246370709", 1);
    setenv("TZ", "UTC", 1);
    char dir[] = "/dev/shm/valix-fuzz-XXXXXX";
    if (!std::filesystem::is_directory("/dev/shm"))
        std::memcpy(dir, "/tmp/valix-fuzz-XXXXXX", sizeof "/tmp/valix-fuzz-XXXXXX");
    if (mkdtemp(dir) == nullptr)
        std::abort();
    scratch = dir;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(scratch, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Output quick[4], general;
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    const char formats[4] = {'H', 'C', 'X', 'T'};
    for (int i = 0; i < 4; ++i)
        validate(document, formats[i], quick[i], formats[i] == 'T');
    reader::one_look = false;
    validate(document, 'T', general, true);
    reader::one_look = true;
    if (quick[3].report != general.report || quick[3].echo != general.echo)
        fail("the two ways of reading a field differ");

    if (std::string e =
            zpvprops::formats_agree(quick[0].report, quick[1].report, quick[2].report, quick[3].report);
        !e.empty())
        fail("formats: " + e);

    if (std::string e = zpvprops::numbers_agree(document); !e.empty())
        fail(e);

    // -w (in HTML, which has the per-code summary) and a list cut at a place the input chooses (in the text
    // format, with the echo file).
    zpvprops::Runner runner(scratch);
    std::string full, echo, w;
    if (runner.run(document, 'H', false, &full) != 0 || runner.run(document, 'H', true, &w) != 0)
        fail("a run of the file failed");
    if (zpvprops::renamed(full, 'H', runner.document_name(), "memory.xml") != quick[0].report)
        fail("the run of the file differs from the run in memory");
    if (w != zpvprops::without_w(full, 'H'))
        fail("-w: not the full report without its W rows");
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 1099511628211ull;
    const std::size_t cut = size == 0 ? 0 : hash % (size + 1);
    if (runner.run_list(document, cut, 'T', &full, &echo) != 0)
        fail("the run of the list failed");
    if (zpvprops::renamed(full, 'T', runner.first_part_name(), "memory.xml") != quick[3].report)
        fail("list cut at " + std::to_string(cut) + ": the report differs");
    if (echo != quick[3].echo)
        fail("list cut at " + std::to_string(cut) + ": the echo file differs");
    return 0;
}

#ifndef VALIX_BYTE_MUTATION_ONLY

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t max_size);

namespace {

std::size_t store(const std::string& out, std::uint8_t* data, std::size_t max_size) {
    if (out.empty() || out.size() > max_size)
        return 0;
    std::memcpy(data, out.data(), out.size());
    return out.size();
}

} // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t max_size,
                                               unsigned int seed) {
    zpvfuzz::Rng rng(seed);
    if (rng() % 5 != 0) {
        const std::string_view document(reinterpret_cast<const char*>(data), size);
        if (const std::size_t n = store(zpvfuzz::mutate(document, rng), data, max_size); n != 0)
            return n;
    }
    return LLVMFuzzerMutate(data, size, max_size);
}

extern "C" std::size_t LLVMFuzzerCustomCrossOver(const std::uint8_t* data1, std::size_t size1,
                                                 const std::uint8_t* data2, std::size_t size2,
                                                 std::uint8_t* out, std::size_t max_out_size,
                                                 unsigned int seed) {
    zpvfuzz::Rng rng(seed);
    const std::string_view a(reinterpret_cast<const char*>(data1), size1);
    const std::string_view b(reinterpret_cast<const char*>(data2), size2);
    if (const std::size_t n = store(zpvfuzz::cross_over(a, b, rng), out, max_out_size); n != 0)
        return n;
    // No element in one of them: the first document's head and the second one's tail.
    const std::size_t head = size1 == 0 ? 0 : rng() % (size1 + 1),
                      tail = size2 == 0 ? 0 : rng() % (size2 + 1);
    const std::size_t n = std::min(max_out_size, head + (size2 - tail));
    std::memcpy(out, data1, std::min(head, n));
    if (n > head)
        std::memcpy(out + head, data2 + tail, n - head);
    return n;
}

#endif
