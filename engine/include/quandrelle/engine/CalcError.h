#pragma once

#include <stdexcept>
#include <string>

namespace quandrelle {

// The ways an arithmetic step of a run can fail. The Calculate command turns an overflow into the
// three-line "Arithmetic Overflow." message and shows every other kind by its description.
enum class CalcErrorKind {
    Overflow,
    DivisionByZero,
    InvalidArgument,
    SubscriptOutOfRange,
    NoConvergence,
};

class CalcError : public std::runtime_error {
public:
    CalcError(CalcErrorKind kind, const std::string& description)
        : std::runtime_error(description), m_kind(kind) {}

    CalcErrorKind kind() const { return m_kind; }
    std::string description() const { return what(); }

private:
    CalcErrorKind m_kind;
};

}  // namespace quandrelle
