// Header checks: the submitter's company number and the form of the e-mail address.
#include "checks/fields.h"
#include "checks/header.h"
#include "reader/scanner.h"
#include "report/context.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace checks;
using Rows = std::vector<std::string>;

Rows findings(testing_support::Capture& cap) {
    Rows out;
    for (const std::string& r : cap.rows())
        if (r.rfind("Radek;", 0) != 0)
            out.push_back(r.substr(0, r.rfind(';')));
    return out;
}

TEST(HeaderCompanyNumber, WrongCheckDigitIsMarkedAndNeverLookedUp) {
    testing_support::Capture cap;
    report::s_cislo_radky.assign("7");
    start_header_block();
    k_Pre("rok", "2009");
    k_Pre("AA0226", "1-6");
    k_Pre("ICOpredkladatele", "12345670");
    EXPECT_EQ(PTabEsw[pre::ICOpredkladatele], 'E');
    // The check digit's finding alone: the register is not searched for a number already rejected.
    EXPECT_EQ(findings(cap), Rows{"7;EL031;;;ICOpredkladatele;12345670;   "});
}

TEST(HeaderMail, AddressFormRules) {
    testing_support::Capture cap;
    report::s_cislo_radky.assign("8");
    for (const char* good : {"a@b.cz", "a@b@c.de", "jan.novak@firma.cz", "a@b.c.", "a@.cz"})
        EXPECT_EQ(chk_eposta(good), 0) << good;
    for (const char* bad :
         {"abc.cz", "ab@cz", "a.b@cz", "ab@cz.", ".ab@c.cz", "@ab.cz", "a.b.cz@", "a b@c.cz", "ab@c.cz "})
        EXPECT_EQ(chk_eposta(bad), 1) << bad;
    EXPECT_EQ(findings(cap).front(), "8;ESEMA;;;mail;abc.cz;   ");
}

TEST(HeaderMail, BoundsAndFormCanBothReport) {
    testing_support::Capture cap;
    report::s_cislo_radky.assign("9");
    start_header_block();
    k_Pre("mail", "(x)@abc");
    const Rows rows = findings(cap);
    ASSERT_EQ(rows.size(), 3u); // order, text bounds, form
    EXPECT_EQ(rows[1].rfind("9;ESEMA;;;mail;(x)@abc;", 0), 0u);
    EXPECT_NE(rows[1], rows[2]); // the bounds show the catalogue's example address
    EXPECT_EQ(rows[2], "9;ESEMA;;;mail;(x)@abc;   ");
    EXPECT_EQ(PTabEsw[pre::mail], 'E');
}

} // namespace
