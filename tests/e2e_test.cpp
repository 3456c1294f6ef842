// End-to-end: every folder under tests/data/ is one document (or a list of documents) with the reports
// that the validator must write for it, byte for byte, in all four formats, and optionally the echo file.
//
// A folder holds `case.xml` and `expected.htm`, `expected.csv`, `expected.txt`, `expected.xml`; with
// `expected-echo.xml` the HTML run also writes the echo file. A file `args` replaces the default arguments
// "case.xml REPORT [ECHO]" with its own words, where REPORT and ECHO stand for the report and echo names.
// A file `status` holds the exit status when it is not 0.
// VALIX_BLESS=1 writes the expected files instead of comparing (they must then be checked by hand).
#include "tests/support.h"
#include "util/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using testing_support::Scratch;
using testing_support::slurp;

fs::path data_dir() {
    return testing_support::source_dir() / "tests" / "data";
}

std::vector<std::string> cases() {
    std::vector<std::string> out;
    if (!fs::exists(data_dir()))
        return out;
    for (const auto& e : fs::recursive_directory_iterator(data_dir()))
        if (e.is_regular_file() && e.path().filename() == "expected.csv")
            out.push_back(fs::relative(e.path().parent_path(), data_dir()).generic_string());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

class Documents : public ::testing::TestWithParam<std::string> {};

TEST_P(Documents, ReportsMatchByteForByte) {
    const fs::path dir = data_dir() / GetParam();
    const bool bless = std::getenv("VALIX_BLESS") != nullptr;
    const bool with_echo = fs::exists(dir / "expected-echo.xml");
    for (const char* ext : {"htm", "csv", "txt", "xml"}) {
        Scratch scratch;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file())
                fs::copy_file(e.path(), scratch / e.path().filename().string());
        const std::string report = std::string("report.") + ext;
        const bool echo = with_echo && std::string(ext) == "htm";
        std::vector<std::string> args;
        if (fs::exists(dir / "args")) {
            for (auto w : words(slurp(dir / "args"))) {
                if (w == "REPORT")
                    w = report;
                if (w == "ECHO")
                    w = "echo.xml";
                args.push_back(w);
            }
        } else {
            args = {"case.xml", report};
            if (echo)
                args.push_back("echo.xml");
        }
        std::vector<const char*> argv{"valix"};
        for (const auto& a : args)
            argv.push_back(a.c_str());
        testing_support::set_env("SOURCE_DATE_EPOCH", "1246370709");
        testing_support::set_env("TZ", "UTC");
        ::tzset();
        util::quiet = true;
        const int status = validator::run(static_cast<int>(argv.size()), argv.data());
        const int expected_status = fs::exists(dir / "status") ? std::stoi(slurp(dir / "status")) : 0;
        EXPECT_EQ(status, expected_status) << ext;

        const fs::path expected = dir / (std::string("expected.") + ext);
        if (bless) {
            fs::copy_file(scratch / report, expected, fs::copy_options::overwrite_existing);
            if (echo)
                fs::copy_file(scratch / "echo.xml", dir / "expected-echo.xml",
                              fs::copy_options::overwrite_existing);
            continue;
        }
        EXPECT_EQ(slurp(scratch / report), slurp(expected)) << GetParam() << " report." << ext;
        if (echo) {
            EXPECT_EQ(slurp(scratch / "echo.xml"), slurp(dir / "expected-echo.xml")) << GetParam() << " echo";
        }
    }
}

std::string case_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string n = info.param;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, Documents, ::testing::ValuesIn(cases()), case_name);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Documents);

} // namespace
