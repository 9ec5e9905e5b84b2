#include "quandrelle/validation/NumberReader.h"

#include <charconv>
#include <cmath>
#include <string>

namespace quandrelle {

namespace {

// A message quotes at most the start of a very long text, cut on a character boundary.
std::string quotedStart(const std::string& text) {
    constexpr std::size_t kMaxQuoted = 40;
    if (text.size() <= kMaxQuoted) {
        return text;
    }
    std::size_t cut = kMaxQuoted;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut) + "...";
}

}  // namespace

NumberOverflowError::NumberOverflowError(const std::string& text)
    : std::overflow_error("Overflow: the number " + quotedStart(text) + " is too large") {}

namespace {

bool isIgnored(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The leading number of a text, split into its parts, with every ignored character already gone.
struct NumberParts {
    bool negative = false;
    std::string intDigits;
    std::string fracDigits;
    bool expNegative = false;
    std::string expDigits;
};

std::string withoutIgnored(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (!isIgnored(c)) {
            kept += c;
        }
    }
    return kept;
}

std::string takeDigits(const std::string& s, std::size_t& pos) {
    std::size_t start = pos;
    while (pos < s.size() && isDigit(s[pos])) {
        ++pos;
    }
    return s.substr(start, pos - start);
}

NumberParts splitNumber(const std::string& s) {
    NumberParts parts;
    std::size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        parts.negative = s[pos] == '-';
        ++pos;
    }
    parts.intDigits = takeDigits(s, pos);
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        parts.fracDigits = takeDigits(s, pos);
    }
    if (parts.intDigits.empty() && parts.fracDigits.empty()) {
        return parts;  // no digits: not a number
    }
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E' || s[pos] == 'd' || s[pos] == 'D')) {
        std::size_t expPos = pos + 1;
        bool expNegative = false;
        if (expPos < s.size() && (s[expPos] == '+' || s[expPos] == '-')) {
            expNegative = s[expPos] == '-';
            ++expPos;
        }
        std::string expDigits = takeDigits(s, expPos);
        if (!expDigits.empty()) {  // "12e" or "12e+" reads as 12
            parts.expNegative = expNegative;
            parts.expDigits = std::move(expDigits);
        }
    }
    return parts;
}

// Decimal exponent of the leading significant digit, to tell an overflow from an underflow when the
// conversion cannot represent the value. Huge exponents saturate; only the sign matters then.
long long leadingDecimalExponent(const NumberParts& parts) {
    const std::string mantissa = parts.intDigits + parts.fracDigits;
    const auto firstNonZero = mantissa.find_first_not_of('0');
    long long exponent = 0;
    for (char c : parts.expDigits) {
        exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000'000LL);
    }
    if (parts.expNegative) {
        exponent = -exponent;
    }
    return static_cast<long long>(parts.intDigits.size()) - 1 - static_cast<long long>(firstNonZero) +
           exponent;
}

}  // namespace

double readNumber(std::string_view text) {
    const std::string kept = withoutIgnored(text);
    const NumberParts parts = splitNumber(kept);
    const std::string mantissa = parts.intDigits + parts.fracDigits;
    if (mantissa.find_first_not_of('0') == std::string::npos) {
        return parts.negative ? -0.0 : 0.0;  // no digits, or only zeros
    }
    std::string normal = (parts.intDigits.empty() ? "0" : parts.intDigits) + "." +
                         (parts.fracDigits.empty() ? "0" : parts.fracDigits);
    if (!parts.expDigits.empty()) {
        normal += parts.expNegative ? "e-" : "e";
        normal += parts.expDigits;
    }
    double value = 0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (leadingDecimalExponent(parts) > 0) {
            throw NumberOverflowError(std::string(text));
        }
        value = 0;  // too small to hold: reads as zero
    }
    return parts.negative ? -value : value;
}

bool beginsWithNumber(std::string_view text) {
    const NumberParts parts = splitNumber(withoutIgnored(text));
    return !parts.intDigits.empty() || !parts.fracDigits.empty();
}

}  // namespace quandrelle
