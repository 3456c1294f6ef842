// The code lists and registers: what each lookup accepts and reports, the shape the lookups rely on, and
// the build step that compiles the register files.
#include "checks/employee.h"
#include "checks/fields.h"
#include "reader/scanner.h"
#include "refdata/lists.h"
#include "refdata/registers.h"
#include "report/context.h"
#include "tests/support.h"
#include "util/number.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

using refdata::Mark;

using namespace refdata;
using Rows = std::vector<std::string>;

// A fresh run on line 20; rows() gives the findings without their description.
struct Findings {
    testing_support::Capture cap;
    Findings() { report::s_cislo_radky.assign("20"); }
    Rows rows() {
        Rows out;
        for (const std::string& r : cap.rows())
            out.push_back(r.substr(0, r.rfind(';')));
        return out;
    }
};

std::string eight_digits(std::uint32_t n) {
    char s[16];
    std::snprintf(s, sizeof s, "%08u", static_cast<unsigned>(n));
    return s;
}

TEST(RefdataSubmitter, UnregisteredNumberIsReportedAsEightDigitsWrongCheckDigitIsNotLookedUp) {
    Findings run;
    EXPECT_EQ(cis_predkladatelu("12345679", Mark::clean), 0);
    EXPECT_EQ(cis_predkladatelu("00000027", Mark::clean), 1);
    EXPECT_EQ(l_predkladatel, 27u);
    EXPECT_EQ(cis_predkladatelu("87654320", Mark::rejected), 1);
    EXPECT_EQ(l_predkladatel, 87654320u); // kept for the provider checks all the same
    EXPECT_EQ(run.rows(), Rows{"20;ER202;;;ICOpredkladatele;00000027;   "});
}

TEST(RefdataSubmitter, NumberIsTheLeadingDecimalNumberOfTheText) {
    Findings run;
    // What the standard decimal conversion reads at the start of the text, cut to a whole number.
    const std::pair<const char*, std::uint32_t> cases[] = {{"1234567x", 1234567u},
                                                           {"12A45678", 12u},
                                                           {"12345.79", 12345u},
                                                           {"0x123456", 0u},
                                                           {"abc", 0u},
                                                           {"\t+42", 42u},
                                                           {"+123.456", 123u},
                                                           {"1e3xxxxx", 1000u},
                                                           {"1e+zzzzz", 1u},
                                                           {".5e1", 5u},
                                                           {"inf", 0u},
                                                           {"nan", 0u},
                                                           {"", 0u},
                                                           {"-1234562", 0u},
                                                           {"4294967295", 4294967295u},
                                                           {"4294967296", 0u},
                                                           {"1e400", 0u},
                                                           {"-0", 0u}};
    for (const auto& [text, number] : cases) {
        cis_predkladatelu(text, Mark::clean);
        EXPECT_EQ(l_predkladatel, number) << text;
    }
}

TEST(RefdataSubmitter, NumberThatIsNoCompanyNumberIsReportedAsZeroes) {
    Findings run;
    // "-1234562" passes the check-digit rule (the sign counts as -3 in the weighted sum).
    ASSERT_EQ(util::chk_ICO("-1234562"), 0);
    for (const char* text : {"-1234562", "abcdefgh"}) {
        EXPECT_EQ(cis_predkladatelu(text, Mark::clean), 1) << text;
        EXPECT_EQ(l_predkladatel, 0u) << text;
    }
    EXPECT_EQ(run.rows(), Rows(2, "20;ER202;;;ICOpredkladatele;00000000;   "));
}

// The employer's number was read on line 17; the file's submitter is 12345679.
struct ProviderRun : Findings {
    ProviderRun() { l_predkladatel = 12345679; }
};

