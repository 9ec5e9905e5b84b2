#include "quandrelle/calc/CalcProgram.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <system_error>
#include <thread>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/calc/FitCommand.h"
#include "quandrelle/calc/SweepRun.h"
#include "quandrelle/calc/TextColumns.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/ChangeSchedule.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/ResultTexts.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/engine/Sweep.h"
#include "quandrelle/scenario/Scenario.h"
#include "quandrelle/scenario/ScenarioText.h"
#include "quandrelle/stores/DataFolder.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle::calc {

namespace {

using json = nlohmann::ordered_json;

constexpr const char* kUsage =
    "usage: quandrelle-calc SCENARIO.json|FILE.quandrelle [--json]\n"
    "                       [--sweep QUANTITY=FROM:TO:COUNT[:log] [--jobs N]] [--report FILE.pdf]\n"
    "       quandrelle-calc --fit-cartridge FIT.json [--json]\n"
    "Estimates the breakthrough time of every vapor of the scenario (\"-\" reads it from standard input).\n"
    "  --json      write the results as JSON instead of a table\n"
    "  --sweep     run the scenario at COUNT values of one quantity from FROM to TO, both included, evenly\n"
    "              spaced (or on a log scale): relHumidity (%), concentrationScale (factor on every\n"
    "              vapor's concentration), airFlow (L/min) or temperature (C)\n"
    "  --jobs      points of the sweep computed at once (default: one per processor core)\n"
    "  --report FILE.pdf   also write the change-schedule report of the run as a PDF file\n"
    "  --site TEXT, --task TEXT, --prepared-by TEXT\n"
    "              what the report names as the site, the task and who prepared it (in place of the\n"
    "              scenario's \"report\")\n"
    "  --fit-cartridge FIT.json   fit a cartridge's micropore volume (and adsorption potential) to known\n"
    "              breakthrough times instead (see the manual page for FIT.json)\n"
    "  --version   the program's version\n";

struct Options {
    std::string path;
    bool json = false;
    std::optional<std::string> sweep;
    unsigned jobs = 0;  // 0: one per core
    bool report = false;
    ReportRequest reportRequest;
};

// The value of an option that takes one; false (with the usage) when it is missing.
bool optionValue(const std::vector<std::string>& args, std::size_t& i, std::string& value,
                 std::ostream& err) {
    if (i + 1 >= args.size()) {
        err << "quandrelle-calc: " << args[i] << " needs a value\n" << kUsage;
        return false;
    }
    value = args[++i];
    return true;
}

bool parseJobs(const std::string& text, unsigned& jobs, std::ostream& err) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1) {
        err << "quandrelle-calc: --jobs needs a whole number of 1 or more, not \"" << text << "\"\n";
        return false;
    }
    return true;
}

// The option that takes the next argument as its text, if `arg` is one.
std::string* textOption(const std::string& arg, Options& options) {
    if (arg == "--report") {
        return &options.reportRequest.path;
    }
    if (arg == "--site") {
        return &options.reportRequest.site;
    }
    if (arg == "--task") {
        return &options.reportRequest.task;
    }
    if (arg == "--prepared-by") {
        return &options.reportRequest.preparedBy;
    }
    return nullptr;
}

