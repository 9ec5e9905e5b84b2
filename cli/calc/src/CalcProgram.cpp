#include "quandrelle/calc/CalcProgram.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/calc/Scenario.h"
#include "quandrelle/calc/ScenarioText.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/ResultTexts.h"
#include "quandrelle/stores/RecordText.h"

namespace quandrelle::calc {

namespace {

using json = nlohmann::ordered_json;

constexpr const char* kUsage =
    "usage: quandrelle-calc SCENARIO.json [--json]\n"
    "Estimates the breakthrough time of every vapor of the scenario (\"-\" reads it from standard input).\n"
    "  --json      write the results as JSON instead of a table\n"
    "  --version   the program's version\n";

struct Options {
    std::string path;
    bool json = false;
};

bool parseArgs(const std::vector<std::string>& args, Options& options, std::ostream& err) {
    bool havePath = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            options.json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            err << "quandrelle-calc: unknown option " << arg << "\n" << kUsage;
            return false;
        } else if (havePath) {
            err << "quandrelle-calc: only one scenario can be given\n" << kUsage;
            return false;
        } else {
            options.path = arg;
            havePath = true;
        }
    }
    if (!havePath) {
        err << kUsage;
    }
    return havePath;
}

// Why a scenario cannot be read, in the words of the messages ("is a directory").
std::string readFailure(const std::error_code& code) {
    if (code == std::errc::is_a_directory) {
        return "is a directory";
    }
    return code.message();
}

// Reading stops with an exception where the system refuses the read itself (a folder given as the
// file, or as standard input), so both ways in are read under the same guard.
bool readText(const std::string& path, std::istream& in, std::string& text, std::ostream& err) {
    const std::string source = path == "-" ? "standard input" : path;
    std::ifstream file;
    if (path != "-") {
        file.open(path, std::ios::binary);
        if (!file) {
            err << "quandrelle-calc: cannot read " << source << ": " << std::strerror(errno) << "\n";
            return false;
        }
    }
    std::istream& stream = path == "-" ? in : file;
    try {
        text.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure& failure) {
        err << "quandrelle-calc: cannot read " << source << ": " << readFailure(failure.code()) << "\n";
        return false;
    }
    if (stream.bad()) {
        err << "quandrelle-calc: cannot read " << source << "\n";
        return false;
    }
    return true;
}

// A Single as the number its shown text stands for, so that JSON shows 0.1 and not 0.100000001.
double shownValue(float value) {
    return std::strtod(generalText(value).c_str(), nullptr);
}

json resultsJson(const Scenario& scenario) {
    const CalcState& state = scenario.state;
    const ResultRows shown = resultRows(state);
    json results = json::array();
    for (int p = 1; p <= state.vaporCount; ++p) {
        const ResultRowTexts& row = shown[static_cast<std::size_t>(p)];
        results.push_back({
            {"position", p},
            {"name", state.vapors[p].chemName},
            {"concentration", shownValue(state.vapors[p].avgConc)},
            {"breakConc", state.breakConc[p]},
            {"breakthroughTime", state.breakTimeResult[p]},
            {"minTime", state.breakTimeMin[p]},
            {"maxTime", state.breakTimeMax[p]},
            {"display", {{"estimate", row.estimate}, {"min", row.minimum}, {"max", row.maximum}}},
        });
    }
    return {{"equivalentConcentration", scenario.equivalentConcentration},
            {"faceVelocity", state.faceVelocity},
            {"results", std::move(results)}};
}

// Pads to a width in characters, not bytes, so that a name with accented letters keeps the
// columns after it in line.
std::string padded(const std::string& text, std::size_t width) {
    const std::size_t length = characterCount(text);
    return length >= width ? text + " " : text + std::string(width - length, ' ');
}

void writeTable(const Scenario& scenario, std::ostream& out) {
    const CalcState& state = scenario.state;
    const ConditionTexts conditions = conditionTexts(state);
    out << "Cartridge: " << conditions.cartName << " (" << state.cartsPerRespirator << " per respirator)\n";
    out << "Conditions: " << conditions.temperature << " C, " << conditions.pressure << " atm, "
        << conditions.relHumidity << " % humidity, " << conditions.airFlow << " L/min\n";
    out << "Equivalent concentration of vapor #1: " << conditions.equivalentConcentration << " mg/m3\n\n";

    const ResultRows shown = resultRows(state);
    std::size_t nameWidth = 6;
    for (int p = 1; p <= state.vaporCount; ++p) {
        nameWidth = std::max(nameWidth, characterCount(shown[static_cast<std::size_t>(p)].name) + 2);
    }
    out << padded("#", 4) << padded("Vapor", nameWidth) << padded("Conc (ppm)", 13)
        << padded("Break (ppm)", 13) << padded("Estimate (min)", 16) << padded("Min", 8) << "Max\n";
    for (int p = 1; p <= state.vaporCount; ++p) {
        const ResultRowTexts& row = shown[static_cast<std::size_t>(p)];
        out << padded(std::to_string(p), 4) << padded(row.name, nameWidth) << padded(row.concentration, 13)
            << padded(row.breakConc, 13) << padded(row.estimate, 16) << padded(row.minimum, 8) << row.maximum
            << "\n";
    }
}

}  // namespace

int runCalcProgram(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return kExitResults;
        }
        if (arg == "--version") {
            out << "quandrelle-calc " << kProgramVersion << "\n";
            return kExitResults;
        }
    }
    Options options;
    if (!parseArgs(args, options, err)) {
        return kExitBadInput;
    }
    std::string text;
    if (!readText(options.path, in, text, err)) {
        return kExitBadInput;
    }
    const std::string source = options.path == "-" ? "standard input" : options.path;
    Scenario scenario;
    try {
        const Problems problems = readScenarioText(text, scenario);
        if (!problems.empty()) {
            for (const std::string& problem : problems) {
                err << source << ": " << problem << "\n";
            }
            return kExitBadInput;
        }
    } catch (const CalcError& error) {
        err << error.description() << "\n";
        return kExitRefusedOrFailed;
    }

    const CalculateOutcome outcome = Calculate(scenario.state, scenario.rows);
    switch (outcome.status) {
        case CalculateStatus::OutOfLimits:
            err << kLimitsMessageText << "\n";
            return kExitRefusedOrFailed;
        case CalculateStatus::Failed:
            err << outcome.errorText << "\n";
            return kExitRefusedOrFailed;
        case CalculateStatus::Done:
            break;
    }
    if (options.json) {
        out << resultsJson(scenario).dump(2) << "\n";
    } else {
        writeTable(scenario, out);
    }
    return kExitResults;
}

}  // namespace quandrelle::calc