TEST(RefdataProvider, ProviderOfTheFilesSubmitterIsSilentOfAnotherIsWarnedAndStillAccepted) {
    ProviderRun run;
    EXPECT_EQ(cis_poskytovatelu("00006947", Mark::clean, "17"), 0);
    EXPECT_EQ(l_poskytovatel, 6947u);
    EXPECT_EQ(cis_poskytovatelu("45274649", Mark::clean, "17"), 0); // registered without a submitter
    l_predkladatel = 27;
    EXPECT_EQ(cis_poskytovatelu("49240901", Mark::clean, "17"), 0);
    l_predkladatel = 0; // a submitter that could not be read: "none" is no other submitter
    EXPECT_EQ(cis_poskytovatelu("45274649", Mark::clean, "17"), 0);
    EXPECT_EQ(run.rows(), (Rows{"17;WR204;;;ICOpredkladatele;12345679;00000000",
                                "17;WR204;;;ICOpredkladatele;00000027;12345679"}));
}

TEST(RefdataProvider, UnregisteredProviderIsWarnedWrongCheckDigitIsNotLookedUp) {
    ProviderRun run;
    EXPECT_EQ(cis_poskytovatelu("87654326", Mark::clean, "17"), 1);
    EXPECT_EQ(cis_poskytovatelu("12345670", Mark::rejected, "17"), 1);
    EXPECT_EQ(l_poskytovatel, 12345670u);
    for (const int i : {0, kProviders - 1}) { // the ends of the register are found
        l_predkladatel = TcisPrePos[i];
        EXPECT_EQ(cis_poskytovatelu(eight_digits(TcisPosPre[i]), Mark::clean, "17"), 0) << i;
    }
    EXPECT_EQ(run.rows(), Rows{"17;WR204;;;AA0017;87654326;   "});
}

TEST(RefdataCodes, OccupationEndingInZeroIsWarnedMissingOneIsAnError) {
    Findings run;
    EXPECT_EQ(cis_kodzam("11211"), 0);
    EXPECT_EQ(cis_kodzam("93399"), 0);
    EXPECT_EQ(cis_kodzam("11210"), 1);
    EXPECT_EQ(cis_kodzam("11200"), 1); // not in the list: its final 0 does not matter
    EXPECT_EQ(cis_kodzam("1121"), 1);  // nor does a prefix of a code
    EXPECT_EQ(run.rows(), (Rows{"20;WL039;;;AA0013;11210;   ", "20;EL046;;;AA0013;11200;   ",
                                "20;EL046;;;AA0013;1121;   "}));
}

TEST(RefdataCodes, ShortListsAcceptTheirCodesExactlyAndReportOthers) {
    Findings run;
    for (const char* code : {"301", "921"})
        EXPECT_EQ(cis_kodpraf(code), 0);
    EXPECT_EQ(cis_kodpraf("922"), 1);
    EXPECT_EQ(cis_postzam("1320"), 0);
    EXPECT_EQ(cis_postzam("1313 "), 1);
    for (const char* code : {"1", "10"})
        EXPECT_EQ(cis_koddppv(code), 0);
    EXPECT_EQ(cis_koddppv("01"), 1);
    EXPECT_EQ(cis_kodnuts("CZ020A", "AA0179"), 0);
    EXPECT_EQ(cis_kodnuts("cz0100", "AA0690"), 1);
    EXPECT_EQ(cis_kodvzde("V"), 0);
    EXPECT_EQ(cis_kodvzde("F"), 1);
    EXPECT_EQ(run.rows(), (Rows{"20;EL055;;;AA0019;922;   ", "20;EL068;;;AA0091;1313 ;   ",
                                "20;EL004;;;AA0130;01;10, (1)", "20;EL056;;;AA0690;cz0100;   ",
                                "20;EL048;;;AA0223;F;   "}));
}

