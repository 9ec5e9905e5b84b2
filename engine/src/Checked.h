#pragma once

// Checked floating-point steps. Every step of a run that can overflow, divide by zero or take an
// invalid argument goes through one of these, so that the failure is raised where it arises, with
// a description that tells the user which quantity of which vapor failed. Explicit tests are used
// rather than the floating-point exception flags, which the optimiser is free to move across.
//
// `where` is a callable giving the place of the step, for example "the breakthrough time of
// Toluene (stage 2)"; it is only called when the step fails, so the checks cost a comparison.

#include <cmath>
#include <string>

#include "quandrelle/engine/CalcError.h"

namespace quandrelle::checked {

[[noreturn]] void fail(CalcErrorKind kind, const std::string& description);

// The largest double that still rounds to a finite float (the midpoint above the largest float
// rounds away to infinity).
inline constexpr double kSingleOverflowBound = 0x1.ffffffp127;

// The failure paths are kept out of line so that the checks inline to a comparison or two.
template <typename Where>
[[noreturn, gnu::noinline, gnu::cold]] void overflow(Where&& where) {
    fail(CalcErrorKind::Overflow, "Arithmetic overflow in " + where());
}

template <typename Where>
[[noreturn, gnu::noinline, gnu::cold]] void notFinite(double value, Where&& where) {
    if (std::isnan(value)) {
        fail(CalcErrorKind::InvalidArgument, "Invalid operation in " + where());
    }
    overflow(where);
}

template <typename Where>
[[noreturn, gnu::noinline, gnu::cold]] void divisionFailed(double numerator, Where&& where) {
    if (numerator == 0) {
        fail(CalcErrorKind::InvalidArgument, "Invalid operation (0 / 0) in " + where());
    }
    fail(CalcErrorKind::DivisionByZero, "Division by zero in " + where());
}

template <typename Where>
[[noreturn, gnu::noinline, gnu::cold]] void invalid(const char* what, Where&& where) {
    fail(CalcErrorKind::InvalidArgument, std::string("Invalid operation (") + what + ") in " + where());
}

// A result that is no longer a finite number: infinity is an overflow, NaN an invalid operation.
template <typename Where>
[[gnu::always_inline]] inline double finite(double value, Where&& where) {
    if (!std::isfinite(value)) [[unlikely]] {
        notFinite(value, where);
    }
    return value;
}

template <typename Where>
[[gnu::always_inline]] inline double div(double numerator, double denominator, Where&& where) {
    if (denominator == 0) [[unlikely]] {
        divisionFailed(numerator, where);
    }
    return finite(numerator / denominator, where);
}

template <typename Where>
[[gnu::always_inline]] inline double log(double x, Where&& where) {
    if (!(x > 0)) [[unlikely]] {
        invalid("logarithm of a number that is not positive", where);
    }
    return finite(std::log(x), where);
}

template <typename Where>
[[gnu::always_inline]] inline double exp(double x, Where&& where) {
    return finite(std::exp(x), where);
}

template <typename Where>
[[gnu::always_inline]] inline double sqrt(double x, Where&& where) {
    if (x < 0) [[unlikely]] {
        invalid("square root of a negative number", where);
    }
    return finite(std::sqrt(x), where);
}

template <typename Where>
[[gnu::always_inline]] inline double pow(double base, double exponent, Where&& where) {
    if (base < 0 && std::trunc(exponent) != exponent) [[unlikely]] {
        invalid("fractional power of a negative number", where);
    }
    if (base == 0 && exponent < 0) [[unlikely]] {
        fail(CalcErrorKind::DivisionByZero, "Division by zero (negative power of 0) in " + where());
    }
    return finite(std::pow(base, exponent), where);
}

// Stores a double into a single-precision quantity, rounding to nearest; a value beyond the
// single-precision range is an overflow.
template <typename Where>
float single(double value, Where&& where) {
    finite(value, where);
    if (std::fabs(value) >= kSingleOverflowBound) [[unlikely]] {
        overflow(where);
    }
    return static_cast<float>(value);
}

template <typename Where>
float singleResult(float value, Where&& where) {
    return static_cast<float>(finite(value, where));
}

}  // namespace quandrelle::checked
