// String and number helpers, and the conversion of the sources' texts to Windows-1250.
#include "util/cp1250.h"
#include "util/number.h"
#include "util/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

TEST(TextHelpers, OneBasedSubstringAndSearch) {
    EXPECT_EQ(util::jinstr("report.html", '.'), 7);
    EXPECT_EQ(util::jinstr("report", '.'), 0);
    char out[16];
    EXPECT_EQ(util::jsubstr(out, "report.HTML", 8, 10), 4);
    EXPECT_STREQ(out, "HTML");
    EXPECT_EQ(util::jsubstr(out, "abcdef", 2, 3), 3);
    EXPECT_STREQ(out, "bcd");
}

TEST(TextHelpers, FixedTextsCutToFitAndStopAtNul) {
    util::Text<5> t("abcdefgh");
    EXPECT_EQ(t.view(), "abcde");
    t.assign(std::string_view("ab\0cd", 5));
    EXPECT_EQ(t.view(), "ab");
    t.append("xyzxyz");
    EXPECT_EQ(t.view(), "abxyz");
    // A formatted text longer than its buffer is cut to 127 characters, the terminator never among them.
    EXPECT_EQ(util::fmt("%s", std::string(128, 'x').c_str()).view(), std::string(127, 'x'));
}

TEST(NumberParsing, IntegersRealsAndRejectedTexts) {
    double v = -1;
    EXPECT_EQ(util::StrToDbl(v, "123", 'N'), 0);
    EXPECT_EQ(v, 123.0);
    EXPECT_EQ(util::StrToDbl(v, "-5", 'N'), 0);
    EXPECT_EQ(v, -5.0);
    EXPECT_EQ(util::StrToDbl(v, "12.5", 'N'), 1);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(util::StrToDbl(v, "12.5", 'R'), 0);
    EXPECT_EQ(v, 12.5);
    for (const char* bad : {"1 000", "5-", "+-5", "1.2.3", "1,5", "--5", "++5", "1e5", " 5"})
        EXPECT_EQ(util::StrToDbl(v, bad, 'R'), 1) << bad;
    for (const char* odd : {"", "-", "+", "."})
        EXPECT_EQ(util::StrToDbl(v, odd, 'R'), 0) << odd;
    EXPECT_EQ(util::StrToDbl(v, ".5", 'R'), 0);
    EXPECT_EQ(v, 0.5);
}

// A number is an optional sign in front, then digits; a real may hold one point among its digits. Every
// short text over the characters of numbers is accepted or refused by that rule alone.
TEST(NumberParsing, AcceptsExactlySignDigitsAndOnePoint) {
    const std::regex real("[+-]?[0-9]*(\\.[0-9]*)?"), integer("[+-]?[0-9]*");
    const char alphabet[] = "05+-.x";
    for (int len = 0; len <= 5; ++len) {
        int combinations = 1;
        for (int i = 0; i < len; ++i)
            combinations *= 6;
        for (int k = 0; k < combinations; ++k) {
            std::string text;
            for (int i = 0, c = k; i < len; ++i, c /= 6)
                text += alphabet[c % 6];
            double v = -1;
            EXPECT_EQ(util::StrToDbl(v, text, 'R'), std::regex_match(text, real) ? 0 : 1) << text;
            EXPECT_EQ(util::StrToDbl(v, text, 'N'), std::regex_match(text, integer) ? 0 : 1) << text;
        }
    }
}

// Bytes next to the digits in the code table, NUL, blanks and high bytes are refused wherever they stand,
// and every accepted text converts exactly as the library converts it.
TEST(NumberParsing, BytesBesideTheDigitsAreRefusedAndNumbersExact) {
    const std::regex real("[+-]?[0-9]*(\\.[0-9]*)?");
    const char alphabet[] = {'0', '1', '5',  '9', '9',    '0',    '/',   ':',
                             '.', '-', '\0', ' ', '\xFA', '\xFF', '\xB9'};
    std::mt19937 rng(5);
    for (int round = 0; round < 200000; ++round) {
        std::string text(1 + rng() % 9, '0');
        for (char& c : text)
            c = rng() % 3 == 0 ? alphabet[rng() % sizeof alphabet] : static_cast<char>('0' + rng() % 10);
        double v = -1;
        const bool valid = std::regex_match(text, real);
        ASSERT_EQ(util::StrToDbl(v, text, 'R'), valid ? 0 : 1) << text;
        if (valid) {
            ASSERT_EQ(v, std::atof(text.c_str())) << text;
        }
    }
}

