// zpvgen — writes ZPV documents for trying out and timing the validator.
//
// A generated document is what a careful payroll system of a public employer would hand in: Windows-1250,
// CR LF line ends, the header, employer blocks and employee blocks with every field in its required order,
// and values that agree with each other the way the validator's rules expect (pay totals equal their
// components, tariffs equal their table cell, working time, days and absence fit together, the employer's
// figures equal the sums over its employees). With --error-rate a fraction of the fields is written wrong
// on purpose, in the ways people get them wrong: a decimal comma, a value out of its range, a code that is
// in no list, a total that no longer adds up, a field left out or given twice, a broken tag.
//
// The employers' company numbers and the occupation codes come from the campaign registers in
// refdata/data (read once at start), so a clean document passes the register lookups as well.
//
// Speed: every record is built in place in a large buffer with memcpy and a digit loop; nothing is
// allocated per field or per record, and the file is written in multi-megabyte blocks. A gigabyte takes a
// few seconds.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#ifndef ZPVGEN_REFDATA_DIR
#define ZPVGEN_REFDATA_DIR "refdata/data"
#endif

namespace {

// ---------------------------------------------------------------------------------------------------
// Random numbers: xoshiro256** seeded through splitmix64, so that one seed gives one document everywhere.

class Rng {
  public:
    explicit Rng(std::uint64_t seed) {
        for (auto& w : s_) {
            seed += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            w = z ^ (z >> 31);
        }
    }

    std::uint64_t next() {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }

    // Uniform in [0, n), n > 0.
    std::uint32_t below(std::uint32_t n) { return std::uint32_t(((next() >> 32) * n) >> 32); }
    // Uniform in [lo, hi].
    int between(int lo, int hi) { return lo + int(below(std::uint32_t(hi - lo + 1))); }
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }

  private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t s_[4];
};

// ---------------------------------------------------------------------------------------------------
// Byte buffer with the number formatting the fields need.

class Text {
  public:
    explicit Text(std::size_t capacity) : buf_(capacity) {}

    std::size_t size() const { return used_; }
    const char* data() const { return buf_.data(); }
    void clear() { used_ = 0; }

    void put(std::string_view s) {
        room(s.size());
        std::memcpy(buf_.data() + used_, s.data(), s.size());
        used_ += s.size();
    }

  private:
    // The buffers are sized for a whole employer's records at start; growing is the rare case.
    void room(std::size_t n) {
        if (used_ + n > buf_.size())
            buf_.resize(std::max(buf_.size() * 2, used_ + n));
    }

    std::vector<char> buf_;
    std::size_t used_ = 0;
};

// Writes v / 10^scale as a decimal number without trailing zeros after the point ("40", "37.5", "0.9945")
// into `out` (room for 24 bytes) and returns its length.
std::size_t format_fixed(char* out, std::int64_t v, int scale) {
    char digits[24];
    const bool negative = v < 0;
    std::uint64_t u = negative ? std::uint64_t(-v) : std::uint64_t(v);
    int n = 0;
    do {
        digits[n++] = char('0' + u % 10);
        u /= 10;
    } while (u != 0);
    while (n <= scale)
        digits[n++] = '0';
    int first = 0; // trailing zeros of the fraction are dropped, and the point with them
    while (first < scale && digits[first] == '0')
        ++first;
    std::size_t len = 0;
    if (negative)
        out[len++] = '-';
    for (int i = n - 1; i >= scale; --i)
        out[len++] = digits[i];
    if (first < scale) {
        out[len++] = '.';
        for (int i = scale - 1; i >= first; --i)
            out[len++] = digits[i];
    }
    return len;
}

// ---------------------------------------------------------------------------------------------------
// Windows-1250: the few fixed texts with Czech letters are written here in UTF-8 and converted once.

