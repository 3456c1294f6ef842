// Employer record checks: company number, establishment code and employer identity, duplicate employers
// across the run, the date, and the headcount and budget plausibility rules.
#include "checks/employee.h"
#include "checks/employer.h"
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
using Rows = std::vector<std::string>;

struct Block {
    testing_support::Capture cap;

    // The findings with one of these codes, without their description.
    Rows rows(std::initializer_list<std::string_view> codes) {
        Rows out;
        for (const std::string& r : cap.rows())
            for (std::string_view code : codes) {
                const std::size_t at = r.find(code);
                if (at != std::string::npos && at > 0 && r[at - 1] == ';' && r[at + code.size()] == ';')
                    out.push_back(r.substr(0, r.rfind(';')));
            }
        return out;
    }

    // An employer start as the handlers do it, then its fields on lines from 10 on.
    void employer(std::initializer_list<std::pair<const char*, const char*>> fields) {
        start_employer_slots();
        start_employer_values();
        start_employer_block();
        report::identnec.assign("   ");
        int line = 10;
        for (const auto& [elem, text] : fields) {
            report::s_cislo_radky.assign(std::to_string(line++));
            if (std::string_view(elem) == "AA0017")
                report::telicokod.assign(text);
            k_Tel(elem, text);
        }
    }
};

TEST(EmployerIdentity, CompanyNumberAndEstablishmentCodeMakeIdentityAndKey) {
    Block run;
    run.employer({{"AA0017", "12345670"}, {"AA0113", ""}, {"AA0019", "301"}});
    EXPECT_EQ(TTabEsw[tel::AA0017], 'E');
    EXPECT_EQ(newZamId, "12345670"); // a wrong check digit still makes the key
    run.employer({{"AA0017", "12345679"}, {"AA0113", "1"}, {"AA0019", "301"}});
    EXPECT_EQ(newZamId, "12345679/1");
    EXPECT_EQ(run.rows({"EL031", "WL054"}),
              (Rows{"10;EL031;12345670;   ;AA0017;12345670;   ", "11;WL054;12345679/1;   ;AA0113;1;   "}));
}

TEST(EmployerIdentity, OverlongIdentityIsCutAndARejectedNumberMakesNoKey) {
    Block run;
    run.employer({{"AA0017", "123456789012"}, {"AA0113", "ABCDEFGHIJ"}, {"AA0019", "301"}});
    EXPECT_EQ(report::telicokod, "123456789012/ABCDEF");
    EXPECT_EQ(newZamId, "");
    run.employer({{"AA0017", "1234567"}, {"AA0113", "ABCDEFGHIJ"}, {"AA0019", "301"}});
    // Two employers without an accepted company number are not taken for one employer.
    EXPECT_EQ(nTabZamId, -1);
    EXPECT_TRUE(run.rows({"EL074"}).empty());
}

TEST(EmployerDuplicates, RepeatIsReportedOnItsLegalFormLine) {
    Block run;
    run.employer({{"AA0017", "12345679"}, {"AA0113", "1"}, {"AA0019", "301"}});
    run.employer({{"AA0017", "12345679"}, {"AA0113", "2"}, {"AA0019", "301"}});
    run.employer({{"AA0017", "12345679"}, {"AA0113", "1"}, {"AA0019", "301"}});
    run.employer({{"AA0017", "12345679"}, {"AA0019", "301"}});
    run.employer({{"AA0017", "12345679"}, {"AA0113", ""}, {"AA0019", "301"}});
    run.employer({{"AA0017", "12345679"}, {"AA0019", "30"}}); // no duplicate check without a legal form
    EXPECT_EQ(run.rows({"EL074"}), (Rows{"12;EL074;12345679/1;   ;AA0017/AA0113;12345679/1;   ",
                                         "12;EL074;12345679;   ;AA0017 ;12345679;   "}));
    EXPECT_EQ(nTabZamId, 2);
}

