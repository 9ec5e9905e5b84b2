#include "WaterMiscibleCaution.h"

#include "quandrelle/engine/Cautions.h"

namespace quandrelle {

bool isSmallWaterMiscible(const VaporData& vapor) {
    return vapor.waterSolFactor >= 1 && vapor.molWt < kSmallMiscibleMolWt;
}

std::optional<std::string> smallWaterMiscibleCaution(const CalcState& state) {
    const std::string names =
        runVaporNamesWhere(state, [&](int slot) { return isSmallWaterMiscible(state.vapors[slot]); });
    if (names.empty()) {
        return std::nullopt;
    }
    return "Water-miscible vapor lighter than 65 g/mol (" + names +
           "): the estimate may be too long; such vapors have broken through sooner than estimated in "
           "published cartridge tests.";
}

}  // namespace quandrelle
