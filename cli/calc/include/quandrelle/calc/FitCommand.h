#pragma once

// quandrelle-calc --fit-cartridge FIT.json [--json]: the cartridge fit, scriptable. FIT.json holds
//   {"cartridge": {...a scenario's cartridge without "microporeVolume" and, optionally, without
//                  "benzenePotential" (then it is fitted too, where the points allow)...},
//    "points": [{"conditions": {...as in a scenario...},
//                "vapor": {...as in a scenario, or {"name": N, "concentration": ppm} for the
//                          library's vapor N...},
//                "breakConc": ppm, "minutes": t}, ...]}
// Exit status 0 with the fit; 1 when no fit exists (the reason, naming the point, goes to `err`);
// 2 for bad input (every problem named on `err`).

#include <iosfwd>
#include <string>

#include "quandrelle/calc/Scenario.h"
#include "quandrelle/fit/CartridgeFit.h"

namespace quandrelle::calc {

// Reads FIT.json's document; library vapors come from the vapor file of `dataFolder`.
Problems readFitRequest(const nlohmann::json& input, const std::string& dataFolder, FitRequest& request);

// The whole command on FIT.json's text; `source` names it in the messages.
int runFitCommand(const std::string& text, const std::string& source, bool asJson,
                  const std::string& dataFolder, std::ostream& out, std::ostream& err);

}  // namespace quandrelle::calc
