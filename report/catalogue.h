// The error catalogue: every code the validator can report, its message and default expected text,
// and how often each code was reported in the run.
#pragma once

#include <cstdint>
#include <string_view>

namespace report {

struct CatalogueRow {
    std::string_view code;     // EtabTyp
    std::string_view message;  // EtabTxt, UTF-8 in the source
    std::string_view expected; // EtabCek, UTF-8 in the source
};

// The code rows in catalogue order; the end row follows them at index kEndRow.
inline constexpr int kEndRow = 178; // the number of code rows (the table's definition checks it)
extern const CatalogueRow kCatalogue[kEndRow + 1];

// Counters of the code rows, zero at the start of a run (EtabNum).
extern std::int32_t EtabNum[kEndRow + 1];

// Index of the first code row with exactly this code, or kEndRow when there is none.
int find_code(std::string_view code);

// Message and default expected text of a row as Windows-1250 bytes (converted once per run).
std::string_view EtabTxt(int row);
std::string_view EtabCek(int row);

void reset_catalogue();

} // namespace report