std::string to_cp1250(std::string_view utf8) {
    struct Letter {
        char16_t code;
        unsigned char byte;
    };
    static constexpr Letter kLetters[] = {
        {u'á', 0xE1}, {u'č', 0xE8}, {u'ď', 0xEF}, {u'é', 0xE9}, {u'ě', 0xEC}, {u'í', 0xED},
        {u'ň', 0xF2}, {u'ó', 0xF3}, {u'ř', 0xF8}, {u'š', 0x9A}, {u'ť', 0x9D}, {u'ú', 0xFA},
        {u'ů', 0xF9}, {u'ý', 0xFD}, {u'ž', 0x9E}, {u'Á', 0xC1}, {u'Č', 0xC8}, {u'Ď', 0xCF},
        {u'É', 0xC9}, {u'Ě', 0xCC}, {u'Í', 0xCD}, {u'Ň', 0xD2}, {u'Ó', 0xD3}, {u'Ř', 0xD8},
        {u'Š', 0x8A}, {u'Ť', 0x8D}, {u'Ú', 0xDA}, {u'Ů', 0xD9}, {u'Ý', 0xDD}, {u'Ž', 0x8E},
    };
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80 || i + 1 == utf8.size()) {
            out += char(c);
            ++i;
            continue;
        }
        const char16_t code = char16_t(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
        char byte = '?';
        for (const Letter& l : kLetters)
            if (l.code == code)
                byte = char(l.byte);
        out += byte;
        i += 2;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------------
// The fields. Each block's fields stand in the order the validator requires. Besides its name a field
// carries its type letter, its greatest length and ready-made wrong values: one outside the field's range
// that still has a permitted length, and one that has the right form but is in no code list (nullptr
// where the field has no such value).

struct FieldRule {
    const char* name;
    char type; // 'S' text, 'N' whole number, 'R' real number
    int max_length;
    const char* out_of_range;
    const char* unknown_code;
};

namespace hdr {
enum : int { rok, AA0226, ICOpredkladatele, predkladatel, autor, mail, telefon, vytvoreno, kFields };
// The header has no parsed numbers; a wrong value is one of these texts.
constexpr const char* kWrong[kFields][2] = {
    {"2010", "09"},
    {"1-12", "7-12"},
    {"12345678", "1234567"},
    {"Kraj", "(neuvedeno)"},
    {"J", "-"},
    {"mzdy.kr-vysocina.cz", "mzdy@kr vysocina.cz"},
    {"564602", "(564) 602 111"},
    {"2009-05-31T10:30:00", "15.7.2009 10:30"},
};
} // namespace hdr

namespace tel {
enum : int {
    AA0017,
    AA0113,
    AA0019,
    AA0179,
    AA0110,
    AA0116,
    AA0123,
    AA0114,
    AA0115,
    AA0118,
    AA0119,
    kFields
};
constexpr FieldRule kRules[kFields] = {
    {"AA0017", 'N', 8, "00000000", nullptr},    {"AA0113", 'S', 10, nullptr, nullptr},
    {"AA0019", 'S', 3, "-01", "999"},           {"AA0179", 'S', 6, "CZ1000", "CZ0999"},
    {"AA0110", 'S', 8, "20091001", "20090631"}, {"AA0116", 'N', 6, "-1", nullptr},
    {"AA0123", 'N', 12, "-1", nullptr},         {"AA0114", 'R', 11, "0", nullptr},
    {"AA0115", 'N', 6, "-1", nullptr},          {"AA0118", 'N', 12, "-1", nullptr},
    {"AA0119", 'N', 12, "-1", nullptr},
};
} // namespace tel

namespace nec {
enum : int {
    AA0126,
    AA0231,
    AA0211,
    AA0223,
    AA0033,
    AA0013,
    AA0125,
    AA0130,
    AA0131,
    AA0225,
    AA0216,
    AA0132,
    AA0133,
    AA0134,
    AA0135,
    AA0136,
    AA0137,
    AA0127,
    AA0128,
    AA0129,
    AA0138,
    AA0139,
    AA0140,
    AA0141,
    AA0142,
    AA0143,
    AA0144,
    AA0145,
    AA0146,
    AA0147,
    AA0148,
    AA0160,
    AA0162,
    AA0150,
    AA0239,
    AA0240,
    AA0151,
    AA0152,
    AA0153,
    AA0154,
    AA0155,
    AA0156,
    AA0157,
    AA0163,
    AA0161,
    AA0237,
    AA0238,
    AA0158,
    AA0159,
    AA0165,
    AA0166,
    AA0167,
    AA0168,
    AA0091,
    AA0210,
    AA0218,
    AA0219,
    AA0690,
    kFields
};
// Most pay fields cannot leave their range without also getting too long; they have no out_of_range.
constexpr FieldRule kRules[kFields] = {
    {"AA0126", 'S', 10, "~1234", nullptr},
    {"AA0231", 'N', 4, "1899", nullptr},
    {"AA0211", 'S', 1, "3", nullptr},
    {"AA0223", 'S', 1, "a", "F"},
    {"AA0033", 'S', 3, "00", "XX"},
    {"AA0013", 'S', 5, "-1234", "01234"},
    {"AA0125", 'N', 1, "3", nullptr},
    {"AA0130", 'N', 2, "-1", "2"},
    {"AA0131", 'R', 5, "42.5", nullptr},
    {"AA0225", 'R', 5, "120", nullptr},
    {"AA0216", 'R', 6, "150", nullptr},
    {"AA0132", 'R', 7, "10000", nullptr},
    {"AA0133", 'R', 7, "12000", nullptr},
    {"AA0134", 'R', 7, "12000", nullptr},
    {"AA0135", 'R', 7, "12000", nullptr},
    {"AA0136", 'R', 6, "1.5", nullptr},
    {"AA0137", 'N', 1, "3", nullptr},
    {"AA0127", 'N', 2, "17", nullptr},
    {"AA0128", 'N', 2, "13", nullptr},
    {"AA0129", 'N', 1, "4", nullptr},
    {"AA0138", 'N', 6, "-5", nullptr},
    {"AA0139", 'N', 6, "-5", nullptr},
    {"AA0140", 'N', 6, "-5", nullptr},
    {"AA0141", 'N', 6, "-5", nullptr},
    {"AA0142", 'N', 6, "-5", nullptr},
    {"AA0143", 'N', 6, "-5", nullptr},
    {"AA0144", 'N', 8, nullptr, nullptr},
    {"AA0145", 'N', 8, nullptr, nullptr},
    {"AA0146", 'N', 6, nullptr, nullptr},
    {"AA0147", 'N', 6, nullptr, nullptr},
    {"AA0148", 'N', 6, nullptr, nullptr},
    {"AA0160", 'N', 6, nullptr, nullptr},
    {"AA0162", 'N', 5, nullptr, nullptr},
    {"AA0150", 'N', 6, nullptr, nullptr},
    {"AA0239", 'N', 6, nullptr, nullptr},
    {"AA0240", 'N', 6, nullptr, nullptr},
    {"AA0151", 'N', 6, nullptr, nullptr},
    {"AA0152", 'N', 6, nullptr, nullptr},
    {"AA0153", 'N', 6, nullptr, nullptr},
    {"AA0154", 'N', 6, nullptr, nullptr},
    {"AA0155", 'N', 6, nullptr, nullptr},
    {"AA0156", 'N', 6, nullptr, nullptr},
    {"AA0157", 'N', 7, nullptr, nullptr},
    {"AA0163", 'N', 6, nullptr, nullptr},
    {"AA0161", 'N', 6, nullptr, nullptr},
    {"AA0237", 'N', 6, nullptr, nullptr},
    {"AA0238", 'N', 6, nullptr, nullptr},
    {"AA0158", 'N', 6, nullptr, nullptr},
    {"AA0159", 'N', 6, nullptr, nullptr},
    {"AA0165", 'R', 7, "10000", nullptr},
    {"AA0166", 'N', 12, "1000000000", nullptr},
    {"AA0167", 'N', 6, nullptr, nullptr},
    {"AA0168", 'N', 6, nullptr, nullptr},
    {"AA0091", 'N', 4, "-100", "1999"},
    {"AA0210", 'N', 3, "400", nullptr},
    {"AA0218", 'N', 3, "366", nullptr},
    {"AA0219", 'N', 3, "366", nullptr},
    {"AA0690", 'S', 6, "CZ1000", "CZ0999"},
};
} // namespace nec

// ---------------------------------------------------------------------------------------------------
// Code lists and the salary tariffs.

// Legal forms of public employers, the common ones more than once.
constexpr const char* kLegalForms[] = {"325", "331", "331", "331", "801", "801", "804", "361", "421"};
constexpr const char* kDistricts[] = {
    "CZ0100", "CZ0201", "CZ0202", "CZ0203", "CZ0204", "CZ0205", "CZ0206", "CZ0207", "CZ0208", "CZ0209",
    "CZ020A", "CZ020B", "CZ020C", "CZ0311", "CZ0312", "CZ0313", "CZ0314", "CZ0315", "CZ0316", "CZ0317",
    "CZ0321", "CZ0322", "CZ0323", "CZ0324", "CZ0325", "CZ0326", "CZ0327", "CZ0411", "CZ0412", "CZ0413",
    "CZ0421", "CZ0422", "CZ0423", "CZ0424", "CZ0425", "CZ0426", "CZ0427", "CZ0511", "CZ0512", "CZ0513",
    "CZ0514", "CZ0521", "CZ0522", "CZ0523", "CZ0524", "CZ0525", "CZ0531", "CZ0532", "CZ0533", "CZ0534",
    "CZ0631", "CZ0632", "CZ0633", "CZ0634", "CZ0635", "CZ0641", "CZ0642", "CZ0643", "CZ0644", "CZ0645",
    "CZ0646", "CZ0647", "CZ0711", "CZ0712", "CZ0713", "CZ0714", "CZ0715", "CZ0721", "CZ0722", "CZ0723",
    "CZ0724", "CZ0801", "CZ0802", "CZ0803", "CZ0804", "CZ0805", "CZ0806",
};
constexpr const char* kEducation = "ABCDEHJKLMNRTV";
constexpr const char* kPositions[] = {"1111", "1111", "1111", "1111", "1112", "1112",
                                      "1121", "1122", "1311", "1312", "1313", "1320"};
// Countries other than the two home countries: allowed, but each earns a warning.
constexpr const char* kForeignCountries[] = {"UA", "PL", "DE", "VN", "RU", "AT"};

constexpr int kTariffs[2][16][12] = {
    {
        {6550, 6790, 7050, 7320, 7600, 7890, 8190, 8500, 8820, 9150, 9510, 9870},
        {7110, 7370, 7650, 7940, 8240, 8550, 8890, 9230, 9580, 9940, 10320, 10720},
        {7710, 8000, 8300, 8620, 8950, 9290, 9640, 10000, 10390, 10780, 11190, 11620},
        {8350, 8670, 9000, 9340, 9690, 10070, 10450, 10840, 11260, 11680, 12120, 12580},
        {9060, 9400, 9770, 10140, 10520, 10920, 11340, 11770, 12220, 12680, 13160, 13660},
        {9830, 10200, 10580, 10990, 11400, 11840, 12280, 12750, 13230, 13730, 14250, 14780},
        {10660, 11060, 11480, 11920, 12370, 12840, 13330, 13830, 14360, 14910, 15480, 16070},
        {11570, 12000, 12460, 12930, 13420, 13930, 14450, 15000, 15570, 16160, 16770, 17400},
        {12550, 13030, 13520, 14040, 14570, 15120, 15690, 16280, 16900, 17540, 18200, 18890},
        {13620, 14130, 14670, 15230, 15810, 16410, 17030, 17670, 18350, 19040, 19760, 20510},
        {14780, 15340, 15920, 16520, 17140, 17800, 18470, 19160, 19890, 20640, 21420, 22230},
        {16020, 16630, 17260, 17910, 18580, 19290, 20010, 20770, 21550, 22370, 23220, 24100},
        {17370, 18030, 18720, 19420, 20160, 20920, 21710, 22530, 23380, 24260, 25170, 26120},
        {18850, 19570, 20300, 21070, 21860, 22690, 23550, 24440, 25360, 26310, 27310, 28340},
        {20470, 21240, 22050, 22880, 23740, 24640, 25570, 26530, 27540, 28570, 29650, 30770},
        {22200, 23030, 23900, 24800, 25740, 26710, 27710, 28760, 29840, 30970, 32140, 33350},
    },
    {
        {7420, 7700, 7980, 8280, 8610, 8940, 9280, 9630, 9990, 10380, 10770, 11180},
        {8050, 8360, 8680, 9010, 9350, 9700, 10080, 10460, 10850, 11270, 11690, 12140},
        {8730, 9060, 9400, 9770, 10140, 10520, 10920, 11340, 11770, 12220, 12680, 13160},
        {9460, 9830, 10200, 10580, 10990, 11400, 11840, 12280, 12750, 13230, 13730, 14250},
        {10270, 10670, 11070, 11490, 11930, 12380, 12850, 13340, 13840, 14370, 14920, 15490},
        {11130, 11560, 11990, 12450, 12920, 13410, 13920, 14440, 14990, 15560, 16150, 16760},
        {12070, 12530, 13000, 13500, 14010, 14540, 15080, 15650, 16240, 16850, 17500, 18160},
        {13110, 13600, 14120, 14660, 15220, 15800, 16400, 17020, 17660, 18330, 19030, 19750},
        {14220, 14750, 15310, 15890, 16490, 17110, 17770, 18440, 19130, 19860, 20610, 21390},
        {15420, 16000, 16610, 17240, 17890, 18560, 19270, 19990, 20750, 21530, 22350, 23200},
        {16750, 17380, 18050, 18730, 19430, 20170, 20930, 21720, 22540, 23390, 24270, 25190},
        {18150, 18830, 19550, 20280, 21050, 21840, 22670, 23530, 24420, 25340, 26290, 27290},
        {19680, 20430, 21200, 22000, 22830, 23690, 24580, 25510, 26470, 27470, 28510, 29590},
        {21360, 22160, 23000, 23870, 24770, 25700, 26680, 27680, 28730, 29810, 30940, 32110},
        {23180, 24060, 24970, 25910, 26880, 27900, 28950, 30050, 31190, 32370, 33590, 34850},
        {25150, 26100, 27080, 28110, 29160, 30260, 31400, 32580, 33810, 35080, 36410, 37780},
    },
};

// Tariff of table t (1 to 3; table 3 pays as table 2), pay class 1 to 16 and grade 1 to 12.
int tariff(int table, int pay_class, int grade) {
    return kTariffs[table == 1 ? 0 : 1][pay_class - 1][grade - 1];
}

// The smallest tariff: half a year's pay for one full-time post must not fall below six of it.
constexpr int kLowestTariff = 6550;

// ---------------------------------------------------------------------------------------------------
// Registers: occupation codes by their first digit and the providers, the submitter's own ones first.

constexpr std::uint32_t kSubmitter = 12345679;

struct Registers {
    std::vector<std::array<char, 6>> occupations[10]; // by major group, codes ending in 0 left out
    std::vector<std::uint32_t> providers;
};

bool read_lines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    }
    return true;
}