bool parseArgs(const std::vector<std::string>& args, Options& options, std::ostream& err) {
    bool havePath = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (std::string* text = textOption(arg, options)) {
            if (!optionValue(args, i, *text, err)) {
                return false;
            }
            options.report = options.report || arg == "--report";
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--sweep") {
            if (options.sweep) {
                err << "quandrelle-calc: only one --sweep can be given\n" << kUsage;
                return false;
            }
            if (!optionValue(args, i, value, err)) {
                return false;
            }
            options.sweep = value;
        } else if (arg == "--jobs") {
            if (!optionValue(args, i, value, err) || !parseJobs(value, options.jobs, err)) {
                return false;
            }
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
    if (havePath && options.jobs > 0 && !options.sweep) {
        err << "quandrelle-calc: --jobs only applies to a --sweep\n" << kUsage;
        return false;
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

// What the report names: the scenario's own header where the command line does not say otherwise.
ReportRequest withHeader(ReportRequest request, const ReportHeader& header) {
    for (auto [given, saved] :
         {std::pair{&request.site, &header.site}, std::pair{&request.task, &header.task},
          std::pair{&request.preparedBy, &header.preparedBy}}) {
        if (given->empty()) {
            *given = *saved;
        }
    }
    return request;
}

// A Single as the number its shown text stands for, so that JSON shows 0.1 and not 0.100000001.
double shownValue(float value) {
    return std::strtod(generalText(value).c_str(), nullptr);
}

json resultsJson(const CalcState& state, double equivalentConcentration) {
    const ResultRows shown = resultRows(state);
    json results = json::array();
    for (int p = 1; p <= state.vaporCount; ++p) {
        const ResultRowTexts& row = shown[static_cast<std::size_t>(p)];
        // A time beyond the simulated service has no number of its own: only the bound it passed.
        const bool beyondCap = state.beyondServiceCap[p];
        auto time = [&](double minutes) { return beyondCap ? json() : json(minutes); };
        json result = {
            {"position", p},
            {"name", state.vapors[p].chemName},
            {"concentration", shownValue(state.vapors[p].avgConc)},
            {"breakConc", state.breakConc[p]},
            {"breakthroughTime", time(state.breakTimeResult[p])},
            {"minTime", time(state.breakTimeMin[p])},
            {"maxTime", time(state.breakTimeMax[p])},
        };
        if (beyondCap) {
            result["longerThanMinutes"] = kMaxServiceMinutes;
        }
        result["display"] = {{"estimate", row.estimate}, {"min", row.minimum}, {"max", row.maximum}};
        results.push_back(std::move(result));
    }
    return {{"equivalentConcentration", equivalentConcentration},
            {"faceVelocity", state.faceVelocity},
            {"method", methodName(state.runReport.method)},
            {"notes", state.runReport.notes},
            {"results", std::move(results)}};
}

json scheduleJson(const ChangeSchedule& schedule) {
    return {{"changeAfterMinutes", schedule.changeAfterMinutes},
            {"shifts", schedule.shifts},
            {"endOfShift", schedule.endOfShift},
            {"decidedBy", schedule.decidedBy},
            {"sentence", schedule.sentence},
            {"reasons", schedule.reasons}};
}

json exposureJson(const ExposureCheck& exposure) {
    json ratios = json::array();
    for (const HazardRatio& ratio : exposure.hazardRatios) {
        ratios.push_back({{"position", ratio.slot}, {"name", ratio.name}, {"ratio", ratio.ratio}});
    }
    return {{"protectionFactor", exposure.protectionFactor},
            {"hazardRatios", std::move(ratios)},
            {"sum", exposure.sum},
            {"adequate", exposure.adequate},
            {"reasons", exposure.reasons}};
}

// The programme's part of the results, for a scenario that asked for it.
struct ProgrammeOutput {
    bool schedule = false;
    bool exposure = false;
    ProgrammeResult result;
};

std::optional<ProgrammeOutput> programmeOutput(const Scenario& scenario) {
    if (!scenario.schedule && !scenario.exposure && !scenario.exposureLimits) {
        return std::nullopt;
    }
    return ProgrammeOutput{.schedule = scenario.schedule,
                           .exposure = scenario.exposure || scenario.exposureLimits,
                           .result = programmeResult(scenario.state)};
}

void addProgrammeJson(const std::optional<ProgrammeOutput>& programme, json& results) {
    if (programme && programme->schedule) {
        results["schedule"] = scheduleJson(programme->result.schedule);
    }
    if (programme && programme->exposure) {
        results["exposure"] = exposureJson(programme->result.exposure);
    }
}

void writeProgramme(const std::optional<ProgrammeOutput>& programme, std::ostream& out) {
    if (!programme) {
        return;
    }
    if (programme->exposure) {
        const ExposureCheck& exposure = programme->result.exposure;
        out << "\n" << exposureSummary(exposure) << "\n";
        for (const std::string& reason : exposure.reasons) {
            out << "  " << reason << "\n";
        }
    }
    if (programme->schedule) {
        out << "\nSchedule: " << programme->result.schedule.sentence << "\n";
    }
}

void writeHeading(const Scenario& scenario, std::ostream& out) {
    const CalcState& state = scenario.state;
    const ConditionTexts conditions = conditionTexts(state);
    out << "Cartridge: " << conditions.cartName << " (" << state.cartsPerRespirator << " per respirator)\n";
    out << "Conditions: " << conditions.temperature << " C, " << conditions.pressure << " atm, "
        << conditions.relHumidity << " % humidity, " << conditions.airFlow << " L/min\n";
    out << "Equivalent concentration of vapor #1: " << conditions.equivalentConcentration << " mg/m3\n\n";
}

void writeTable(const Scenario& scenario, std::ostream& out) {
    const CalcState& state = scenario.state;
    writeHeading(scenario, out);
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
    if (!state.runReport.notes.empty()) {
        out << "\n";
        for (const std::string& note : state.runReport.notes) {
            out << "Note: " << note << "\n";
        }
    }
}

std::string pointStatus(const CalculateOutcome& outcome) {
    switch (outcome.status) {
        case CalculateStatus::Done:
            return "done";
        case CalculateStatus::OutOfLimits:
            return "outOfLimits";
        case CalculateStatus::Failed:
            break;
    }
    return "failed";
}

std::string pointFailureText(const CalculateOutcome& outcome) {
    return outcome.status == CalculateStatus::OutOfLimits ? std::string(kLimitsMessageText)
                                                          : outcome.errorText;
}

// The equivalent concentration of vapor #1 in entry order at the point's value, as the results
// screen shows it (the run itself reorders the slots).
double pointEquivalentConcentration(const CalcState& entered, SweepQuantity quantity, double value) {
    CalcState state = entered;
    storeSweptValue(state, quantity, value);
    return roundHalfEven(equivalentConcentration(state), 2);
}

json sweepJson(const Scenario& scenario, SweepQuantity quantity, const std::vector<SweepPoint>& points) {
    json all = json::array();
    for (const SweepPoint& point : points) {
        json entry = {{std::string(sweepQuantityName(quantity)), point.value},
                      {"status", pointStatus(point.outcome)}};
        if (point.outcome.status == CalculateStatus::Done) {
            entry.update(resultsJson(point.state,
                                     pointEquivalentConcentration(scenario.state, quantity, point.value)));
        } else {
            entry["error"] = pointFailureText(point.outcome);
            entry["results"] = json::array();
        }
        all.push_back(std::move(entry));
    }
    return all;
}

void writeSweepTable(const Scenario& scenario, SweepQuantity quantity, const std::vector<SweepPoint>& points,
                     std::ostream& out) {
    writeHeading(scenario, out);
    const std::string quantityName(sweepQuantityName(quantity));
    std::size_t valueWidth = quantityName.size() + 2;
    std::size_t nameWidth = 6;
    for (const SweepPoint& point : points) {
        valueWidth = std::max(valueWidth, generalText(point.value).size() + 2);
    }
    for (int p = 1; p <= scenario.state.vaporCount; ++p) {
        nameWidth = std::max(nameWidth, characterCount(scenario.state.vapors[p].chemName) + 2);
    }
    out << padded(quantityName, valueWidth) << padded("#", 4) << padded("Vapor", nameWidth)
        << padded("Estimate (min)", 16) << padded("Min", 8) << "Max\n";
    for (const SweepPoint& point : points) {
        const std::string value = generalText(point.value);
        if (point.outcome.status != CalculateStatus::Done) {
            out << padded(value, valueWidth) << pointStatus(point.outcome) << ": "
                << pointFailureText(point.outcome) << "\n";
            continue;
        }
        const ResultRows shown = resultRows(point.state);
        for (int p = 1; p <= point.state.vaporCount; ++p) {
            const ResultRowTexts& row = shown[static_cast<std::size_t>(p)];
            out << padded(p == 1 ? value : "", valueWidth) << padded(std::to_string(p), 4)
                << padded(row.name, nameWidth) << padded(row.estimate, 16) << padded(row.minimum, 8)
                << row.maximum << "\n";
        }
    }
}

int runSweepCommand(const Scenario& scenario, const Options& options, std::ostream& out, std::ostream& err) {
    std::string problem;
    const std::optional<SweepRange> range = parseSweep(*options.sweep, problem);
    if (!range) {
        err << "quandrelle-calc: " << problem << "\n";
        return kExitBadInput;
    }
    const std::vector<double> values = sweepValues(*range);
    const Problems problems = sweepProblems(scenario.state, range->quantity, values);
    if (!problems.empty()) {
        for (const std::string& text : problems) {
            err << "quandrelle-calc: " << text << "\n";
        }
        return kExitBadInput;
    }
    const unsigned jobs = options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    const std::vector<SweepPoint> points = runSweep(scenario.state, range->quantity, values, jobs);
    if (options.json) {
        out << sweepJson(scenario, range->quantity, points).dump(2) << "\n";
    } else {
        writeSweepTable(scenario, range->quantity, points, out);
    }
    const auto notDone = std::count_if(points.begin(), points.end(), [](const SweepPoint& point) {
        return point.outcome.status != CalculateStatus::Done;
    });
    if (notDone > 0) {
        err << "quandrelle-calc: " << notDone << " of " << points.size()
            << " points were refused or failed\n";
        return kExitRefusedOrFailed;
    }
    return kExitResults;
}

// Where the fit finds library vapors: the data folder the programs use, or the shipped library
// while that folder has no vapor file of its own yet.
std::string vaporLibraryFolder() {
    const DataFolderChoice choice = chooseDataFolderFor(executableFolder(), userDataFolder());
    std::error_code error;
    if (choice.seedLibrary &&
        !std::filesystem::exists(choice.folder + std::string(VaporStore::kFileName), error)) {
        return std::filesystem::path(*choice.seedLibrary).parent_path().string() + kFolderSeparator;
    }
    return choice.folder;
}

// --fit-cartridge FIT.json [--json], and nothing else with it.
int runFitCartridge(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err) {
    std::optional<std::string> path;
    bool asJson = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--fit-cartridge" && !path && i + 1 < args.size()) {
            path = args[++i];
        } else if (args[i] == "--json" && !asJson) {
            asJson = true;
        } else {
            err << "quandrelle-calc: --fit-cartridge takes FIT.json and optionally --json, not " << args[i]
                << "\n"
                << kUsage;
            return kExitBadInput;
        }
    }
    std::string text;
    if (!readText(*path, in, text, err)) {
        return kExitBadInput;
    }
    return runFitCommand(text, *path == "-" ? "standard input" : *path, asJson, vaporLibraryFolder(), out,
                         err);
}

}  // namespace

