// The error report: its header, one row per finding, and the end of the run (summary and totals).
#pragma once

#include <cstdint>
#include <string_view>

namespace report {

// Report format: 'H' HTML, 'C' CSV, 'T' fixed-column text, 'X' XML.
extern char sw_err;
// 'A' when findings of weight W are counted but not written (-w).
extern char sw_nepisW;
extern std::int32_t sumchybE;
extern std::int32_t sumchybW;

// Reports one finding. An expected text beginning with '?' asks for the catalogue's default.
// Returns 1 when a row was written, 0 when it was suppressed by -w.
int zpracuj_chybu(std::string_view line, std::string_view code, std::string_view element,
                  std::string_view value, std::string_view expected);

void pis_zahlavi();

// The end-of-run step: ES306/ES308, summary, totals, closing of the files, totals on the console.
void zpracuj_KONp();

void reset();

} // namespace report
