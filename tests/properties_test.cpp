// The properties the fuzzer checks on every input (tests/fuzz/properties.h), here on every end-to-end
// document and the examples: the four formats carry the same findings and totals, -w leaves out exactly the
// W rows, and a document cut into two files read as a list gives the report and echo of the whole.
#include "tests/fuzz/properties.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;
using testing_support::Scratch;
using testing_support::slurp;

std::vector<std::string> documents() {
    std::vector<std::string> out;
    const fs::path data = testing_support::source_dir() / "tests" / "data";
    if (fs::exists(data))
        for (const auto& e : fs::recursive_directory_iterator(data))
            if (e.is_regular_file() && e.path().filename() == "case.xml")
                out.push_back(fs::relative(e.path(), testing_support::source_dir()).generic_string());
    std::sort(out.begin(), out.end());
    out.push_back("examples/zpv.xml");
    out.push_back("examples/zpv-chyby.xml");
    return out;
}

class Properties : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        testing_support::set_env("SOURCE_DATE_EPOCH", "1246370709");
        testing_support::set_env("TZ", "UTC");
        ::tzset();
        document = slurp(testing_support::source_dir() / GetParam());
        ASSERT_FALSE(document.empty());
    }
    std::string document;
};

TEST_P(Properties, FormatsAgreeAndWarningsLeaveOutTheirRowsOnly) {
    Scratch scratch;
    zpvprops::Runner runner("");
    EXPECT_EQ(zpvprops::check_document(document, runner, document.size() / 2, "HCXT"), "");
}

TEST_P(Properties, BothNumberConversionsAgreeOnEveryFieldText) {
    EXPECT_EQ(zpvprops::numbers_agree(document), "");
}

// Cuts everywhere in the head of the document (declaration, root, header), then every few bytes, and in
// the last bytes; in the text format with the echo file, and in HTML for a few of them.
TEST_P(Properties, AListOfTwoPartsReadsAsTheWhole) {
    Scratch scratch;
    zpvprops::Runner runner("");
    std::string whole, whole_echo;
    ASSERT_EQ(runner.run(document, 'T', false, &whole, &whole_echo), 0);
    std::vector<std::size_t> cuts;
    for (std::size_t c = 0; c <= document.size(); c += c < 120 || c + 30 > document.size() ? 1 : 61)
        cuts.push_back(c);
    for (const std::size_t cut : cuts) {
        std::string list, echo;
        ASSERT_EQ(runner.run_list(document, cut, 'T', &list, &echo), 0);
        ASSERT_EQ(zpvprops::renamed(list, 'T', runner.first_part_name(), runner.document_name()), whole)
            << "cut at " << cut;
        ASSERT_EQ(echo, whole_echo) << "cut at " << cut;
    }
}

std::string case_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string n = info.param;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, Properties, ::testing::ValuesIn(documents()), case_name);

// The report readers themselves: what they take from a report of the example with faults.
TEST(PropertyReaders, ReadEveryRowOfEachFormat) {
    const std::string doc = slurp(testing_support::source_dir() / "examples" / "zpv-chyby.xml");
    std::string r[4];
    const char formats[4] = {'H', 'C', 'X', 'T'};
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(validator::run_in_memory(doc, formats[i], &r[i]), 0);
    for (int i = 0; i < 4; ++i) {
        const zpvprops::Report rep = zpvprops::parse(r[i], formats[i]);
        EXPECT_TRUE(rep.complete) << formats[i];
        EXPECT_EQ(rep.findings.size(), 28u) << formats[i];
        EXPECT_EQ(rep.total_e, "27") << formats[i];
        EXPECT_EQ(rep.total_w, "1") << formats[i];
    }
    // a quoted CSV cell with ';' in it is one cell, quotes undone
    const zpvprops::Report csv = zpvprops::parse(r[1], 'C');
    const auto el069 = std::find_if(csv.findings.begin(), csv.findings.end(),
                                    [](const zpvprops::Row& row) { return row.cells[1] == "EL069"; });
    ASSERT_NE(el069, csv.findings.end());
    EXPECT_EQ(el069->cells[4], "AA0135; AA0210; AA0219;");
    // the HTML summary: one row per code, the W row among them
    const zpvprops::Report html = zpvprops::parse(r[0], 'H');
    EXPECT_EQ(std::count_if(html.summary.begin(), html.summary.end(),
                            [](const zpvprops::Row& row) { return row.cells[0].starts_with("W"); }),
              1);
    // -w takes out the one W finding and its summary row, nothing else
    const zpvprops::Report w = zpvprops::parse(zpvprops::without_w(r[0], 'H'), 'H');
    EXPECT_EQ(w.findings.size(), 27u);
    EXPECT_EQ(w.summary.size(), html.summary.size() - 1);
    EXPECT_EQ(w.total_w, "1");
}

// A difference in a single cell, a lost row or another total is found.
TEST(PropertyReaders, FindWhatDiffers) {
    const std::string doc = slurp(testing_support::source_dir() / "examples" / "zpv-chyby.xml");
    std::string h, c, x, t;
    ASSERT_EQ(validator::run_in_memory(doc, 'H', &h), 0);
    ASSERT_EQ(validator::run_in_memory(doc, 'C', &c), 0);
    ASSERT_EQ(validator::run_in_memory(doc, 'X', &x), 0);
    ASSERT_EQ(validator::run_in_memory(doc, 'T', &t), 0);
    EXPECT_EQ(zpvprops::formats_agree(h, c, x, t), "");
    std::string cell = x;
    cell.replace(cell.find("<Hodnota>20090631"), 17, "<Hodnota>20090630");
    EXPECT_NE(zpvprops::formats_agree(h, c, cell, t), "");
    std::string row = t;
    const std::size_t at = row.find("       21  EL050");
    row.erase(at, row.find("\r\n", at) + 2 - at);
    EXPECT_NE(zpvprops::formats_agree(h, c, x, row), "");
    std::string total = c;
    total.replace(total.find("vahy E:;      27"), 16, "vahy E:;      26");
    EXPECT_NE(zpvprops::formats_agree(h, total, x, t), "");
    std::string markup = h; // a raw '<' where the HTML must write "&lt;"
    markup.replace(markup.find("&nbsp;&lt;= "), 12, "&nbsp;<= ");
    EXPECT_NE(zpvprops::formats_agree(markup, c, x, t), "");
}

} // namespace
