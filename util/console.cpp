#include "util/console.h"

#include "util/cp1250.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace util {

bool quiet = false;

void console(std::string_view utf8) {
    if (quiet)
        return;
    char buf[1024];
    const std::size_t n = util::utf8_to_cp1250(utf8, buf, sizeof buf);
    std::fwrite(buf, 1, n, stdout);
}

void console_printf(const char* format, ...) {
    if (quiet)
        return;
    char converted[512];
    util::utf8_to_cp1250(format, converted, sizeof converted);
    va_list ap;
    va_start(ap, format);
    std::vfprintf(stdout, converted, ap);
    va_end(ap);
}

void progress(std::int64_t line, std::string_view employee, std::string_view employer) {
    if (quiet)
        return;
    // " Radek%8d pro zamestnance%11s zamestnavatel%11s\r", put together by hand: it is written after every
    // employee, and a printf per employee costs more than reading the employee's fields.
    char out[160];
    std::size_t n = 0;
    auto put = [&](std::string_view text) {
        text = text.substr(0, sizeof out - 1 - n);
        std::memcpy(out + n, text.data(), text.size());
        n += text.size();
    };
    auto right = [&](std::string_view text, std::size_t width) {
        for (std::size_t i = text.size(); i < width; ++i)
            put(" ");
        put(text);
    };
    char digits[24];
    std::size_t d = sizeof digits;
    for (auto v = static_cast<unsigned long long>(line < 0 ? 0 : line); d == sizeof digits || v != 0; v /= 10)
        digits[--d] = static_cast<char>('0' + v % 10);
    put(" Radek");
    right({digits + d, sizeof digits - d}, 8);
    put(" pro zamestnance");
    right(employee, 11);
    put(" zamestnavatel");
    right(employer, 11);
    put("\r");
    std::fwrite(out, 1, n, stdout);
}

} // namespace util