int runCalcProgram(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err, const ReportWriter& writeReport) {
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
    if (std::find(args.begin(), args.end(), "--fit-cartridge") != args.end()) {
        return runFitCartridge(args, in, out, err);
    }
    Options options;
    if (!parseArgs(args, options, err)) {
        return kExitBadInput;
    }
    if (options.report && options.sweep) {
        err << "quandrelle-calc: a report is of one run, not of a --sweep\n" << kUsage;
        return kExitBadInput;
    }
    if (options.report && !writeReport) {
        err << "quandrelle-calc: this build cannot write reports (it was built without the screens)\n";
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

    if (options.sweep) {
        return runSweepCommand(scenario, options, out, err);
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
    const std::optional<ProgrammeOutput> programme = programmeOutput(scenario);
    if (options.json) {
        json results = resultsJson(scenario.state, scenario.equivalentConcentration);
        addProgrammeJson(programme, results);
        out << results.dump(2) << "\n";
    } else {
        writeTable(scenario, out);
        writeProgramme(programme, out);
    }
    if (options.report) {
        try {
            writeReport(scenario.state, withHeader(options.reportRequest, scenario.state.reportHeader));
        } catch (const std::runtime_error& error) {
            err << error.what() << "\n";
            return kExitRefusedOrFailed;
        }
    }
    // A refused schedule must not pass for a granted one in a script that reads the exit status.
    if (programme && programme->schedule && programme->result.schedule.refused) {
        err << "quandrelle-calc: " << programme->result.schedule.sentence << "\n";
        return kExitRefusedOrFailed;
    }
    return kExitResults;
}

}  // namespace quandrelle::calc
