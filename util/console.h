// The console: the banner, messages, the progress line and the totals, as Windows-1250 bytes converted
// from the UTF-8 of the sources.
#pragma once

#include "util/platform.h"

#include <cstdint>
#include <string_view>

namespace util {

void console(std::string_view utf8);
void console_printf(const char* format, ...) VALIX_PRINTF_FORMAT(1, 2);
// The progress line after each employee: " Radek%8d pro zamestnance%11s zamestnavatel%11s\r".
void progress(std::int64_t line, std::string_view employee, std::string_view employer);

// Nothing is written on the console while this is set (tests, benchmarks and the fuzzer turn it on).
extern bool quiet;

} // namespace util
