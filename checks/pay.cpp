// The pay rules of an employee (step 8 of the end-of-employee checks) and the salary tariff table.
#include "checks/pay.h"

#include "checks/consistency.h"
#include "report/context.h"
#include "report/writer.h"
#include "util/number.h"
#include "util/text.h"

namespace checks {

using namespace nec;
using namespace nec_state;
using report::zpracuj_chybu;
using util::fmt;

// Monthly tariffs in CZK. Rows are pay classes, columns grades 1 to 12; within a class the tariff rises
// with the grade, within a grade with the class.
// clang-format off
const double tabSazeb[kTariffs] = {
    // Table 1
     6550,  6790,  7050,  7320,  7600,  7890,  8190,  8500,  8820,  9150,  9510,  9870,  // class 1
     7110,  7370,  7650,  7940,  8240,  8550,  8890,  9230,  9580,  9940, 10320, 10720,  // class 2
     7710,  8000,  8300,  8620,  8950,  9290,  9640, 10000, 10390, 10780, 11190, 11620,  // class 3
     8350,  8670,  9000,  9340,  9690, 10070, 10450, 10840, 11260, 11680, 12120, 12580,  // class 4
     9060,  9400,  9770, 10140, 10520, 10920, 11340, 11770, 12220, 12680, 13160, 13660,  // class 5
     9830, 10200, 10580, 10990, 11400, 11840, 12280, 12750, 13230, 13730, 14250, 14780,  // class 6
    10660, 11060, 11480, 11920, 12370, 12840, 13330, 13830, 14360, 14910, 15480, 16070,  // class 7
    11570, 12000, 12460, 12930, 13420, 13930, 14450, 15000, 15570, 16160, 16770, 17400,  // class 8
    12550, 13030, 13520, 14040, 14570, 15120, 15690, 16280, 16900, 17540, 18200, 18890,  // class 9
    13620, 14130, 14670, 15230, 15810, 16410, 17030, 17670, 18350, 19040, 19760, 20510,  // class 10
    14780, 15340, 15920, 16520, 17140, 17800, 18470, 19160, 19890, 20640, 21420, 22230,  // class 11
    16020, 16630, 17260, 17910, 18580, 19290, 20010, 20770, 21550, 22370, 23220, 24100,  // class 12
    17370, 18030, 18720, 19420, 20160, 20920, 21710, 22530, 23380, 24260, 25170, 26120,  // class 13
    18850, 19570, 20300, 21070, 21860, 22690, 23550, 24440, 25360, 26310, 27310, 28340,  // class 14
    20470, 21240, 22050, 22880, 23740, 24640, 25570, 26530, 27540, 28570, 29650, 30770,  // class 15
    22200, 23030, 23900, 24800, 25740, 26710, 27710, 28760, 29840, 30970, 32140, 33350,  // class 16
    // Table 2
     7420,  7700,  7980,  8280,  8610,  8940,  9280,  9630,  9990, 10380, 10770, 11180,  // class 1
     8050,  8360,  8680,  9010,  9350,  9700, 10080, 10460, 10850, 11270, 11690, 12140,  // class 2
     8730,  9060,  9400,  9770, 10140, 10520, 10920, 11340, 11770, 12220, 12680, 13160,  // class 3
     9460,  9830, 10200, 10580, 10990, 11400, 11840, 12280, 12750, 13230, 13730, 14250,  // class 4
    10270, 10670, 11070, 11490, 11930, 12380, 12850, 13340, 13840, 14370, 14920, 15490,  // class 5
    11130, 11560, 11990, 12450, 12920, 13410, 13920, 14440, 14990, 15560, 16150, 16760,  // class 6
    12070, 12530, 13000, 13500, 14010, 14540, 15080, 15650, 16240, 16850, 17500, 18160,  // class 7
    13110, 13600, 14120, 14660, 15220, 15800, 16400, 17020, 17660, 18330, 19030, 19750,  // class 8
    14220, 14750, 15310, 15890, 16490, 17110, 17770, 18440, 19130, 19860, 20610, 21390,  // class 9
    15420, 16000, 16610, 17240, 17890, 18560, 19270, 19990, 20750, 21530, 22350, 23200,  // class 10
    16750, 17380, 18050, 18730, 19430, 20170, 20930, 21720, 22540, 23390, 24270, 25190,  // class 11
    18150, 18830, 19550, 20280, 21050, 21840, 22670, 23530, 24420, 25340, 26290, 27290,  // class 12
    19680, 20430, 21200, 22000, 22830, 23690, 24580, 25510, 26470, 27470, 28510, 29590,  // class 13
    21360, 22160, 23000, 23870, 24770, 25700, 26680, 27680, 28730, 29810, 30940, 32110,  // class 14
    23180, 24060, 24970, 25910, 26880, 27900, 28950, 30050, 31190, 32370, 33590, 34850,  // class 15
    25150, 26100, 27080, 28110, 29160, 30260, 31400, 32580, 33810, 35080, 36410, 37780,  // class 16
    // Table 3 (the same tariffs as table 2)
     7420,  7700,  7980,  8280,  8610,  8940,  9280,  9630,  9990, 10380, 10770, 11180,  // class 1
     8050,  8360,  8680,  9010,  9350,  9700, 10080, 10460, 10850, 11270, 11690, 12140,  // class 2
     8730,  9060,  9400,  9770, 10140, 10520, 10920, 11340, 11770, 12220, 12680, 13160,  // class 3
     9460,  9830, 10200, 10580, 10990, 11400, 11840, 12280, 12750, 13230, 13730, 14250,  // class 4
    10270, 10670, 11070, 11490, 11930, 12380, 12850, 13340, 13840, 14370, 14920, 15490,  // class 5
    11130, 11560, 11990, 12450, 12920, 13410, 13920, 14440, 14990, 15560, 16150, 16760,  // class 6
    12070, 12530, 13000, 13500, 14010, 14540, 15080, 15650, 16240, 16850, 17500, 18160,  // class 7
    13110, 13600, 14120, 14660, 15220, 15800, 16400, 17020, 17660, 18330, 19030, 19750,  // class 8
    14220, 14750, 15310, 15890, 16490, 17110, 17770, 18440, 19130, 19860, 20610, 21390,  // class 9
    15420, 16000, 16610, 17240, 17890, 18560, 19270, 19990, 20750, 21530, 22350, 23200,  // class 10
    16750, 17380, 18050, 18730, 19430, 20170, 20930, 21720, 22540, 23390, 24270, 25190,  // class 11
    18150, 18830, 19550, 20280, 21050, 21840, 22670, 23530, 24420, 25340, 26290, 27290,  // class 12
    19680, 20430, 21200, 22000, 22830, 23690, 24580, 25510, 26470, 27470, 28510, 29590,  // class 13
    21360, 22160, 23000, 23870, 24770, 25700, 26680, 27680, 28730, 29810, 30940, 32110,  // class 14
    23180, 24060, 24970, 25910, 26880, 27900, 28950, 30050, 31190, 32370, 33590, 34850,  // class 15
    25150, 26100, 27080, 28110, 29160, 30260, 31400, 32580, 33810, 35080, 36410, 37780,  // class 16
    0,
};
// clang-format on

namespace {

constexpr int kTables = 3;
constexpr int kClasses = 16;
constexpr int kGrades = 12;
constexpr int kLastTariff = kTables * kClasses * kGrades - 1; // table 3, class 16, grade 12

} // namespace

std::optional<double> tariff(double t, double k, double g) {
    // The bounds keep the index inside the 576 tariffs (whatever the fraction, the truncated index of an
    // in-range triple lies in 0..575), so no value can read the trailing 0 or past the table. The negated
    // comparisons also turn NaN away.
    if (!(t >= 1 && t <= kTables) || !(k >= 1 && k <= kClasses) || !(g >= 1 && g <= kGrades))
        return std::nullopt;
    const double index = 192 * (t - 1) + 12 * (k - 1) + (g - 1);
    return tabSazeb[util::trunc32(index)];
}

namespace {

// Rule 1: with table, class and grade all given, the tariff is exactly its cell (employees in the
// register on the last day only).
void tariff_equals_cell() {
    if (!ok(AA0127, AA0128, AA0129, AA0138) || !(v(AA0129) > 0) || !(v(AA0127) > 0) || !(v(AA0128) > 0))
        return;
    const auto cell = tariff(v(AA0129), v(AA0127), v(AA0128));
    if (cell && *cell != v(AA0138) && v(AA0137) == 1)
        zpracuj_chybu(line(AA0138), "EL051", "AA0138", fmt("%10.0f", v(AA0138)), fmt("%10.0f", *cell));
}

// Rule 2: without a grade the tariff lies within its class (a); without a table or class it lies
// within the whole table (b). The two texts differ in the blanks before the dash.
void tariff_within_range() {
    if (!ok(AA0127, AA0128, AA0129, AA0138))
        return;
    const double t = v(AA0129), k = v(AA0127), g = v(AA0128), tarif = v(AA0138);
    if (t > 0 && k > 0 && g == 0) {
        const auto lo = tariff(t, k, 1);
        const auto hi = tariff(t, k, kGrades);
        if (lo && hi && (tarif < *lo || tarif > *hi) && v(AA0137) == 1)
            zpracuj_chybu(line(AA0138), "EL051", "AA0138", fmt("%10.0f", tarif),
                          fmt("%10.0f  - %10.0f", *lo, *hi));
    } else if (v(AA0137) == 1 && (t <= 0 || k <= 0 || g < 0)) {
        const double lo = tabSazeb[0];
        const double hi = tabSazeb[kLastTariff];
        if (tarif < lo || tarif > hi)
            zpracuj_chybu(line(AA0138), "EL051", "AA0138", fmt("%10.0f", tarif),
                          fmt("%10.0f - %10.0f", lo, hi));
    }
}

// Rules 3 and 4: the personal bonus up to the top tariff of the class (half of it below class 10), the
// management bonus up to 60 % of it; only for someone in the register with headcount and days.
void bonus_limits() {
    if (v(AA0137) != 1 || !(v(AA0129) > 0) || !(v(AA0127) > 0))
        return;
    const auto top = tariff(v(AA0129), v(AA0127), kGrades);
    if (!top)
        return;
    const bool counted = v(AA0136) > 0 && v(AA0218) > 0;

    const double personal = v(AA0127) < 10 ? *top / 2 : *top;
    if (ok(AA0127, AA0129, AA0139) && v(AA0139) > personal && counted)
        zpracuj_chybu(line(AA0139), "EL012", "AA0139", fmt("%10.0f", v(AA0139)), fmt("%10.0f", personal));

    const double management = 0.6 * *top;
    if (ok(AA0127, AA0129, AA0137, AA0140) && v(AA0140) > management && counted)
        zpracuj_chybu(line(AA0140), "EL013", "AA0140", fmt("%10.0f", v(AA0140)),
                      fmt(" <= %10.0f", management));
}

// Rule 5: the pay total is the sum of its components. Reported on the line where the block ended.
void pay_total() {
    if (!ok(AA0145, AA0146, AA0147, AA0148, AA0160, AA0162, AA0150, AA0157, AA0161, AA0163, AA0158, AA0144))
        return;
    const double s = v(AA0146) + v(AA0145) + v(AA0147) + v(AA0148) + v(AA0160) + v(AA0162) + v(AA0150) +
                     v(AA0157) + v(AA0163) + v(AA0161) + v(AA0158);
    if (v(AA0144) != s)
        zpracuj_chybu(report::s_cislo_radky, "EL015", "AA0144", fmt("%10.0f", v(AA0144)), fmt("%10.0f", s));
}

// Rule 6: the leave compensation is part of all compensations (a warning: negative corrections among
// the compensations can make it legitimately larger).
void leave_compensation() {
    if (ok(AA0158, AA0159) && v(AA0158) < v(AA0159))
        zpracuj_chybu(line(AA0159), "WL016", "AA0159", fmt("%10.0f", v(AA0159)), fmt("%10.0f", v(AA0158)));
}

// Rules 7 and 8: the bonus total and the standby total are the sums of their components.
void component_sums() {
    if (ok(AA0150, AA0239, AA0151, AA0152, AA0153, AA0154, AA0155, AA0156, AA0240)) {
        const double s =
            v(AA0151) + v(AA0239) + v(AA0152) + v(AA0153) + v(AA0154) + v(AA0155) + v(AA0156) + v(AA0240);
        if (v(AA0150) != s)
            zpracuj_chybu(line(AA0150), "EL027", "AA0150", fmt("%10.0f", v(AA0150)), fmt("%10.0f", s));
    }
    if (ok(AA0161, AA0237, AA0238)) {
        const double s = v(AA0238) + v(AA0237);
        if (v(AA0161) != s)
            zpracuj_chybu(line(AA0161), "EL028", "AA0161", fmt("%10.0f", v(AA0161)), fmt("%10.0f", s));
    }
}

} // namespace

void pay_rules() {
    tariff_equals_cell();
    tariff_within_range();
    bonus_limits();
    pay_total();
    leave_compensation();
    component_sums();
}

} // namespace checks
