// The generic per-field check: finding a field, its position in the block, length, type and value bounds,
// and what it leaves behind (marks, line texts, counts, parsed numbers).
#include "checks/employee.h"
#include "checks/fields.h"
#include "reader/handlers.h"
#include "reader/scanner.h"
#include "report/context.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace checks;
using testing_support::cp;
using Rows = std::vector<std::string>;

// A fresh run on line 20 with an employer and an employee block open. rows() gives the findings without
// their description and without the order findings, which order() gives alone.
struct Block {
    testing_support::Capture cap;
    Block() {
        report::s_cislo_radky.assign("20");
        start_header_block();
        start_employer_slots();
        start_employer_block();
        start_employee_block();
        next_employee_slot();
    }
    Rows rows(bool order = false) {
        Rows out;
        for (const std::string& r : cap.rows())
            if (r.rfind("Radek;", 0) != 0 && (r.find(";ES305;") != std::string::npos) == order)
                out.push_back(r.substr(0, r.rfind(';')));
        return out;
    }
    Rows order() { return rows(true); }
};

TEST(FieldsLookup, EndMarkersOtherBlocksFieldsAndNearMissesAreUnknown) {
    for (std::string_view name :
         {"KoNeCP", "AA0017", "ROK", "rokx", "ro", "", "AA0226 ", "ICOpredkladatelex"})
        EXPECT_EQ(find_pre(name), pre::kEnd) << name;
    for (std::string_view name : {"KoNeCT", "AA0126", "aa0017", "AA017", "AA00170", "AB0017", "mail"})
        EXPECT_EQ(find_tel(name), tel::kEnd) << name;
    for (std::string_view name : {"KoNeCN", "AA0017", "AA0226", "AA9999", "AA012x"})
        EXPECT_EQ(find_nec(name), nec::kEnd) << name;
}

TEST(FieldsGeneric, UnknownElementReportsItsTextLengthAndChangesNothing) {
    Block run;
    EXPECT_EQ(k_Nec("AA9999", "12345"), 1);
    EXPECT_EQ(porDatN, -1);
    EXPECT_EQ(k_Nec("AA0126", "A1"), 0); // still at position 0: no order finding
    EXPECT_EQ(run.rows(), Rows{"20;ES301;;;AA9999;12345;5"});
}

TEST(FieldsGeneric, PositionIsNeverResynchronisedAndRunsPastTheEndMarker) {
    Block run;
    for (const char* f : {"rok", "ICOpredkladatele", "predkladatel"})
        k_Pre(f, "x");
    start_header_block();
    for (const char* f : {"rok", "AA0226", "ICOpredkladatele", "predkladatel", "autor", "mail", "mail",
                          "telefon", "vytvoreno", "autor"})
        k_Pre(f, "x");
    EXPECT_EQ(run.order(),
              (Rows{"20;ES305;;;ICOpredkladatele;x;AA0226", "20;ES305;;;predkladatel;x;ICOpredkladatele",
                    "20;ES305;;;mail;x;telefon", "20;ES305;;;telefon;x;vytvoreno",
                    "20;ES305;;;vytvoreno;x;KoNeCP", "20;ES305;;;autor;x;KoNeCP"}));
    EXPECT_EQ(PTabPre[pre::mail], 2);
    EXPECT_EQ(PTabPre[pre::autor], 2);
}

TEST(FieldsGeneric, LengthFindingShowsThePermittedLength) {
    Block run;
    k_Pre("rok", "209");
    k_Tel("AA0123", "1234567890123");
    k_Pre("telefon", "12345678");
    EXPECT_EQ(run.rows(),
              (Rows{cp("20;ER209;;;rok;209;délka 4"), cp("20;ES123;;;AA0123;1234567890123;délka 1 - 12"),
                    cp("20;WSTEL;;;telefon;12345678;délka 9 - 50")}));
    EXPECT_EQ(PTabEsw[pre::rok], 'E');
    EXPECT_EQ(TTabEsw[tel::AA0123], 'E');
}

