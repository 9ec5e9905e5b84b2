#pragma once

// The command-line calculator as a function, so that it can be run in-process:
//   quandrelle-calc SCENARIO.json [--json]     ("-" reads standard input)
// Exit status 0 with results; 1 when the run is refused or fails (the message goes to `err`);
// 2 for bad input or bad usage (every problem is named on `err`).

#include <iosfwd>
#include <string>
#include <vector>

namespace quandrelle::calc {

inline constexpr int kExitResults = 0;
inline constexpr int kExitRefusedOrFailed = 1;
inline constexpr int kExitBadInput = 2;

int runCalcProgram(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);

}  // namespace quandrelle::calc
