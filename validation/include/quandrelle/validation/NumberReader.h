#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quandrelle {

// A typed number too large for a double (1e400, say).
class NumberOverflowError : public std::overflow_error {
public:
    explicit NumberOverflowError(const std::string& text);
};

// The one rule by which a field's text becomes a number, wherever that happens in the program:
// blanks, tabs and line feeds are ignored wherever they stand; then an optional sign, digits with at
// most one ".", and an optional exponent (E or D in either case, optional sign, digits) are read as
// far as they go, and the rest is ignored. A text that does not begin with a number reads as 0.
// "." is always the decimal point and "," is never part of a number ("1,000" reads as 1).
// Throws NumberOverflowError when the number does not fit a double.
double readNumber(std::string_view text);

// True when the reading rule finds a number at the start of the text (after the ignored blanks),
// so that its reading as 0 is a real zero and not the reading of a text that holds no number.
bool beginsWithNumber(std::string_view text);

}  // namespace quandrelle
