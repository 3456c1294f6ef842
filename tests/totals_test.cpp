// The employer-end step: missing fields, a person's records, the employer's figures against the sums.
#include "checks/employee.h"
#include "checks/employer.h"
#include "checks/fields.h"
#include "checks/totals.h"
#include "reader/scanner.h"
#include "refdata/lists.h"
#include "report/context.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace checks;
using Rows = std::vector<std::string>;

// An employer block whose fields each occurred once (field row r on line 20 + r), ending on line 99,
// with the employee records that a test adds.
struct Employer {
    testing_support::Capture cap;
    bool had_employee = false;

    Employer() {
        report::s_cislo_radky.assign("99");
        report::telicokod.assign("12345679");
        for (int row = 0; row < tel::kEnd; ++row) {
            TTabPre[row] = 1;
            TTabEsw[row] = ' ';
            TTabSum[row] = 0;
            TTabLin[row].assign(std::to_string(20 + row));
        }
        for (char& mark : NTabEsw)
            mark = ' ';
        maxAktiAnec = -1;
        sumz_AA0136 = sumz_AA0137 = sumz_AA0144 = 0;
        sw_anec_AA0137 = sw_anec_AA0033 = sumz_AA0223_Z = 0;
        sw_stejne_vzdelani = 'A';
        atel_iAA0114 = atel_iAA0118 = 0;
    }

    // A record in the register with unremarkable values; returns its slot.
    int add(std::string_view id, int line) {
        const int k = ++maxAktiAnec;
        anec_iAA0126[k].assign(id);
        anec_lin[k].assign(std::to_string(line));
        anec_ind[k] = k;
        anec_iAA0033[k] = 0;
        anec_iAA0211[k] = '1';
        anec_iAA0223[k] = 'K';
        anec_iAA0231[k] = 1970;
        anec_iAA0131[k] = 10;
        anec_iAA0132[k] = 100;
        anec_iAA0137[k] = 1;
        sumz_AA0137 += 1;
        had_employee = true;
        return k;
    }

    // The rows with one of these codes, without their description.
    Rows run(std::initializer_list<std::string_view> codes) {
        EXPECT_EQ(zpracuj_TELk(had_employee), 0);
        Rows out;
        for (const std::string& r : cap.rows())
            for (std::string_view code : codes)
                if (r.compare(r.find(';') + 1, code.size() + 1, std::string(code) + ";") == 0)
                    out.push_back(r.substr(0, r.rfind(';')));
        return out;
    }
};

TEST(EmployerTotals, MissingAndRepeatedFieldsAreReportedOnTheEndLine) {
    Employer e;
    TTabPre[tel::AA0019] = 0;
    TTabPre[tel::AA0114] = 2;
    report::identnec.assign("777");
    EXPECT_EQ(e.run({"ES303", "ES304"}),
              (Rows{"99;ES303;12345679;   ;AA0019;   ;AA0019", "99;ES304;12345679;   ;AA0114;   ;2"}));
}

TEST(EmployerTotals, EmployerWithoutEmployeesComparesZeroSumsThenReportsIt) {
    Employer e;
    TTabSum[tel::AA0114] = 1.5;
    TTabSum[tel::AA0115] = 5;
    TTabSum[tel::AA0118] = 1000;
    EXPECT_EQ(
        e.run({"EL020", "EL021", "EL022", "EL058", "ES309"}),
        (Rows{"27;EL020;12345679;   ;AA0114;    1.5000;    0.0000",
              "28;EL021;12345679;   ;AA0115;         5;         0",
              "29;EL022;12345679;   ;AA0118;      1000;         0", "99;ES309;12345679;   ;   ;   ;   "}));
    EXPECT_EQ(e.cap.rows().back(), testing_support::cp("99;ES309;12345679;   ;   ;   ;   ;Zamestnavatel nemá "
                                                       "ani jednoho zamestnance"));
}

