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
    CalcError(CalcErrorKind kind, const std::string& description, bool endsProgram = false)
        : std::runtime_error(description), m_kind(kind), m_endsProgram(endsProgram) {}

    CalcErrorKind kind() const { return m_kind; }
    std::string description() const { return what(); }

    // An error the model does not expect at all (outside the curve-shape root it knows how to skip):
    // after the message the program must end, since the state can no longer be trusted.
    bool endsProgram() const { return m_endsProgram; }

private:
    CalcErrorKind m_kind;
    bool m_endsProgram = false;
};

}  // namespace quandrelle