// The lookups search keys and bits rather than texts; against a plain walk of each list, every listed code
// and every near miss of one (a byte changed, cut, added or a NUL put in) must get the same answer.
std::vector<std::string> near_misses(std::string_view code) {
    std::vector<std::string> out{std::string(code)};
    for (std::size_t i = 0; i <= code.size(); ++i) {
        out.push_back(std::string(code.substr(0, i)));
        for (const char c : {'\0', ' ', '0', '9', 'A', 'Z', 'a', '\x80', '\xFF'}) {
            std::string changed(code);
            if (i < code.size()) {
                changed[i] = c;
                out.push_back(changed);
            }
            out.push_back(std::string(code.substr(0, i)) + c + std::string(code.substr(i)));
        }
    }
    return out;
}

TEST(RefdataCodes, LookupsAnswerAsAWalkOfTheirListsOnCodesAndNearMisses) {
    Findings run;
    const auto listed = [](std::span<const std::string_view> list, std::string_view code) {
        return std::find(list.begin(), list.end(), code) != list.end();
    };
    const std::pair<const char*, int (*)(std::string_view)> lists[] = {
        {"AA0019", cis_kodpraf},
        {"AA0690", [](std::string_view c) { return cis_kodnuts(c, "AA0690"); }},
        {"AA0223", cis_kodvzde},
        {"AA0091", cis_postzam},
        {"AA0130", cis_koddppv}};
    for (const auto& [element, lookup] : lists) {
        const auto list = short_list(element);
        ASSERT_FALSE(list.empty()) << element;
        for (const std::string_view code : list)
            for (const std::string& text : near_misses(code))
                ASSERT_EQ(lookup(text), listed(list, text) ? 0 : 1) << element << " " << text;
    }
    std::vector<std::string_view> occupations;
    for (int i = 0; i < kOccupations; ++i)
        occupations.emplace_back(TcisKzam[i], 5);
    for (int i = 0; i < kOccupations; i += 7)
        for (const std::string& text : near_misses(occupations[i])) {
            const bool in = listed(occupations, text);
            ASSERT_EQ(cis_kodzam(text), in && text[4] != '0' ? 0 : 1) << text;
        }
    std::vector<std::string_view> countries;
    for (int i = 0; i < kCountries; ++i)
        countries.push_back(stat_code(i));
    for (int i = 0; i < kCountries; i += 3)
        for (const std::string& text : near_misses(countries[i]))
            ASSERT_EQ(stat_position(text),
                      std::find(countries.begin(), countries.end(), text) - countries.begin())
                << text;
}

TEST(RefdataCountry, HomeCodesAreSilentOthersWarnedUnknownAnError) {
    Findings run;
    for (const char* code : {"CZ", "SK", "CZE", "SVK", "703"})
        EXPECT_EQ(cis_kodstat(code), 0) << code;
    EXPECT_EQ(cis_kodstat("DE"), 0);
    EXPECT_EQ(cis_kodstat("DEU"), 0);
    EXPECT_EQ(cis_kodstat("004"), 0); // the first code after the six home ones
    report::s_cislo_radky.assign("31");
    EXPECT_EQ(cis_kodstat("XYZ"), 1);
    EXPECT_EQ(cis_kodstat("cz"), 1);
    EXPECT_EQ(run.rows(), (Rows{"20;WL033;;;AA0033;DE;CZ, SK", "20;WL033;;;AA0033;DEU;CZ, SK",
                                "20;WL033;;;AA0033;004;CZ, SK", "31;EL047;;;AA0033;XYZ;   ",
                                "31;EL047;;;AA0033;cz;   "}));
}

TEST(RefdataCountry, PositionIsTheCodesFirstEntryAndMapsBack) {
    EXPECT_EQ(stat_position("CZ"), 0);
    EXPECT_EQ(stat_position("CZE"), 1);
    EXPECT_EQ(stat_position("703"), 5);
    for (const std::string& code :
         {std::string("C"), std::string("CZEC"), std::string(), std::string(301, 'Z')})
        EXPECT_EQ(stat_position(code), kCountries) << code;
    for (int i = 0; i < kCountries; ++i) {
        const int p = stat_position(stat_code(i));
        ASSERT_EQ(std::find(TcisStat, TcisStat + kCountries, stat_code(i)) - TcisStat, p) << i;
    }
    EXPECT_EQ(stat_code(kCountries), "");
    EXPECT_EQ(stat_code(-1), "");
}