TEST(FieldsGeneric, EmployerParsesBeforeItChecksTheLength) {
    Block run;
    k_Tel("AA0017", "1234567A");
    EXPECT_EQ(TTabEsw[tel::AA0017], 'E');
    EXPECT_EQ(TTabSum[tel::AA0017], 0.0); // a failed parse stores nothing
    k_Tel("AA0017", "123456789");
    EXPECT_EQ(TTabSum[tel::AA0017], 123456789.0); // stored, then rejected for its length
    k_Tel("AA0116", "12x");
    k_Tel("AA0116", "1 2");
    EXPECT_EQ(run.rows(), (Rows{"20;ES017;;;AA0017;1234567A;", cp("20;ES017;;;AA0017;123456789;délka 8"),
                                "20;ES116;;;AA0116;12x;", "20;ES116;;;AA0116;1 2;"}));
}

TEST(FieldsGeneric, NumberBoundsAreInclusiveAndTheCheckGoesOn) {
    Block run;
    for (const char* ok : {"0", "40", "39.99"})
        k_Nec("AA0131", ok);
    k_Nec("AA0131", "40.5");
    EXPECT_EQ(NTabEsw[nec::AA0131], 'E');
    EXPECT_EQ(anec_iAA0131[0], 40.5); // filed although out of range
    k_Nec("AA0144", "-9999999");
    k_Nec("AA0162", "-9999");
    k_Nec("AA0137", "0");
    k_Tel("AA0114", "0");
    k_Tel("AA0114", "0.0001");
    EXPECT_EQ(TTabEsw[tel::AA0114], ' ');
    EXPECT_EQ(run.rows(),
              (Rows{"20;EL005;;;AA0131;40.5;0 - 40", "20;ES137;;;AA0137;0;1,2", "20;EL057;;;AA0114;0;"}));
}

TEST(FieldsGeneric, TextBoundsCompareBytesInCodePageOrder) {
    Block run;
    k_Nec("AA0223", "a"); // lower case orders after "Z"; the lookup runs all the same
    k_Pre("rok", "2010");
    k_Pre("predkladatel", "(firma)");
    k_Pre("predkladatel", cp("Úřad práce Praha"));
    k_Pre("autor", cp("Žofie Nováková"));
    k_Pre("autor", "\xFE\xFE"); // after "ýýýýýýýýýý"
    k_Pre("telefon", "(420) 123 456");
    EXPECT_EQ(run.rows(), (Rows{"20;ES223;;;AA0223;a;A - V", "20;EL048;;;AA0223;a;   ",
                                "20;ER209;;;rok;2010;2009", "20;ESPRE;;;predkladatel;(firma);",
                                "20;ESAUT;;;autor;\xFE\xFE;", "20;WSTEL;;;telefon;(420) 123 456;nnnnnnnn"}));
    EXPECT_EQ(PTabEsw[pre::predkladatel], ' '); // the last, Czech name passed
}

TEST(FieldsGeneric, EmptyEstablishmentCodeIsMarkedWithoutFinding) {
    Block run;
    report::telicokod.assign("12345679");
    k_Tel("AA0113", "");
    EXPECT_EQ(TTabEsw[tel::AA0113], 'E');
    EXPECT_EQ(TTabSum[tel::AA0113], 123.0); // text fields carry the fixed number
    EXPECT_EQ(report::telicokod, "12345679");
    EXPECT_TRUE(run.rows().empty());
}

TEST(FieldsGeneric, MarksAndLinesOutliveTheBlockWhileCountsAndNumbersDoNot) {
    Block run;
    k_Nec("AA0126", "X");
    k_Nec("AA0231", "19x5");
    EXPECT_EQ(NTabEsw[nec::AA0231], 'E');
    report::s_cislo_radky.assign("1234567890");
    k_Nec("AA0231", "1970");
    EXPECT_EQ(NTabEsw[nec::AA0231], ' ');
    EXPECT_EQ(NTabPre[nec::AA0231], 2);
    start_employee_block();
    EXPECT_EQ(NTabPre[nec::AA0231], 0);
    EXPECT_EQ(NTabSum[nec::AA0231], 0.0);
    EXPECT_EQ(NTabLin[nec::AA0231], "1234567890"); // never cut
}

} // namespace