bool load_registers(const std::string& dir, Registers& reg) {
    std::vector<std::string> lines;
    if (!read_lines(dir + "/occupations.txt", lines)) {
        std::fprintf(stderr, "zpvgen: cannot read %s/occupations.txt (give the folder with --refdata)\n",
                     dir.c_str());
        return false;
    }
    for (const std::string& code : lines) {
        // A code ending in 0 names a group, not an occupation; the validator warns about it.
        if (code.size() != 5 || code[4] == '0' || code[0] < '0' || code[0] > '9')
            continue;
        std::array<char, 6> c{};
        std::memcpy(c.data(), code.data(), 5);
        reg.occupations[code[0] - '0'].push_back(c);
    }
    lines.clear();
    if (!read_lines(dir + "/providers.txt", lines)) {
        std::fprintf(stderr, "zpvgen: cannot read %s/providers.txt (give the folder with --refdata)\n",
                     dir.c_str());
        return false;
    }
    std::vector<std::uint32_t> others;
    reg.providers.push_back(kSubmitter); // the submitter reports for itself first
    for (const std::string& line : lines) {
        const std::uint32_t provider = std::uint32_t(std::strtoul(line.c_str(), nullptr, 10));
        const char* space = std::strchr(line.c_str(), ' ');
        const std::uint32_t submitter = space ? std::uint32_t(std::strtoul(space, nullptr, 10)) : 0;
        if (provider == kSubmitter)
            continue;
        (submitter == kSubmitter ? reg.providers : others).push_back(provider);
    }
    reg.providers.insert(reg.providers.end(), others.begin(), others.end());
    return !reg.providers.empty();
}

// ---------------------------------------------------------------------------------------------------
// One employee record: the 58 values, each a text or a fixed-point number. A text is held in the value
// itself, so that a record can be kept back and written a few records later.

struct Value {
    std::int64_t n = 0;
    int scale = 0;        // n / 10^scale; 2 for hours and years, 4 for the converted headcount
    int text_length = -1; // -1 for a number
    char text[12] = {};

