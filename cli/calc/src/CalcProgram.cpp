#include "quandrelle/calc/CalcProgram.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/calc/Scenario.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/DisplayFormat.h"

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

bool readText(const std::string& path, std::istream& in, std::string& text, std::ostream& err) {
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        err << "quandrelle-calc: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        err << "quandrelle-calc: cannot read " << path << "\n";
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
    json results = json::array();
    for (int p = 1; p <= state.vaporCount; ++p) {
        results.push_back({
            {"position", p},
            {"name", state.vapors[p].chemName},
            {"concentration", shownValue(state.vapors[p].avgConc)},
            {"breakConc", state.breakConc[p]},
            {"breakthroughTime", state.breakTimeResult[p]},
            {"minTime", state.breakTimeMin[p]},
            {"maxTime", state.breakTimeMax[p]},
            {"display",
             {{"estimate", formatNumber(state.breakTimeResult[p], "#.#")},
              {"min", formatNumber(state.breakTimeMin[p], "0")},
              {"max", formatNumber(state.breakTimeMax[p], "0")}}},
        });
    }
    return {{"equivalentConcentration", scenario.equivalentConcentration},
            {"faceVelocity", state.faceVelocity},
            {"method", methodName(state.runReport.method)},
            {"notes", state.runReport.notes},
            {"results", std::move(results)}};
}

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

void writeTable(const Scenario& scenario, std::ostream& out) {
    const CalcState& state = scenario.state;
    out << "Cartridge: " << state.cartName << " (" << state.cartsPerRespirator << " per respirator)\n";
    out << "Conditions: " << generalText(state.tempC) << " C, " << formatNumber(state.atmPressure, "0.00")
        << " atm, " << formatNumber(roundHalfEven(state.relHumidity * 100.0f, 2), "00") << " % humidity, "
        << generalText(state.airFlow) << " L/min\n";
    out << "Equivalent concentration of vapor #1: " << generalText(scenario.equivalentConcentration)
        << " mg/m3\n\n";

    std::size_t nameWidth = 6;
    for (int p = 1; p <= state.vaporCount; ++p) {
        nameWidth = std::max(nameWidth, state.vapors[p].chemName.size() + 2);
    }
    out << padded("#", 4) << padded("Vapor", nameWidth) << padded("Conc (ppm)", 13)
        << padded("Break (ppm)", 13) << padded("Estimate (min)", 16) << padded("Min", 8) << "Max\n";
    for (int p = 1; p <= state.vaporCount; ++p) {
        out << padded(std::to_string(p), 4) << padded(state.vapors[p].chemName, nameWidth)
            << padded(generalText(state.vapors[p].avgConc), 13) << padded(generalText(state.breakConc[p]), 13)
            << padded(formatNumber(state.breakTimeResult[p], "#.#"), 16)
            << padded(formatNumber(state.breakTimeMin[p], "0"), 8) << formatNumber(state.breakTimeMax[p], "0")
            << "\n";
    }
    if (!state.runReport.notes.empty()) {
        out << "\n";
        for (const std::string& note : state.runReport.notes) {
            out << "Note: " << note << "\n";
        }
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
    json input;
    try {
        input = json::parse(text);
    } catch (const json::parse_error& error) {
        err << source << ": malformed JSON: " << error.what() << "\n";
        return kExitBadInput;
    }

    Scenario scenario;
    try {
        const Problems problems = readScenario(input, scenario);
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
