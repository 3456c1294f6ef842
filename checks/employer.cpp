// Employer records: the step that follows the generic check of each employer field, the stored employer
// figures, and the duplicate-employer table that spans the whole run.
#include "checks/employer.h"

#include "checks/fields.h"
#include "refdata/lists.h"
#include "report/context.h"
#include "report/writer.h"
#include "util/number.h"

namespace checks {

using report::kNoText;

double atel_iAA0114, atel_iAA0115, atel_iAA0116, atel_iAA0118, atel_iAA0119, atel_iAA0123;
util::Text<19> newZamId;
util::Text<19> TabZamId[100];
std::int32_t nTabZamId = -1;

namespace {

constexpr int kZamIdSlots = 100;

std::string_view line() {
    return report::s_cislo_radky.view();
}

} // namespace

// Runs once the generic check has accepted the field's type, length and non-empty text, whether or not
// its value lay in range.
void employer_field_step(int row, std::string_view text, double value) {
    switch (row) {
    case tel::AA0017:
        chk_AA0017(text);
        newZamId.assign(text);
        refdata::cis_poskytovatelu(
            text, TTabEsw[tel::AA0017] == 'E' ? refdata::Mark::rejected : refdata::Mark::clean,
            TTabLin[tel::AA0017]);
        break;
    case tel::AA0113:
        chk_AA0113(text);
        // The key is empty until this employer's AA0017 has been accepted; an establishment code alone
        // identifies nobody.
        if (!newZamId.empty()) {
            newZamId.append("/");
            newZamId.append(text);
        }
        break;
    case tel::AA0019:
        if (!newZamId.empty())
            chk_ZamId(newZamId);
        refdata::cis_kodpraf(text);
        break;
    case tel::AA0179:
        refdata::cis_kodnuts(text, "AA0179");
        break;
    case tel::AA0110:
        chk_AA0110(text);
        break;
    case tel::AA0116:
        atel_iAA0116 = value;
        break;
    case tel::AA0123:
        atel_iAA0123 = value;
        break;
    case tel::AA0114:
        atel_iAA0114 = value;
        break;
    case tel::AA0115:
        atel_iAA0115 = value;
        chk_AA0116(atel_iAA0116);
        break;
    case tel::AA0118:
        atel_iAA0118 = value; // its own rule runs at the employer's end
        break;
    case tel::AA0119:
        atel_iAA0119 = value;
        chk_AA0123(atel_iAA0123);
        break;
    default:
        break;
    }
}

int chk_AA0017(std::string_view text) {
    if (util::chk_ICO(text) <= 0)
        return 0;
    TTabEsw[tel::AA0017] = 'E';
    report::zpracuj_chybu(line(), "EL031", "AA0017", text, kNoText);
    return 1;
}

int chk_AA0113(std::string_view text) {
    if (text.empty())
        return 0;
    // First, so that this finding and every later one of the employer show the establishment code. The
    // identity is cut to its width when a long company number leaves no room.
    report::telicokod.append("/");
    report::telicokod.append(text);
    report::zpracuj_chybu(line(), "WL054", "AA0113", text, kNoText);
    return 1;
}

// The first 100 distinct keys of the run are remembered; a repeat of one of them is found even after the
// table has filled. The 101st new key is reported once, and later new keys are neither kept nor reported.
int chk_ZamId(std::string_view key) {
    const int last = nTabZamId < kZamIdSlots - 1 ? nTabZamId : kZamIdSlots - 1;
    for (int i = 0; i <= last; ++i) {
        if (TabZamId[i] != key)
            continue;
        // A bare company number has 8 characters; the element then names AA0017 alone.
        const std::string_view element = key.size() == 8 ? "AA0017 " : "AA0017/AA0113";
        report::zpracuj_chybu(line(), "EL074", element, key, kNoText);
        return 1;
    }
    if (nTabZamId < INT32_MAX)
        ++nTabZamId;
    if (nTabZamId == kZamIdSlots) {
        report::zpracuj_chybu(line(), "WL901", "zamestnavatel", key, kNoText);
        return 1;
    }
    if (nTabZamId > kZamIdSlots)
        return 1;
    TabZamId[nTabZamId].assign(key);
    return 0;
}

// The day must exist in the month; the year is not looked at, so 29 February is never accepted.
int chk_AA0110(std::string_view text) {
    if (text.size() < 8) // the length check lets only 8 characters through
        return 0;
    const std::string_view month = text.substr(4, 2);
    const std::string_view day = text.substr(6, 2);
    // string_view compares bytes as unsigned codes, as the rule asks.
    const bool no_such_day = month < "01" || day < "01" || day > "31" || month > "12";
    const bool february = month == "02" && day > "28";
    const bool thirty_days = (month == "04" || month == "06" || month == "09" || month == "11") && day > "30";
    if (!no_such_day && !february && !thirty_days)
        return 0;
    report::zpracuj_chybu(line(), "EL050", "AA0110", text, kNoText);
    return 1;
}

// The budgeted headcount B against the converted average P and the registered headcount E. A value
// outside the shown range still passes when it lies within 100 (10 for the warning) of P or of E.
int chk_AA0116(double budgeted) {
    const double B = budgeted, P = atel_iAA0114, E = atel_iAA0115;
    using util::jezdifdbl;
    if ((B < 0.11 * P || B > 9 * P) && jezdifdbl(B, P) > 100 && jezdifdbl(B, E) > 100) {
        double lo = 0.11 * P;
        if (lo > P - 100)
            lo = P - 100;
        if (lo < 0)
            lo = 0;
        double hi = 9 * P;
        if (hi < P + 100)
            hi = P + 100;
        report::zpracuj_chybu(line(), "EL064", "AA0116", util::fmt("%12.0f", B),
                              util::fmt("%12.2f - %12.2f", lo, hi));
        return 1;
    }
    if ((B < 0.8 * P || B > 1.2 * P) && jezdifdbl(B, P) > 10 && jezdifdbl(B, E) > 10) {
        double lo = 0.8 * P;
        if (lo > P - 10)
            lo = P - 10;
        if (lo < 0)
            lo = 0;
        double hi = 1.2 * P;
        if (hi < P + 10)
            hi = P + 10;
        report::zpracuj_chybu(TTabLin[tel::AA0116], "WL063", "AA0116", util::fmt("%12.0f", B),
                              util::fmt("%12.2f - %12.2f", lo, hi));
        return 1;
    }
    return 0;
}

// The year's budget R against the salaries paid from it, d. The 0.49 only rounds the shown lower bound.
int chk_AA0123(double budget) {
    const double R = budget, d = atel_iAA0118 - atel_iAA0119;
    if (R < 0.22 * d || R > 18 * d) {
        report::zpracuj_chybu(TTabLin[tel::AA0123], "EL062", "AA0123", util::fmt("%12.0f", R),
                              util::fmt("%12.0f - %12.0f", 0.22 * d + 0.49, 18 * d));
        return 1;
    }
    if (R < 1.6 * d || R > 2.4 * d) {
        report::zpracuj_chybu(TTabLin[tel::AA0123], "WL061", "AA0123", util::fmt("%12.0f", R),
                              util::fmt("%12.0f - %12.0f", 1.6 * d + 0.49, 2.4 * d));
        return 1;
    }
    return 0;
}

// AA0118, AA0119 and AA0123 keep the previous employer's figures until this employer's are stored.
void start_employer_values() {
    atel_iAA0114 = 0.0;
    atel_iAA0115 = 0.0;
    atel_iAA0116 = 0.0;
    newZamId.clear();
}

void reset_employers() {
    atel_iAA0114 = atel_iAA0115 = atel_iAA0116 = 0.0;
    atel_iAA0118 = atel_iAA0119 = atel_iAA0123 = 0.0;
    newZamId.clear();
    for (auto& key : TabZamId)
        key.clear();
    nTabZamId = -1;
}

} // namespace checks