TEST(EmployerTotals, PersonsAreWalkedInIdentifierOrderWithTheirLineList) {
    Employer e;
    e.add("B", 12);
    e.add("A", 71);
    anec_iAA0211[e.add("B", 130)] = '2';
    EXPECT_EQ(e.run({"EL003"}), (Rows{"12,130;EL003;12345679;B;AA0211;1;2"}));
    EXPECT_EQ((std::vector<int>{anec_ind[0], anec_ind[1], anec_ind[2]}), (std::vector<int>{1, 0, 2}));
}

TEST(EmployerTotals, PersonWithEightRecordsExaminesSix) {
    Employer e;
    for (int i = 1; i <= 8; ++i)
        e.add("P", 10 * i);
    anec_iAA0231[5] = 1971;   // the sixth record differs: reported
    anec_iAA0211[6] = '2';    // the seventh is not compared
    anec_iAA0132[6] = 5000;   // nor summed
    TTabSum[tel::AA0115] = 3; // 8 in the register, the person's first six count once
    EXPECT_EQ(e.run({"EL003", "WL007", "EL021"}),
              (Rows{"10,20,30,40,50,60, ...... ;EL003;12345679;P;AA0231;1970;1971"}));
}

TEST(EmployerTotals, PersonWithSixRecordsShowsThemAll) {
    Employer e;
    for (int i = 1; i <= 6; ++i)
        e.add("P", 10 * i);
    anec_iAA0231[5] = 1971;
    EXPECT_EQ(e.run({"EL003"}), (Rows{"10,20,30,40,50,60;EL003;12345679;P;AA0231;1970;1971"}));
}

TEST(EmployerTotals, InterleavedRunsAreMergedWhole) {
    Employer e;
    for (const char* id : {"1", "3", "2", "4", "4"})
        e.add(id, 10);
    e.run({});
    EXPECT_EQ((std::vector<int>{anec_ind[0], anec_ind[1], anec_ind[2], anec_ind[3], anec_ind[4]}),
              (std::vector<int>{0, 2, 1, 3, 4}));
}

TEST(EmployerTotals, CountryIsComparedByPositionInTheList) {
    Employer e;
    e.add("A", 1);
    anec_iAA0033[e.add("A", 2)] = refdata::stat_position("CZE");
    e.add("B", 3); // no code compares like CZ
    anec_iAA0033[e.add("B", 4)] = refdata::stat_position("CZ");
    anec_iAA0033[e.add("C", 5)] = refdata::kCountries; // two codes not in the list look alike
    anec_iAA0033[e.add("C", 6)] = refdata::kCountries;
    e.add("D", 7);
    anec_iAA0033[e.add("D", 8)] = refdata::kCountries;
    EXPECT_EQ(e.run({"EL003"}),
              (Rows{"1,2;EL003;12345679;A;AA0033;CZ;CZE", "7,8;EL003;12345679;D;AA0033;CZ;"}));
}

// Weekly hours count the records in the register; paid hours are tested after every addition.
TEST(EmployerTotals, PersonsHoursAreSummedOverTheirRecords) {
    Employer e;
    anec_iAA0131[e.add("A", 1)] = 40;
    anec_iAA0131[e.add("A", 2)] = 40.5;
    anec_iAA0131[e.add("B", 3)] = 40;
    const int b = e.add("B", 4);
    anec_iAA0131[b] = 40.5;
    anec_iAA0137[b] = 2;
    for (int line : {5, 6, 7})
        anec_iAA0132[e.add("C", line)] = line == 7 ? 500 : 1000;
    EXPECT_EQ(e.run({"WL049", "WL007"}), (Rows{"1,2;WL049;12345679;A;AA0131;     80.50;max. 79.99",
                                               "5,6,7;WL007;12345679;C;AA0132;      2000; <= 1872",
                                               "5,6,7;WL007;12345679;C;AA0132;      2500; <= 1872"}));
}

