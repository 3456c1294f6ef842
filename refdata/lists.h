// The code lists and registers compiled into the program, and their lookups.
// Each lookup returns 0 when the code is accepted and 1 when it is rejected (or not looked up).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace refdata {

extern std::uint32_t l_predkladatel; // the submitter's company number
extern std::uint32_t l_poskytovatel; // the current employer's company number

inline constexpr int kCountries = 718; // also the "not found" position of a country code

// The mark the generic check left on a company-number field: a number it rejected (a wrong check digit, a
// value out of range) has been reported already and is not looked up, though it is still stored.
enum class Mark { clean, rejected };

int cis_predkladatelu(std::string_view text, Mark mark);
// Findings stand on the line of the employer's AA0017, which the caller passes.
int cis_poskytovatelu(std::string_view text, Mark mark, std::string_view line);
int cis_kodzam(std::string_view code);
int cis_kodpraf(std::string_view code);
int cis_kodstat(std::string_view code);
int cis_postzam(std::string_view code);
int cis_koddppv(std::string_view code);
int cis_kodnuts(std::string_view code, std::string_view element);
int cis_kodvzde(std::string_view code);

// Position (0 to 717) of a country code in the country list, first match, or 718.
int stat_position(std::string_view code);
// The country code at a position; empty for 718 and beyond.
std::string_view stat_code(int position);

// The short code list that a field's value is looked up in (legal forms for AA0019, districts for AA0179
// and AA0690, education for AA0223, positions in employment for AA0091, kinds of employment relation for
// AA0130); empty for any other element. The document mutator of the fuzzer builds values from it.
std::span<const std::string_view> short_list(std::string_view element);

void reset();

} // namespace refdata