TEST(RefdataRegisters, CompanyNumbersAreAscendingWithValidCheckDigitsAndExamplesAreIn) {
    EXPECT_TRUE(std::is_sorted(TcisPred, TcisPred + kSubmitters));
    EXPECT_TRUE(std::is_sorted(TcisPosPre, TcisPosPre + kProviders));
    const std::set<std::uint32_t> submitters(TcisPred, TcisPred + kSubmitters);
    EXPECT_EQ(submitters.size(), std::size_t(kSubmitters));
    EXPECT_EQ(std::set<std::uint32_t>(TcisPosPre, TcisPosPre + kProviders).size(), std::size_t(kProviders));
    for (std::uint32_t n : TcisPred)
        ASSERT_EQ(util::chk_ICO(eight_digits(n)), 0) << n;
    for (std::uint32_t n : TcisPosPre)
        ASSERT_EQ(util::chk_ICO(eight_digits(n)), 0) << n;

    // The numbers that the examples and the other tests use.
    const auto submitter_of = [](std::uint32_t provider) -> long {
        const auto* at = std::find(TcisPosPre, TcisPosPre + kProviders, provider);
        return at == TcisPosPre + kProviders ? -1 : long(TcisPrePos[at - TcisPosPre]);
    };
    EXPECT_EQ(submitters.count(12345679), 1u);
    EXPECT_EQ(submitter_of(12345679), 12345679);
    EXPECT_EQ(submitter_of(25596641), 12345679);
    EXPECT_EQ(submitter_of(6947), 12345679);
    EXPECT_EQ(submitter_of(45274649), 0);
    EXPECT_EQ(submitter_of(49240901), 12345679);
    for (std::uint32_t n : {87654326u, 11111119u}) {
        EXPECT_EQ(submitters.count(n), 0u);
        EXPECT_EQ(submitter_of(n), -1);
    }
}

TEST(RefdataRegisters, OccupationsAscendFrom11210To93399CountriesStartAtHome) {
    EXPECT_STREQ(TcisKzam[0], "11210");
    EXPECT_STREQ(TcisKzam[kOccupations - 1], "93399");
    for (int i = 1; i < kOccupations; ++i)
        ASSERT_LT(std::string_view(TcisKzam[i - 1]), std::string_view(TcisKzam[i])) << i;

    const Rows home{"CZ", "CZE", "203", "SK", "SVK", "703"};
    EXPECT_EQ(Rows(TcisStat, TcisStat + 6), home);
    // Then the numeric codes, ascending and closed by 999, then the alphabetic codes in byte order.
    const auto* alpha = std::find(TcisStat, TcisStat + kCountries, std::string_view("999")) + 1;
    EXPECT_TRUE(std::is_sorted(TcisStat + 6, alpha, [](auto a, auto b) { return std::string_view(a) < b; }));
    EXPECT_TRUE(
        std::is_sorted(alpha, TcisStat + kCountries, [](auto a, auto b) { return std::string_view(a) < b; }));
    EXPECT_EQ(Rows(TcisStat + 6, TcisStat + 7), Rows{"004"});
    EXPECT_EQ(Rows(alpha - 2, alpha + 5), (Rows{"894", "999", "ABW", "AD", "AE", "AF", "AFG"}));
    EXPECT_EQ(Rows(TcisStat + kCountries - 2, TcisStat + kCountries), (Rows{"ZW", "ZWE"}));
    EXPECT_LT(stat_position("YUG"), kCountries);
}