    static Value number(std::int64_t n, int scale = 0) {
        Value v;
        v.n = n;
        v.scale = scale;
        return v;
    }
    static Value of_text(std::string_view s) {
        Value v;
        v.text_length = int(std::min(s.size(), sizeof v.text));
        std::memcpy(v.text, s.data(), std::size_t(v.text_length));
        return v;
    }
    bool is_text() const { return text_length >= 0; }
};

struct Person {
    char id[12];
    int birth;
    char sex[2];
    char education[2];
    const char* country;
    std::int64_t practice_here; // years in hundredths
    std::int64_t practice_before;
    int pay_class;
    int grade;
};

struct Record {
    std::array<Value, nec::kFields> v;
    std::int64_t headcount; // AA0136 in ten-thousandths
    std::int64_t pay;       // AA0144
    bool registered;        // AA0137 = 1
};

// What kind of employment a record stands for.
struct Shape {
    bool part_time = false; // one of a person's two part-time jobs
    bool leaver = false;    // left during the half-year
    bool paid_only = false; // no longer in the register, received only a late payment
};

// ---------------------------------------------------------------------------------------------------
// The document writer.

struct Options {
    int employers_min = 3, employers_max = 3;
    int employees_min = 5, employees_max = 50;
    bool employees_given = false;
    std::uint64_t size = 0; // target size in bytes, 0 when the number of employers decides
    std::uint64_t seed = 1;
    double error_rate = 0;
    bool reverse_ids = false;
    bool same_employer = false;
    std::string refdata = ZPVGEN_REFDATA_DIR;
    std::string output; // empty: standard output
};

enum class Fault { BadNumber, OutOfRange, WrongLength, UnknownCode, Shifted, Missing, Repeated, Markup };

class Generator {
  public:
    Generator(const Options& opt, const Registers& reg, std::FILE* out)
        : opt_(opt), reg_(reg), out_(out), rng_(opt.seed), doc_(8u << 20), staff_(32u << 20) {
        for (int i = 0; i < hdr::kFields; ++i)
            make_tags(hdr_tags_[i], kHeaderNames[i], 2);
        for (int i = 0; i < tel::kFields; ++i)
            make_tags(tel_tags_[i], tel::kRules[i].name, 4);
        for (int i = 0; i < nec::kFields; ++i)
            make_tags(nec_tags_[i], nec::kRules[i].name, 6);
    }

    bool run();
    std::uint64_t bytes() const { return written_; }
    int employers() const { return employers_; }
    std::uint64_t records() const { return records_; }

  private:
    struct Tags {
        std::string open, close; // "      <AA0131>" and "</AA0131>\r\n"
    };
    static constexpr const char* kHeaderNames[hdr::kFields] = {
        "rok", "AA0226", "ICOpredkladatele", "predkladatel", "autor", "mail", "telefon", "vytvoreno"};

    static void make_tags(Tags& t, const char* name, int indent) {
        t.open = std::string(std::size_t(indent), ' ') + "<" + name + ">";
        t.close = std::string("</") + name + ">\r\n";
    }

    void write_header();
    bool write_employer(int index);
    std::uint32_t company_number(int index) const;
    void make_person(Person& p, int index, int first_education, bool basic_allowed);
    void make_record(Record& r, const Person& p, const Shape& shape);
    void emit_record(const Record& r);
    void field(Text& out, const Tags& tags, const Tags* next, const FieldRule& rule, const Value& v);
    void flush(Text& t);

    std::string_view render(const Value& v, char* scratch) const {
        if (v.is_text())
            return {v.text, std::size_t(v.text_length)};
        return {scratch, format_fixed(scratch, v.n, v.scale)};
    }
    Fault draw_fault();

    const Options& opt_;
    const Registers& reg_;
    std::FILE* out_;
    Rng rng_;
    Text doc_;   // everything but the employee blocks of the employer being built
    Text staff_; // employee blocks of the employer being built; its figures are known only after them
    Tags hdr_tags_[hdr::kFields];
    Tags tel_tags_[tel::kFields];
    Tags nec_tags_[nec::kFields];
    std::uint64_t written_ = 0;
    std::uint64_t records_ = 0;
    int employers_ = 0;
    bool failed_ = false;

    // The employer being built.
    const char* district_ = nullptr;
    int table_ = 1;
};

// Mostly wrong values; a field left out or given twice, or broken markup, only now and then, since each
// of those puts the rest of its block out of order.
Fault Generator::draw_fault() {
    const int r = int(rng_.below(100));
    if (r < 20)
        return Fault::BadNumber;
    if (r < 36)
        return Fault::OutOfRange;
    if (r < 50)
        return Fault::WrongLength;
    if (r < 66)
        return Fault::UnknownCode;
    if (r < 93)
        return Fault::Shifted;
    if (r < 95)
        return Fault::Missing;
    if (r < 97)
        return Fault::Repeated;
    return Fault::Markup;
}

// Employers take the providers of the register in turn, the submitter's own first. Past the end of the
// register come made-up numbers with a valid check digit, far above the first employers' ones.
std::uint32_t Generator::company_number(int index) const {
    if (std::size_t(index) < reg_.providers.size())
        return reg_.providers[std::size_t(index)];
    const std::uint32_t prefix = 9000000 + std::uint32_t(index) - std::uint32_t(reg_.providers.size());
    std::uint32_t sum = 0, rest = prefix;
    for (std::uint32_t weight = 2; weight <= 8; ++weight, rest /= 10)
        sum += weight * (rest % 10);
    std::uint32_t check = 11 - sum % 11;
    if (check > 9)
        check -= 10;
    return prefix * 10 + check;
}

void Generator::flush(Text& t) {
    if (t.size() != 0 && std::fwrite(t.data(), 1, t.size(), out_) != t.size())
        failed_ = true;
    written_ += t.size();
    t.clear();
}