TEST(EmployerDuplicates, TableKeepsTheFirstHundredKeys) {
    Block run;
    for (int i = 0; i < 102; ++i)
        EXPECT_EQ(chk_ZamId(std::to_string(10000000 + i)), i < 100 ? 0 : 1);
    EXPECT_EQ(chk_ZamId("10000004"), 1);
    EXPECT_EQ(chk_ZamId("10000100"), 1); // the 101st was never stored
    EXPECT_EQ(run.rows({"WL901", "EL074"}),
              (Rows{"1;WL901;;;zamestnavatel;10000100;   ", "1;EL074;;;AA0017 ;10000004;   "}));
}

TEST(EmployerDate, DayMustExistInTheMonth) {
    Block run;
    for (const char* ok : {"20090630", "20090731", "20090228", "20090901", "19991231"})
        EXPECT_EQ(chk_AA0110(ok), 0) << ok;
    for (const char* bad :
         {"20090631", "20090229", "20080229", "20090900", "20091301", "20090032", "2009063x"})
        EXPECT_EQ(chk_AA0110(bad), 1) << bad;
    run.employer({{"AA0110", "20091301"}});
    EXPECT_EQ(run.rows({"ES110", "EL050"}).size(), 9u); // both the range and the day for the last
}

TEST(EmployerHeadcount, BudgetedHeadcountAgainstTheReportedOnes) {
    Block run;
    // P = 100, E = 100, B = 50: no error (50 >= 11), a warning on the AA0116 line.
    run.employer({{"AA0116", "50"}, {"AA0123", "2000"}, {"AA0114", "100"}, {"AA0115", "100"}});
    // P = 1000, E = 1000, B = 10000: the error, on the AA0115 line.
    run.employer({{"AA0116", "10000"}, {"AA0123", "2000"}, {"AA0114", "1000"}, {"AA0115", "1000"}});
    // With E = 9950 the error is forgiven, the warning is not.
    run.employer({{"AA0116", "10000"}, {"AA0123", "2000"}, {"AA0114", "1000"}, {"AA0115", "9950"}});
    // AA0116 after AA0115 counts as 0 for the rule.
    run.employer({{"AA0114", "1000"}, {"AA0115", "1000"}, {"AA0116", "1000"}});
    EXPECT_EQ(run.rows({"EL064", "WL063"}),
              (Rows{"10;WL063;;   ;AA0116;          50;       80.00 -       120.00",
                    "13;EL064;;   ;AA0116;       10000;      110.00 -      9000.00",
                    "10;WL063;;   ;AA0116;       10000;      800.00 -      1200.00",
                    "11;EL064;;   ;AA0116;           0;      110.00 -      9000.00"}));
}

TEST(EmployerBudget, BudgetAgainstSalariesPaidFromIt) {
    Block run;
    report::s_cislo_radky.assign("50");
    TTabLin[tel::AA0123].assign("33");
    atel_iAA0118 = 1500;
    atel_iAA0119 = 500;
    EXPECT_EQ(chk_AA0123(2000), 0);
    EXPECT_EQ(chk_AA0123(3000), 1);
    EXPECT_EQ(chk_AA0123(100), 1);
    atel_iAA0119 = 1600; // more from outside the budget than paid: nothing passes
    EXPECT_EQ(chk_AA0123(0), 1);
    EXPECT_EQ(run.rows({"EL062", "WL061"}),
              (Rows{"33;WL061;;;AA0123;        3000;        1600 -         2400",
                    "33;EL062;;;AA0123;         100;         220 -        18000",
                    "33;EL062;;;AA0123;           0;         -22 -        -1800"}));
}

TEST(EmployerBudget, RuleRunsOnTheLastFieldWithStoredFigures) {
    Block run;
    run.employer({{"AA0123", "100"}, {"AA0118", "1000"}, {"AA0119", "0"}});
    // The next employer lacks AA0123 and AA0118: the previous employer's figures stand in.
    run.employer({{"AA0119", "0"}});
    EXPECT_EQ(run.rows({"EL062"}), (Rows{"10;EL062;;   ;AA0123;         100;         220 -        18000",
                                         "10;EL062;;   ;AA0123;         100;         220 -        18000"}));
}

} // namespace
