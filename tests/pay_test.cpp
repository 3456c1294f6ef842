// The salary tariff table and the pay rules of an employee. The pay rules are called on their own;
// each test starts from an employee whose pay is consistent and breaks one thing.
#include "checks/fields.h"
#include "checks/pay.h"
#include "reader/handlers.h"
#include "reader/scanner.h"
#include "report/context.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace checks::nec;
using Rows = std::vector<std::string>;
using Values = std::vector<std::pair<int, double>>;

// The tariff tables as published: one line per pay class, the class first, then grades 1 to 12.
// The first 16 lines are table 1, the next 16 table 2, which table 3 repeats.
constexpr const char* kPublishedTariffs = R"(
| 1 | 6550 | 6790 | 7050 | 7320 | 7600 | 7890 | 8190 | 8500 | 8820 | 9150 | 9510 | 9870 |
| 2 | 7110 | 7370 | 7650 | 7940 | 8240 | 8550 | 8890 | 9230 | 9580 | 9940 | 10320 | 10720 |
| 3 | 7710 | 8000 | 8300 | 8620 | 8950 | 9290 | 9640 | 10000 | 10390 | 10780 | 11190 | 11620 |
| 4 | 8350 | 8670 | 9000 | 9340 | 9690 | 10070 | 10450 | 10840 | 11260 | 11680 | 12120 | 12580 |
| 5 | 9060 | 9400 | 9770 | 10140 | 10520 | 10920 | 11340 | 11770 | 12220 | 12680 | 13160 | 13660 |
| 6 | 9830 | 10200 | 10580 | 10990 | 11400 | 11840 | 12280 | 12750 | 13230 | 13730 | 14250 | 14780 |
| 7 | 10660 | 11060 | 11480 | 11920 | 12370 | 12840 | 13330 | 13830 | 14360 | 14910 | 15480 | 16070 |
| 8 | 11570 | 12000 | 12460 | 12930 | 13420 | 13930 | 14450 | 15000 | 15570 | 16160 | 16770 | 17400 |
| 9 | 12550 | 13030 | 13520 | 14040 | 14570 | 15120 | 15690 | 16280 | 16900 | 17540 | 18200 | 18890 |
| 10 | 13620 | 14130 | 14670 | 15230 | 15810 | 16410 | 17030 | 17670 | 18350 | 19040 | 19760 | 20510 |
| 11 | 14780 | 15340 | 15920 | 16520 | 17140 | 17800 | 18470 | 19160 | 19890 | 20640 | 21420 | 22230 |
| 12 | 16020 | 16630 | 17260 | 17910 | 18580 | 19290 | 20010 | 20770 | 21550 | 22370 | 23220 | 24100 |
| 13 | 17370 | 18030 | 18720 | 19420 | 20160 | 20920 | 21710 | 22530 | 23380 | 24260 | 25170 | 26120 |
| 14 | 18850 | 19570 | 20300 | 21070 | 21860 | 22690 | 23550 | 24440 | 25360 | 26310 | 27310 | 28340 |
| 15 | 20470 | 21240 | 22050 | 22880 | 23740 | 24640 | 25570 | 26530 | 27540 | 28570 | 29650 | 30770 |
| 16 | 22200 | 23030 | 23900 | 24800 | 25740 | 26710 | 27710 | 28760 | 29840 | 30970 | 32140 | 33350 |
| 1 | 7420 | 7700 | 7980 | 8280 | 8610 | 8940 | 9280 | 9630 | 9990 | 10380 | 10770 | 11180 |
| 2 | 8050 | 8360 | 8680 | 9010 | 9350 | 9700 | 10080 | 10460 | 10850 | 11270 | 11690 | 12140 |
| 3 | 8730 | 9060 | 9400 | 9770 | 10140 | 10520 | 10920 | 11340 | 11770 | 12220 | 12680 | 13160 |
| 4 | 9460 | 9830 | 10200 | 10580 | 10990 | 11400 | 11840 | 12280 | 12750 | 13230 | 13730 | 14250 |
| 5 | 10270 | 10670 | 11070 | 11490 | 11930 | 12380 | 12850 | 13340 | 13840 | 14370 | 14920 | 15490 |
| 6 | 11130 | 11560 | 11990 | 12450 | 12920 | 13410 | 13920 | 14440 | 14990 | 15560 | 16150 | 16760 |
| 7 | 12070 | 12530 | 13000 | 13500 | 14010 | 14540 | 15080 | 15650 | 16240 | 16850 | 17500 | 18160 |
| 8 | 13110 | 13600 | 14120 | 14660 | 15220 | 15800 | 16400 | 17020 | 17660 | 18330 | 19030 | 19750 |
| 9 | 14220 | 14750 | 15310 | 15890 | 16490 | 17110 | 17770 | 18440 | 19130 | 19860 | 20610 | 21390 |
| 10 | 15420 | 16000 | 16610 | 17240 | 17890 | 18560 | 19270 | 19990 | 20750 | 21530 | 22350 | 23200 |
| 11 | 16750 | 17380 | 18050 | 18730 | 19430 | 20170 | 20930 | 21720 | 22540 | 23390 | 24270 | 25190 |
| 12 | 18150 | 18830 | 19550 | 20280 | 21050 | 21840 | 22670 | 23530 | 24420 | 25340 | 26290 | 27290 |
| 13 | 19680 | 20430 | 21200 | 22000 | 22830 | 23690 | 24580 | 25510 | 26470 | 27470 | 28510 | 29590 |
| 14 | 21360 | 22160 | 23000 | 23870 | 24770 | 25700 | 26680 | 27680 | 28730 | 29810 | 30940 | 32110 |
| 15 | 23180 | 24060 | 24970 | 25910 | 26880 | 27900 | 28950 | 30050 | 31190 | 32370 | 33590 | 34850 |
| 16 | 25150 | 26100 | 27080 | 28110 | 29160 | 30260 | 31400 | 32580 | 33810 | 35080 | 36410 | 37780 |
)";

