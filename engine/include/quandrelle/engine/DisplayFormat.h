#pragma once

// How numbers are shown. Patterns round halves away from zero; roundHalfEven rounds halves to the
// even neighbour. Rounding works on the number as its 15 significant digits read, so that a value
// shown as 2.675 rounds like the text 2.675 and not like its binary neighbour.

#include <string>
#include <string_view>

namespace quandrelle {

// The general text form: the shortest text of at most 7 (Single) or 15 (Double) significant digits
// that reads back as the same value (the 7 or 15 digit rounding when none does); "." as the
// point, "0" before it for values below 1, no trailing zeros or trailing point. Values too large
// or too small for a plain text of that many digits use an exponent ("1.5E+20", "2.5E-09").
std::string generalText(float value);
std::string generalText(double value);

// Applies one of the patterns "#.#", "0", "00", "0.00".
// "#.#": one decimal, no digit before the point when the whole part is 0, the point always shown
// (0.4 -> ".4", 12 -> "12.", 0 -> "."). "0": whole number. "00": whole number of at least two
// digits. "0.00": two decimals. Throws std::invalid_argument for any other pattern.
std::string formatNumber(double value, std::string_view pattern);

// Rounds to `decimals` places, halves to even.
double roundHalfEven(double value, int decimals);

}  // namespace quandrelle
