// Number helpers: absolute difference, parsing of a field's text by its type letter, and the
// check digit of a Czech company identification number.
#pragma once

#include "util/platform.h"
#include "util/text.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace util {

double jezdifdbl(double a, double b);

// A real cut toward zero to a signed 32-bit integer. Values beyond the range are held at its ends and NaN
// gives 0, so no value of a document reaches an undefined conversion.
std::int32_t trunc32(double x);

// The general conversion behind StrToDbl (below): any text, checked byte by byte, long numbers converted by
// the library. StrToDbl gives exactly its result for every text; it is public so that tests can hold the two
// against each other.
int StrToDbl_general(double& result, std::string_view text, char type);

// The short way of StrToDbl for the shapes nearly every field has: a sign or none, then one to eight
// bytes that are all digits, or (for a real) digits and one point with a digit beside it. Such a number
// is below 10^8, so its digits are an exact double, and the value is one correctly rounded division by a
// power of ten: what the general conversion computes for it. Everything else (an empty text, a lone sign
// or point, more bytes, a second point or sign, any other byte) answers false and is left to the general
// conversion.
//
// The bytes are tested and gathered as one 64-bit word: no loop whose length depends on the text, so no
// branch mispredicted at the end of the digits, which is what a byte loop costs on fields of varying
// length.
// The core of short_number: the n bytes after the sign (1 to 8) are the low bytes of w, the first lowest;
// the bytes above them may hold anything.
VALIX_ALWAYS_INLINE bool short_digits(double& result, std::uint64_t w, std::size_t n, bool negative,
                                      char type) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    const std::uint64_t used = n == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * n)) - 1;
    // A digit becomes its value, 0 to 9; any other byte has a value of 10 or more and sets its high bit
    // in `bad` (a byte of 0x8A or more may carry into the next byte's test, but is bad itself already).
    std::uint64_t x = (w ^ 0x3030303030303030ull) & used;
    const std::uint64_t bad = ((x + 0x7676767676767676ull) | x) & 0x8080808080808080ull & used;
    int decimals = 0;
    if (bad != 0) {
        // One point, and no other bad byte: the point (0x2E, 0x1E here) is taken out and the digits
        // after it move down one byte. 0x1E carries into no other byte.
        const int at = std::countr_zero(bad) & ~7;
        if (type != 'R' || (bad & (bad - 1)) != 0 || ((x >> at) & 0xFF) != 0x1E || n == 1)
            return false;
        const std::uint64_t low = (std::uint64_t{1} << at) - 1;
        x = (x & low) | ((x >> 8) & ~low);
        --n;
        decimals = static_cast<int>(n) - at / 8;
    }
    // The digits, the first the most significant, as one number: leading zero bytes, then the three
    // steps of pairs, fours and eights.
    x <<= 8 * (8 - n);
    x = x * 10 + (x >> 8);
    x = (((x & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
         (((x >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
        32;
    // An integer needs no division (by 1 it is exact anyway), and a division is the slowest step here.
    double v = static_cast<double>(static_cast<std::uint32_t>(x));
    if (decimals != 0)
        v /= kPow10[decimals];
    result = negative ? -v : v;
    return true;
}

// Padded: the text is followed by at least 8 readable bytes (9 from its start), as a field read where it
// stands in the input buffer is; its digits are then one load, whatever follows them. Otherwise no byte
// past the text is loaded.
template <bool Padded = false>
VALIX_ALWAYS_INLINE bool short_number(double& result, std::string_view text, char type) {
    static_assert(std::endian::native == std::endian::little, "the first byte of a text is the lowest");
    const char* p = text.data();
    std::size_t n = text.size();
    bool negative = false;
    if (n != 0 && (p[0] == '-' || p[0] == '+')) {
        negative = p[0] == '-';
        ++p;
        --n;
    }
    if (n == 0 || n > 8)
        return false;
    // The n bytes into the low bytes of a word, the first byte lowest; short_digits ignores the rest.
    std::uint64_t w;
    if constexpr (Padded)
        std::memcpy(&w, p, 8);
    else
        w = low_bytes(p, n);
    return short_digits(result, w, n, negative, type);
}

// 0 when the text is an acceptable number for the type letter ('R' real, anything else integer),
// with the value in `result`; 1 and 0.0 when it is not. An acceptable number is an optional sign in front
// and digits, among which a real may hold one point. Inlined into the field check: the short way is a few
// instructions, and a call would cost as much again.
template <bool Padded = false>
VALIX_ALWAYS_INLINE int StrToDbl(double& result, std::string_view text, char type) {
    if (short_number<Padded>(result, text, type))
        return 0;
    return StrToDbl_general(result, text, type);
}

// StrToDbl for a text followed by at least 8 readable bytes (short_number's Padded).
VALIX_ALWAYS_INLINE int StrToDbl_padded(double& result, std::string_view text, char type) {
    return StrToDbl<true>(result, text, type);
}

// The standard decimal conversion of the number the text begins with: white space, a sign, digits with at
// most one point, an exponent; what follows is ignored, and a text that begins with no number gives 0.
// Hexadecimal, infinity and NaN forms are not numbers here (they give 0).
double decimal_prefix(std::string_view text);

// 0 valid, 1 wrong check digit, 2 length not 8.
int chk_ICO(std::string_view text);

} // namespace util
