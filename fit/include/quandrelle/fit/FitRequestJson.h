#pragma once

// The fit's input as JSON, as quandrelle-calc --fit-cartridge reads it from FIT.json and the fit
// window hands it over from its table, so that both name a problem in the same words:
//   {"cartridge": {...a scenario's cartridge without "microporeVolume" and, optionally, without
//                  "benzenePotential" (then it is fitted too, where the points allow)...},
//    "points": [{"conditions": {...as in a scenario...},
//                "vapor": {...as in a scenario, or {"name": N, "concentration": ppm} for the
//                          vapor library's vapor N...},
//                "breakConc": ppm, "minutes": t}, ...]}

#include <nlohmann/json.hpp>
#include <string>

#include "quandrelle/fit/CartridgeFit.h"
#include "quandrelle/fit/InputJson.h"

namespace quandrelle {

// Reads the fit's input; library vapors come from the vapor file of `dataFolder`. Every problem is
// named, including those fitRequestProblems finds once everything reads.
Problems readFitRequest(const nlohmann::json& input, const std::string& dataFolder, FitRequest& request);

}  // namespace quandrelle
