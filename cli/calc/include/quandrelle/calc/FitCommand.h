#pragma once

// quandrelle-calc --fit-cartridge FIT.json [--json]: the cartridge fit, scriptable. FIT.json is the
// fit's input as FitRequestJson.h gives it. Exit status 0 with the fit; 1 when no fit exists (the
// reason, naming the point, goes to `err`); 2 for bad input (every problem named on `err`).

#include <iosfwd>
#include <string>

#include "quandrelle/fit/FitRequestJson.h"
#include "quandrelle/scenario/Scenario.h"

namespace quandrelle::calc {

// The whole command on FIT.json's text; `source` names it in the messages.
int runFitCommand(const std::string& text, const std::string& source, bool asJson,
                  const std::string& dataFolder, std::ostream& out, std::ostream& err);

}  // namespace quandrelle::calc
