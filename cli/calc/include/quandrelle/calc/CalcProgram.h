#pragma once

// The command-line calculator as a function, so that it can be run in-process:
//   quandrelle-calc SCENARIO.json [--json] [--report FILE.pdf [--site TEXT] [--task TEXT]
//                   [--prepared-by TEXT]]     ("-" reads standard input)
// Exit status 0 with results; 1 when the run is refused or fails, or its report cannot be written
// (the message goes to `err`); 2 for bad input or bad usage (every problem is named on `err`).

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle::calc {

inline constexpr int kExitResults = 0;
inline constexpr int kExitRefusedOrFailed = 1;
inline constexpr int kExitBadInput = 2;

// The change-schedule report asked for with --report, and what to write on it.
struct ReportRequest {
    std::string path;
    std::string site;
    std::string task;
    std::string preparedBy;
};

// Writes the report of a finished run; throws a std::runtime_error whose text names the file and
// the reason when it cannot.
using ReportWriter = std::function<void(const CalcState& state, const ReportRequest& request)>;

// Without a writer, --report is refused as bad usage.
int runCalcProgram(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err, const ReportWriter& writeReport = {});

}  // namespace quandrelle::calc
