#pragma once

// A calculation saved to a file and opened again. The file is a scenario (the command-line
// calculator runs it as it is) with its format version, written from the calculation state so that
// opening it stores every input as it was: the same Singles, so the same results.

#include <filesystem>
#include <string>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/scenario/Scenario.h"

namespace quandrelle::calc {

// The name ending of a calculation file, and the media type the desktop knows it by.
inline constexpr const char* kScenarioFileSuffix = ".quandrelle";
inline constexpr const char* kScenarioMediaType = "application/x-quandrelle-calculation";

// No calculation file comes near this size; a larger file is refused before it is read into memory.
inline constexpr std::uintmax_t kMaxScenarioFileBytes = 4 * 1024 * 1024;

// The file's text for the inputs of `state`: the cartridge, the use conditions, the vapors in use
// (in their slots' order) with their breakthrough concentrations and exposure limits, the schedule
// rules, the facepiece and the report's header. Every number is the shortest
// one that is stored as the state holds it: a humidity as the percent that gives the stored
// fraction, the water affinity as entered before the preconditioning factor. The same state always
// gives the same text, so a file opened and saved again is the same file.
std::string scenarioText(const CalcState& state);

// The entries that give the stored cartridge and use conditions: what a user would have typed.
CartridgeInput cartridgeEntries(const CalcState& state);
UseConditions conditionEntries(const CalcState& state);

// True when the two states hold the same inputs, down to the last bit of every Single: those a
// saved file restores, a run reads and the report names.
bool sameInputs(const CalcState& a, const CalcState& b);

// Saves the inputs of `state`. The text is read back first, and the file is written only when it
// gives the same inputs (a calculation whose inputs the file cannot hold, or that this program
// would refuse to open, is not saved: the problems say why). The file is replaced only once the new
// one is fully written, so a failed save leaves the old one as it was.
Problems saveScenarioFile(const std::filesystem::path& file, const CalcState& state);

// Opens a saved calculation. Either the problems are empty and `scenario` holds it, or they say what
// is wrong with the file (unreadable, damaged, of a later format) and `scenario` is left as it was.
Problems openScenarioFile(const std::filesystem::path& file, Scenario& scenario);

}  // namespace quandrelle::calc