// Writes one field element; with the error rate, a wrong version of it.
void Generator::field(Text& out, const Tags& tags, const Tags* next, const FieldRule& rule, const Value& v) {
    char scratch[40];
    std::string_view value = render(v, scratch);
    if (opt_.error_rate <= 0 || !rng_.chance(opt_.error_rate)) {
        out.put(tags.open);
        out.put(value);
        out.put(tags.close);
        return;
    }

    char wrong[40];
    std::string_view close = tags.close;
    switch (draw_fault()) {
    case Fault::BadNumber:
        if (rule.type != 'S' && !value.empty()) {
            // The ways a number gets typed wrong: a decimal comma, a unit, a thousands blank.
            const std::size_t n = std::min<std::size_t>(value.size(), 30);
            std::memcpy(wrong, value.data(), n);
            const std::size_t point = value.find('.');
            std::size_t len = n;
            if (point != std::string_view::npos)
                wrong[point] = ',';
            else if (rule.type == 'R' || rng_.chance(0.5))
                wrong[len++] = rng_.chance(0.5) ? 'h' : 'O';
            else if (n > 1)
                len = std::size_t(std::snprintf(wrong, sizeof wrong, "%.*s %.*s", int(n - 1), value.data(), 1,
                                                value.data() + n - 1));
            else
                wrong[len++] = ',';
            value = {wrong, len};
            break;
        }
        [[fallthrough]];
    case Fault::WrongLength: {
        // One character more than the field takes: a number padded with zeros, a code typed twice over.
        const std::size_t len = std::size_t(rule.max_length) + 1;
        if (rule.type == 'S') {
            for (std::size_t i = 0; i < len; ++i)
                wrong[i] = value.empty() ? 'X' : value[i % value.size()];
        } else {
            const std::size_t n = std::min(value.size(), len);
            std::memset(wrong, '0', len - n);
            std::memcpy(wrong + (len - n), value.data() + (value.size() - n), n);
        }
        value = {wrong, len};
        break;
    }
    case Fault::OutOfRange:
        if (rule.out_of_range) {
            value = rule.out_of_range;
            break;
        }
        [[fallthrough]];
    case Fault::UnknownCode:
        if (rule.unknown_code) {
            value = rule.unknown_code;
            break;
        }
        [[fallthrough]];
    case Fault::Shifted:
        // A plausible value that is simply not the right one: totals stop adding up, a person's
        // records stop agreeing, days and hours stop fitting together.
        if (v.is_text()) {
            const std::size_t n = std::size_t(v.text_length);
            std::memcpy(wrong, v.text, n);
            if (n == 2 && (std::memcmp(wrong, "CZ", 2) == 0 || std::memcmp(wrong, "SK", 2) == 0)) {
                std::memcpy(wrong, wrong[0] == 'C' ? "SK" : "CZ", 2);
            } else if (n > 0) {
                char& c = wrong[n - 1];
                const char* letter = c >= 'A' && c <= 'Z' ? std::strchr(kEducation, c) : nullptr;
                if (n == 1 && (c == '1' || c == '2'))
                    c = c == '1' ? '2' : '1';
                else if (letter)
                    c = letter[1] ? letter[1] : kEducation[0];
                else
                    c = c == '9' ? '0' : char(c + 1);
            }
            value = {wrong, n};
        } else {
            std::int64_t step = 1;
            for (int i = 0; i < v.scale; ++i)
                step *= 10;
            // A year of birth one off; any other number off by an eighth or by one unit.
            const bool year = rule.type == 'N' && v.n > 1900 && v.n < 2000 && rule.max_length == 4;
            const std::int64_t delta = year ? 1 : std::max<std::int64_t>(step, v.n / 8);
            value = {wrong, format_fixed(wrong, v.n + delta, v.scale)};
        }
        break;
    case Fault::Missing:
        return;
    case Fault::Repeated:
        out.put(tags.open);
        out.put(value);
        out.put(tags.close);
        break;
    case Fault::Markup:
        switch (rng_.below(3)) {
        case 0: // closed with the next field's end tag
            if (next)
                close = next->close;
            break;
        case 1: { // an attribute on a field
            out.put(std::string_view(tags.open).substr(0, tags.open.size() - 1));
            out.put(" typ=\"");
            out.put(rule.type == 'S' ? "text" : "cislo");
            out.put("\">");
            out.put(value);
            out.put(close);
            return;
        }
        default: // an element the document does not know, just before the field
            out.put(std::string_view(tags.open).substr(0, tags.open.find('<')));
            out.put("<AA0999>1</AA0999>\r\n");
            break;
        }
        break;
    }
    out.put(tags.open);
    out.put(value);
    out.put(close);
}

void Generator::write_header() {
    static const std::string submitter_name = to_cp1250("Krajský úřad Kraje Vysočina");
    static const std::string author = to_cp1250("Jana Dvořáková");
    const char* values[hdr::kFields] = {"2009",          "1-6",
                                        "12345679",      submitter_name.c_str(),
                                        author.c_str(),  "mzdy@kr-vysocina.cz",
                                        "+420564602111", "2009-07-15T10:30:00"};
    doc_.put("<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r\n");
    doc_.put("<ZPV verze=\"1.6\" xmlns=\"http://www.example.cz/schemas/2004/ZPV/1.6/\">\r\n");
    for (int i = 0; i < hdr::kFields; ++i) {
        std::string_view value = values[i];
        if (opt_.error_rate > 0 && rng_.chance(opt_.error_rate))
            value = hdr::kWrong[i][rng_.below(2)];
        doc_.put(hdr_tags_[i].open);
        doc_.put(value);
        doc_.put(hdr_tags_[i].close);
    }
}

// The person behind one or two records: identity, age, schooling, years of practice.
void Generator::make_person(Person& p, int index, int first_education, bool basic_allowed) {
    p.birth = rng_.between(1946, 1990);
    std::memcpy(p.sex, rng_.chance(0.62) ? "2" : "1", 2);
    // Mostly secondary school and above; few without finished basic schooling (A, B), and never so many
    // in one employer that the validator doubts the codes.
    static constexpr const char kSchooling[] = "AABCCDEHHHHJKKLMMMMMMMNNRRRRRRRTTV";
    constexpr std::uint32_t kBasic = 3;
    const std::uint32_t first = basic_allowed ? 0 : kBasic;
    char education = kSchooling[first + rng_.below(sizeof kSchooling - 1 - first)];
    if (index == 1 && education == first_education) // no employer where everybody has the same schooling
        education = education == 'M' ? 'R' : 'M';
    p.education[0] = education;
    p.education[1] = 0;
    const double r = rng_.unit();
    p.country = r < 0.97 ? "CZ" : r < 0.997 ? "SK" : rng_.pick(kForeignCountries);

    // Years of practice fit the age: nobody worked before 18, and the employer counts at least half a year.
    const int age = 2009 - p.birth;
    const std::int64_t practice = 50 + std::int64_t(rng_.below(std::uint32_t((age - 18) * 100)));
    p.practice_here = std::max<std::int64_t>(50, practice * rng_.between(20, 100) / 100);
    p.practice_before = practice - p.practice_here;
    if (p.practice_before < 0)
        p.practice_before = 0;

    // Pay class by schooling, grade by years of practice.
    int lo = 1, hi = 4;
    switch (education) {
    case 'A':
    case 'B':
        lo = 1;
        hi = 3;
        break;
    case 'C':
    case 'D':
    case 'E':
        lo = 2;
        hi = 5;
        break;
    case 'H':
        lo = 3;
        hi = 7;
        break;
    case 'J':
    case 'K':
    case 'L':
    case 'M':
        lo = 6;
        hi = 10;
        break;
    case 'N':
        lo = 9;
        hi = 11;
        break;
    default:
        lo = 10;
        hi = 16;
        break;
    }
    p.pay_class = rng_.between(lo, hi);
    static constexpr int kGradeStarts[] = {0, 100, 200, 400, 600, 900, 1200, 1500, 1900, 2300, 2700, 3200};
    const std::int64_t years = p.practice_here + p.practice_before;
    p.grade = 1;
    while (p.grade < 12 && years >= kGradeStarts[p.grade])
        ++p.grade;
}

