#include "quandrelle/calc/Scenario.h"

#include <cmath>
#include <cstdlib>
#include <optional>

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/fit/InputJson.h"

namespace quandrelle::calc {

namespace {

using nlohmann::json;

void readCartridge(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "cartridge", problems);
    const std::optional<CartridgeInput> cartridge = readCartridgeInput(reader);
    reader.rejectUnknownKeys();
    if (problems.empty() && cartridge) {
        storeCartridge(state, *cartridge);
    }
}

void readConditions(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "conditions", problems);
    const std::optional<UseConditions> conditions = readUseConditions(reader);
    reader.rejectUnknownKeys();
    if (problems.empty() && conditions) {
        storeConditions(state, *conditions);
    }
}

void readVapor(const json& object, int slot, Scenario& scenario, Problems& problems) {
    ObjectReader reader(object, "vapors[" + std::to_string(slot) + "]", problems);
    const std::optional<VaporInput> input = readVaporInput(reader);
    const auto breakConc = reader.number("breakConc", nullptr);
    reader.rejectUnknownKeys();
    if (!problems.empty() || !input || !breakConc) {
        return;
    }
    CalcState& state = scenario.state;
    storeVapor(state, slot, *input);
    const VaporData& vapor = state.vapors[slot];
    // As the results screen stores a typed breakthrough concentration.
    state.breakConc[slot] = *breakConc;
    state.breakFraction[slot] = state.breakConc[slot] / vapor.avgConc;
    // The limits check reads the concentration as the results screen shows it.
    const double shownConcentration = std::strtod(generalText(vapor.avgConc).c_str(), nullptr);
    scenario.rows.push_back({shownConcentration, *breakConc});
}

}  // namespace

Problems readScenario(const json& input, Scenario& scenario) {
    Problems problems;
    if (!input.is_object()) {
        problems.push_back(std::string("the scenario must be a JSON object, not ") + input.type_name());
        return problems;
    }
    scenario = Scenario{};
    for (const auto& item : input.items()) {
        if (item.key() != "cartridge" && item.key() != "conditions" && item.key() != "vapors") {
            problems.push_back(item.key() + ": is not a known key");
        }
    }
    if (const json* cartridge = objectAt(input, "cartridge", "", problems)) {
        readCartridge(*cartridge, scenario.state, problems);
    }
    if (const json* conditions = objectAt(input, "conditions", "", problems)) {
        readConditions(*conditions, scenario.state, problems);
    }
    const auto vapors = input.find("vapors");
    if (vapors == input.end()) {
        problems.push_back("vapors: is missing");
    } else if (!vapors->is_array()) {
        problems.push_back(std::string("vapors: must be an array, not ") + vapors->type_name());
    } else if (vapors->empty() || vapors->size() > static_cast<std::size_t>(kMaxVapors)) {
        problems.push_back("vapors: must hold 1 to 5 vapors, not " + std::to_string(vapors->size()));
    } else {
        int slot = 0;
        for (const json& vapor : *vapors) {
            ++slot;
            if (!vapor.is_object()) {
                problems.push_back("vapors[" + std::to_string(slot) + "]: must be an object, not " +
                                   vapor.type_name());
                continue;
            }
            readVapor(vapor, slot, scenario, problems);
        }
        if (problems.empty()) {
            scenario.state.vaporCount = static_cast<std::int16_t>(slot);
            scenario.state.mixCount = scenario.state.vaporCount;
        }
    }
    if (!problems.empty()) {
        return problems;
    }
    // What the results screen derives when it is filled.
    setFaceVelocity(scenario.state);
    scenario.equivalentConcentration = roundHalfEven(equivalentConcentration(scenario.state), 2);
    return problems;
}

}  // namespace quandrelle::calc
