// The checks at the end of an employee block: presence of the fields, working time, days, absence
// and age. Each case starts from an employee whose record is consistent and changes a few values.
#include "checks/consistency.h"
#include "checks/employee.h"
#include "reader/handlers.h"
#include "reader/scanner.h"
#include "report/context.h"
#include "tests/support.h"
#include "util/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace checks::nec;
using Rows = std::vector<std::string>;
using Values = std::vector<std::pair<int, double>>;

// The row a finding gives (description cut off); consistency rows stand on the line of a field, and
// every field of the block stands on line 100 + its row.
// A CSV cell: the lists of fields and values of some rules hold ';' and are quoted.
std::string cell(const char* text) {
    const std::string t = text;
    return t.find(';') == std::string::npos ? t : '"' + t + '"';
}

std::string row(const std::string& line, const char* code, const char* elem, const char* value,
                const char* expected) {
    return testing_support::cp(line + ";" + code + ";12345678;007;" + cell(elem) + ";" + cell(value) + ";" +
                               expected);
}
std::string row_at(int f, const char* code, const char* elem, const char* value, const char* expected) {
    return row(std::to_string(100 + f), code, elem, value, expected);
}
Rows one(int f, const char* code, const char* elem, const char* value, const char* expected) {
    return {row_at(f, code, elem, value, expected)};
}

class EmployeeEndChecks : public ::testing::Test {
  protected:
    std::optional<testing_support::Capture> cap;

    // A fresh run with a full-time employee of a 40-hour occupation, in the register all period, tariff
    // table 1 class 1 grade 1, every field once; `values` and `tweak` change it, then the block ends.
    // Returns the rows with `code` (all rows for an empty code).
    Rows check(Values values, const std::string& code, const std::function<void()>& tweak = {}) {
        cap.reset();
        cap.emplace();
        report::telicokod.assign("12345678");
        report::identnec.assign("007");
        report::s_cislo_radky.assign("999");
        checks::necsav_AA0013.assign("21411");
        for (int f = 0; f < kEnd; ++f) {
            checks::NTabPre[f] = 1;
            checks::NTabEsw[f] = ' ';
            checks::NTabSum[f] = 0;
            checks::NTabLin[f].assign(std::to_string(100 + f));
        }
        for (const auto& [f, v] : {std::pair{AA0231, 1970.0},
                                   {AA0131, 40.0},
                                   {AA0225, 5.0},
                                   {AA0216, 5.0},
                                   {AA0132, 1000.0},
                                   {AA0134, 80.0},
                                   {AA0135, 40.0},
                                   {AA0136, 1.0},
                                   {AA0137, 1.0},
                                   {AA0127, 1.0},
                                   {AA0128, 1.0},
                                   {AA0129, 1.0},
                                   {AA0138, 6550.0},
                                   {AA0210, 2.0},
                                   {AA0218, 181.0},
                                   {AA0219, 10.0}})
            checks::NTabSum[f] = v;
        for (const auto& [f, v] : values)
            checks::NTabSum[f] = v;
        if (tweak)
            tweak();
        EXPECT_EQ(checks::k_NecK(), 1);
        Rows out;
        for (const std::string& r : cap->rows())
            if (code.empty() || r.compare(r.find(';') + 1, code.size() + 1, code + ";") == 0)
                out.push_back(r.substr(0, r.rfind(';')));
        return out;
    }
    static std::function<void()> occupation(const char* code) {
        return [code] { checks::necsav_AA0013.assign(code); };
    }
    static std::function<void()> marked(int f) {
        return [f] { checks::NTabEsw[f] = 'E'; };
    }
};

TEST_F(EmployeeEndChecks, ConsistentEmployeeGivesNoFinding) {
    EXPECT_EQ(check({}, ""), Rows{});
}

TEST_F(EmployeeEndChecks, MissingAndRepeatedFieldsAreReportedOnTheEndLine) {
    const auto counts = [] {
        checks::NTabPre[AA0013] = 2;
        checks::NTabPre[AA0690] = 0;
        checks::NTabPre[AA0126] = 3;
    };
    EXPECT_EQ(check({}, "ES303", counts), Rows{row("999", "ES303", "AA0690", "   ", "AA0690")});
    EXPECT_EQ(check({}, "ES304", counts),
              (Rows{row("999", "ES304", "AA0126", "   ", "3"), row("999", "ES304", "AA0013", "   ", "2")}));
}

TEST_F(EmployeeEndChecks, AbsentFieldCountsZeroAndKeepsTheMarkOfItsLastOccurrence) {
    const auto absent = [](int f) { return [f] { checks::NTabPre[f] = 0; }; };
    EXPECT_EQ(check({{AA0136, 0}}, "EL037", absent(AA0136)).size(), 6u); // all amounts but AA0133
    EXPECT_EQ(check({{AA0136, 0}}, "EL038",
                    [&] {
                        absent(AA0136)();
                        marked(AA0136)();
                    }),
              Rows{});
    EXPECT_EQ(check({{AA0134, 0}, {AA0135, 12.5}}, "EL010", absent(AA0134)),
              one(AA0135, "EL010", "AA0135", "     12.50", "      0.00"));
    EXPECT_EQ(check({{AA0134, 0}, {AA0135, 12.5}}, "EL010", marked(AA0134)), Rows{});
    EXPECT_EQ(check({{AA0134, 10}, {AA0135, 12.5}}, "EL010", marked(AA0135)), Rows{});
}