TEST(EmployerTotals, RecordsWithoutIdentifierNeverFormAPerson) {
    Employer e;
    for (int line : {1, 2}) {
        const int k = e.add("-", line);
        anec_ind[k] = -1;
        anec_iAA0211[k] = static_cast<char>('0' + line);
    }
    TTabSum[tel::AA0115] = 2;
    EXPECT_TRUE(e.run({"EL003", "EL021"}).empty());
    EXPECT_EQ(anec_ind[0] + anec_ind[1], 1);
}

TEST(EmployerTotals, ConvertedHeadcountDifferingOnlyPastFourDecimalsPasses) {
    Employer e;
    sumz_AA0136 = 12.34567;
    TTabSum[tel::AA0114] = 12.3457;
    EXPECT_TRUE(e.run({"EL020"}).empty());
}

TEST(EmployerTotals, FiguresMissingFromTheBlockCountZeroOnTheEndLine) {
    Employer e;
    for (int i = 0; i < 11; ++i)
        e.add(std::to_string(i), i + 1);
    sw_anec_AA0137 = 2;
    TTabSum[tel::AA0115] = 11;
    TTabPre[tel::AA0114] = 0; // marks and lines left by an earlier employer
    TTabEsw[tel::AA0114] = 'E';
    sumz_AA0136 = 11;
    TTabPre[tel::AA0118] = 0;
    atel_iAA0114 = 10;
    atel_iAA0118 = 900000;
    EXPECT_EQ(e.run({"EL020", "EL058"}), (Rows{"99;EL020;12345679;   ;AA0114;    0.0000;   11.0000",
                                               "99;EL058;12345679;   ;AA0118;         0;>   393000.00"}));
}

// The employee-structure rules: EL081 and EL082 from 10 records, WL042 and EL058 from 11.
TEST(EmployerTotals, StructureRulesHaveTheirThresholds) {
    for (int n : {10, 11}) {
        Employer e;
        for (int i = 0; i < n; ++i)
            anec_iAA0223[e.add(std::to_string(i), i + 1)] = 'A';
        atel_iAA0114 = 10;
        atel_iAA0118 = 300000;
        TTabSum[tel::AA0118] = 300000;
        const Rows rows = e.run({"WL042", "EL058", "EL081", "EL082"});
        Rows expected;
        if (n == 11)
            expected = {"   ;WL042;12345679;   ;   ;   ;   ",
                        "29;EL058;12345679;   ;AA0118;    300000;>   393000.00"};
        expected.push_back("   ;EL081;12345679;   ;AA0223;A;   ");
        expected.push_back("   ;EL082;12345679;   ;AA0223;   ;   ");
        EXPECT_EQ(rows, expected) << n;
    }
}

TEST(EmployerTotals, LowEducationNeedsMoreThanHalf) {
    for (char sixth : {'C', '\xC1'}) {
        Employer e;
        const char codes[] = {'A', 'B', ' ', '1', '?', 'K', 'K', 'K', 'K', 'Z'};
        for (int i = 0; i < 10; ++i)
            anec_iAA0223[e.add(std::to_string(i), i + 1)] = i == 5 ? sixth : codes[i];
        EXPECT_EQ(e.run({"EL081", "EL082"}).size(), sixth == 'C' ? 0u : 1u);
    }
}

TEST(EmployerTotals, SortOfAFullEmployerIsStable) {
    Employer e;
    for (int k = 0; k < kSlots; ++k)
        e.add(std::to_string(100000 + (kSlots - 1 - k) / 2), k + 1);
    zpracuj_TELk(true);
    int misplaced = 0; // equal identifiers stay in slot order
    for (int k = 0; k < kSlots; k += 2)
        misplaced += anec_ind[k] != kSlots - 2 - k || anec_ind[k + 1] != kSlots - 1 - k;
    EXPECT_EQ(misplaced, 0);
}

} // namespace