// Runs the table script on `text` as a register that must hold 3 entries; returns its exit status, its
// messages (in `output`) and the source it wrote (in `source`).
int make_table(const std::string& options, const std::string& text, std::string& output,
               std::string& source) {
    testing_support::Scratch dir;
    testing_support::spit(dir / "reg.txt", text);
    testing_support::spit(dir / "sizes.h", "inline constexpr int kTest = 3;\n");
    const std::string command =
        "cmake -DIN=reg.txt -DOUT=reg.cpp -DNAME=data/reg.txt -DTABLE=T -DTABLE2=U "
        "-DSIZE_HEADER=sizes.h -DSIZE_NAME=kTest " +
        options + " -P '" + (testing_support::source_dir() / "refdata/make_table.cmake").string() + "' 2>&1";
    FILE* p = ::popen(command.c_str(), "r");
    std::string raw;
    char buf[512];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
        raw.append(buf, n);
    const int status = ::pclose(p);
    output.clear(); // CMake wraps long messages: join them again
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw.compare(i, 3, "\n  ") == 0) {
            output += ' ';
            i += 2;
        } else {
            output += raw[i];
        }
    }
    source = testing_support::slurp(dir / "reg.cpp");
    return status;
}

const std::string kNumbers = "-DKIND=numbers", kPairs = "-DKIND=pairs";
const std::string kCodes = "-DKIND=codes -DPATTERN=[0-9][0-9][0-9][0-9][0-9] -DCELL=6 -DASCENDING=ON";

TEST(RefdataBuildStep, GoodFileBecomesADecimalTableWhateverItsLineEnds) {
#ifdef _WIN32
    GTEST_SKIP() << "the build step runs on the build machine";
#endif
    std::string out, src;
    ASSERT_EQ(
        make_table(kNumbers, "\xEF\xBB\xBF# x\r\n\r\n00000010\r\n 00000027 \r\n# x\r\n12345679", out, src), 0)
        << out;
    // Without the leading zeros, which C++ would read as an octal number.
    EXPECT_NE(src.find("T[kTest] = {\n10,27,12345679,"), std::string::npos) << src;
    ASSERT_EQ(make_table(kPairs, "00006947 12345679\n45274649\t0\n49240901 00000000\n", out, src), 0) << out;
    EXPECT_NE(src.find("U[kTest] = {\n12345679,0,0,"), std::string::npos) << src;
    ASSERT_EQ(make_table(kCodes, "11210\n11211\n93399\n", out, src), 0) << out;
    EXPECT_NE(src.find("const char T[kTest][6] = {\n\"11210\",\"11211\",\"93399\","), std::string::npos)
        << src;
}

TEST(RefdataBuildStep, BadFileStopsTheBuildNamingFileAndLineAndWritesNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "the build step runs on the build machine";
#endif
    const std::vector<std::array<std::string, 3>> cases{
        {kNumbers, "# x\n\n10\n2x\n27\n", "data/reg.txt:4: '2x' is not a company number"},
        {kNumbers, "10\n27;28\n30\n", "data/reg.txt:2: '27?28' is not"},
        {kNumbers, "10\n27\n27\n", "data/reg.txt:3: '27' does not follow 27"},
        {kNumbers, "10\n27\n123456789\n", "data/reg.txt:3: '123456789' has more than 8 digits"},
        {kNumbers, "10\n27\n", "data/reg.txt: 2 entries, but kTest in sizes.h says 3"},
        {kPairs, "10 1\n27\n28 1\n", "data/reg.txt:2:"},
        {kCodes, "11210\n11212\n11211\n", "data/reg.txt:3: '11211' does not follow '11212'"},
        {kCodes, "11210\n11211\n1121\n", "data/reg.txt:3: '1121' is not a code"},
    };
    for (const auto& [options, text, message] : cases) {
        std::string out, src;
        EXPECT_NE(make_table(options, text, out, src), 0) << text;
        EXPECT_NE(out.find(message), std::string::npos) << text << "\n" << out;
        EXPECT_EQ(src, "") << text;
    }
}

} // namespace
