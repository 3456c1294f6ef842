// The end-to-end cases as a whole: every code that some check can raise is shown by at least one
// expected report under tests/data/, and no expected report shows a code that no check raises.
#include "report/catalogue.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Codes that stay in the catalogue for the lookup and the summary sort but that no check raises.
// EL005, EL030, EL032, EL044, ER209 and WSTEL stand twice in the catalogue; only their first row is
// used, and that one is raised, so they are not listed here.
const std::set<std::string_view> kNeverRaised = {
    "EL052", "EL065", "EL075", "ER206", "ER207", "ER208", "ER210", "ER212", "ES100", "ES101", "WS102",
    "WL008", "WL011", "WL014", "WL017", "WL018", "WL019", "WL023", "WL024", "WL025", "WL026", "WL029",
    "WL034", "WL040", "WL043", "WL067", "WL072", "WR201", "WR203", "WR205", "WR211", "WR213",
};

// The expected CSV reports of all end-to-end cases, one text per case.
std::vector<std::string> expected_reports() {
    std::vector<std::string> out;
    const fs::path data = testing_support::source_dir() / "tests" / "data";
    if (!fs::exists(data))
        return out;
    for (const auto& e : fs::recursive_directory_iterator(data))
        if (e.is_regular_file() && e.path().filename() == "expected.csv")
            out.push_back(testing_support::slurp(e.path()));
    return out;
}

// A CSV report row carries its code in the second column: "line;CODE;...".
bool shown(const std::vector<std::string>& reports, std::string_view code) {
    std::string needle(1, ';');
    needle.append(code).push_back(';');
    for (const auto& r : reports)
        if (r.find(needle) != std::string::npos)
            return true;
    return false;
}

TEST(Conformance, EveryRaisedCodeAppearsInSomeExpectedReport) {
    const auto reports = expected_reports();
    ASSERT_FALSE(reports.empty());
    std::set<std::string_view> missing;
    for (int row = 0; row < report::kEndRow; ++row) {
        const std::string_view code = report::kCatalogue[row].code;
        if (!kNeverRaised.contains(code) && !shown(reports, code))
            missing.insert(code);
    }
    std::string list;
    for (auto code : missing)
        list.append(list.empty() ? "" : " ").append(code);
    EXPECT_TRUE(missing.empty()) << "codes raised by some check but shown by no expected report: " << list;
}

TEST(Conformance, NoExpectedReportShowsACodeThatNoCheckRaises) {
    const auto reports = expected_reports();
    for (auto code : kNeverRaised)
        EXPECT_FALSE(shown(reports, code)) << code;
}

} // namespace
