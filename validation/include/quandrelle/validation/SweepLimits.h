#pragma once

// The field limits of a what-if sweep: every value the sweep stores must be one the field it stands
// for would accept, so that a curve never shows a point the screens would have refused. The
// command-line calculator and the what-if window check their values here.

#include <optional>
#include <string>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/Sweep.h"
#include "quandrelle/validation/NumericField.h"

namespace quandrelle {

// The limits of the field the quantity is entered in; none for a concentration scale, whose limits
// are those of every concentration it scales.
std::optional<FieldLimits> sweptFieldLimits(SweepQuantity quantity);

// Why the field would refuse the value, naming the limit ("temperature 80 is above the upper limit
// of 75"); none when it would accept it. A concentration scale is checked against the
// concentration limits of every vapor of `state` it scales.
std::optional<std::string> sweptValueProblem(const CalcState& state, SweepQuantity quantity, double value);

}  // namespace quandrelle
