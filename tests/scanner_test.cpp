// The tag scanner over documents held in memory.
#include "reader/scanner.h"
#include "report/context.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace reader;

struct Scan {
    testing_support::Capture cap; // a fresh run state
    std::string doc;
    char buf[302];
    explicit Scan(std::string text) : doc(std::move(text)) { open_input_memory(doc); }
    std::string element() {
        EXPECT_EQ(dej_element(buf), 0);
        return buf;
    }
};

TEST(Scanner, ElementContentAndEndTagOnOneLine) {
    Scan s("<rok>2009</rok>");
    EXPECT_EQ(s.element(), "rok");
    EXPECT_EQ(je_ZAVZAV, 'A');
    EXPECT_EQ(dej_zbytek_elementu(s.buf, Blanks::skip), 0);
    EXPECT_EQ(dej_obsah(s.buf), 0);
    EXPECT_STREQ(s.buf, "2009");
    EXPECT_EQ(je_OTVZAV, 'A');
    EXPECT_EQ(s.element(), "/rok");
    EXPECT_EQ(prvek_zac_kon("rok", "/rok"), 'A');
}

TEST(Scanner, TagRestsAndEmptyForms) {
    Scan s("<AA0017 a=\"1\">x</AA0017><AA0113 /><AA0114/>");
    EXPECT_EQ(s.element(), "AA0017");
    EXPECT_EQ(je_ZAVZAV, 'N');
    EXPECT_EQ(dej_zbytek_elementu(s.buf, Blanks::skip), 2);
    EXPECT_STREQ(s.buf, "a=\"1\"");
    dej_obsah(s.buf);
    s.element();
    EXPECT_EQ(s.element(), "AA0113");
    EXPECT_EQ(dej_zbytek_elementu(s.buf, Blanks::skip), 2);
    EXPECT_STREQ(s.buf, "/");
    EXPECT_EQ(s.element(), "AA0114/");
    EXPECT_EQ(dej_zbytek_elementu(s.buf, Blanks::skip), 0);
}

TEST(Scanner, LinesAreCountedWhileSkippingAndJoined) {
    Scan s("<a>12\r\n34</a>\n\n<b>");
    EXPECT_EQ(report::s_cislo_radky.view(), "1");
    s.element();
    dej_obsah(s.buf);
    EXPECT_STREQ(s.buf, "1234");
    EXPECT_EQ(report::s_cislo_radky.view(), "2");
    s.element();
    EXPECT_EQ(s.element(), "b");
    EXPECT_EQ(cislo_radky, 4);
    EXPECT_EQ(report::s_cislo_radky.view(), "4");
}

TEST(Scanner, CommentsEndAtTheirCloseEvenAcrossLineBreaks) {
    Scan s("<!-- a <b> c --\n><x>");
    EXPECT_EQ(s.element(), "!--");
    EXPECT_EQ(preskoc_zbytek_komentare(), 0);
    EXPECT_EQ(s.element(), "x");
}

TEST(Scanner, NamespacePrefix) {
    Scan s("<zpv:rok></zpv:rok><azpv:rok><rok:zpv:><ZPV:rok>");
    EXPECT_EQ(s.element(), "rok");
    EXPECT_EQ(s.element(), "/rok");
    EXPECT_EQ(s.element(), "/rok");
    EXPECT_EQ(s.element(), "rok:zpv:");
    EXPECT_EQ(s.element(), "ZPV:rok");
}

TEST(Scanner, PiecesAreCutAfter301Characters) {
    const std::string long_name(400, 'n');
    Scan s("<" + long_name + ">x<" + std::string(10, 'y') + ">");
    EXPECT_EQ(s.element(), std::string(301, 'n'));
    // The rest of the name is text to skip on the way to the next tag.
    EXPECT_EQ(s.element(), std::string(10, 'y'));
}

TEST(Scanner, ContentCutAt301) {
    const std::string text(500, 'c');
    Scan s("<a>" + text + "</a>");
    s.element();
    EXPECT_EQ(dej_obsah(s.buf), 1);
    EXPECT_EQ(std::string(s.buf), std::string(301, 'c'));
    EXPECT_EQ(je_OTVZAV, 'N');
    EXPECT_EQ(s.element(), "/a");
}

TEST(Scanner, EndTagMatching) {
    EXPECT_EQ(prvek_zac_kon("rok", "/rok"), 'A');
    EXPECT_EQ(prvek_zac_kon("rok", "xrok"), 'A');
    EXPECT_EQ(prvek_zac_kon("rok", "/roky"), 'A');
    EXPECT_EQ(prvek_zac_kon("rok", "/ro"), 'N');
    EXPECT_EQ(prvek_zac_kon("rok", "/rak"), 'N');
    EXPECT_EQ(prvek_zac_kon("", "/x"), 'A');
}

TEST(Scanner, LineNumbersCarryPastAllNines) {
    Scan s(std::string(1000000, '\n') + "<x>");
    EXPECT_EQ(s.element(), "x");
    EXPECT_EQ(cislo_radky, 1000001);
    EXPECT_EQ(report::s_cislo_radky.view(), "1000001");
}

} // namespace
