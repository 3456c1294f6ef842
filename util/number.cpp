#include "util/number.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace util {

double jezdifdbl(double a, double b) {
    return b > a ? b - a : a - b;
}

int StrToDbl(double& result, std::string_view text, char type) {
    const int points_allowed = type == 'R' ? 1 : 0;
    int points = 0, plus = 0, minus = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            continue;
        bool bad = false;
        if (c == '.') {
            bad = ++points > points_allowed;
        } else if (c == '+' || c == '-') {
            (c == '+' ? plus : minus)++;
            bad = plus > 1 || minus > 1 || (plus && minus) || i != 0;
        } else {
            bad = true;
        }
        if (bad) {
            result = 0.0;
            return 1;
        }
    }
    // Fast path: with at most 15 significant digits and 22 decimals, both the digits and the power of ten
    // are exact doubles, and one correctly rounded division gives exactly what the library's conversion
    // gives. Longer texts (rare) go to the library.
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    {
        std::size_t i = 0;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negative = text[i++] == '-';
        std::uint64_t digits = 0;
        int significant = 0, decimals = 0, seen = 0;
        bool point = false;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '.') {
                point = true;
                continue;
            }
            ++seen;
            if (significant > 0 || c != '0')
                ++significant;
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            if (point)
                ++decimals;
        }
        if (seen == 0) {
            result = 0.0; // no digits at all: nothing is converted
            return 0;
        }
        if (significant <= 15 && decimals <= 22) {
            const double v = static_cast<double>(digits) / kPow10[decimals];
            result = negative ? -v : v;
            return 0;
        }
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
