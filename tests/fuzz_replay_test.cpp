// Every document of the fuzzing corpus (the seeds and every input the fuzzer ever found troublesome) runs
// through the validator in all four formats and gives a complete report, and has the properties the fuzzer
// checks (tests/fuzz/properties.h).
#include "tests/fuzz/properties.h"
#include "tests/support.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// The corpus in the repository, or another folder of fuzzer inputs (VALIX_FUZZ_CORPUS; tools/coverage.sh
// replays the folders fuzzing runs leave behind).
fs::path corpus_dir() {
    if (const char* other = std::getenv("VALIX_FUZZ_CORPUS"))
        return other;
    return testing_support::source_dir() / "tests" / "fuzz" / "corpus";
}

// Every cell of an HTML report stands on a line of its own; whatever a document holds, no cell may carry
// a raw '<' or '>' into the page.
void expect_no_markup_in_cells(const std::string& html, const fs::path& doc) {
    std::size_t p = 0;
    while ((p = html.find("\r\n<td>", p)) != std::string::npos) {
        p += 2;
        std::string_view line(html.data() + p, html.find("\r\n", p) - p);
        line.remove_prefix(4);
        if (line.substr(0, 3) == "<b>")
            line.remove_prefix(3);
        line.remove_suffix(5);
        if (line.size() >= 4 && line.substr(line.size() - 4) == "</b>")
            line.remove_suffix(4);
        ASSERT_EQ(line.find_first_of("<>"), std::string_view::npos) << doc << ": " << line;
    }
}

TEST(FuzzCorpus, EveryDocumentGivesACompleteReport) {
    const fs::path dir = corpus_dir();
    ASSERT_TRUE(fs::exists(dir));
    int documents = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (!e.is_regular_file())
            continue;
        ++documents;
        const std::string doc = testing_support::slurp(e.path());
        for (const char format : {'H', 'C', 'T', 'X'}) {
            std::string report;
            ASSERT_EQ(validator::run_in_memory(doc, format, &report), 0) << e.path();
            const char* last = format == 'H' ? "</html>\r\n" : format == 'X' ? "</ZPV_chyby>\r\n" : "\r\n";
            ASSERT_TRUE(
                report.size() >= std::string_view(last).size() &&
                report.compare(report.size() - std::string_view(last).size(), std::string::npos, last) == 0)
                << e.path() << " " << format;
            EXPECT_NE(report.find("Celkem"), std::string::npos) << e.path() << " " << format;
            if (format == 'H')
                expect_no_markup_in_cells(report, e.path());
        }
    }
    EXPECT_GT(documents, 10);
}

// The properties, with the document cut into a list where the fuzzer would cut it (the same hash), and at
// its middle.
TEST(FuzzCorpus, EveryDocumentHasTheProperties) {
    testing_support::set_env("SOURCE_DATE_EPOCH", "1246370709");
    testing_support::set_env("TZ", "UTC");
    const fs::path dir = corpus_dir();
    testing_support::Scratch scratch;
    zpvprops::Runner runner("");
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string doc = testing_support::slurp(e.path());
        std::uint64_t hash = 1469598103934665603ull;
        for (const char c : doc)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        EXPECT_EQ(zpvprops::check_document(doc, runner, hash % (doc.size() + 1), "HT"), "") << e.path();
        EXPECT_EQ(zpvprops::check_document(doc, runner, doc.size() / 2, "C"), "") << e.path();
        EXPECT_EQ(zpvprops::numbers_agree(doc), "") << e.path();
    }
}

} // namespace