TEST_F(EmployeeEndChecks, WeeklyHoursLimitFollowsTheOccupationsWeek) {
    // The field's own bound marks everything above 40; these rules fire only if that bound is widened.
    EXPECT_EQ(check({{AA0131, 40.5}}, "EL005"), one(AA0131, "EL005", "AA0131", "     40.50", "max. 40"));
    EXPECT_EQ(check({{AA0131, 42.5}}, "EL005", occupation("01234")), Rows{});
    EXPECT_EQ(check({{AA0131, 42.6}}, "EL005", occupation("01234")),
              one(AA0131, "EL005", "AA0131", "     42.60", "max. 42,5"));
    // No occupation read yet, or one beginning with a byte above 127: below '0', neither rule.
    EXPECT_EQ(check({{AA0131, 50}}, "EL005", occupation("")), Rows{});
    EXPECT_EQ(check({{AA0131, 50}}, "EL005",
                    occupation("\xC8"
                               "1234")),
              Rows{});
}

TEST_F(EmployeeEndChecks, YearsOfEmploymentCoverTheDaysInTheRegister) {
    // 181 days: trunc(100 * (181 / 365 - 0.0005)) / 100 = 0.49; a whole year needs 1.
    EXPECT_EQ(check({{AA0216, 0.40}, {AA0225, 0.05}}, "EL006"),
              one(AA0225, "EL006", "AA0225 + AA0216", "      0.45", ">=       0.49"));
    EXPECT_EQ(check({{AA0216, 0.49}, {AA0225, 0}}, "EL006"), Rows{});
    // A fifth of a year is a whole number of hundredths, 0.2 for 73 days: the half thousandth taken off
    // before the cut makes the bound 0.19.
    for (const auto& [days, years] : {std::pair{73, 0.19}, {146, 0.39}, {219, 0.59}, {292, 0.79}})
        EXPECT_EQ(check({{AA0218, days}, {AA0216, years}, {AA0225, 0}}, "EL006"), Rows{}) << days;
    EXPECT_EQ(check({{AA0218, 365}, {AA0216, 0.99}, {AA0225, 0}}, "EL006"),
              one(AA0225, "EL006", "AA0225 + AA0216", "      0.99", ">=       1.00"));
}

TEST_F(EmployeeEndChecks, TotalHoursBetweenSixtyPercentAndTheFullPeriod) {
    // h = AA0132 - AA0133 + 8 * AA0219 * AA0136 * 181 / AA0218 = AA0132 + 80; bounds 748.8 and 1248.
    const char* elem = "AA0132; AA0133; AA0218; AA0219; AA0136;";
    EXPECT_EQ(check({{AA0132, 1168}}, "WL009"), Rows{});
    EXPECT_EQ(check({{AA0132, 668}}, "WL009"),
              one(AA0136, "WL009", elem, "    668.00 ;       0.00 ;  181 ;   10 ;     1.0000 ;", "   "));
    EXPECT_EQ(check({{AA0132, 1168.5}}, "WL009"),
              one(AA0136, "WL009", elem, "   1168.50 ;       0.00 ;  181 ;   10 ;     1.0000 ;", "   "));
}

TEST_F(EmployeeEndChecks, ZeroHeadcountMeansZeroAmountsEachInItsFormat) {
    EXPECT_EQ(check({{AA0136, 0},
                     {AA0132, 1.25},
                     {AA0133, 1.25},
                     {AA0134, 1.25},
                     {AA0135, 1.25},
                     {AA0210, 1.25},
                     {AA0218, 1.25},
                     {AA0219, 1.25}},
                    "EL037"),
              (Rows{row_at(AA0132, "EL037", "AA0132", "         1", "0"),
                    row_at(AA0133, "EL037", "AA0133", "      1.25", "0"),
                    row_at(AA0134, "EL037", "AA0134", "      1.25", "0"),
                    row_at(AA0135, "EL037", "AA0135", "      1.25", "0"),
                    row_at(AA0210, "EL037", "AA0210", "         1", "0"),
                    row_at(AA0218, "EL037", "AA0218", "         1", "0"),
                    row_at(AA0219, "EL037", "AA0219", "         1", "0")}));
}

TEST_F(EmployeeEndChecks, ZeroHeadcountAndZeroDaysSkipTheDivisions) {
    const Values nobody = {{AA0136, 0}, {AA0218, 0}, {AA0132, 0}, {AA0134, 0},  {AA0135, 0},
                           {AA0210, 0}, {AA0219, 0}, {AA0137, 2}, {AA0133, 3.5}};
    EXPECT_EQ(check(nobody, ""), one(AA0133, "EL037", "AA0133", "      3.50", "0"));
}

