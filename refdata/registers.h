// The campaign registers and the country list, compiled from the text files of refdata/data/ at build
// time (refdata/make_table.cmake). The sizes below are the number of entries each file must hold; the
// build stops when a file holds another number.
#pragma once

#include "refdata/lists.h"

#include <cstdint>

namespace refdata {

inline constexpr int kSubmitters = 7135;  // data/submitters.txt
inline constexpr int kProviders = 18606;  // data/providers.txt
inline constexpr int kOccupations = 3702; // data/occupations.txt
// kCountries (data/countries.txt) is in lists.h.

// Company numbers of the submitters, ascending.
extern const std::uint32_t TcisPred[kSubmitters];
// Company numbers of the providers, ascending, and in the same order the submitter each belongs to
// (0 where the register names none).
extern const std::uint32_t TcisPosPre[kProviders];
extern const std::uint32_t TcisPrePos[kProviders];
// Five-digit occupation codes, ascending.
extern const char TcisKzam[kOccupations][6];
// Country codes in the list's own order: home codes, numeric codes, alphabetic codes.
extern const char TcisStat[kCountries][4];

} // namespace refdata
