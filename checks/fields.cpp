// The field rule tables of the three record kinds and the generic per-field check that k_Pre, k_Tel and
// k_Nec run on every field element of the document before the record's own step.
#include "checks/fields.h"

#include "checks/employee.h"
#include "checks/employer.h"
#include "checks/header.h"
#include "report/context.h"
#include "report/writer.h"
#include "util/cp1250.h"
#include "util/number.h"

#include <array>
#include <cstdint>
#include <limits>

namespace checks {

// clang-format off

// Real bounds, by index. A lower bound of 0 uses index 3: index 0 in the lower column means "no bounds".
constexpr double TValDbl[kRealBounds] = {
    0,        999999999,  1,       0,          999999,  1000000000000.0, 0.0001, 100000000000.0, 1909, 1995,
    2,        99,         40,      9999.99,    16,      12,              3,      -9999999,       -99999, -9999,
    99999,    -999990,    -999999, 9999999,    9999,    365,
};

// Text bounds, by index minus 1000, as Windows-1250 bytes; 0xFD is the letter ý, the highest letter of the
// code page, so "ýýýýýýýýýý" closes the range of every name.
constexpr std::string_view TValChar[kTextBounds] = {
    "2009", "1-6", "0", "\xFD\xFD\xFD\xFD\xFD\xFD\xFD\xFD\xFD\xFD", "+",
    "2009-06-01T00:00:00", "2009-09-30T23:59:59", " ", "000", "zzz",
    "CZ0000", "CZ0999", "20090601", "20090930", "zzzzzzzzzz",
    "1", "2", "A", "Z", "004",
    "ZWE", "00000", "zzzzz",
};

// Rows in the order the fields must appear. Columns: element, least and greatest length, lower and
// upper bound index (0 none, 1..999 TValDbl, 1000.. TValChar), error code, type letter.
constexpr FieldRule Ptab[pre::kEnd + 1] = {
    {"rok",              4,   4,   1000, 1000, "ER209", 'S'}, // "2009" … "2009"
    {"AA0226",           3,   3,   1001, 1001, "EL030", 'S'}, // "1-6" … "1-6"
    {"ICOpredkladatele", 8,   8,   0,    0,    "ESICO", 'N'}, // no bounds, so never parsed
    {"predkladatel",     5,   127, 1002, 1003, "ESPRE", 'S'}, // "0" … "ýýýýýýýýýý"
    {"autor",            2,   50,  1002, 1003, "ESAUT", 'S'},
    {"mail",             6,   50,  1002, 1003, "ESEMA", 'S'},
    {"telefon",          9,   50,  1004, 1003, "WSTEL", 'S'}, // "+" … "ýýýýýýýýýý"
    {"vytvoreno",        19,  19,  1005, 1006, "ESVYT", 'S'}, // 2009-06-01T00:00:00 … 2009-09-30T23:59:59
    {"KoNeCP",           0,   0,   0,    0,    "",      ' '},
};

constexpr FieldRule Ttab[tel::kEnd + 1] = {
    {"AA0017", 8, 8,  2,    1,    "ES017", 'N'}, // 1 … 999999999
    {"AA0113", 0, 10, 1007, 1003, "ES113", 'S'}, // " " … "ýýýýýýýýýý"
    {"AA0019", 3, 3,  1008, 1009, "ES019", 'S'}, // "000" … "zzz"
    {"AA0179", 6, 6,  1010, 1011, "ES179", 'S'}, // "CZ0000" … "CZ0999"
    {"AA0110", 8, 8,  1012, 1013, "ES110", 'S'}, // "20090601" … "20090930"
    {"AA0116", 1, 6,  3,    4,    "ES116", 'N'}, // 0 … 999999
    {"AA0123", 1, 12, 3,    5,    "ES123", 'N'}, // 0 … 1000000000000
    {"AA0114", 1, 11, 6,    7,    "EL057", 'R'}, // 0.0001 … 100000000000
    {"AA0115", 1, 6,  3,    4,    "ES115", 'N'}, // 0 … 999999
    {"AA0118", 1, 12, 3,    5,    "ES118", 'N'}, // 0 … 1000000000000
    {"AA0119", 1, 12, 3,    5,    "ES119", 'N'}, // 0 … 1000000000000
    {"KoNeCT", 0, 0,  0,    0,    "",      ' '},
};

constexpr FieldRule Ntab[nec::kEnd + 1] = {
    {"AA0126", 1, 10, 1007, 1014, "ES126", 'S'}, // " " … "zzzzzzzzzz"
    {"AA0231", 4, 4,  8,    9,    "EL002", 'N'}, // 1909 … 1995
    {"AA0211", 1, 1,  1015, 1016, "EL032", 'S'}, // "1" … "2"
    {"AA0223", 1, 1,  1017, 1018, "ES223", 'S'}, // "A" … "Z"
    {"AA0033", 2, 3,  1019, 1020, "ES033", 'S'}, // "004" … "ZWE"
    {"AA0013", 5, 5,  1021, 1022, "ES013", 'S'}, // "00000" … "zzzzz"
    {"AA0125", 1, 1,  3,    10,   "ES125", 'N'}, // 0 … 2
    {"AA0130", 1, 2,  3,    11,   "ES130", 'N'}, // 0 … 99
    {"AA0131", 1, 5,  3,    12,   "EL005", 'R'}, // 0 … 40
    {"AA0225", 1, 5,  3,    11,   "ES225", 'R'}, // 0 … 99
    {"AA0216", 1, 6,  3,    11,   "ES216", 'R'}, // 0 … 99
    {"AA0132", 1, 7,  3,    13,   "ES132", 'R'}, // 0 … 9999.99
    {"AA0133", 1, 7,  3,    13,   "ES133", 'R'},
    {"AA0134", 1, 7,  3,    13,   "ES134", 'R'},
    {"AA0135", 1, 7,  3,    13,   "ES135", 'R'},
    {"AA0136", 1, 6,  3,    2,    "ES136", 'R'}, // 0 … 1
    {"AA0137", 1, 1,  2,    10,   "ES137", 'N'}, // 1 … 2
    {"AA0127", 1, 2,  2,    14,   "EL044", 'N'}, // 1 … 16
    {"AA0128", 1, 2,  3,    15,   "EL079", 'N'}, // 0 … 12
    {"AA0129", 1, 1,  3,    16,   "EL001", 'N'}, // 0 … 3
    {"AA0138", 1, 6,  3,    4,    "ES138", 'N'}, // 0 … 999999
    {"AA0139", 1, 6,  3,    4,    "ES139", 'N'},
    {"AA0140", 1, 6,  3,    4,    "ES140", 'N'},
    {"AA0141", 1, 6,  3,    4,    "ES141", 'N'},
    {"AA0142", 1, 6,  3,    4,    "ES142", 'N'},
    {"AA0143", 1, 6,  3,    4,    "ES143", 'N'},
    {"AA0144", 1, 8,  17,   1,    "ES144", 'N'}, // -9999999 … 999999999
    {"AA0145", 1, 8,  17,   1,    "ES145", 'N'},
    {"AA0146", 1, 6,  18,   4,    "ES146", 'N'}, // -99999 … 999999
    {"AA0147", 1, 6,  18,   4,    "ES147", 'N'},
    {"AA0148", 1, 6,  18,   4,    "ES148", 'N'},
    {"AA0160", 1, 6,  18,   4,    "ES160", 'N'},
    {"AA0162", 1, 5,  19,   20,   "ES162", 'N'}, // -9999 … 99999
    {"AA0150", 1, 6,  18,   4,    "ES150", 'N'}, // -99999 … 999999
    {"AA0239", 1, 6,  18,   4,    "ES239", 'N'},
    {"AA0240", 1, 6,  21,   4,    "ES240", 'N'}, // -999990 … 999999
    {"AA0151", 1, 6,  18,   4,    "ES151", 'N'}, // -99999 … 999999
    {"AA0152", 1, 6,  18,   4,    "ES152", 'N'},
    {"AA0153", 1, 6,  18,   4,    "ES153", 'N'},
    {"AA0154", 1, 6,  18,   4,    "ES154", 'N'},
    {"AA0155", 1, 6,  18,   4,    "ES155", 'N'},
    {"AA0156", 1, 6,  18,   4,    "ES156", 'N'},
    {"AA0157", 1, 7,  22,   23,   "ES157", 'N'}, // -999999 … 9999999
    {"AA0163", 1, 6,  18,   4,    "ES163", 'N'}, // -99999 … 999999
    {"AA0161", 1, 6,  18,   4,    "ES161", 'N'},
    {"AA0237", 1, 6,  18,   4,    "ES237", 'N'},
    {"AA0238", 1, 6,  18,   4,    "ES238", 'N'},
    {"AA0158", 1, 6,  18,   4,    "ES158", 'N'},
    {"AA0159", 1, 6,  18,   4,    "ES159", 'N'},
    {"AA0165", 1, 7,  3,    13,   "ES165", 'R'}, // 0 … 9999.99
    {"AA0166", 1, 12, 3,    1,    "ES166", 'N'}, // 0 … 999999999
    {"AA0167", 1, 6,  18,   4,    "ES167", 'N'}, // -99999 … 999999
    {"AA0168", 1, 6,  18,   4,    "ES168", 'N'},
    {"AA0091", 4, 4,  3,    24,   "ES091", 'N'}, // 0 … 9999
    {"AA0210", 1, 3,  3,    25,   "ES210", 'N'}, // 0 … 365
    {"AA0218", 1, 3,  3,    25,   "ES218", 'N'},
    {"AA0219", 1, 3,  3,    25,   "ES219", 'N'},
    {"AA0690", 6, 6,  1010, 1011, "ES690", 'S'}, // "CZ0000" … "CZ0999"
    {"KoNeCN", 0, 0,  0,    0,    "",      ' '},
};

// clang-format on

char PTabEsw[pre::kEnd + 1];
char TTabEsw[tel::kEnd + 1];
char NTabEsw[nec::kEnd + 1];
LineText PTabLin[pre::kEnd + 1];
LineText TTabLin[tel::kEnd + 1];
LineText NTabLin[nec::kEnd + 1];
std::int32_t PTabPre[pre::kEnd + 1];
std::int32_t TTabPre[tel::kEnd + 1];
std::int32_t NTabPre[nec::kEnd + 1];
double TTabSum[tel::kEnd + 1];
double NTabSum[nec::kEnd + 1];
std::int32_t porDatP = -1, porDatT = -1, porDatN = -1;

namespace {

// A bound index selects real bounds when it is 1 to 999 and text bounds from 1000 on; every row must
// point into the tables and must not mix the two kinds.
template <std::size_t Rows>
constexpr bool bounds_are_valid(const FieldRule (&table)[Rows]) {
    for (const FieldRule& f : table) {
        if (f.lg_from > f.lg_to)
            return false;
        if (f.val_from == 0)
            continue;
        const bool real = f.val_from < kTextBase;
        constexpr int kLastReal = kRealBounds - 1;
        constexpr int kLastText = kTextBase + kTextBounds - 1;
        if (real && (f.val_to < 1 || f.val_from > kLastReal || f.val_to > kLastReal))
            return false;
        if (!real && (f.val_to < kTextBase || f.val_from > kLastText || f.val_to > kLastText))
            return false;
    }
    return true;
}
static_assert(bounds_are_valid(Ptab) && bounds_are_valid(Ttab) && bounds_are_valid(Ntab));

// Finding a field by name is a hot path: it runs for every element of files of hundreds of megabytes.
// It is one array load and one comparison, never a walk over the rows. Every employer and employee
// field, and AA0226 of the header, is named "AA" and four digits, and those digits index a map of 10 000
// row numbers directly. The other header names all differ in length, so the length picks the one row
// whose name is compared. The maps are built at compile time from the tables themselves; a map entry
// keeps the first row that claims it, and two non-code names of one length stop the build, so the map
// always answers exactly what a search from the first row would.
constexpr std::size_t kLongestName = 16;

// The four digits are tested together, with one branch for all of them.
constexpr int code_of(std::string_view name) {
    if (name.size() != 6 || name[0] != 'A' || name[1] != 'A')
        return -1;
    const auto digit = [&](int i) {
        return static_cast<unsigned>(static_cast<unsigned char>(name[i])) - '0';
    };
    const unsigned d2 = digit(2), d3 = digit(3), d4 = digit(4), d5 = digit(5);
    if ((d2 > 9) | (d3 > 9) | (d4 > 9) | (d5 > 9))
        return -1;
    return static_cast<int>(((d2 * 10 + d3) * 10 + d4) * 10 + d5);
}

struct NameMap {
    std::int8_t by_code[10000];
    std::int8_t by_length[kLongestName + 1];
};

template <std::size_t Rows>
constexpr NameMap build_map(const FieldRule (&table)[Rows]) {
    static_assert(Rows < 128, "row numbers are kept in 8 bits");
    NameMap m{};
    for (auto& e : m.by_code)
        e = -1;
    for (auto& e : m.by_length)
        e = -1;
    for (std::size_t r = 0; r + 1 < Rows; ++r) { // the end row is no field
        const std::string_view name = table[r].elem;
        if (const int code = code_of(name); code >= 0) {
            if (m.by_code[code] < 0)
                m.by_code[code] = static_cast<std::int8_t>(r);
        } else {
            if (name.size() > kLongestName || m.by_length[name.size()] >= 0)
                throw "two field names of one length need another way of finding them";
            m.by_length[name.size()] = static_cast<std::int8_t>(r);
        }
    }
    return m;
}

constexpr NameMap kPreMap = build_map(Ptab);
constexpr NameMap kTelMap = build_map(Ttab);
constexpr NameMap kNecMap = build_map(Ntab);

VALIX_ALWAYS_INLINE int find_row(const NameMap& m, const FieldRule* table, int end_row,
                                 std::string_view name) {
    // "AA" and four digits name exactly one code, so the row the code gives needs no second comparison.
    if (const int code = code_of(name); code >= 0)
        return m.by_code[code] >= 0 ? m.by_code[code] : end_row;
    const int row = name.size() <= kLongestName ? m.by_length[name.size()] : -1;
    return row >= 0 && table[row].elem == name ? row : end_row;
}

// Every row of every table is found at its own number, and the end markers are not found at all.
template <std::size_t Rows>
constexpr bool finds_every_row(const NameMap& m, const FieldRule (&table)[Rows]) {
    for (std::size_t r = 0; r + 1 < Rows; ++r) {
        const int code = code_of(table[r].elem);
        const int row = code >= 0 ? m.by_code[code] : m.by_length[table[r].elem.size()];
        if (row != static_cast<int>(r))
            return false;
    }
    return m.by_length[table[Rows - 1].elem.size()] < 0;
}
static_assert(finds_every_row(kPreMap, Ptab) && finds_every_row(kTelMap, Ttab) &&
              finds_every_row(kNecMap, Ntab));

// A text field is not parsed; it carries this number wherever a parsed value would go.
constexpr double kUnparsed = 123.0;

// What the per-field check reads of a row, gathered at compile time into one 24-byte entry: the real
// bounds resolved from their indexes (open where the row has none), the lengths, and what the row needs
// done. A field costs the loads of one entry instead of those of the rule row and then of its two bounds
// by index, which is the difference on every field of a file.
struct RowPlan {
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
    std::uint8_t lg_from = 0, lg_to = 0;
    bool parsed = false;      // the value is a number (no text bounds)
    bool text_bounds = false; // the value is compared as bytes with TValChar
    char typ = ' ';
};

template <std::size_t Rows>
constexpr std::array<RowPlan, Rows> plan_of(const FieldRule (&table)[Rows]) {
    std::array<RowPlan, Rows> plan{};
    for (std::size_t r = 0; r < Rows; ++r) {
        const FieldRule& f = table[r];
        RowPlan& p = plan[r];
        if (f.lg_to > 255)
            throw "lengths are kept in 8 bits";
        p.lg_from = static_cast<std::uint8_t>(f.lg_from);
        p.lg_to = static_cast<std::uint8_t>(f.lg_to);
        p.parsed = f.val_from < kTextBase;
        p.text_bounds = f.val_from >= kTextBase;
        p.typ = f.typ;
        if (f.val_from > 0 && f.val_from < kTextBase) {
            p.lo = TValDbl[f.val_from];
            p.hi = TValDbl[f.val_to];
        }
    }
    return plan;
}
constexpr auto kPrePlan = plan_of(Ptab);
constexpr auto kTelPlan = plan_of(Ttab);
constexpr auto kNecPlan = plan_of(Ntab);

// The columns of one record kind, so that the single checks below serve all three.
struct Kind {
    const FieldRule* tab;
    const RowPlan* plan;
    char* esw;
    LineText* lin;
    std::int32_t* pre;
    std::int32_t& por;
    int end_row;
};

// The three kinds, fixed at compile time: the per-field steps below see constant addresses.
constexpr Kind kPre{Ptab, kPrePlan.data(), PTabEsw, PTabLin, PTabPre, porDatP, pre::kEnd};
constexpr Kind kTel{Ttab, kTelPlan.data(), TTabEsw, TTabLin, TTabPre, porDatT, tel::kEnd};
constexpr Kind kNec{Ntab, kNecPlan.data(), NTabEsw, NTabLin, NTabPre, porDatN, nec::kEnd};

std::string_view line() {
    return report::s_cislo_radky.view();
}

// Counters of a block only grow; held at their top they cannot overflow, however long the input.
void bump(std::int32_t& n) {
    if (n < INT32_MAX)
        ++n;
}

int unknown_element(std::string_view elem, std::string_view text) {
    report::zpracuj_chybu(line(), "ES301", elem, text, util::fmt("%zu", text.size()));
    return 1;
}

// The field that should have come here. Past the end row there is none; the end marker then stands for
// "no further field".
VALIX_COLD void out_of_place(const Kind& k, std::string_view elem, std::string_view text) {
    const int at = k.por < 0 ? 0 : (k.por > k.end_row ? k.end_row : k.por);
    report::zpracuj_chybu(line(), "ES305", elem, text, k.tab[at].elem);
}

// Step 2: the field's mark, line and occurrence, and whether it stands where the table expects it.
VALIX_ALWAYS_INLINE void book(const Kind& k, int row, std::string_view elem, std::string_view text) {
    k.esw[row] = ' ';
    k.lin[row] = report::s_cislo_radky;
    bump(k.pre[row]);
    bump(k.por);
    if (k.por != row)
        out_of_place(k, elem, text);
}

// The writer puts finding texts into the report as they are, so the word goes over in its code page.
const char* delka() {
    static const util::Cp1250<8> word("délka");
    return word.s;
}

VALIX_COLD void wrong_length(const Kind& k, int row, std::string_view elem, std::string_view text) {
    const FieldRule& f = k.tab[row];
    k.esw[row] = 'E';
    if (f.lg_from == f.lg_to)
        report::zpracuj_chybu(line(), f.err, elem, text, util::fmt("%s %d", delka(), f.lg_from));
    else
        report::zpracuj_chybu(line(), f.err, elem, text,
                              util::fmt("%s %d - %d", delka(), f.lg_from, f.lg_to));
}

VALIX_ALWAYS_INLINE bool length_ok(const Kind& k, int row, std::string_view elem, std::string_view text) {
    const RowPlan& p = k.plan[row];
    if (text.size() >= p.lg_from && text.size() <= p.lg_to)
        return true;
    wrong_length(k, row, elem, text);
    return false;
}

// A value that is not a number, or lies outside its bounds: the field's own code, expected text "?".
VALIX_COLD void bad_value(const Kind& k, int row, std::string_view elem, std::string_view text) {
    k.esw[row] = 'E';
    report::zpracuj_chybu(line(), k.tab[row].err, elem, text, "?");
}

// Padded: the text is followed by at least 8 readable bytes (util::short_number).
template <bool Padded = false>
VALIX_ALWAYS_INLINE bool parse(const Kind& k, int row, std::string_view elem, std::string_view text,
                               double& value) {
    if (util::StrToDbl<Padded>(value, text, k.plan[row].typ) == 0)
        return true;
    bad_value(k, row, elem, text);
    return false;
}

bool has_real_bounds(const FieldRule& f) {
    return f.val_from > 0 && f.val_from < 1000;
}

// The value bounds of the row, real or text, whichever it has; a finding does not end the check.
VALIX_ALWAYS_INLINE void check_bounds(const Kind& k, int row, std::string_view elem, std::string_view text,
                                      double value) {
    const RowPlan& p = k.plan[row];
    // Open bounds let every value through: a row without real bounds needs no branch of its own.
    bool outside = value < p.lo || value > p.hi;
    if (p.text_bounds) {
        const FieldRule& f = k.tab[row];
        outside = util::compare_bytes(text, TValChar[f.val_from - kTextBase]) < 0 ||
                  util::compare_bytes(text, TValChar[f.val_to - kTextBase]) > 0;
    }
    if (outside)
        bad_value(k, row, elem, text);
}

} // namespace

int find_pre(std::string_view name) {
    return find_row(kPreMap, Ptab, pre::kEnd, name);
}
int find_tel(std::string_view name) {
    return find_row(kTelMap, Ttab, tel::kEnd, name);
}
int find_nec(std::string_view name) {
    return find_row(kNecMap, Ntab, nec::kEnd, name);
}

// Header: length first; a number is parsed only for real bounds, and no header field has them.
int k_Pre(std::string_view elem, std::string_view text) {
    const int row = find_pre(elem);
    if (row == pre::kEnd)
        return unknown_element(elem, text);
    const Kind& k = kPre;
    book(k, row, elem, text);
    if (!length_ok(k, row, elem, text))
        return 0;
    if (has_real_bounds(Ptab[row])) {
        double value = 0.0;
        if (!parse(k, row, elem, text, value))
            return 0;
        check_bounds(k, row, elem, text, value);
    } else {
        check_bounds(k, row, elem, text, 0.0);
    }
    header_field_step(row, text);
    return 0;
}

// Employer: the parse comes before the length, and an empty value (only AA0113 may be empty) ends the
// check without a finding.
int k_Tel(std::string_view elem, std::string_view text) {
    const int row = find_tel(elem);
    if (row == tel::kEnd)
        return unknown_element(elem, text);
    const Kind& k = kTel;
    book(k, row, elem, text);
    double value = kUnparsed;
    if (kTelPlan[row].parsed && !parse(k, row, elem, text, value))
        return 0;
    TTabSum[row] = value;
    if (!length_ok(k, row, elem, text))
        return 0;
    if (text.empty()) {
        TTabEsw[row] = 'E';
        return 0;
    }
    check_bounds(k, row, elem, text, value);
    employer_field_step(row, text, value);
    return 0;
}

// Employee: the value is filed into the employee's slot before its length is checked, and the code-list
// lookups run whatever the bounds found.
namespace {
template <bool Padded>
VALIX_ALWAYS_INLINE int check_nec(int row, std::string_view elem, std::string_view text) {
    const Kind& k = kNec;
    book(k, row, elem, text);
    double value = kUnparsed;
    if (kNecPlan[row].parsed && !parse<Padded>(k, row, elem, text, value))
        return 0;
    NTabSum[row] = value;
    if (in_rows(kFiledRows, row))
        file_employee_value(row, text);
    if (!length_ok(k, row, elem, text))
        return 0;
    check_bounds(k, row, elem, text, value);
    if (in_rows(kCodedRows, row))
        lookup_employee_code(row, text);
    return 0;
}
} // namespace

int k_Nec(std::string_view elem, std::string_view text) {
    const int row = find_nec(elem);
    if (row == nec::kEnd)
        return unknown_element(elem, text);
    return check_nec<false>(row, elem, text);
}

int k_Nec_row(int row, std::string_view elem, std::string_view text) {
    return check_nec<true>(row, elem, text);
}

void start_header_block() {
    for (auto& n : PTabPre)
        n = 0;
    porDatP = -1;
}

void start_employer_block() {
    for (auto& n : TTabPre)
        n = 0;
    for (auto& v : TTabSum)
        v = 0.0;
    porDatT = -1;
}

void start_employee_block() {
    for (auto& n : NTabPre)
        n = 0;
    for (auto& v : NTabSum)
        v = 0.0;
    porDatN = -1;
}

namespace {
template <std::size_t Rows>
void reset_marks(char (&esw)[Rows], LineText (&lin)[Rows]) {
    for (std::size_t r = 0; r < Rows; ++r) {
        esw[r] = ' ';
        lin[r].assign(" ");
    }
}
} // namespace

void reset() {
    reset_marks(PTabEsw, PTabLin);
    reset_marks(TTabEsw, TTabLin);
    reset_marks(NTabEsw, NTabLin);
    start_header_block();
    start_employer_block();
    start_employee_block();
    reset_employees();
    reset_employers();
}

} // namespace checks