TEST_F(EmployeeEndChecks, StateOnTheLastDayFollowsTheHeadcount) {
    // EL038 stands on the line of AA0138.
    EXPECT_EQ(check({{AA0136, 0}}, "EL038"), one(AA0138, "EL038", "AA0137", "         1", "2"));
    EXPECT_EQ(check({{AA0137, 2}}, "EL059"), one(AA0137, "EL059", "AA0137", "         2", "1"));
}

TEST_F(EmployeeEndChecks, WeeklyHoursForTheHeadcountShowAtMostFortyAsTheLimit) {
    // Full headcount all period: low 20, high 60, shown as 40; half headcount: high 30 is shown.
    EXPECT_EQ(check({{AA0131, 10}}, "WL060"),
              one(AA0131, "WL060", "AA0131", "       10.00", "       20.00 -        40.00 "));
    EXPECT_EQ(check({{AA0131, 10}}, "EL070"), one(AA0131, "EL070", "AA0131", "     10.00", ">= 30"));
    EXPECT_EQ(check({{AA0131, 59.5}}, "WL060"), Rows{});
    EXPECT_EQ(check({{AA0131, 60.5}}, "WL060"),
              one(AA0131, "WL060", "AA0131", "       60.50", "       20.00 -        40.00 "));
    EXPECT_EQ(check({{AA0136, 0.5}, {AA0131, 31}}, "WL060"),
              one(AA0131, "WL060", "AA0131", "       31.00", "       10.00 -        30.00 "));
}

TEST_F(EmployeeEndChecks, HeadcountAgainstTheDaysInTheRegister) {
    EXPECT_EQ(check({{AA0218, 180}}, "EL071"), one(AA0218, "EL071", "AA0218", "       180", "       181"));
    EXPECT_EQ(check({{AA0218, 180}}, "EL066"), Rows{}); // 1 <= 1.1 * 180 / 181
    EXPECT_EQ(check({{AA0136, 0.5}, {AA0218, 50}}, "EL066"),
              one(AA0218, "EL066", "AA0136", "    0.5000", "<=   0.303867"));
    EXPECT_EQ(check({{AA0136, 0.5}, {AA0218, 0}}, "EL073"),
              one(AA0136, "EL073", "AA0136", "    0.5000", "0"));
}

TEST_F(EmployeeEndChecks, AbsenceHoldsSickDaysAndWholeLeaveDays) {
    // 16.5 hours of leave: 165 div 80 = 2 days in a 40-hour occupation, 165 div 85 = 1 otherwise.
    EXPECT_EQ(check({{AA0135, 16.5}, {AA0210, 3}, {AA0219, 4}}, "EL069"),
              one(AA0210, "EL069", "AA0135; AA0210; AA0219;", "     16.50 ;   3 ;   4 ;", "   "));
    EXPECT_EQ(check({{AA0135, 16.5}, {AA0210, 3}, {AA0219, 5}}, "EL069"), Rows{});
    EXPECT_EQ(check({{AA0135, 16.5}, {AA0210, 3}, {AA0219, 4}}, "EL069", occupation("01234")), Rows{});
}

TEST_F(EmployeeEndChecks, NoEmploymentBeforeFourteen) {
    // Born 1990: at most 2009 - 1990 - 13 = 6 years; stands on the line of AA0218.
    EXPECT_EQ(check({{AA0231, 1990}, {AA0216, 2}, {AA0225, 4}}, "EL076"), Rows{});
    EXPECT_EQ(check({{AA0231, 1990}, {AA0216, 2.5}, {AA0225, 4}}, "EL076"),
              one(AA0218, "EL076", "AA0216 + AA0225", "      6.50", "<=       6.00"));
}

TEST_F(EmployeeEndChecks, DaysWithinThePeriod) {
    EXPECT_EQ(check({{AA0218, 182}}, "EL077"), one(AA0218, "EL077", "AA0218", "       182", "<=        181"));
    EXPECT_EQ(check({{AA0219, 131}, {AA0132, 0}}, "EL078"),
              one(AA0219, "EL078", "AA0219", "       131", "<=        130"));
}

TEST_F(EmployeeEndChecks, WorkedAndAbsentDaysWithinTheRegisterDays) {
    // 1000 hours are 125 days of 8 hours, and 125 + 57 > 181; in days of 8.5 hours they are 117.6.
    EXPECT_EQ(check({{AA0219, 57}}, "EL080"), one(AA0219, "EL080", "AA0132; AA0133; AA0218; AA0219;",
                                                  "   1000.00 ;       0.00 ;  181 ;  57 ;", "   "));
    EXPECT_EQ(check({{AA0219, 57}}, "EL080", occupation("01234")), Rows{});
}

TEST(EmployeeEndTruncation, SaturatesOutsideTheIntRange) {
    EXPECT_EQ(util::trunc32(-2.7), -2);
    EXPECT_EQ(util::trunc32(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(util::trunc32(-1e12), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(util::trunc32(std::nan("")), 0);
}

} // namespace