// One record of a person. All quantities are whole units of their field: hours and years in hundredths,
// the converted headcount in ten-thousandths, money in crowns, so that every identity is exact.
void Generator::make_record(Record& r, const Person& p, const Shape& shape) {
    std::int64_t week; // weekly hours, hundredths
    if (shape.part_time) {
        static constexpr int kParts[] = {1000, 1500, 2000, 2000};
        week = rng_.pick(kParts);
    } else {
        const double u = rng_.unit();
        week = u < 0.82 ? 4000 : u < 0.87 ? 3750 : u < 0.93 ? 3000 : u < 0.98 ? 2000 : 1000;
    }
    int days; // calendar days in the register; the half-year has 181
    if (shape.paid_only)
        days = 0;
    else if (shape.leaver)
        days = rng_.between(5, 180);
    else
        days = rng_.chance(0.9) ? 181 : rng_.between(5, 180); // some joined during the half-year
    const bool registered = !shape.leaver && !shape.paid_only;

    // Headcount converted to full time: the share of the period times the share of a full week.
    const std::int64_t headcount = (std::int64_t(days) * week * 10000 + 362000) / 724000;
    // Hours of the period for this headcount (1248 for a full-time post), in hundredths.
    const double fund = 1248.0 * double(headcount) / 10000.0;
    const std::int64_t day_hours = week / 5; // hundredths; 8 hours a day at 40 hours a week

    int leave_days = days ? rng_.between(0, 12 * days / 181) : 0;
    int sick_days = days && rng_.chance(0.3) ? rng_.between(1, 3 + 20 * days / 181) : 0;
    int other_days = days && rng_.chance(0.1) ? rng_.between(1, 2) : 0;
    const int holidays = 4 * days / 181; // public holidays of the half-year while in the register
    std::int64_t overtime = week == 4000 && days && rng_.chance(0.25) ? rng_.between(1, 40) * 100 : 0;
    const double slack = fund * (0.01 + 0.04 * rng_.unit()); // short unpaid absences

    // Worked hours are what remains of the fund after the absence; absence is cut down until the hours
    // and days fit together: worked plus absent hours between 60 % and 100 % of the fund, worked and
    // absent days within the days in the register.
    std::int64_t worked = 0;
    for (;;) {
        const int absent = leave_days + sick_days + other_days;
        if (days == 0)
            break;
        const double absent_hours = (8.0 * absent * (double(headcount) / 10000.0)) * 181.0 / days;
        const double rest = fund - absent_hours - slack;
        worked = rest > 0 ? std::int64_t(rest * 100.0) : 0;
        const double paid = double(worked + overtime) / 100.0 - double(overtime) / 100.0;
        const double total = paid + absent_hours;
        const bool fits = rest > 0 && total >= 0.6 * fund + 0.01 && total <= fund - 0.01 &&
                          double(days) >= paid / 8.0 + absent + 0.01;
        if (fits || absent == 0)
            break;
        sick_days /= 2;
        other_days = 0;
        leave_days = leave_days * 2 / 3;
    }
    if (days == 0)
        overtime = 0;
    const std::int64_t leave_hours = leave_days * day_hours;
    const std::int64_t compensated = leave_hours + holidays * day_hours;

    // Pay: the tariff of the employer's table for the person's class and grade, a personal bonus for
    // many, a management bonus for a few.
    const int table = rng_.chance(0.9) ? table_ : (table_ == 1 ? 2 : 3);
    const int grade = rng_.chance(0.02) ? 0 : p.grade; // a few records leave the grade out
    const int monthly = tariff(table, p.pay_class, p.grade);
    const std::int64_t personal =
        rng_.chance(0.6) ? std::int64_t(monthly * rng_.between(5, 30) / 100 / 10 * 10) : 0;
    const std::int64_t management = p.pay_class >= 9 && rng_.chance(0.12)
                                        ? std::int64_t(monthly * rng_.between(10, 40) / 100 / 10 * 10)
                                        : 0;
    const double months = 6.0 * double(headcount) / 10000.0;
    const double share = fund > 0 ? double(worked) / 100.0 / fund : 0;
    const double hourly = double(monthly + personal + management) / (double(week) / 100.0 * 4.348);

    std::int64_t salary = std::int64_t(monthly * months * share + 0.5);
    std::int64_t personal_paid = std::int64_t(double(personal) * months * share + 0.5);
    std::int64_t management_paid = std::int64_t(double(management) * months * share + 0.5);
    std::int64_t supplements = days && rng_.chance(0.2) ? rng_.between(3, 30) * 100 : 0;
    std::int64_t night = days && rng_.chance(0.05) ? rng_.between(2, 20) * 100 : 0;
    std::int64_t small = days && rng_.chance(0.03) ? rng_.between(1, 15) * 100 : 0;
    std::int64_t overtime_pay = std::int64_t(hourly * 1.25 * double(overtime) / 100.0 + 0.5);
    std::int64_t leave_pay = std::int64_t(hourly * double(leave_hours) / 100.0 + 0.5);
    std::int64_t compensation =
        leave_pay + std::int64_t(hourly * double(compensated - leave_hours) / 100.0 + 0.5);
    std::int64_t standby_a = days && rng_.chance(0.08) ? rng_.between(5, 60) * 100 : 0;
    std::int64_t standby_b = standby_a && rng_.chance(0.5) ? rng_.between(2, 20) * 100 : 0;
    std::int64_t bonus[8] = {}; // AA0239, AA0240, AA0151 ... AA0156
    if (shape.paid_only)
        bonus[2] = rng_.between(10, 150) * 100;
    else if (rng_.chance(0.5))
        bonus[2 + rng_.below(6)] = rng_.between(5, 200) * 100;
    if (!shape.paid_only && rng_.chance(0.1))
        bonus[rng_.below(2)] = rng_.between(5, 50) * 100;
    std::int64_t bonuses = 0;
    for (std::int64_t b : bonus)
        bonuses += b;
    const std::int64_t standby = standby_a + standby_b;
    std::int64_t total = salary + personal_paid + management_paid + supplements + night + small + bonuses +
                         overtime_pay + standby + compensation;
    // Nobody is paid below the lowest tariff for the time in the register; a top-up makes it so.
    // Staying strictly above it keeps the employer's sum clear of the floor even after rounding.
    const std::int64_t floor = (6 * kLowestTariff * headcount + 9999) / 10000;
    if (total <= floor) {
        supplements += floor + 1 - total;
        total = floor + 1;
    }

    auto& v = r.v;
    auto num = [&v](int i, std::int64_t n, int scale = 0) { v[std::size_t(i)] = Value::number(n, scale); };
    auto text = [&v](int i, const char* s, std::size_t len) { v[std::size_t(i)] = Value::of_text({s, len}); };

    text(nec::AA0126, p.id, std::strlen(p.id));
    num(nec::AA0231, p.birth);
    text(nec::AA0211, p.sex, 1);
    text(nec::AA0223, p.education, 1);
    text(nec::AA0033, p.country, 2);
    {
        // The occupation fits the pay class: managers and specialists high, labourers low. Major group 0
        // (armed forces, with its longer working week) is left out: the hours above assume 40 a week.
        static constexpr int kGroups[17] = {0, 9, 9, 8, 7, 5, 4, 4, 3, 3, 3, 2, 2, 2, 1, 1, 1};
        int group = kGroups[p.pay_class];
        if (rng_.chance(0.15))
            group = rng_.between(1, 9);
        while (reg_.occupations[group].empty())
            group = group % 9 + 1;
        const auto& codes = reg_.occupations[group];
        text(nec::AA0013, codes[rng_.below(std::uint32_t(codes.size()))].data(), 5);
    }
    const double u = rng_.unit();
    num(nec::AA0125, u < 0.7 ? 0 : u < 0.9 ? 1 : 2);
    num(nec::AA0130, rng_.chance(0.95) ? 10 : 1);
    num(nec::AA0131, week, 2);
    num(nec::AA0225, p.practice_here, 2);
    num(nec::AA0216, p.practice_before, 2);
    num(nec::AA0132, worked + overtime, 2);
    num(nec::AA0133, overtime, 2);
    num(nec::AA0134, compensated, 2);
    num(nec::AA0135, leave_hours, 2);
    num(nec::AA0136, headcount, 4);
    num(nec::AA0137, registered ? 1 : 2);
    num(nec::AA0127, p.pay_class);
    num(nec::AA0128, grade);
    num(nec::AA0129, rng_.chance(0.02) ? 0 : table);
    num(nec::AA0138, monthly);
    num(nec::AA0139, personal);
    num(nec::AA0140, management);
    num(nec::AA0141, days && rng_.chance(0.1) ? rng_.between(3, 20) * 100 : 0);
    num(nec::AA0142, 0);
    num(nec::AA0143, 0);
    num(nec::AA0144, total);
    num(nec::AA0145, salary);
    num(nec::AA0146, personal_paid);
    num(nec::AA0147, management_paid);
    num(nec::AA0148, supplements);
    num(nec::AA0160, night);
    num(nec::AA0162, small);
    num(nec::AA0150, bonuses);
    num(nec::AA0239, bonus[0]);
    num(nec::AA0240, bonus[1]);
    for (int i = 0; i < 6; ++i)
        num(nec::AA0151 + i, bonus[2 + i]);
    num(nec::AA0157, overtime_pay);
    num(nec::AA0163, 0);
    num(nec::AA0161, standby);
    num(nec::AA0237, standby_a);
    num(nec::AA0238, standby_b);
    num(nec::AA0158, compensation);
    num(nec::AA0159, leave_pay);
    num(nec::AA0165, standby_a ? rng_.between(8, 120) * 100 : 0, 2);
    num(nec::AA0166, 0);
    num(nec::AA0167, 0);
    num(nec::AA0168, 0);
    text(nec::AA0091, rng_.pick(kPositions), 4);
    num(nec::AA0210, sick_days);
    num(nec::AA0218, days);
    num(nec::AA0219, leave_days + sick_days + other_days);
    text(nec::AA0690, rng_.chance(0.85) ? district_ : rng_.pick(kDistricts), 6);

    r.headcount = headcount;
    r.pay = total;
    r.registered = registered;
}