// copy_short and copy_element move names, codes and whole elements in pieces: every length, and ranges
// that overlap in either direction, give what memmove gives.
TEST(TextHelpers, ShortCopiesAreMemmoves) {
    char pattern[200];
    for (int i = 0; i < 200; ++i)
        pattern[i] = static_cast<char>(i * 7 + 1);
    for (std::size_t n = 0; n <= 80; ++n) {
        for (const int shift : {-40, -17, -9, -1, 0, 1, 5, 16, 33, 60}) {
            char expected[200], actual[200];
            std::memcpy(expected, pattern, sizeof pattern);
            std::memcpy(actual, pattern, sizeof pattern);
            std::memmove(expected + 60 + shift, expected + 60, n);
            util::copy_short(actual + 60 + shift, actual + 60, n);
            ASSERT_EQ(std::memcmp(expected, actual, sizeof actual), 0) << n << " " << shift;
            std::memcpy(actual, pattern, sizeof pattern);
            util::copy_element(actual + 60 + shift, actual + 60, n);
            ASSERT_EQ(std::memcmp(expected, actual, sizeof actual), 0) << n << " " << shift;
        }
    }
}

// Names are compared as words: a difference at any position of any length is seen, and none is invented.
TEST(TextHelpers, SameBytesSeesADifferenceAnywhere) {
    const std::string a = "AA0131AA0132AA0133AA";
    for (std::size_t n = 0; n <= a.size(); ++n) {
        EXPECT_TRUE(util::same_bytes(a.data(), std::string(a).data(), n)) << n;
        for (std::size_t at = 0; at < n; ++at) {
            std::string b = a;
            b[at] ^= 0x40;
            EXPECT_FALSE(util::same_bytes(a.data(), b.data(), n)) << n << " " << at;
        }
    }
}

// Bounds and code lists are ordered by compare_bytes: up to 8 bytes as words, beyond that byte by byte.
// Every pair of texts of up to 9 bytes over bytes that matter to the order (NUL, the ends of the signed
// and unsigned ranges, letters of the code page) orders as the bytes do, read as unsigned.
TEST(TextHelpers, ByteOrderOfShortTextsAsUnsignedBytes) {
    const std::string alphabet = std::string("\x00\x01", 2) + "9A\x7F\x80\xFD\xFF";
    std::mt19937 rng(1250);
    const auto text = [&](std::size_t n) {
        std::string t;
        for (std::size_t i = 0; i < n; ++i)
            t += alphabet[rng() % alphabet.size()];
        return t;
    };
    const auto expected = [](const std::string& a, const std::string& b) {
        const auto u = [](const std::string& s) { return std::vector<unsigned char>(s.begin(), s.end()); };
        const auto x = u(a), y = u(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    };
    for (int i = 0; i < 200000; ++i) {
        const std::string a = text(rng() % 10);
        // Often the same text, a prefix or an extension of it, so that the pairs meet at every length.
        std::string b;
        switch (rng() % 4) {
        case 0:
            b = a;
            break;
        case 1:
            b = a.substr(0, rng() % (a.size() + 1));
            break;
        case 2:
            b = a + text(1 + rng() % 3);
            break;
        default:
            b = text(rng() % 10);
            break;
        }
        ASSERT_EQ(util::compare_bytes(a, b), expected(a, b))
            << testing::PrintToString(a) << " " << testing::PrintToString(b);
        ASSERT_EQ(util::compare_bytes(b, a), expected(b, a));
    }
}

TEST(CompanyNumber, CheckDigit) {
    EXPECT_EQ(util::chk_ICO("12345679"), 0);
    EXPECT_EQ(util::chk_ICO("12345670"), 1);
    EXPECT_EQ(util::chk_ICO("1234567"), 2);
    // Remainder 0 requires check digit 1, remainder 1 requires 0.
    EXPECT_EQ(util::chk_ICO("00000001"), 0);
    EXPECT_EQ(util::chk_ICO("00000060"), 0); // 2*6 = 12, remainder 1
}

TEST(Cp1250, CzechLettersBecomeSingleBytes) {
    char out[32];
    const std::size_t n = util::utf8_to_cp1250("Řádek ýčŠ€", out, sizeof out);
    EXPECT_EQ(std::string(out, n), "\xD8\xE1"
                                   "dek \xFD\xE8\x8A\x80");
    // Bytes that are not UTF-8 are already Windows-1250 and pass unchanged.
    EXPECT_EQ(util::utf8_to_cp1250("\xE1x", out, sizeof out), 2u);
    EXPECT_EQ(std::string(out, 2), "\xE1x");
    // A character that Windows-1250 lacks becomes '?'.
    EXPECT_EQ(std::string(out, util::utf8_to_cp1250("a€Ωb", out, sizeof out)), "a\x80?b");
}

} // namespace

