#pragma once

// The JSON forms of the three input groups (a cartridge, the use conditions, a vapor), read and
// written in one place: the command-line scenarios, the fit files and the record of where a fitted
// cartridge came from all use them, so that a value means the same wherever it is written.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "quandrelle/engine/Inputs.h"
#include "quandrelle/scenario/ObjectReader.h"
#include "quandrelle/validation/NumericField.h"

namespace quandrelle {

// Which of the cartridge's values must be given. A cartridge to be fitted leaves out the micropore
// volume and may leave out the adsorption potential.
struct CartridgeKeys {
    bool microporeVolume = true;
    bool benzenePotential = true;
};

// Each reader reads its group's keys through `reader` and gives the group only when every value
// was there and within its limits; the problems say what was not. The caller rejects unknown keys
// once it has read any keys of its own from the same object.
std::optional<CartridgeInput> readCartridgeInput(ObjectReader& reader, CartridgeKeys keys = {});
std::optional<UseConditions> readUseConditions(ObjectReader& reader);
// A vapor with every property and its concentration.
std::optional<VaporInput> readVaporInput(ObjectReader& reader);

// The same objects written back, every value as a number.
nlohmann::ordered_json cartridgeJson(const CartridgeInput& cartridge);
nlohmann::ordered_json conditionsJson(const UseConditions& conditions);
nlohmann::ordered_json vaporJson(const VaporInput& vapor);

}  // namespace quandrelle
