// The error report: its header, one row per finding, and the end of the run (summary and totals).
#pragma once

#include "util/outfile.h"

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

// The report file. The run driver opens and closes it; every finding and the header and totals are
// written to it here.
extern util::OutFile errsoub;

// The report header with the run's date and time and the (first) input file's name.
void pis_zahlavi(std::string_view datetime, std::string_view input_name);

// The report's part of the end of the run: ES306 when no root end tag was handled in the run, ES308 when
// the root opened last held no employer block, the summary (HTML) and the totals. Closing the files and
// the totals on the console are the run driver's.
void zpracuj_KONp(bool root_end_seen, bool last_root_without_employer);

void reset();

} // namespace report