namespace {

// The fast conversion must give exactly the library's result for every text the field rules accept.
TEST(NumberParsing, FastConversionAgreesWithTheLibrary) {
    std::uint64_t state = 88172645463325252ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    const char alphabet[] = "0123456789";
    for (int round = 0; round < 200000; ++round) {
        char text[40];
        int n = 0;
        const auto r = next();
        if (r % 5 == 0)
            text[n++] = '-';
        else if (r % 7 == 0)
            text[n++] = '+';
        const int len = static_cast<int>(next() % 20);
        const int point = static_cast<int>(next() % (len + 2)) - 1;
        for (int i = 0; i < len; ++i) {
            if (i == point)
                text[n++] = '.';
            text[n++] = alphabet[next() % 10];
        }
        text[n] = '\0';
        double fast = 0;
        ASSERT_EQ(util::StrToDbl(fast, text, 'R'), 0) << text;
        const double library = std::atof(text);
        ASSERT_EQ(std::memcmp(&fast, &library, sizeof fast), 0) << text << " " << fast << " " << library;
    }
    for (const char* t :
         {"-0", "-", "+", ".", "-.", "0.0000000000000000000001", "-.5", "5.", "999999999999999",
          "9999999999999999", "123456789012345678901234567890", "0000000000000000000001"}) {
        double fast = 0;
        ASSERT_EQ(util::StrToDbl(fast, t, 'R'), 0) << t;
        const double library = std::atof(t);
        EXPECT_EQ(std::memcmp(&fast, &library, sizeof fast), 0) << t;
    }
}

} // namespace

