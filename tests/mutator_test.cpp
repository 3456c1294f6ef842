// The fuzzer's ZPV mutator: it sees the document's elements as the scanner does, takes its edge values from
// the rule tables and code lists, and its changes reach findings that the seed document does not have.
#include "tests/fuzz/properties.h"
#include "tests/fuzz/zpv_mutator.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>

namespace {

bool has(const std::vector<std::string>& v, std::string_view s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(ZpvMutator, SeesElementsAndBlocks) {
    const std::string doc = "<ZPV>\r\n <zamestnanec>\r\n  <AA0131>40</AA0131>\r\n  <AA0013/>\r\n"
                            " <!-- <AA0132>1</AA0132> -->\r\n </zamestnanec>\r\n</ZPV>\r\n";
    const zpvfuzz::Document d = zpvfuzz::parse(doc);
    ASSERT_EQ(d.elements.size(), 4u); // the commented element is no element
    EXPECT_EQ(d.elements[0].name, "ZPV");
    EXPECT_EQ(d.elements[1].name, "zamestnanec");
    EXPECT_FALSE(d.elements[1].leaf);
    EXPECT_EQ(d.elements[1].depth, 1);
    const zpvfuzz::Element& field = d.elements[2];
    EXPECT_TRUE(field.leaf);
    EXPECT_EQ(doc.substr(field.content_from, field.content_to - field.content_from), "40");
    // an element takes the line end and indentation before it along
    EXPECT_EQ(doc.substr(field.from, field.to - field.from), "\r\n  <AA0131>40</AA0131>");
    EXPECT_EQ(d.elements[3].name, "AA0013");
    EXPECT_EQ(d.elements[3].content_from, d.elements[3].to); // empty form: no content
}

TEST(ZpvMutator, EdgeValuesComeFromTheRuleTables) {
    const auto hours = zpvfuzz::edge_values("AA0131"); // real, length 1 to 5, 0 ... 40
    for (const char* v : {"40.00", "40.01", "39.99", "0.00", "-0.01", "99999", "999999", ""})
        EXPECT_TRUE(has(hours, v)) << v;
    const auto date = zpvfuzz::edge_values("AA0110"); // 20090601 ... 20090930
    for (const char* v : {"20090601", "20090930", "20090531", "20090228", "20090229", "20090631", "20091001"})
        EXPECT_TRUE(has(date, v)) << v;
    const auto form = zpvfuzz::edge_values("AA0019"); // legal forms
    for (const char* v : {"301", "921", "300", "922"})
        EXPECT_TRUE(has(form, v)) << v;
    EXPECT_GT(zpvfuzz::edge_values("AA0013").size(), 10u); // occupations of the register
    for (const auto& [element, code] : {std::pair{"AA0179", "CZ0100"},
                                        {"AA0690", "CZ0806"},
                                        {"AA0223", "V"},
                                        {"AA0091", "1320"},
                                        {"AA0130", "10"}}) // the other code lists
        EXPECT_TRUE(has(zpvfuzz::edge_values(element), code)) << element;
    EXPECT_TRUE(zpvfuzz::edge_values("poznamka").empty());
}

// Many changes of the example with faults: the same seed gives the same document, and together they reach
// codes the example's report does not hold, while the properties still hold on every one of them.
TEST(ZpvMutator, ChangesReachNewFindings) {
    testing_support::set_env("SOURCE_DATE_EPOCH", "1246370709");
    const std::string seed_doc =
        testing_support::slurp(testing_support::source_dir() / "examples" / "zpv.xml");
    auto codes = [](const std::string& doc) {
        std::string csv;
        EXPECT_EQ(validator::run_in_memory(doc, 'C', &csv), 0);
        std::set<std::string> out;
        for (const auto& row : zpvprops::parse(csv, 'C').findings)
            out.insert(row.cells[1]);
        return out;
    };
    const std::set<std::string> before = codes(seed_doc);
    std::set<std::string> after;
    zpvfuzz::Rng rng(7), again(7);
    EXPECT_EQ(zpvfuzz::mutate(seed_doc, rng), zpvfuzz::mutate(seed_doc, again));
    std::string doc = seed_doc;
    testing_support::Scratch scratch;
    zpvprops::Runner runner("");
    for (int i = 0; i < 300; ++i) {
        std::string next = i % 7 == 6 ? zpvfuzz::cross_over(doc, seed_doc, rng) : zpvfuzz::mutate(doc, rng);
        if (next.empty() || next.size() > 200000 || i % 25 == 0)
            next = seed_doc; // start again from the seed now and then, as the fuzzer does from its corpus
        doc = next;
        for (const auto& c : codes(doc))
            after.insert(c);
        if (i % 10 == 0) {
            ASSERT_EQ(zpvprops::check_document(doc, runner, doc.size() / 3, "H"), "") << i;
        }
    }
    std::set<std::string> fresh;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::inserter(fresh, fresh.end()));
    EXPECT_GT(fresh.size(), 30u);
}

} // namespace
