#include "quandrelle/engine/WaterMiscibleCaution.h"

namespace quandrelle {

bool isSmallWaterMiscible(const VaporData& vapor) {
    return vapor.waterSolFactor >= 1 && vapor.molWt < kSmallMiscibleMolWt;
}

std::optional<std::string> smallWaterMiscibleCaution(const CalcState& state) {
    std::string names;
    for (int slot = 1; slot <= state.vaporCount; ++slot) {
        const VaporData& vapor = state.vapors[slot];
        if (isSlotInUse(vapor) && isSmallWaterMiscible(vapor)) {
            names += (names.empty() ? "" : ", ") + vapor.chemName;
        }
    }
    if (names.empty()) {
        return std::nullopt;
    }
    return "Water-miscible vapor lighter than 50 g/mol (" + names +
           "): the estimate may be too long; such vapors have broken through sooner than estimated in "
           "published cartridge tests.";
}

}  // namespace quandrelle
