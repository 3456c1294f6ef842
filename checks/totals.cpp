// The employer-end step. When an employer block closes, its missing and repeated fields are reported,
// the records of each person (one per employment relation) are compared with each other, and the
// employer's own figures are compared with the sums over its employee records.
//
// Everything works in the fixed per-employee arrays and two static scratch arrays of this file; nothing
// is allocated. The findings come out in the order of the steps below.
#include "checks/totals.h"

#include "checks/employee.h"
#include "checks/employer.h"
#include "checks/fields.h"
#include "checks/pay.h"
#include "refdata/lists.h"
#include "report/context.h"
#include "report/writer.h"
#include "util/text.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace checks {

using report::kNoText;

namespace {

using report::zpracuj_chybu;
using util::fmt;

// Findings about the employer's own figures show no employee: the employee column is blanked right before
// each of them. Where the steps report nothing, the column keeps what it held (the last employee read or
// the last person reported), and findings that follow the employer's end show that.
void zpracuj_chybu_zamestnavatele(std::string_view line, std::string_view code, std::string_view elem,
                                  std::string_view value, std::string_view expected) {
    report::identnec.assign(kNoText);
    zpracuj_chybu(line, code, elem, value, expected);
}

// Of one person's records, the first one and at most this many more are compared and summed.
constexpr int kDalsichNejvyse = 5;
// Persons' line lists: six line texts, five commas and the mark of a longer person.
constexpr std::string_view kVice = ", ...... ";
using LineList = util::Text<6 * LineText::capacity() + 5 + kVice.size()>;

// The hours that half a year of work can hold (paid hours), and a full week's worth of jobs.
constexpr int kMaxOdpracovano = 1872;
constexpr double kMaxTydne = 79.991;

// A smaller employer may well show the employee-structure patterns of step 5, so they are not reported.
constexpr int kMinVzdelani = 10;
constexpr int kMinEvidence = 11;

// Slots whose block had no AA0126. Such a record belongs to nobody we can name, so it never joins
// another record as one person: merging anonymous records would compare strangers and would also take
// them out of the headcount.
bool bez_AA0126[kSlots];
// The other half of the merge sort.
std::int32_t pom_razeni[kSlots];

int pocet_bloku() {
    const int n = maxAktiAnec + 1;
    return n < 0 ? 0 : (n > kSlots ? kSlots : n);
}

// An employer figure's mark and line text are those of the last block that contained the field. For a
// field missing from this block they belong to an earlier employer: its value then counts as 0 (as
// parsed values do), its mark as blank, and its findings stand on the block's end line.
bool odmitnuto(int row) {
    return TTabPre[row] > 0 && TTabEsw[row] == 'E';
}
std::string_view radek(int row) {
    return TTabPre[row] > 0 ? TTabLin[row].view() : report::s_cislo_radky.view();
}

// A one-character code as a text; a slot without a character shows as empty.
std::string_view znak(const char& c) {
    return {&c, c != '\0' ? 1u : 0u};
}

// The country code at a position of the country list; empty for a code that is not in the list.
std::string_view zeme(std::int32_t pos) {
    return pos >= 0 && pos < refdata::kCountries ? refdata::stat_code(pos) : std::string_view{};
}

// Step 1: every employer field exactly once.
void chybejici_a_opakovane() {
    for (int row = 0; row < tel::kEnd; ++row) {
        const std::string_view elem = Ttab[row].elem;
        if (TTabPre[row] == 0)
            zpracuj_chybu_zamestnavatele(report::s_cislo_radky, "ES303", elem, kNoText, elem);
        else if (TTabPre[row] > 1)
            zpracuj_chybu_zamestnavatele(report::s_cislo_radky, "ES304", elem, kNoText,
                                         fmt("%d", TTabPre[row]));
    }
}

bool pred(std::int32_t a, std::int32_t b) {
    return util::compare_bytes(anec_iAA0126[a], anec_iAA0126[b]) < 0;
}

// Step 2: the entries of anec_ind in ascending identifier order (byte order), records of one identifier
// in document order. A bottom-up merge sort: n log n comparisons for the 15 000 records an employer may
// have, where adjacent swaps would need up to 10^8, and stable because a run's left element wins ties.
// Runs that are already in order are copied without merging, so a document sorted by identifier, the
// usual case, costs one comparison per run.
void serad_podle_identifikatoru(int n) {
    for (int k = 0; k < n; ++k) {
        // A block without AA0126 never had its entry written; it takes part as itself, identifier "-".
        bez_AA0126[k] = anec_ind[k] < 0;
        if (anec_ind[k] < 0 || anec_ind[k] >= n)
            anec_ind[k] = k;
    }

    std::int32_t* z = anec_ind;
    std::int32_t* d = pom_razeni;
    for (int sirka = 1; sirka < n; sirka *= 2) {
        for (int lo = 0; lo < n; lo += 2 * sirka) {
            const int mid = lo + sirka < n ? lo + sirka : n;
            const int hi = lo + 2 * sirka < n ? lo + 2 * sirka : n;
            int i = lo, j = mid, o = lo;
            if (mid < hi && pred(z[mid], z[mid - 1])) {
                while (i < mid && j < hi)
                    d[o++] = pred(z[j], z[i]) ? z[j++] : z[i++];
            }
            while (i < mid)
                d[o++] = z[i++];
            while (j < hi)
                d[o++] = z[j++];
        }
        std::int32_t* t = z;
        z = d;
        d = t;
    }
    if (z != anec_ind)
        std::memcpy(anec_ind, z, static_cast<std::size_t>(n) * sizeof anec_ind[0]);
}

// Step 3: how many records show unfinished basic education, and whether all show the same level.
void statistika_vzdelani(int n) {
    if (n < 1)
        return;
    sav_AA0223 = anec_iAA0223[anec_ind[0]];
    for (int k = 0; k < n; ++k) {
        const char c = anec_iAA0223[anec_ind[k]];
        // Codes below "C" are the levels below finished basic school. The comparison is on signed
        // characters, so a blank (no code), digits and the bytes from 128 on count with them.
        if (static_cast<signed char>(c) < 'C')
            ++sumz_AA0223_Z;
        if (c != sav_AA0223)
            sw_stejne_vzdelani = 'N';
    }
}

// Index (1..m) of the first of a person's further records whose value differs from the first record's,
// or 0 when they all agree.
template <typename T>
int prvni_odlisny(const T* pole, const std::int32_t* blok, int m) {
    for (int i = 1; i <= m; ++i)
        if (pole[blok[i]] != pole[blok[0]])
            return i;
    return 0;
}

// Step 4 for one person: the records blok[0..m] (document order) out of g + 1.
void zkontroluj_osobu(const std::int32_t* blok, int pomz_ind) {
    const int pom_ind = pomz_ind < kDalsichNejvyse ? pomz_ind : kDalsichNejvyse;

    LineList pom_nec;
    pom_nec.assign(anec_lin[blok[0]]);
    for (int i = 1; i <= pom_ind; ++i) {
        pom_nec.append(",");
        pom_nec.append(anec_lin[blok[i]]);
    }
    if (pomz_ind > kDalsichNejvyse)
        pom_nec.append(kVice);

    // Each finding about the person shows the person's identifier and the lines of the records compared.
    auto zpracuj_chybu = [&](std::string_view line, std::string_view code, std::string_view elem,
                             std::string_view value, std::string_view expected) {
        report::identnec.assign(anec_iAA0126[blok[0]]);
        report::zpracuj_chybu(line, code, elem, value, expected);
    };

    if (const int i = prvni_odlisny(anec_iAA0033, blok, pom_ind))
        zpracuj_chybu(pom_nec, "EL003", "AA0033", zeme(anec_iAA0033[blok[0]]), zeme(anec_iAA0033[blok[i]]));

    // One person's weekly hours over all the jobs he holds in the register stay below 80.
    if (NTabEsw[nec::AA0131] != 'E' && NTabEsw[nec::AA0137] != 'E') {
        double sum_AA0131 = 0;
        for (int i = 0; i <= pom_ind; ++i)
            if (anec_iAA0137[blok[i]] == 1)
                sum_AA0131 += anec_iAA0131[blok[i]];
        if (sum_AA0131 > kMaxTydne)
            zpracuj_chybu(pom_nec, "WL049", "AA0131", fmt("%10.2f", sum_AA0131), "max. 79.99");
    }

    // Paid hours: every record that takes the running sum past the half-year's hours is reported.
    if (NTabEsw[nec::AA0132] != 'E') {
        double sum_AA0132 = 0;
        for (int i = 0; i <= pom_ind; ++i) {
            sum_AA0132 += anec_iAA0132[blok[i]];
            if (sum_AA0132 > kMaxOdpracovano)
                zpracuj_chybu(pom_nec, "WL007", "AA0132", fmt("%10.0f", sum_AA0132),
                              fmt(" <= %d", kMaxOdpracovano));
        }
    }

    // A person in the register with several records counts once in the employer's headcount.
    double sum_AA0137 = 0;
    for (int i = 0; i <= pom_ind; ++i)
        if (anec_iAA0137[blok[i]] == 1)
            sum_AA0137 += 1;
    if (sum_AA0137 > 1)
        sumz_AA0137 = sumz_AA0137 - sum_AA0137 + 1;

    if (const int i = prvni_odlisny(anec_iAA0211, blok, pom_ind))
        zpracuj_chybu(pom_nec, "EL003", "AA0211", znak(anec_iAA0211[blok[0]]), znak(anec_iAA0211[blok[i]]));
    if (const int i = prvni_odlisny(anec_iAA0223, blok, pom_ind))
        zpracuj_chybu(pom_nec, "EL003", "AA0223", znak(anec_iAA0223[blok[0]]), znak(anec_iAA0223[blok[i]]));
    if (const int i = prvni_odlisny(anec_iAA0231, blok, pom_ind))
        zpracuj_chybu(pom_nec, "EL003", "AA0231", fmt("%d", anec_iAA0231[blok[0]]),
                      fmt("%d", anec_iAA0231[blok[i]]));
}

bool stejna_osoba(std::int32_t a, std::int32_t b) {
    return !bez_AA0126[a] && !bez_AA0126[b] && anec_iAA0126[a] == anec_iAA0126[b].view();
}

// Step 4: the persons, each a run of equal identifiers in the sorted entries.
void zkontroluj_osoby(int n) {
    int j = 0;
    while (j < n - 1) {
        int pomz_ind = 0;
        while (j + pomz_ind + 1 < n && stejna_osoba(anec_ind[j], anec_ind[j + pomz_ind + 1]))
            ++pomz_ind;
        if (pomz_ind > 0)
            zkontroluj_osobu(anec_ind + j, pomz_ind);
        j += pomz_ind + 1;
    }
}

// Step 5: the employer's own figures against its employee records.
void porovnej_s_uhrny(int n) {
    // The converted headcount is a sum of fractions: a difference that vanishes at 4 decimals is
    // rounding, not an error.
    if (!odmitnuto(tel::AA0114) && TTabSum[tel::AA0114] != sumz_AA0136) {
        const util::Fmt uvedeno = fmt("%10.4f", TTabSum[tel::AA0114]);
        const util::Fmt soucet = fmt("%10.4f", sumz_AA0136);
        if (uvedeno.view() != soucet.view())
            zpracuj_chybu_zamestnavatele(radek(tel::AA0114), "EL020", "AA0114", uvedeno, soucet);
    }

    if (!odmitnuto(tel::AA0115) && TTabSum[tel::AA0115] != sumz_AA0137)
        zpracuj_chybu_zamestnavatele(radek(tel::AA0115), "EL021", "AA0115",
                                     fmt("%10.0f", TTabSum[tel::AA0115]), fmt("%10.0f", sumz_AA0137));

    if (!odmitnuto(tel::AA0118) && TTabSum[tel::AA0118] != sumz_AA0144)
        zpracuj_chybu_zamestnavatele(radek(tel::AA0118), "EL022", "AA0118",
                                     fmt("%10.0f", TTabSum[tel::AA0118]), fmt("%10.0f", sumz_AA0144));

    // In a larger employer somebody has always left, or is on long leave, by the period's last day.
    if (sw_anec_AA0137 < 2 && n >= kMinEvidence)
        zpracuj_chybu_zamestnavatele(kNoText, "WL042", kNoText, kNoText, kNoText);

    if (sw_anec_AA0033 > 0)
        zpracuj_chybu_zamestnavatele(lin_anec_AA0033, "WL053", "AA0033", val_anec_AA0033, "delka 2");

    // The salary floor is this employer's own AA0118. A value stored by an earlier employer is not
    // this employer's: a missing field counts 0, like the comparison above, and a rejected one (which
    // may never have been stored) was reported already.
    if (!odmitnuto(tel::AA0118))
        chk_AA0118(TTabPre[tel::AA0118] > 0 ? atel_iAA0118 : 0.0);

    if (sw_stejne_vzdelani == 'A' && n >= kMinVzdelani)
        zpracuj_chybu_zamestnavatele(kNoText, "EL081", "AA0223", znak(sav_AA0223), kNoText);

    if (sumz_AA0223_Z > n / 2 && n >= kMinVzdelani)
        zpracuj_chybu_zamestnavatele(kNoText, "EL082", "AA0223", kNoText, kNoText);
}

} // namespace

// Salaries paid for the half-year cannot fall below six months of the lowest tariff for every
// converted employee.
int chk_AA0118(double salaries) {
    const double minimum = 6 * atel_iAA0114 * tabSazeb[0];
    if (!(minimum > salaries) || pocet_bloku() < kMinEvidence)
        return 0;
    zpracuj_chybu_zamestnavatele(radek(tel::AA0118), "EL058", "AA0118", fmt("%10.0f", salaries),
                                 fmt(">  %10.2f", minimum));
    return 1;
}

int zpracuj_TELk(bool had_employee) {
    const int n = pocet_bloku();

    chybejici_a_opakovane();
    serad_podle_identifikatoru(n);
    statistika_vzdelani(n);
    zkontroluj_osoby(n);
    porovnej_s_uhrny(n);

    if (!had_employee)
        zpracuj_chybu_zamestnavatele(report::s_cislo_radky, "ES309", kNoText, kNoText, kNoText);

    return 0;
}

} // namespace checks
