#include "util/number.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace util {

double jezdifdbl(double a, double b) {
    return b > a ? b - a : a - b;
}

std::int32_t trunc32(double x) {
    if (x != x)
        return 0;
    if (x >= 2147483647.0)
        return INT32_MAX;
    if (x <= -2147483648.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(x);
}

double decimal_prefix(std::string_view text) {
    const auto digit = [&](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    for (; digit(i); ++i)
        ++digits;
    if (i < text.size() && text[i] == '.')
        for (++i; digit(i); ++i)
            ++digits;
    if (digits == 0)
        return 0.0;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-'))
            ++k;
        if (digit(k)) {
            while (digit(k))
                ++k;
            end = k;
        }
    }
    // The library converts the number alone, so that nothing after it (such as an "x" that would make
    // "0x12" hexadecimal) can change what it reads. A field's text is at most 301 characters.
    char copy[512];
    const std::string_view number = text.substr(start, end - start);
    if (number.size() < sizeof copy) {
        std::memcpy(copy, number.data(), number.size());
        copy[number.size()] = '\0';
        return std::strtod(copy, nullptr);
    }
    return std::strtod(std::string(number).c_str(), nullptr);
}

int StrToDbl_general(double& result, std::string_view text, char type) {
    // A number is an optional sign, digits, and for a real at most one point among them. One pass checks
    // the text and gathers its digits; a number with at most 15 significant digits and 22 decimals is then
    // one correctly rounded division of two exact doubles, which is exactly what the library's conversion
    // gives. Anything longer (rare) goes to the library.
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* p = text.data();
    const char* const e = p + text.size();
    const auto digit = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; };
    bool negative = false;
    if (p < e && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* const first = p;
    std::uint64_t digits = 0; // wraps only past 19 digits, when the library converts instead
    for (; p < e && digit(*p) <= 9; ++p)
        digits = digits * 10 + digit(*p);
    int decimals = 0;
    bool point = false;
    if (p < e && *p == '.' && type == 'R') {
        point = true;
        const char* const after_point = ++p;
        for (; p < e && digit(*p) <= 9; ++p)
            digits = digits * 10 + digit(*p);
        decimals = static_cast<int>(p - after_point);
    }
    if (p != e) {
        result = 0.0;
        return 1;
    }
    const int seen = static_cast<int>(p - first) - (point ? 1 : 0);
    if (seen <= 0) {
        result = 0.0; // no digits at all: nothing is converted
        return 0;
    }
    // Leading zeros are no significant digits; they need counting only in a long number.
    int significant = seen;
    if (seen > 15) {
        significant = 0;
        for (const char* q = first; q < e; ++q)
            if (*q != '.')
                significant += significant > 0 || *q != '0';
    }
    if (significant <= 15 && decimals <= 22) {
        const double v = static_cast<double>(digits) / kPow10[decimals];
        result = negative ? -v : v;
        return 0;
    }
    // The text holds only digits, one sign in front and at most one point, so it is short enough to
    // copy: every field is at most 301 characters.
    char buf[320];
    const std::size_t n = text.size() < sizeof buf - 1 ? text.size() : sizeof buf - 1;
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    result = std::atof(buf);
    return 0;
}

int chk_ICO(std::string_view text) {
    if (text.size() != 8)
        return 2;
    int s = 0;
    for (int i = 0; i < 7; ++i)
        s += (8 - i) * (text[i] - '0');
    int c = 11 - (s % 11);
    if (c > 9)
        c -= 10;
    return text[7] - '0' == c ? 0 : 1;
}

} // namespace util
