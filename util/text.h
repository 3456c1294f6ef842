// Text helpers over fixed-size, zero-terminated buffers.
//
// The j-helpers count positions from 1, like the BASIC string functions they are named after.
// `Text<N>` is a fixed buffer of N characters and a terminator; whatever is assigned to it is cut to
// fit, so no value read from a document can ever write past a slot. A NUL byte ends a text, exactly as
// in a zero-terminated string: assign() keeps only what stands before the first NUL.
#pragma once

#include "util/platform.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace util {

// Positions from 1: copies up to count characters from position start (the terminator ends it early); and
// the position of the first c in the text, or 0.
int jsubstr(char* dst, const char* src, int start, int count);
int jinstr(const char* text, char c);

// Copies n bytes, the ranges may overlap. Names, codes and numbers are a few bytes long: they are moved
// with two overlapping loads and stores instead of a call of the library's memmove.
inline void copy_short(char* dst, const char* src, std::size_t n) {
    if (n >= 8 && n <= 16) {
        std::uint64_t a, b;
        std::memcpy(&a, src, 8);
        std::memcpy(&b, src + n - 8, 8);
        std::memcpy(dst, &a, 8);
        std::memcpy(dst + n - 8, &b, 8);
    } else if (n >= 4 && n < 8) {
        std::uint32_t a, b;
        std::memcpy(&a, src, 4);
        std::memcpy(&b, src + n - 4, 4);
        std::memcpy(dst, &a, 4);
        std::memcpy(dst + n - 4, &b, 4);
    } else if (n < 4) {
        char c[3];
        for (std::size_t i = 0; i < n; ++i)
            c[i] = src[i];
        for (std::size_t i = 0; i < n; ++i)
            dst[i] = c[i];
    } else {
        std::memmove(dst, src, n);
    }
}

// The n bytes at p (n up to 8) as the low bytes of a word, the first byte lowest, the others zero. No byte
// past them is loaded: two overlapping 4-byte loads from 4 bytes on, three single bytes below.
VALIX_ALWAYS_INLINE std::uint64_t low_bytes(const char* p, std::size_t n) {
    static_assert(std::endian::native == std::endian::little, "the first byte of a text is the lowest");
    if (n >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
        return a | std::uint64_t{b} << (8 * (n - 4));
    }
    if (n == 0)
        return 0;
    const auto byte = [&](std::size_t i) {
        return std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    };
    return byte(0) | byte(n / 2) | byte(n - 1);
}

// Copies n bytes like copy_short, for texts of up to 64 bytes (a whole field element): four overlapping
// sixteen-byte pieces, at 0, 16, n - 32 and n - 16 (below 33 bytes at 0 and n - 16, twice), all loaded
// before any is stored.
inline void copy_element(char* dst, const char* src, std::size_t n) {
    if (n <= 16 || n > 64) {
        copy_short(dst, src, n);
        return;
    }
    const std::size_t o1 = n > 32 ? 16 : 0, o2 = n > 32 ? n - 32 : n - 16;
    char a[16], b[16], c[16], d[16];
    std::memcpy(a, src, 16);
    std::memcpy(b, src + o1, 16);
    std::memcpy(c, src + o2, 16);
    std::memcpy(d, src + n - 16, 16);
    std::memcpy(dst, a, 16);
    std::memcpy(dst + o1, b, 16);
    std::memcpy(dst + o2, c, 16);
    std::memcpy(dst + n - 16, d, 16);
}

// Whether the first and the last sizeof(Word) bytes of n at a and at b are equal (n from sizeof(Word) to
// twice that: the two words then cover all n).
template <typename Word>
inline bool same_two_words(const char* a, const char* b, std::size_t n) {
    Word a0, a1, b0, b1;
    std::memcpy(&a0, a, sizeof(Word));
    std::memcpy(&a1, a + n - sizeof(Word), sizeof(Word));
    std::memcpy(&b0, b, sizeof(Word));
    std::memcpy(&b1, b + n - sizeof(Word), sizeof(Word));
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
}

// Whether n bytes at a and at b are equal. Names and codes are a few bytes long: they are compared as
// two overlapping words, as copy_short moves them, instead of by a call of the library's memcmp.
inline bool same_bytes(const char* a, const char* b, std::size_t n) {
    if (n >= 8 && n <= 16)
        return same_two_words<std::uint64_t>(a, b, n);
    if (n >= 4 && n < 8)
        return same_two_words<std::uint32_t>(a, b, n);
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

template <std::size_t N>
class Text {
  public:
    Text() = default;
    explicit Text(std::string_view v) { assign(v); }
    Text& operator=(std::string_view v) {
        assign(v);
        return *this;
    }

    void assign(std::string_view v) {
        len_ = 0;
        append(v);
    }
    void append(std::string_view v) {
        if (const auto nul = v.find('\0'); nul != std::string_view::npos)
            v = v.substr(0, nul);
        const std::size_t n = v.size() < N - len_ ? v.size() : N - len_;
        std::memcpy(buf_ + len_, v.data(), n);
        len_ = static_cast<Length>(len_ + n);
        buf_[len_] = '\0';
    }
    void clear() {
        len_ = 0;
        buf_[0] = '\0';
    }
    std::string_view view() const { return {buf_, len_}; }
    operator std::string_view() const { return view(); }
    const char* c_str() const { return buf_; }
    std::size_t size() const { return len_; }
    bool empty() const { return len_ == 0; }
    char operator[](std::size_t i) const { return buf_[i]; }
    // The first character, or NUL for an empty text (the design compares "first characters" of texts
    // that may be empty).
    char first() const { return buf_[0]; }
    static constexpr std::size_t capacity() { return N; }

    friend bool operator==(const Text& a, std::string_view b) { return a.view() == b; }

  private:
    char buf_[N + 1] = {};
    // Short texts keep their length in a byte: an employer's slots hold 15 000 identifiers and line texts,
    // and every page of them costs a fault when a run first touches it.
    using Length = std::conditional_t<(N < 256), std::uint8_t, std::size_t>;
    Length len_ = 0;
};

// A small formatted text: fmt("%10.2f", x) gives a value that converts to std::string_view and lives
// until the end of the full expression, which is all that a finding needs.
struct Fmt {
    char s[128];
    int n;
    operator std::string_view() const { return {s, static_cast<std::size_t>(n)}; }
    std::string_view view() const { return *this; }
};

Fmt fmt(const char* format, ...) VALIX_PRINTF_FORMAT(1, 2);

// Byte-order comparison of two texts as unsigned codes; a text that begins a longer one orders first.
// Codes and bounds are a few bytes long: a plain loop, not a call of the library's memcmp.
inline int compare_bytes(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace util
