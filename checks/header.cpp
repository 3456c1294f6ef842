// Header checks: the submitter's company number, with its lookup in the register of submitters, and the
// form of the e-mail address.
#include "checks/header.h"

#include "checks/fields.h"
#include "refdata/lists.h"
#include "report/context.h"
#include "report/writer.h"
#include "util/number.h"

namespace checks {

using report::kNoText;

void header_field_step(int row, std::string_view text) {
    switch (row) {
    case pre::ICOpredkladatele:
        chk_ICOPredkladatele(text);
        // Looked up after the check digit, which decides whether the register is searched at all.
        refdata::cis_predkladatelu(text, PTabEsw[pre::ICOpredkladatele] == 'E' ? refdata::Mark::rejected
                                                                               : refdata::Mark::clean);
        break;
    case pre::mail:
        chk_eposta(text);
        break;
    default:
        break;
    }
}

int chk_ICOPredkladatele(std::string_view text) {
    if (util::chk_ICO(text) <= 0)
        return 0;
    PTabEsw[pre::ICOpredkladatele] = 'E';
    report::zpracuj_chybu(report::s_cislo_radky, "EL031", "ICOpredkladatele", text, kNoText);
    return 1;
}

// Only the rough form of an address: a "." and an "@", neither of them leading or trailing, some "."
// after the first "@", and no blank. The mark of the field is left alone.
int chk_eposta(std::string_view t) {
    constexpr auto npos = std::string_view::npos;
    const std::size_t n = t.size();
    const std::size_t p = t.find('.'), q = t.rfind('.'), a = t.find('@');
    const bool has_both = p != npos && a != npos;
    const bool well_placed = has_both && p != 0 && p != n - 1 && a != 0 && a != n - 1 && a <= q;
    if (well_placed && t.find(' ') == npos)
        return 0;
    report::zpracuj_chybu(report::s_cislo_radky, "ESEMA", "mail", t, kNoText);
    return 1;
}

} // namespace checks
