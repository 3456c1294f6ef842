#include "util/number.h"

#include <cstdlib>
#include <cstring>

namespace util {

double jezdifdbl(double a, double b) { return b > a ? b - a : a - b; }

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
