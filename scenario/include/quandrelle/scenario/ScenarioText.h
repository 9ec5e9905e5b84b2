#pragma once

// The text of a scenario, from its bytes to a filled Scenario. The JSON is looked over before it is
// built into a document, so that what the JSON library would not survive or would report without a
// field name is refused first: a number too large for a double, and nesting deeper than any
// scenario needs (a deep enough nesting exhausts the stack while the document is built or copied).

#include <string_view>

#include "quandrelle/scenario/Scenario.h"

namespace quandrelle::calc {

// No scenario nests more than four levels (scenario, vapors, a vapor, a value); this leaves room
// for any reasonable file while keeping every recursive step over the document shallow.
inline constexpr int kMaxScenarioNesting = 64;

// Reads a scenario from JSON text. On return either the problems are empty and `scenario` is filled,
// or they say what is wrong: malformed JSON, an oversized number or too deep a nesting (each naming
// the field where it stands), or whatever readScenario finds.
Problems readScenarioText(std::string_view text, Scenario& scenario);

}  // namespace quandrelle::calc
