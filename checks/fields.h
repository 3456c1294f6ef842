// The field rule tables of the header, employer and employee records, the per-field state the generic
// check leaves behind, and the three record checks that run it.
#pragma once

#include "util/line_number.h"
#include "util/text.h"

#include <cstdint>
#include <string_view>

namespace checks {

// One row of a field rule table.
struct FieldRule {
    std::string_view elem; // element name, compared exactly
    int lg_from;           // least permitted length
    int lg_to;             // greatest permitted length
    int val_from;          // lower bound index: 0 none, 1..999 TValDbl, 1000.. TValChar[i - 1000]
    int val_to;            // upper bound index
    std::string_view err;  // the field's error code
    char typ;              // 'S' text, 'N' integer, 'R' real
};

// Row numbers of the fields (row 0 is the first field); the end row follows the last field.
namespace pre {
enum : int { rok, AA0226, ICOpredkladatele, predkladatel, autor, mail, telefon, vytvoreno, kEnd };
}
namespace tel {
enum : int { AA0017, AA0113, AA0019, AA0179, AA0110, AA0116, AA0123, AA0114, AA0115, AA0118, AA0119, kEnd };
}
namespace nec {
// clang-format off
enum : int {
    AA0126, AA0231, AA0211, AA0223, AA0033, AA0013, AA0125, AA0130, AA0131, AA0225,
    AA0216, AA0132, AA0133, AA0134, AA0135, AA0136, AA0137, AA0127, AA0128, AA0129,
    AA0138, AA0139, AA0140, AA0141, AA0142, AA0143, AA0144, AA0145, AA0146, AA0147,
    AA0148, AA0160, AA0162, AA0150, AA0239, AA0240, AA0151, AA0152, AA0153, AA0154,
    AA0155, AA0156, AA0157, AA0163, AA0161, AA0237, AA0238, AA0158, AA0159, AA0165,
    AA0166, AA0167, AA0168, AA0091, AA0210, AA0218, AA0219, AA0690,
    kEnd
};
// clang-format on
} // namespace nec

// The tables, each followed by its end row ("KoNeCP", "KoNeCT", "KoNeCN").
extern const FieldRule Ptab[pre::kEnd + 1];
extern const FieldRule Ttab[tel::kEnd + 1];
extern const FieldRule Ntab[nec::kEnd + 1];
// The bound tables: real bounds by index 1..kRealBounds - 1, text bounds by kTextBase plus their index.
inline constexpr int kRealBounds = 26;
inline constexpr int kTextBounds = 23;
inline constexpr int kTextBase = 1000;
extern const double TValDbl[kRealBounds];
extern const std::string_view TValChar[kTextBounds]; // Windows-1250 bytes

// A line text: the decimal line number, never cut (line numbers may pass 999 999); a copy of the line
// counter's own text.
using LineText = util::LineNumber;

// Per-field state. Marks are ' ' or 'E' and, like the line texts, live for the whole run; occurrence
// counters, parsed numbers and position counters belong to the current block.
extern char PTabEsw[pre::kEnd + 1];
extern char TTabEsw[tel::kEnd + 1];
extern char NTabEsw[nec::kEnd + 1];
extern LineText PTabLin[pre::kEnd + 1];
extern LineText TTabLin[tel::kEnd + 1];
extern LineText NTabLin[nec::kEnd + 1];
extern std::int32_t PTabPre[pre::kEnd + 1];
extern std::int32_t TTabPre[tel::kEnd + 1];
extern std::int32_t NTabPre[nec::kEnd + 1];
extern double TTabSum[tel::kEnd + 1];
extern double NTabSum[nec::kEnd + 1];
extern std::int32_t porDatP, porDatT, porDatN;

// Row of a field name in a table, or the end row's number when the name is not a field of it.
int find_pre(std::string_view name);
int find_tel(std::string_view name);
int find_nec(std::string_view name);

// The record checks: 1 when the name is not a field of the block, else 0.
int k_Pre(std::string_view elem, std::string_view text);
int k_Tel(std::string_view elem, std::string_view text);
int k_Nec(std::string_view elem, std::string_view text);
// k_Nec for a field whose row the caller has found already (elem is that row's name), read where it stands
// in the input buffer: at least 8 readable bytes follow its text.
int k_Nec_row(int row, std::string_view elem, std::string_view text);

// Block starts (the element handlers call them): occurrence counters, numbers and position to zero.
void start_header_block();
void start_employer_block();
void start_employee_block();

void reset();

} // namespace checks
