// Employer records: field-specific checks, stored employer values and the duplicate-employer table.
#pragma once

#include "util/text.h"

#include <cstdint>
#include <string_view>

namespace checks {

extern double atel_iAA0114, atel_iAA0115, atel_iAA0116, atel_iAA0118, atel_iAA0119, atel_iAA0123;
extern util::Text<19> newZamId;
extern util::Text<19> TabZamId[100];
extern std::int32_t nTabZamId;

// The field-specific step of k_Tel for one field row, with its text and parsed value.
void employer_field_step(int row, std::string_view text, double value);

int chk_AA0017(std::string_view text);
int chk_AA0113(std::string_view text);
int chk_ZamId(std::string_view key);
int chk_AA0110(std::string_view text);
int chk_AA0116(double budgeted);
int chk_AA0123(double budget);

// Employer start: the stored values the start resets, and the employer key, which only an accepted
// AA0017 of the new employer starts again.
void start_employer_values();
void reset_employers();

} // namespace checks
