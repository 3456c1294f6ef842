// The record context of every finding: the line being read, the employer and the employee. The reader
// renews them as it reads (the line at every line feed, the employer at its AA0017, the employee at its
// AA0126); the employer checks add the establishment code, and the employer-end step shows each person it
// reports on. Every report row shows them as they stand.
#pragma once

#include "util/line_number.h"
#include "util/text.h"

#include <string_view>

namespace report {

extern util::LineNumber s_cislo_radky; // the current input line as decimal text
extern util::Text<19> telicokod;       // employer identity: AA0017, then "/" and AA0113 when given
extern util::Text<11> identnec;        // employee identity: AA0126, three blanks at an employer start

// "No text" in a finding's element, value or expected cell: three blanks.
inline constexpr std::string_view kNoText = "   ";

// Start values of a run: line 1, no employer, no employee.
void reset_context();

} // namespace report