TEST(TariffTable, EveryCellIsThePublishedTariff) {
    std::istringstream in(kPublishedTariffs);
    std::vector<double> published; // per line: the class, then 12 tariffs
    for (std::string cell; in >> cell;)
        if (cell != "|")
            published.push_back(std::stod(cell));
    ASSERT_EQ(published.size(), 32u * 13);
    for (int t = 1; t <= 3; ++t)
        for (int k = 1; k <= 16; ++k) {
            const std::size_t line = 13 * ((t == 1 ? 0 : 16) + (k - 1)); // table 3 repeats table 2
            ASSERT_EQ(published[line], k);
            for (int g = 1; g <= 12; ++g) {
                EXPECT_EQ(checks::tabSazeb[192 * (t - 1) + 12 * (k - 1) + (g - 1)], published[line + g])
                    << "table " << t << " class " << k << " grade " << g;
                EXPECT_EQ(checks::tariff(t, k, g), published[line + g]);
            }
        }
    EXPECT_EQ(checks::tabSazeb[576], 0);
}

TEST(TariffTable, LookupOutsideTheTablesFindsNoTariff) {
    // Tables 1-3, classes 1-16, grades 1-12: beyond them there is no cell, whatever the index would be.
    for (const auto& [t, k, g] :
         {std::tuple{0.0, 1.0, 1.0}, std::tuple{4.0, 1.0, 1.0}, std::tuple{1.0, 17.0, 1.0},
          std::tuple{1.0, 1.0, 13.0}, std::tuple{1.0, 1.0, 0.0}, std::tuple{3.0, 16.0, 13.0},
          std::tuple{-1e300, 1.0, 1.0}, std::tuple{1e300, 16.0, 12.0}, std::tuple{std::nan(""), 1.0, 1.0}})
        EXPECT_EQ(checks::tariff(t, k, g), std::nullopt) << t << " " << k << " " << g;
}

