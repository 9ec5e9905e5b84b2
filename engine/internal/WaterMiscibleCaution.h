#pragma once

// Small water-miscible vapors (methanol, ethanol and the like) have come out with estimates too long
// when the program was compared with published cartridge tests (docs/validation.md): the unsafe
// direction. A run that holds such a vapor carries a caution naming it, beside the results.

#include <optional>
#include <string>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Molecular weight (g/mol) below which a water-miscible vapor gets the caution.
inline constexpr float kSmallMiscibleMolWt = 50;

// Miscible with water in all proportions (a water solubility factor of 1) and lighter than
// kSmallMiscibleMolWt.
bool isSmallWaterMiscible(const VaporData& vapor);

// The caution naming every such vapor of slots 1..vaporCount in slot order; none when there is none.
std::optional<std::string> smallWaterMiscibleCaution(const CalcState& state);

}  // namespace quandrelle