namespace {

// The padded form reads 8 bytes past the digits whatever they hold: here digits and a point, which would
// change the value or the answer if any of them were taken in.
bool same_padded(std::string_view text, char type, int expected_status, double expected) {
    const std::string padded = std::string(text) + "9.9.9.9.9";
    double v = -3;
    const int status = util::StrToDbl_padded(v, std::string_view(padded).substr(0, text.size()), type);
    return status == expected_status && std::memcmp(&v, &expected, sizeof v) == 0;
}

bool same_conversion(std::string_view text, char type, int* status = nullptr, double* value = nullptr) {
    double fast = -1, general = -2;
    const int a = util::StrToDbl(fast, text, type), b = util::StrToDbl_general(general, text, type);
    if (status != nullptr)
        *status = a;
    if (value != nullptr)
        *value = fast;
    return a == b && std::memcmp(&fast, &general, sizeof fast) == 0 && same_padded(text, type, b, general);
}

// The short way takes a sign and up to eight bytes as one word; the texts at its edges and every odd shape
// (blanks inside, several signs or points, bytes beside the digits, very long numbers) give exactly what
// the general conversion gives, as a real and as an integer.
TEST(NumberParsing, ShortWayAgreesWithTheGeneralConversionOnOddShapes) {
    struct Case {
        std::string text;
        int status; // as a real
        double value;
    };
    const std::string digits300(300, '7');
    const std::vector<Case> cases = {
        {"12345678", 0, 12345678},
        {"-12345678", 0, -12345678},
        {"+00000001", 0, 1},
        {"123456789", 0, 123456789},
        {"1234.5678", 0, 1234.5678},
        {"1234567.8", 0, 1234567.8},
        {".1234567", 0, .1234567},
        {"1234567.", 0, 1234567},
        {"0.0000001", 0, 1e-7},
        {"-0", 0, -0.0},
        {"-0.0", 0, -0.0},
        {".", 0, 0},
        {"-.", 0, 0},
        {"+", 0, 0},
        {"", 0, 0},
        {"12 34", 1, 0},
        {" 12", 1, 0},
        {"12 ", 1, 0},
        {"+-1", 1, 0},
        {"-+1", 1, 0},
        {"--1", 1, 0},
        {"1-", 1, 0},
        {"1..2", 1, 0},
        {"1.2.3", 1, 0},
        {"..", 1, 0},
        {"1\x8A", 1, 0},
        {std::string("\x8A") + "1", 1, 0},
        {"9/", 1, 0},
        {":9", 1, 0},
        {"1,5", 1, 0},
        {"1e5", 1, 0},
        {std::string("1\0"
                     "2",
                     3),
         1, 0},
        {digits300, 0, std::atof(digits300.c_str())},
        {"-" + digits300.substr(0, 150) + "." + digits300.substr(0, 149), 0,
         std::atof(("-" + digits300.substr(0, 150) + "." + digits300.substr(0, 149)).c_str())},
        {digits300 + "..", 1, 0},
    };
    for (const Case& c : cases) {
        int status = -1;
        double value = -1;
        EXPECT_TRUE(same_conversion(c.text, 'R', &status, &value)) << c.text;
        EXPECT_EQ(status, c.status) << c.text;
        EXPECT_EQ(std::memcmp(&value, &c.value, sizeof value), 0) << c.text << " " << value;
        EXPECT_TRUE(same_conversion(c.text, 'N')) << c.text;
    }
    // A point in every place of numbers of one to eleven digits.
    const std::string digits = "90817263541";
    for (std::size_t len = 1; len <= digits.size(); ++len)
        for (std::size_t at = 0; at <= len; ++at) {
            const std::string text = digits.substr(0, at) + "." + digits.substr(at, len - at);
            for (const char* sign : {"", "-", "+"}) {
                EXPECT_TRUE(same_conversion(sign + text, 'R')) << sign + text;
                EXPECT_TRUE(same_conversion(sign + text, 'N')) << sign + text;
            }
        }
}

// Every text of up to five bytes over digits, signs, a point, a blank and the bytes around the digits and
// above 0x89 (which carry within the word): both conversions agree on all of them.
TEST(NumberParsing, ShortWayAgreesWithTheGeneralConversionOnEveryShortText) {
    const char alphabet[] = {'0', '7', '9', '.', '+', '-', ' ', '/', ':', '\x8A', '\xFF'};
    constexpr int kLetters = sizeof alphabet;
    std::string text;
    for (int len = 0; len <= 5; ++len) {
        int combinations = 1;
        for (int i = 0; i < len; ++i)
            combinations *= kLetters;
        for (int k = 0; k < combinations; ++k) {
            text.clear();
            for (int i = 0, c = k; i < len; ++i, c /= kLetters)
                text += alphabet[c % kLetters];
            ASSERT_TRUE(same_conversion(text, 'R')) << text;
            ASSERT_TRUE(same_conversion(text, 'N')) << text;
        }
    }
}

} // namespace
