// The one conversion from the UTF-8 of the sources to the Windows-1250 bytes that the validator writes.
#pragma once

#include <cstddef>
#include <string_view>

namespace util {

// Converts UTF-8 text to Windows-1250 into `out` (room for `cap` bytes, terminator included) and returns
// the number of bytes written. A character that Windows-1250 cannot hold becomes '?'; bytes that are
// not valid UTF-8 are copied as they are, so text that already is Windows-1250 passes unchanged.
std::size_t utf8_to_cp1250(std::string_view in, char* out, std::size_t cap);

// A fixed text converted once: `static const Cp1250<64> t("Řádek");`
template <std::size_t N>
struct Cp1250 {
    char s[N];
    std::size_t n;
    explicit Cp1250(std::string_view utf8) : n(utf8_to_cp1250(utf8, s, N)) {}
    operator std::string_view() const { return {s, n}; }
    std::string_view view() const { return {s, n}; }
};

} // namespace util
