#include "quandrelle/engine/DisplayFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace quandrelle {

namespace {

// A finite number as its significant digits and decimal exponent: value = 0.d1d2... is not used;
// value = d1.d2d3... x 10^exponent, with `digits` holding d1d2d3... (no sign, no point).
struct Scientific {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Scientific scientific(double value, int significantDigits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", significantDigits - 1, value);
    Scientific result;
    const std::string text(buffer);
    std::size_t pos = 0;
    if (text[pos] == '-') {
        result.negative = true;
        ++pos;
    }
    const std::size_t e = text.find('e');
    for (std::size_t i = pos; i < e; ++i) {
        if (text[i] != '.') {
            result.digits += text[i];
        }
    }
    result.exponent = std::atoi(text.c_str() + e + 1);
    return result;
}

// Adds one to a string of decimal digits.
void increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

enum class Halves { AwayFromZero, ToEven };

// |value| x 10^decimals rounded to a whole number, as decimal digits, working on the 15 significant
// digits the value reads as.
std::string roundedDigits(double value, int decimals, Halves halves) {
    if (value == 0) {
        return "0";
    }
    const Scientific sci = scientific(value, 15);
    const int shift = sci.exponent - 14 + decimals;
    if (shift >= 0) {
        return sci.digits + std::string(static_cast<std::size_t>(shift), '0');
    }
    const auto cut = static_cast<std::size_t>(-shift);
    if (cut > sci.digits.size()) {
        return "0";
    }
    std::string kept = sci.digits.substr(0, sci.digits.size() - cut);
    const std::string dropped = sci.digits.substr(sci.digits.size() - cut);
    std::string half(cut, '0');
    half.front() = '5';
    const int comparison = dropped.compare(half);
    if (kept.empty()) {
        kept.push_back('0');
    }
    const bool lastOdd = (kept.back() - '0') % 2 == 1;
    if (comparison > 0 || (comparison == 0 && (halves == Halves::AwayFromZero || lastOdd))) {
        increment(kept);
    }
    const auto first = kept.find_first_not_of('0');
    return first == std::string::npos ? "0" : kept.substr(first);
}

struct Fixed {
    bool negative = false;
    std::string whole;     // at least one digit
    std::string fraction;  // exactly `decimals` digits
};

Fixed fixed(double value, int decimals, Halves halves) {
    std::string digits = roundedDigits(value, decimals, halves);
    const bool isZero = digits == "0";
    const auto width = static_cast<std::size_t>(decimals) + 1;
    if (digits.size() < width) {
        digits.insert(0, width - digits.size(), '0');
    }
    Fixed result;
    result.negative = value < 0 && !isZero;
    result.whole = digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
    result.fraction = digits.substr(digits.size() - static_cast<std::size_t>(decimals));
    return result;
}

template <typename Real>
bool readsBackAs(const std::string& text, Real value) {
    return static_cast<Real>(std::strtod(text.c_str(), nullptr)) == value;
}

template <typename Real>
std::string generalTextOf(Real value, int maxDigits) {
    if (value == 0) {
        return "0";
    }
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
    }
    int precision = maxDigits;
    for (int p = 1; p < maxDigits; ++p) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*e", p - 1, static_cast<double>(value));
        if (readsBackAs(buffer, value)) {
            precision = p;
            break;
        }
    }
    Scientific sci = scientific(static_cast<double>(value), precision);
    while (sci.digits.size() > 1 && sci.digits.back() == '0') {
        sci.digits.pop_back();
    }
    std::string text = sci.negative ? "-" : "";
    const int count = static_cast<int>(sci.digits.size());
    if (sci.exponent >= maxDigits || sci.exponent < -maxDigits) {
        text += sci.digits.substr(0, 1);
        if (count > 1) {
            text += '.';
            text.append(sci.digits, 1);
        }
        char exponent[16];
        std::snprintf(exponent, sizeof exponent, "E%c%02d", sci.exponent < 0 ? '-' : '+',
                      std::abs(sci.exponent));
        return text + exponent;
    }
    if (sci.exponent < 0) {
        return text + "0." + std::string(static_cast<std::size_t>(-sci.exponent - 1), '0') + sci.digits;
    }
    const int wholeDigits = sci.exponent + 1;
    if (count <= wholeDigits) {
        return text + sci.digits + std::string(static_cast<std::size_t>(wholeDigits - count), '0');
    }
    return text + sci.digits.substr(0, static_cast<std::size_t>(wholeDigits)) + "." +
           sci.digits.substr(static_cast<std::size_t>(wholeDigits));
}

}  // namespace

std::string generalText(float value) {
    return generalTextOf(value, 7);
}

std::string generalText(double value) {
    return generalTextOf(value, 15);
}

std::string formatNumber(double value, std::string_view pattern) {
    if (pattern == "#.#") {
        const Fixed f = fixed(value, 1, Halves::AwayFromZero);
        return (f.negative ? "-" : "") + (f.whole == "0" ? std::string() : f.whole) + "." +
               (f.fraction == "0" ? std::string() : f.fraction);
    }
    if (pattern == "0" || pattern == "00") {
        const Fixed f = fixed(value, 0, Halves::AwayFromZero);
        std::string whole = f.whole;
        if (pattern == "00" && whole.size() < 2) {
            whole.insert(0, 2 - whole.size(), '0');
        }
        return (f.negative ? "-" : "") + whole;
    }
    if (pattern == "0.00") {
        const Fixed f = fixed(value, 2, Halves::AwayFromZero);
        return (f.negative ? "-" : "") + f.whole + "." + f.fraction;
    }
    throw std::invalid_argument("unknown display pattern: " + std::string(pattern));
}

double roundHalfEven(double value, int decimals) {
    if (!std::isfinite(value)) {
        return value;
    }
    const std::string digits = roundedDigits(value, decimals, Halves::ToEven);
    const double magnitude = std::strtod((digits + "e" + std::to_string(-decimals)).c_str(), nullptr);
    return value < 0 ? -magnitude : magnitude;
}

}  // namespace quandrelle
