// The code lists and their lookups. The short lists are tables of this file; the campaign registers and
// the country list are compiled from refdata/data/ (registers.h).
//
// Every lookup compares exactly, byte for byte. The long lists are searched in O(log n): the registers
// of company numbers and occupation codes are ascending, and the country list, whose order is fixed by
// its meaning, gets a sorted index on first use. Where a list holds a code twice, the first entry wins.
#include "refdata/lists.h"

#include "refdata/registers.h"
#include "report/context.h"
#include "report/writer.h"
#include "util/number.h"
#include "util/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace refdata {

using report::kNoText;

std::uint32_t l_predkladatel;
std::uint32_t l_poskytovatel;

namespace {

using std::string_view_literals::operator""sv;

// Legal forms. 921 stands twice; a lookup stops at the first.
constexpr std::array TcisPraf = {
    "301"sv, "312"sv, "313"sv, "314"sv, "325"sv, "331"sv, "352"sv, "361"sv, "381"sv, "391"sv,
    "401"sv, "421"sv, "501"sv, "521"sv, "541"sv, "601"sv, "611"sv, "621"sv, "625"sv, "631"sv,
    "651"sv, "701"sv, "705"sv, "711"sv, "715"sv, "721"sv, "731"sv, "732"sv, "741"sv, "745"sv,
    "751"sv, "761"sv, "771"sv, "801"sv, "804"sv, "901"sv, "911"sv, "921"sv, "921"sv,
};
static_assert(TcisPraf.size() == 39);

// Districts (NUTS 4).
constexpr std::array TcisNuts = {
    "CZ0100"sv, "CZ0201"sv, "CZ0202"sv, "CZ0203"sv, "CZ0204"sv, "CZ0205"sv, "CZ0206"sv, "CZ0207"sv,
    "CZ0208"sv, "CZ0209"sv, "CZ020A"sv, "CZ020B"sv, "CZ020C"sv, "CZ0311"sv, "CZ0312"sv, "CZ0313"sv,
    "CZ0314"sv, "CZ0315"sv, "CZ0316"sv, "CZ0317"sv, "CZ0321"sv, "CZ0322"sv, "CZ0323"sv, "CZ0324"sv,
    "CZ0325"sv, "CZ0326"sv, "CZ0327"sv, "CZ0411"sv, "CZ0412"sv, "CZ0413"sv, "CZ0421"sv, "CZ0422"sv,
    "CZ0423"sv, "CZ0424"sv, "CZ0425"sv, "CZ0426"sv, "CZ0427"sv, "CZ0511"sv, "CZ0512"sv, "CZ0513"sv,
    "CZ0514"sv, "CZ0521"sv, "CZ0522"sv, "CZ0523"sv, "CZ0524"sv, "CZ0525"sv, "CZ0531"sv, "CZ0532"sv,
    "CZ0533"sv, "CZ0534"sv, "CZ0631"sv, "CZ0632"sv, "CZ0633"sv, "CZ0634"sv, "CZ0635"sv, "CZ0641"sv,
    "CZ0642"sv, "CZ0643"sv, "CZ0644"sv, "CZ0645"sv, "CZ0646"sv, "CZ0647"sv, "CZ0711"sv, "CZ0712"sv,
    "CZ0713"sv, "CZ0714"sv, "CZ0715"sv, "CZ0721"sv, "CZ0722"sv, "CZ0723"sv, "CZ0724"sv, "CZ0801"sv,
    "CZ0802"sv, "CZ0803"sv, "CZ0804"sv, "CZ0805"sv, "CZ0806"sv,
};
static_assert(TcisNuts.size() == 77);

// Highest education attained.
constexpr std::array TcisVzde = {"A"sv, "B"sv, "C"sv, "D"sv, "E"sv, "H"sv, "J"sv,
                                 "K"sv, "L"sv, "M"sv, "N"sv, "R"sv, "T"sv, "V"sv};
static_assert(TcisVzde.size() == 14);

// Position in employment.
constexpr std::array TcisPosZ = {"1111"sv, "1112"sv, "1121"sv, "1122"sv,
                                 "1311"sv, "1312"sv, "1313"sv, "1320"sv};

// Kind of employment relation: 10 is the one to use, 1 is tolerated.
constexpr std::array TcisDppv = {"1"sv, "10"sv};

// The first six countries are home (the Czech Republic and Slovakia): no finding for them.
constexpr int kHomeCountries = 6;

// A code of up to 7 bytes as one number: its bytes, the first lowest, above its length. Two codes have the
// same key exactly when they are the same text, so whether a list holds a code is a search among numbers,
// each step one comparison instead of one of two texts. The lists' codes are keyed at compile time.
constexpr std::size_t kLongestKeyed = 7;

constexpr std::uint64_t code_key(std::string_view code) {
    std::uint64_t w = 0;
    if (std::is_constant_evaluated()) {
        for (std::size_t i = 0; i < code.size(); ++i)
            w |= std::uint64_t{static_cast<unsigned char>(code[i])} << (8 * i);
    } else {
        w = util::low_bytes(code.data(), code.size());
    }
    return w << 8 | code.size();
}

template <std::size_t N>
constexpr std::array<std::uint64_t, N> keys_of(const std::array<std::string_view, N>& list) {
    std::array<std::uint64_t, N> keys{};
    for (std::size_t i = 0; i < N; ++i) {
        if (list[i].size() > kLongestKeyed)
            throw "a listed code is too long for a key";
        keys[i] = code_key(list[i]);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

template <std::size_t N>
bool in_list(const std::array<std::uint64_t, N>& keys, std::string_view code) {
    return code.size() <= kLongestKeyed && std::binary_search(keys.begin(), keys.end(), code_key(code));
}

constexpr auto kPrafKeys = keys_of(TcisPraf);
constexpr auto kNutsKeys = keys_of(TcisNuts);
constexpr auto kVzdeKeys = keys_of(TcisVzde);
constexpr auto kPosZKeys = keys_of(TcisPosZ);
constexpr auto kDppvKeys = keys_of(TcisDppv);

// A company number as the registers hold it: the number the text begins with, by the standard decimal
// conversion (12A45678 reads as 12, a text without a leading number as 0), truncated to 32 bits. A value
// that is negative, does not fit 32 bits or is not finite has no 32-bit form; it becomes 0, which is in no
// register.
std::uint32_t company_number(std::string_view text) {
    const double value = util::decimal_prefix(text);
    if (!(value >= 0.0 && value < 4294967296.0))
        return 0;
    return static_cast<std::uint32_t>(value);
}

util::Fmt eight_digits(std::uint32_t number) {
    return util::fmt("%08u", static_cast<unsigned>(number));
}

// Position of a provider in TcisPosPre, or -1.
int provider_position(std::uint32_t number) {
    const auto* end = TcisPosPre + kProviders;
    const auto* at = std::lower_bound(TcisPosPre, end, number);
    return at != end && *at == number ? static_cast<int>(at - TcisPosPre) : -1;
}

bool is_submitter(std::uint32_t number) {
    return std::binary_search(TcisPred, TcisPred + kSubmitters, number);
}

// An occupation code of the register: five digits (the build step admits no other), so its length is
// known without a call of strlen at every step of the search.
std::string_view occupation(const char (&entry)[6]) {
    return {entry, 5};
}

// The register as one bit for each five-digit number, built on first use: a code is in it when it is five
// digits whose bit is set, one load instead of a search of 3 702 codes.
bool is_occupation(std::string_view code) {
    static const std::array<std::uint64_t, 100000 / 64 + 1> bits = [] {
        std::array<std::uint64_t, 100000 / 64 + 1> b{};
        for (int i = 0; i < kOccupations; ++i) {
            int n = 0;
            for (const char c : occupation(TcisKzam[i]))
                n = n * 10 + (c - '0');
            b[n / 64] |= std::uint64_t{1} << (n % 64);
        }
        return b;
    }();
    if (code.size() != 5)
        return false;
    int n = 0;
    for (const char c : code) {
        const unsigned d = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
        if (d > 9)
            return false;
        n = n * 10 + static_cast<int>(d);
    }
    return (bits[n / 64] >> (n % 64) & 1) != 0;
}

// The country code at a position. A code has at most three characters, so its length is found without a
// call of strlen (the lookup measures a code at every step of its search).
std::string_view country(int position) {
    const char* c = TcisStat[position];
    const std::size_t n = c[0] == '\0' ? 0 : c[1] == '\0' ? 1 : c[2] == '\0' ? 2 : 3;
    return {c, n};
}

// The country list's keys (code_key) with their positions, ordered by key and, for equal keys, by
// position, so that the first entry of a key is the code's first position in the list. Built on first use,
// in place, without allocation.
struct CountryEntry {
    std::uint64_t key;
    std::int32_t position;
};

const std::array<CountryEntry, kCountries>& country_index() {
    static const std::array<CountryEntry, kCountries> index = [] {
        std::array<CountryEntry, kCountries> ix{};
        for (int i = 0; i < kCountries; ++i)
            ix[i] = {code_key(country(i)), i};
        std::sort(ix.begin(), ix.end(), [](const CountryEntry& a, const CountryEntry& b) {
            return a.key != b.key ? a.key < b.key : a.position < b.position;
        });
        return ix;
    }();
    return index;
}

} // namespace

int stat_position(std::string_view code) {
    if (code.size() > 3) // no country code is longer
        return kCountries;
    const auto& index = country_index();
    const std::uint64_t key = code_key(code);
    const auto at = std::lower_bound(index.begin(), index.end(), key,
                                     [](const CountryEntry& e, std::uint64_t k) { return e.key < k; });
    return at != index.end() && at->key == key ? at->position : kCountries;
}

std::string_view stat_code(int position) {
    return position >= 0 && position < kCountries ? country(position) : std::string_view();
}

int cis_predkladatelu(std::string_view text, Mark mark) {
    l_predkladatel = company_number(text);
    if (mark == Mark::rejected)
        return 1;
    if (is_submitter(l_predkladatel))
        return 0;
    report::zpracuj_chybu(report::s_cislo_radky, "ER202", "ICOpredkladatele", eight_digits(l_predkladatel),
                          kNoText);
    return 1;
}

int cis_poskytovatelu(std::string_view text, Mark mark, std::string_view line) {
    l_poskytovatel = company_number(text);
    if (mark == Mark::rejected)
        return 1;
    const int i = provider_position(l_poskytovatel);
    if (i < 0) {
        report::zpracuj_chybu(line, "WR204", "AA0017", eight_digits(l_poskytovatel), kNoText);
        return 1;
    }
    // A provider of another submitter is reported on the submitter's number. A provider registered without
    // a submitter (0) in a file whose submitter number reads as 0 shows two equal numbers: nothing differs,
    // and the file's missing or wrong submitter number has its own finding.
    const std::uint32_t registered = TcisPrePos[i];
    if (registered != l_predkladatel)
        report::zpracuj_chybu(line, "WR204", "ICOpredkladatele", eight_digits(l_predkladatel),
                              eight_digits(registered));
    return 0;
}

int cis_kodzam(std::string_view code) {
    if (!is_occupation(code)) {
        report::zpracuj_chybu(report::s_cislo_radky, "EL046", "AA0013", code, kNoText);
        return 1;
    }
    // Codes ending in 0 stand for a whole group; the record should name the occupation within it.
    if (code[4] == '0') {
        report::zpracuj_chybu(report::s_cislo_radky, "WL039", "AA0013", code, kNoText);
        return 1;
    }
    return 0;
}

int cis_kodpraf(std::string_view code) {
    if (in_list(kPrafKeys, code))
        return 0;
    report::zpracuj_chybu(report::s_cislo_radky, "EL055", "AA0019", code, kNoText);
    return 1;
}

int cis_kodstat(std::string_view code) {
    const int position = stat_position(code);
    if (position < kHomeCountries)
        return 0;
    if (position < kCountries) {
        report::zpracuj_chybu(report::s_cislo_radky, "WL033", "AA0033", code, "?");
        return 0;
    }
    report::zpracuj_chybu(report::s_cislo_radky, "EL047", "AA0033", code, kNoText);
    return 1;
}

int cis_postzam(std::string_view code) {
    if (in_list(kPosZKeys, code))
        return 0;
    report::zpracuj_chybu(report::s_cislo_radky, "EL068", "AA0091", code, kNoText);
    return 1;
}

int cis_koddppv(std::string_view code) {
    if (in_list(kDppvKeys, code))
        return 0;
    report::zpracuj_chybu(report::s_cislo_radky, "EL004", "AA0130", code, "10, (1)");
    return 1;
}

static_assert(std::is_sorted(TcisPraf.begin(), TcisPraf.end()) &&
              std::is_sorted(TcisNuts.begin(), TcisNuts.end()) &&
              std::is_sorted(TcisVzde.begin(), TcisVzde.end()) &&
              std::is_sorted(TcisPosZ.begin(), TcisPosZ.end()) &&
              std::is_sorted(TcisDppv.begin(), TcisDppv.end()));

int cis_kodnuts(std::string_view code, std::string_view element) {
    if (in_list(kNutsKeys, code))
        return 0;
    report::zpracuj_chybu(report::s_cislo_radky, "EL056", element, code, kNoText);
    return 1;
}

int cis_kodvzde(std::string_view code) {
    if (in_list(kVzdeKeys, code))
        return 0;
    report::zpracuj_chybu(report::s_cislo_radky, "EL048", "AA0223", code, kNoText);
    return 1;
}

std::span<const std::string_view> short_list(std::string_view element) {
    if (element == "AA0019")
        return TcisPraf;
    if (element == "AA0179" || element == "AA0690")
        return TcisNuts;
    if (element == "AA0223")
        return TcisVzde;
    if (element == "AA0091")
        return TcisPosZ;
    if (element == "AA0130")
        return TcisDppv;
    return {};
}

void reset() {
    l_predkladatel = 0;
    l_poskytovatel = 0;
}

} // namespace refdata
