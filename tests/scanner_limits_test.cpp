// Scanner paths that only odd documents take: a name longer than a piece, a line end inside a tag's rest,
// the input ending inside a start tag, a content longer than a piece on the general path.
#include "tests/fuzz/properties.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<zpvprops::Row> findings(const std::string& doc) {
    std::string csv;
    EXPECT_EQ(validator::run_in_memory(doc, 'C', &csv), 0);
    return zpvprops::parse(csv, 'C').findings;
}

TEST(ScannerLimits, ANameLongerThanAPieceIsCutAndItsRestIsTheTagRest) {
    const std::string name(400, 'N');
    const auto rows = findings("<ZPV>\r\n<rok>2009</rok>\r\n<" + name + ">1</" + name + ">\r\n</ZPV>\r\n");
    ASSERT_GE(rows.size(), 2u);
    // 301 characters are the name (the report shows 51 of them), the other 99 the tag's rest
    EXPECT_EQ(rows[0].cells[0], "3");
    EXPECT_EQ(rows[0].cells[1], "ES300");
    EXPECT_EQ(rows[0].cells[4], std::string(51, 'N'));
    EXPECT_EQ(rows[0].cells[5], std::string(99, 'N'));
    EXPECT_EQ(rows[1].cells[1], "ES301");
}

TEST(ScannerLimits, APrologueTagsRestLongerThanAPieceIsEchoedCut) {
    const std::string rest = "version=\"1.0\" " + std::string(400, 'x');
    std::string report, echo;
    ASSERT_EQ(validator::run_in_memory("<?xml " + rest + "?>\r\n<ZPV>\r\n</ZPV>\r\n", 'C', &report, &echo),
              0);
    EXPECT_EQ(echo.substr(0, echo.find("\r\n")), "<?xml " + rest.substr(0, 301) + ">");
}

TEST(ScannerLimits, ALineEndInsideATagRestIsCountedAndLeftOut) {
    const auto rows = findings("<ZPV>\r\n<rok a=\"1\"\r\n>2009</rok>\r\n</ZPV>\r\n");
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells[1], "ES300");
    EXPECT_EQ(rows[0].cells[5], "a=\"1\"");
    EXPECT_EQ(rows[1].cells[0], "4"); // the line end inside the tag counts
}

TEST(ScannerLimits, TheInputEndingInsideAStartTagEndsTheRun) {
    for (const char* doc : {"<ZPV>\r\n<rok a", "<ZPV>\r\n<rok ", "<ZPV>\r\n<rok\n"}) {
        const auto rows = findings(doc);
        ASSERT_EQ(rows.size(), 2u) << doc;
        EXPECT_EQ(rows[0].cells[1], "ES306") << doc;
        EXPECT_EQ(rows[1].cells[1], "ES308") << doc;
    }
}

TEST(ScannerLimits, NamesAreReadAsWrittenAndCommentsSkippedWhole) {
    // A root whose name begins with ZPV is the root; its end tag is no root end tag, so the run ends with
    // ES306, on the last employer read. "AA012:" is no field of the employee.
    const auto rows = findings("<ZPVX>\r\n<zamestnavatel>\r\n<AA0017>12345679</AA0017>\r\n<zamestnanec>\r\n"
                               "<AA0126>X1</AA0126>\r\n<AA012:>1</AA012:>\r\n</zamestnanec>\r\n"
                               "</zamestnavatel>\r\n</ZPVX>\r\n");
    ASSERT_GE(rows.size(), 2u);
    const auto unknown =
        std::find_if(rows.begin(), rows.end(), [](const auto& r) { return r.cells[1] == "ES301"; });
    ASSERT_NE(unknown, rows.end());
    EXPECT_EQ(unknown->cells[3], "X1");
    EXPECT_EQ(unknown->cells[4], "AA012:");
    EXPECT_EQ(rows.back().cells[1], "ES306");
    EXPECT_EQ(rows.back().cells[2], "12345679");
    // A comment holding tags and '>' is skipped up to its "-->".
    const std::string doc = "<ZPV>\r\n<rok>2009</rok>\r\n</ZPV>\r\n";
    std::string commented = doc;
    commented.insert(doc.find("\r\n</ZPV>"), "<!-- old: <rok>2008</rok> -->");
    std::string plain, with_comment;
    ASSERT_EQ(validator::run_in_memory(doc, 'C', &plain), 0);
    ASSERT_EQ(validator::run_in_memory(commented, 'C', &with_comment), 0);
    EXPECT_EQ(with_comment, plain);
}

TEST(ScannerLimits, AContentLongerThanAPieceIsCut) {
    const auto rows = findings("<ZPV>\r\n<autor>" + std::string(400, '7') + " x</autor>\r\n</ZPV>\r\n");
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[1].cells[1], "ESAUT");
    EXPECT_EQ(rows[1].cells[5], std::string(301, '7'));
    // the 301st character a blank
    const auto blank = findings("<ZPV>\r\n<autor>" + std::string(300, '7') + " 1</autor>\r\n</ZPV>\r\n");
    ASSERT_GE(blank.size(), 2u);
    EXPECT_EQ(blank[1].cells[5], std::string(300, '7') + " ");
    // the 301st a NUL byte, which the plain runs stop at too; it ends the text
    const auto nul = findings("<ZPV>\r\n<autor>" + std::string(300, '7') + std::string(1, '\0') +
                              "1</autor>\r\n</ZPV>\r\n");
    ASSERT_GE(nul.size(), 2u);
    EXPECT_EQ(nul[1].cells[5], std::string(300, '7'));
}

} // namespace