void Generator::emit_record(const Record& r) {
    staff_.put("    <zamestnanec>\r\n");
    for (int i = 0; i < nec::kFields; ++i)
        field(staff_, nec_tags_[i], i + 1 < nec::kFields ? &nec_tags_[i + 1] : nullptr, nec::kRules[i],
              r.v[std::size_t(i)]);
    staff_.put("    </zamestnanec>\r\n");
    ++records_;
}

// Builds one employer: first its employee blocks, whose sums the employer's own figures repeat, then
// the employer's fields in front of them. Returns false when the size target leaves no room.
bool Generator::write_employer(int index) {
    int n = rng_.between(opt_.employees_min, opt_.employees_max);
    district_ = rng_.pick(kDistricts);
    table_ = rng_.chance(0.5) ? 1 : 2;
    staff_.clear();

    // Identifiers ascend with gaps (or descend with --reverse-ids); they may repeat between employers.
    std::uint32_t next_id = 10000000 + rng_.below(80000000);
    const int id_step = opt_.reverse_ids ? -1 : 1;
    if (opt_.reverse_ids)
        next_id += std::uint32_t(n) * 20;

    std::int64_t headcount = 0, pay = 0;
    int registered = 0;
    int made = 0;
    int first_education = 0;
    int basic = 0; // records of people without finished basic schooling
    Record rec, second;
    Record deferred;        // a person's second job, kept back for a few records
    int deferred_wait = -1; // records still to write before it; -1 when none is kept back
    Person person;
    for (int p = 0; made < n; ++p) {
        if (opt_.size && written_ + doc_.size() + staff_.size() + 4000 > opt_.size) {
            n = made;
            break;
        }
        make_person(person, p, first_education, basic * 4 < made);
        if (p == 0)
            first_education = person.education[0];
        std::snprintf(person.id, sizeof person.id, "%08u", next_id);
        next_id = std::uint32_t(std::int64_t(next_id) + id_step * rng_.between(1, 20));

        const bool two_jobs = made + 2 <= n && rng_.chance(0.06);
        Shape shape;
        shape.part_time = two_jobs;
        // An employer of eleven or more has somebody who left; the validator doubts it otherwise.
        shape.leaver = p > 0 && (rng_.chance(0.06) || (p == 1 && n >= 11));
        shape.paid_only = p > 0 && !two_jobs && rng_.chance(0.005);
        make_record(rec, person, shape);
        bool person_registered = rec.registered;
        headcount += rec.headcount;
        pay += rec.pay;
        emit_record(rec);
        ++made;
        if (deferred_wait >= 0 && --deferred_wait < 0)
            emit_record(deferred);

        if (two_jobs) {
            Shape other_job;
            other_job.part_time = true;
            other_job.leaver = rng_.chance(0.15);
            make_record(second, person, other_job);
            person_registered = person_registered || second.registered;
            headcount += second.headcount;
            pay += second.pay;
            ++made;
            // The second job comes right after the first or a few records later: the validator must
            // bring a person's records together itself.
            if (deferred_wait < 0 && rng_.chance(0.5)) {
                deferred = second;
                deferred_wait = rng_.between(1, 3);
            } else {
                emit_record(second);
            }
        }
        registered += person_registered ? 1 : 0;
        if (person.education[0] < 'C')
            basic += two_jobs ? 2 : 1;
    }
    if (deferred_wait >= 0)
        emit_record(deferred);
    if (n == 0)
        return false;

    // The employer's figures.
    const std::uint32_t ico = company_number(opt_.same_employer ? 0 : index);
    char ico_text[16], date[24];
    std::snprintf(ico_text, sizeof ico_text, "%08u", ico);
    {
        static constexpr int kMonthDays[] = {30, 31, 31, 30}; // June to September
        const int month = rng_.between(6, 9);
        std::snprintf(date, sizeof date, "2009%02d%02d", month, rng_.between(1, kMonthDays[month - 6]));
    }
    const std::int64_t outside = rng_.chance(0.4) ? pay * rng_.between(0, 10) / 100 : 0;
    // Budgeted posts near the converted headcount; a year's budget about twice the half-year's pay.
    const std::int64_t posts = (headcount * rng_.between(97, 108) / 100 + 5000) / 10000;
    const std::int64_t budget = (pay - outside) * rng_.between(185, 215) / 100;

    Value v[tel::kFields];
    v[tel::AA0017] = Value::of_text(ico_text);
    v[tel::AA0113] = Value::of_text(""); // only for an organisation without its own company number
    v[tel::AA0019] = Value::of_text(rng_.pick(kLegalForms));
    v[tel::AA0179] = Value::of_text(district_);
    v[tel::AA0110] = Value::of_text(date);
    v[tel::AA0116] = Value::number(posts);
    v[tel::AA0123] = Value::number(budget);
    v[tel::AA0114] = Value::number(headcount, 4);
    v[tel::AA0115] = Value::number(registered);
    v[tel::AA0118] = Value::number(pay);
    v[tel::AA0119] = Value::number(outside);

    doc_.put("  <zamestnavatel>\r\n");
    for (int i = 0; i < tel::kFields; ++i)
        field(doc_, tel_tags_[i], i + 1 < tel::kFields ? &tel_tags_[i + 1] : nullptr, tel::kRules[i], v[i]);
    flush(doc_);
    flush(staff_);
    doc_.put("  </zamestnavatel>\r\n");
    ++employers_;
    return true;
}

