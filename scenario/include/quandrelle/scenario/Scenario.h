#pragma once

// One scenario: a cartridge, the use conditions and 1 to 5 vapors, with what the report names,
// read from JSON and stored into a calculation state exactly as the screens store typed values.
// The command-line calculator runs it, and the screens save and open a calculation in it.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/Calculate.h"

namespace quandrelle::calc {

// The version of the file a calculation is saved in. A file without "format" is of this version;
// a file of a later version is refused rather than read in part.
inline constexpr int kScenarioFormat = 1;

struct Scenario {
    // The inputs, with the schedule rules, the facepiece, each vapor's exposure limits and the
    // report's header where the scenario gives them (their defaults where not).
    CalcState state;
    // The concentration and breakthrough concentration of every row, for the limits check.
    std::vector<BreakthroughRow> rows;
    // Vapor #1 in entry order, in mg/m3, rounded to two decimals as the results screen shows it.
    double equivalentConcentration = 0;
    // Which of the programme's inputs the scenario gave: the results add the schedule and the
    // exposure check only when asked for, so that a scenario without them prints as it always did.
    bool schedule = false;
    bool exposure = false;
    bool exposureLimits = false;  // some vapor has an "oel" or "idlh"
};

// Everything wrong with the input, one entry per problem, each naming its field
// ("cartridge.bedDepth: ..."). Empty when the scenario was read.
using Problems = std::vector<std::string>;

// Reads a scenario. On return either `problems` is empty and `scenario` is filled, or `problems`
// names every missing, unknown, mistyped or out-of-limits value.
Problems readScenario(const nlohmann::json& input, Scenario& scenario);

}  // namespace quandrelle::calc
