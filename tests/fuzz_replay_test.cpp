// Every document of the fuzzing corpus (the seeds and every input the fuzzer ever found troublesome) runs
// through the validator in all four formats and gives a complete report.
#include "tests/support.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpus, EveryDocumentGivesACompleteReport) {
    const fs::path dir = testing_support::source_dir() / "tests" / "fuzz" / "corpus";
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
            ASSERT_TRUE(report.size() >= std::string_view(last).size() &&
                        report.compare(report.size() - std::string_view(last).size(), std::string::npos, last) == 0)
                << e.path() << " " << format;
            EXPECT_NE(report.find("Celkem"), std::string::npos) << e.path() << " " << format;
        }
    }
    EXPECT_GT(documents, 10);
}

} // namespace