// The row a pay finding gives (description cut off); fields stand on line 100 + their row.
std::string row(const std::string& line, const char* code, const char* elem, const char* value,
                const char* expected) {
    return testing_support::cp(line + ";" + code + ";12345678;007;" + elem + ";" + value + ";" + expected);
}
std::string row_at(int f, const char* code, const char* elem, const char* value, const char* expected) {
    return row(std::to_string(100 + f), code, elem, value, expected);
}
Rows one(int f, const char* code, const char* elem, const char* value, const char* expected) {
    return {row_at(f, code, elem, value, expected)};
}

class PayRules : public ::testing::Test {
  protected:
    std::optional<testing_support::Capture> cap;

    // A fresh run with an employee in the register on the last day, full headcount, tariff table 1,
    // class 1, grade 1 and every total the sum of its components; `values` and `tweak` change it, then
    // the pay rules run. Returns their findings.
    Rows check(Values values, const std::function<void()>& tweak = {}) {
        cap.reset();
        cap.emplace();
        report::telicokod.assign("12345678");
        report::identnec.assign("007");
        report::s_cislo_radky.assign("999");
        for (int f = 0; f < kEnd; ++f) {
            checks::NTabPre[f] = 1;
            checks::NTabEsw[f] = ' ';
            checks::NTabSum[f] = 0;
            checks::NTabLin[f].assign(std::to_string(100 + f));
        }
        for (const auto& [f, v] : {std::pair{AA0136, 1.0},
                                   {AA0137, 1.0},
                                   {AA0218, 181.0},
                                   {AA0129, 1.0},
                                   {AA0127, 1.0},
                                   {AA0128, 1.0},
                                   {AA0138, 6550.0},
                                   {AA0139, 1000.0},
                                   {AA0140, 500.0},
                                   {AA0145, 20000.0},
                                   {AA0150, 1500.0},
                                   {AA0151, 1000.0},
                                   {AA0240, 500.0},
                                   {AA0161, 300.0},
                                   {AA0237, 100.0},
                                   {AA0238, 200.0},
                                   {AA0158, 2000.0},
                                   {AA0159, 1500.0},
                                   {AA0144, 23800.0}})
            checks::NTabSum[f] = v;
        for (const auto& [f, v] : values)
            checks::NTabSum[f] = v;
        if (tweak)
            tweak();
        checks::pay_rules();
        Rows out;
        for (const std::string& r : cap->rows())
            out.push_back(r.substr(0, r.rfind(';')));
        return out;
    }
    static std::function<void()> marked(int f) {
        return [f] { checks::NTabEsw[f] = 'E'; };
    }
};

TEST_F(PayRules, ConsistentPayGivesNoFinding) {
    EXPECT_EQ(check({}), Rows{});
}

TEST_F(PayRules, TariffEqualsItsCellForEmployeesOnTheLastDay) {
    EXPECT_EQ(check({{AA0138, 6551}}), one(AA0138, "EL051", "AA0138", "      6551", "      6550"));
    EXPECT_EQ(check({{AA0138, 6551}, {AA0137, 2}}), Rows{});
    EXPECT_EQ(check({{AA0138, 6551}}, marked(AA0138)), Rows{});
    EXPECT_EQ(check({{AA0129, 3}, {AA0127, 16}, {AA0128, 12}, {AA0138, 37780}}), Rows{});
}

TEST_F(PayRules, TariffWithoutGradeLiesWithinItsClass) {
    const auto class16 = [](double tarif) {
        return Values{{AA0129, 2}, {AA0127, 16}, {AA0128, 0}, {AA0138, tarif}};
    };
    EXPECT_EQ(check(class16(40000)),
              one(AA0138, "EL051", "AA0138", "     40000", "     25150  -      37780"));
    EXPECT_EQ(check(class16(25150)), Rows{});
    EXPECT_EQ(check(class16(37780)), Rows{});
}

