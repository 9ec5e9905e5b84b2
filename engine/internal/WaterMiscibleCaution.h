#pragma once

// Small water-miscible vapors (methanol, ethanol and the like) have come out with estimates too long
// when the program was compared with published cartridge tests (docs/validation.md): the unsafe
// direction. A run that holds such a vapor carries a caution naming it, beside the results.

#include <optional>
#include <string>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Molecular weight (g/mol) below which a water-miscible vapor gets the caution. In the comparison
// with published cartridge tests (docs/validation.md: 1000 ppm, 22 C, 50 % humidity) the vapors
// estimated more than 25 % too long at 1 % breakthrough are all water-miscible and weigh at most
// 60.1 g/mol: ethanol (46.1 g/mol, +50 %), allyl alcohol (58.1, +46 %) and isopropanol (60.1, +29 %);
// n-propanol (60.1) came out +16 %. The next vapors of the comparison, the butanols (74.1 g/mol, only
// partly soluble), came within 3 %. 65 g/mol covers every vapor found too long with a margin above the
// heaviest of them; the data hold nothing between 60.1 and 74.1 g/mol to place it more closely.
inline constexpr float kSmallMiscibleMolWt = 65;

// Miscible with water in all proportions (a water solubility factor of 1) and lighter than
// kSmallMiscibleMolWt.
bool isSmallWaterMiscible(const VaporData& vapor);

// The caution naming every such vapor of slots 1..vaporCount in slot order; none when there is none.
std::optional<std::string> smallWaterMiscibleCaution(const CalcState& state);

}  // namespace quandrelle
