// Number helpers: absolute difference, parsing of a field's text by its type letter, and the
// check digit of a Czech company identification number.
#pragma once

#include <cstdint>
#include <string_view>

namespace util {

double jezdifdbl(double a, double b);

// A real cut toward zero to a signed 32-bit integer. Values beyond the range are held at its ends and NaN
// gives 0, so no value of a document reaches an undefined conversion.
std::int32_t trunc32(double x);

// 0 when the text is an acceptable number for the type letter ('R' real, anything else integer),
// with the value in `result`; 1 and 0.0 when it is not.
int StrToDbl(double& result, std::string_view text, char type);

// The standard decimal conversion of the number the text begins with: white space, a sign, digits with at
// most one point, an exponent; what follows is ignored, and a text that begins with no number gives 0.
// Hexadecimal, infinity and NaN forms are not numbers here (they give 0).
double decimal_prefix(std::string_view text);

// 0 valid, 1 wrong check digit, 2 length not 8.
int chk_ICO(std::string_view text);

} // namespace util