TEST_F(PayRules, TariffWithoutTableOrClassLiesWithinAllTables) {
    EXPECT_EQ(check({{AA0129, 0}, {AA0138, 5000}}),
              one(AA0138, "EL051", "AA0138", "      5000", "      6550 -      37780"));
    EXPECT_EQ(check({{AA0129, 0}, {AA0138, 40000}}),
              one(AA0138, "EL051", "AA0138", "     40000", "      6550 -      37780"));
    EXPECT_EQ(check({{AA0127, 0}, {AA0138, 5000}}),
              one(AA0138, "EL051", "AA0138", "      5000", "      6550 -      37780"));
    EXPECT_EQ(check({{AA0129, 0}, {AA0138, 20000}}), Rows{});
    EXPECT_EQ(check({{AA0129, 0}, {AA0138, 5000}, {AA0137, 2}}), Rows{});
    EXPECT_EQ(check({{AA0129, 0}, {AA0138, 5000}}, marked(AA0128)), Rows{});
}

TEST_F(PayRules, TableCodeBeyondTheTablesIsNotLookedUp) {
    // Reachable only if the code's own bound were widened: no cell, so no tariff or bonus rule.
    EXPECT_EQ(check({{AA0129, 4}, {AA0138, 1}, {AA0139, 999999}, {AA0140, 999999}}), Rows{});
}

TEST_F(PayRules, BonusLimitsFollowTheTopTariffOfTheClass) {
    // Table 1 class 9 tops at 18890: personal bonus up to half of it, 9445 (below class 10), management
    // bonus up to 0.6 x 18890 = 11334. Class 10 tops at 20510, the personal limit in full.
    const auto in_class = [](double klass, int f, double bonus) {
        return Values{{AA0127, klass}, {AA0128, 0}, {AA0138, klass == 9 ? 15000.0 : 17000.0}, {f, bonus}};
    };
    EXPECT_EQ(check(in_class(9, AA0139, 9445)), Rows{});
    EXPECT_EQ(check(in_class(9, AA0139, 9446)), one(AA0139, "EL012", "AA0139", "      9446", "      9445"));
    EXPECT_EQ(check(in_class(10, AA0139, 20510)), Rows{});
    EXPECT_EQ(check(in_class(10, AA0139, 20511)), one(AA0139, "EL012", "AA0139", "     20511", "     20510"));
    EXPECT_EQ(check(in_class(9, AA0140, 11334)), Rows{});
    EXPECT_EQ(check(in_class(9, AA0140, 11335)),
              one(AA0140, "EL013", "AA0140", "     11335", " <=      11334"));
    EXPECT_EQ(check(in_class(9, AA0140, 11335), marked(AA0137)), Rows{});
    EXPECT_EQ(check(in_class(9, AA0139, 9446), [] { checks::NTabSum[AA0218] = 0; }), Rows{});
}

TEST_F(PayRules, TotalsAreTheSumsOfTheirComponents) {
    // The pay total stands on the line where the block ended.
    const Values total_100_parts_99 = {{AA0145, 0}, {AA0150, 0},   {AA0151, 0}, {AA0240, 0},
                                       {AA0161, 0}, {AA0237, 0},   {AA0238, 0}, {AA0158, 0},
                                       {AA0159, 0}, {AA0144, 100}, {AA0163, 99}};
    EXPECT_EQ(check(total_100_parts_99), Rows{row("999", "EL015", "AA0144", "       100", "        99")});
    EXPECT_EQ(check(total_100_parts_99, marked(AA0157)), Rows{});
    EXPECT_EQ(check({{AA0239, 7}, {AA0238, 201}}),
              (Rows{row_at(AA0150, "EL027", "AA0150", "      1500", "      1507"),
                    row_at(AA0161, "EL028", "AA0161", "       300", "       301")}));
    EXPECT_EQ(check({{AA0159, 2001}}), one(AA0159, "WL016", "AA0159", "      2001", "      2000"));
}

} // namespace
