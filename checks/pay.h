// The pay rules of an employee and the salary tariff table.
#pragma once

#include <optional>

namespace checks {

inline constexpr int kTariffs = 577;
// 3 tables x 16 pay classes x 12 grades, then a 0 that no rule reads.
extern const double tabSazeb[kTariffs];

// The tariff of table t, class k, grade g (all from 1); the index is computed in floating point and
// truncated. Empty when t, k or g lies outside 1..3, 1..16, 1..12: there is no such cell, and the rule
// that asked is skipped rather than judged against a neighbouring cell or against memory past the table.
std::optional<double> tariff(double t, double k, double g);

// Rules 1 to 8 of the pay checks, in order (step 8 of k_NecK).
void pay_rules();

} // namespace checks
