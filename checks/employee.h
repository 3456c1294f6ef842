// Employee records: the per-employee arrays of the current employer, the per-employer accumulators,
// and the employee-specific steps of the field check (filing of values, code-list lookups).
#pragma once

#include "checks/fields.h"
#include "util/text.h"

#include <cstdint>
#include <string_view>

namespace checks {

// Slots per employer; the 15 000th employee and every later one of an employer share the last slot.
inline constexpr int kSlots = 15000;

extern std::int32_t maxAktiAnec; // slot of the current employee, -1 at employer start

extern util::Text<10> anec_iAA0126[kSlots]; // identifier, "-" when the block had none
extern LineText anec_lin[kSlots];           // line of the block's AA0126 (not reset)
extern std::int32_t anec_ind[kSlots];       // the slot's own number once AA0126 is read, else -1
extern std::int32_t anec_iAA0231[kSlots];   // year of birth
extern char anec_iAA0211[kSlots];           // first character of the sex code
extern char anec_iAA0223[kSlots];           // first character of the education code
extern std::int32_t anec_iAA0033[kSlots];   // position in the country list, 718 when not in it
extern double anec_iAA0131[kSlots];         // weekly hours
extern double anec_iAA0132[kSlots];         // paid hours
extern std::int32_t anec_iAA0137[kSlots];   // registered-state code on the last day (not reset)

extern util::Text<7> necsav_AA0013; // the occupation code read last in the run

// Per-employer accumulators and flags.
extern double sumz_AA0136, sumz_AA0137, sumz_AA0144;
extern std::int32_t sw_anec_AA0137;
extern std::int32_t sw_anec_AA0033;
extern LineText lin_anec_AA0033;
extern util::Text<3> val_anec_AA0033;
extern std::int32_t sumz_AA0223_Z;
extern char sav_AA0223;
extern char sw_stejne_vzdelani;

// Employer start: resets the slots the previous employer used (the others are still at their reset
// values), maxAktiAnec and the accumulators.
void start_employer_slots();
// Employee start: the next slot.
void next_employee_slot();
// Employee end, after k_NecK: adds the employee to the accumulators.
void end_employee();

// The employee-specific steps of k_Nec for one field row: filing (before the length check) and the
// code-list lookup (after the bound checks).
void file_employee_value(int row, std::string_view text);
void lookup_employee_code(int row, std::string_view text);

// The rows that either step has work for; most rows have none, and k_Nec asks here before calling.
inline constexpr std::uint64_t kFiledRows = 1ull << nec::AA0126 | 1ull << nec::AA0231 | 1ull << nec::AA0211 |
                                            1ull << nec::AA0223 | 1ull << nec::AA0033 | 1ull << nec::AA0013 |
                                            1ull << nec::AA0131 | 1ull << nec::AA0132 | 1ull << nec::AA0137;
inline constexpr std::uint64_t kCodedRows = 1ull << nec::AA0223 | 1ull << nec::AA0033 | 1ull << nec::AA0013 |
                                            1ull << nec::AA0130 | 1ull << nec::AA0091 | 1ull << nec::AA0690;
static_assert(nec::kEnd <= 64, "one bit per row");
inline bool in_rows(std::uint64_t rows, int row) {
    return (rows >> row & 1) != 0;
}

void reset_employees();

} // namespace checks