bool Generator::run() {
    write_header();
    const int employers = rng_.between(opt_.employers_min, opt_.employers_max);
    for (int i = 0; opt_.size ? true : i < employers; ++i) {
        if (opt_.size && written_ + doc_.size() + 8000 > opt_.size)
            break;
        if (!write_employer(i))
            break;
    }
    doc_.put("</ZPV>\r\n");
    flush(doc_);
    return !failed_ && std::fflush(out_) == 0;
}

// ---------------------------------------------------------------------------------------------------
// Command line.

void usage() {
    std::fputs(
        "zpvgen: writes a ZPV document (Windows-1250, CR LF) for trying out the validator\n"
        "\n"
        "usage: zpvgen [options]\n"
        "  --employers N|A-B   employer blocks (default 3)\n"
        "  --employees N|A-B   employee records per employer, at most 15000 (default 5-50;\n"
        "                      50-2000 with --size)\n"
        "  --size BYTES        write employers until the document has about this size; K, M, G allowed\n"
        "  --seed N            the same seed and options give the same document (default 1)\n"
        "  --error-rate R      fraction of fields written wrong on purpose, 0 to 1 (default 0)\n"
        "  --reverse-ids       employee identifiers descend within an employer\n"
        "  --same-employer     every employer block has the same company number\n"
        "  --refdata DIR       folder of occupations.txt and providers.txt\n"
        "  -o, --output FILE   output file (default: standard output)\n"
        "\n"
        "With error rate 0 the validator finds no error in the document. Warnings come only from the\n"
        "rare foreign employee, from employers beyond the submitter's own providers (other submitters'\n"
        "providers) and, past 100 employers, once from the full table of employers.\n",
        stderr);
}

bool parse_range(const char* s, int& lo, int& hi) {
    char* end = nullptr;
    const long a = std::strtol(s, &end, 10);
    long b = a;
    if (*end == '-')
        b = std::strtol(end + 1, &end, 10);
    if (*end != 0 || a < 0 || b < a || b > 1000000)
        return false;
    lo = int(a);
    hi = int(b);
    return true;
}

bool parse_size(const char* s, std::uint64_t& size) {
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    double unit = 1;
    if (*end == 'K' || *end == 'k')
        unit = 1024;
    else if (*end == 'M' || *end == 'm')
        unit = 1024.0 * 1024;
    else if (*end == 'G' || *end == 'g')
        unit = 1024.0 * 1024 * 1024;
    if (unit != 1)
        ++end;
    if (*end != 0 || v <= 0)
        return false;
    size = std::uint64_t(v * unit);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options opt;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        bool takes_value = true;
        if (a == "--employers") {
            ok = value && parse_range(value, opt.employers_min, opt.employers_max);
        } else if (a == "--employees") {
            ok = value && parse_range(value, opt.employees_min, opt.employees_max) && opt.employees_min > 0 &&
                 opt.employees_max <= 15000;
            opt.employees_given = true;
        } else if (a == "--size") {
            ok = value && parse_size(value, opt.size);
        } else if (a == "--seed") {
            ok = value != nullptr;
            if (ok)
                opt.seed = std::strtoull(value, nullptr, 10);
        } else if (a == "--error-rate") {
            ok = value != nullptr;
            if (ok)
                opt.error_rate = std::strtod(value, nullptr);
            ok = ok && opt.error_rate >= 0 && opt.error_rate <= 1;
        } else if (a == "--refdata") {
            ok = value != nullptr;
            if (ok)
                opt.refdata = value;
        } else if (a == "-o" || a == "--output") {
            ok = value != nullptr;
            if (ok)
                opt.output = value;
        } else {
            takes_value = false;
            if (a == "--reverse-ids") {
                opt.reverse_ids = true;
            } else if (a == "--same-employer") {
                opt.same_employer = true;
            } else {
                usage();
                return a == "-h" || a == "--help" ? 0 : 2;
            }
        }
        if (!ok) {
            std::fprintf(stderr, "zpvgen: bad value for %s\n", argv[i]);
            return 2;
        }
        if (takes_value)
            ++i;
    }
    // An employer of 15000 records or more would overrun the validator's per-employer slots.
    if (opt.size && !opt.employees_given) {
        opt.employees_min = 50;
        opt.employees_max = 2000;
    }
    if (opt.employees_min == 0 || opt.employers_min == 0 || opt.employees_max > 15000) {
        std::fputs("zpvgen: employers and employees must be 1 or more, employees at most 15000\n", stderr);
        return 2;
    }

    Registers reg;
    if (!load_registers(opt.refdata, reg))
        return 2;

    std::FILE* out = stdout;
    if (!opt.output.empty()) {
        out = std::fopen(opt.output.c_str(), "wb");
        if (!out) {
            std::fprintf(stderr, "zpvgen: cannot write %s\n", opt.output.c_str());
            return 2;
        }
    }
    Generator gen(opt, reg, out);
    const bool ok = gen.run();
    if (out != stdout && std::fclose(out) != 0) {
        std::fprintf(stderr, "zpvgen: cannot write %s\n", opt.output.c_str());
        return 1;
    }
    if (!ok) {
        std::fputs("zpvgen: the output could not be written completely\n", stderr);
        return 1;
    }
    std::fprintf(stderr, "zpvgen: %d employers, %llu employee records, %llu bytes\n", gen.employers(),
                 static_cast<unsigned long long>(gen.records()),
                 static_cast<unsigned long long>(gen.bytes()));
    return 0;
}
