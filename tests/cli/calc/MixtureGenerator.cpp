#include "MixtureGenerator.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>

#include "quandrelle/calc/CalcProgram.h"

namespace quandrelle::test {

namespace {

std::vector<std::string> csvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return fields;
}

// A value as a user would type it: four significant digits.
double typed(double value) {
    if (value == 0) {
        return 0;
    }
    const double scale = std::pow(10.0, 3 - std::floor(std::log10(std::fabs(value))));
    return std::round(value * scale) / scale;
}

}  // namespace

std::vector<LibraryVapor> readVaporLibrary(const std::string& csvPath) {
    std::ifstream in(csvPath);
    std::string line;
    if (!in || !std::getline(in, line)) {
        throw std::runtime_error("cannot read the vapor library " + csvPath);
    }
    std::map<std::string, std::size_t> column;
    const std::vector<std::string> header = csvFields(line);
    for (std::size_t i = 0; i < header.size(); ++i) {
        column[header[i]] = i;
    }
    auto at = [&](const std::vector<std::string>& fields, const char* name) -> const std::string& {
        const auto found = column.find(name);
        if (found == column.end() || found->second >= fields.size()) {
            throw std::runtime_error(std::string("the vapor library has no column ") + name);
        }
        return fields[found->second];
    };
    std::vector<LibraryVapor> vapors;
    while (std::getline(in, line)) {
        if (line.empty()) {
            continue;
        }
        const std::vector<std::string> f = csvFields(line);
        vapors.push_back({at(f, "chemName"), std::stod(at(f, "molWt")), std::stod(at(f, "liqDensity")),
                          std::stod(at(f, "molPolariz")), std::stod(at(f, "waterSolFactor")),
                          std::stod(at(f, "antoineA")), std::stod(at(f, "antoineB")),
                          std::stod(at(f, "antoineC"))});
    }
    return vapors;
}

MixtureGenerator::MixtureGenerator(std::vector<LibraryVapor> library, std::uint64_t seed)
    : m_library(std::move(library)), m_random(seed) {}

double MixtureGenerator::uniform(double low, double high) {
    const double unit = static_cast<double>(m_random() >> 11) * 0x1p-53;
    return low + (high - low) * unit;
}

double MixtureGenerator::logUniform(double low, double high) {
    return std::exp(uniform(std::log(low), std::log(high)));
}

nlohmann::json MixtureGenerator::cartridge() {
    const double diameter = typed(uniform(6, 10));
    const double depth = typed(uniform(1.5, 3.5));
    const double bulkDensity = uniform(0.40, 0.50);
    const double carbon = typed(3.14159 / 4 * diameter * diameter * depth * bulkDensity);
    return {{"name", "Generated OV cartridge"},
            {"bedDiameter", diameter},
            {"bedDepth", depth},
            {"carbonWeight", carbon},
            {"microporeVolume", typed(uniform(0.35, 0.55))},
            {"precondRH", std::round(uniform(20, 80))},
            {"granuleDiameter", typed(uniform(0.08, 0.15))},
            {"benzenePotential", typed(uniform(18, 22))},
            {"waterAffinity", typed(uniform(0.04, 0.08))}};
}

nlohmann::json MixtureGenerator::vapor(const LibraryVapor& v, double tempC, double atm) {
    const double saturationKPa = std::exp(v.antoineA - v.antoineB / (tempC + 273.15 + v.antoineC)) * 0.133322;
    const double saturationPpm = saturationKPa / (101.325 * atm) * 1e6;
    const double upper = std::min(2000.0, saturationPpm / 5);
    const double concentration = typed(logUniform(1, std::max(upper, 1.0)));
    const double breakConc = typed(concentration * logUniform(0.02, 0.5));
    return {{"name", v.name},
            {"molWt", v.molWt},
            {"liqDensity", v.liqDensity},
            {"molPolariz", v.molPolariz},
            {"waterSolFactor", v.waterSolFactor},
            {"concentration", concentration},
            {"antoineA", v.antoineA},
            {"antoineB", v.antoineB},
            {"antoineC", v.antoineC},
            {"breakConc", std::min(breakConc, concentration / 2)}};
}

nlohmann::json MixtureGenerator::next(int vaporCount) {
    nlohmann::json scenario;
    scenario["cartridge"] = cartridge();
    const double tempC = typed(uniform(5, 45));
    const double atm = typed(uniform(0.9, 1.05));
    scenario["conditions"] = {{"temperature", tempC},
                              {"pressure", atm},
                              {"relHumidity", std::round(uniform(10, 90))},
                              {"cartridges", uniform(0, 1) < 0.7 ? 2 : 1},
                              {"airFlow", std::round(uniform(20, 60))}};
    std::vector<std::size_t> picked;
    while (static_cast<int>(picked.size()) < vaporCount) {
        const auto index = static_cast<std::size_t>(m_random() % m_library.size());
        if (std::find(picked.begin(), picked.end(), index) == picked.end()) {
            picked.push_back(index);
        }
    }
    nlohmann::json vapors = nlohmann::json::array();
    for (const std::size_t index : picked) {
        vapors.push_back(vapor(m_library[index], tempC, atm));
    }
    scenario["vapors"] = std::move(vapors);
    return scenario;
}

namespace {

struct JsonResult {
    int status = -1;
    nlohmann::json output;
    std::string err;
};

JsonResult runJson(const nlohmann::json& scenario) {
    std::istringstream in(scenario.dump());
    std::ostringstream out;
    std::ostringstream err;
    JsonResult result;
    result.status = calc::runCalcProgram({"-", "--json"}, in, out, err);
    result.err = err.str();
    if (result.status == calc::kExitResults) {
        result.output = nlohmann::json::parse(out.str());
    }
    return result;
}

void runAlone(CorpusRun& run) {
    for (const nlohmann::json& vapor : run.scenario["vapors"]) {
        nlohmann::json single = run.scenario;
        single["vapors"] = nlohmann::json::array({vapor});
        const JsonResult result = runJson(single);
        run.alone[vapor["name"].get<std::string>()] =
            result.status == calc::kExitResults ? result.output["results"][0] : nlohmann::json();
    }
}

// A time of a result row; a time longer than the simulated service (null) counts as endless.
double timeOf(const nlohmann::json& row, const char* key) {
    const nlohmann::json& value = row[key];
    return value.is_number() ? value.get<double>() : std::numeric_limits<double>::infinity();
}

constexpr double kMarkedExcess = 1.1;

}  // namespace

void runCorpus(MixtureGenerator& generator, int count, int fewestVapors,
               const std::function<void(const CorpusRun&)>& each, bool alone) {
    for (int n = 0; n < count; ++n) {
        CorpusRun run;
        run.index = n;
        run.vapors = fewestVapors + n % (6 - fewestVapors);
        run.scenario = generator.next(run.vapors);
        const auto start = std::chrono::steady_clock::now();
        const JsonResult result = runJson(run.scenario);
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.method = "failed";
        run.error = result.err;
        if (result.status == calc::kExitResults) {
            run.output = result.output;
            run.method = run.output["method"].get<std::string>();
        }
        if (alone) {
            runAlone(run);
        }
        each(run);
    }
}

void CorpusTally::add(const CorpusRun& run) {
    ++m_runs;
    Cell& cell = m_cells[run.method][run.vapors];
    ++cell.runs;
    cell.vapors += run.vapors;
    if (run.seconds > cell.slowestSeconds) {
        cell.slowestSeconds = run.seconds;
        cell.slowestIndex = run.index;
    }
    cell.slow += run.seconds > kSlowRunSeconds ? 1 : 0;
    if (run.method == "failed") {
        cell.unanswered += run.vapors;
        return;
    }
    for (const nlohmann::json& row : run.output["results"]) {
        if (row["breakthroughTime"].is_null() && !row.contains("longerThanMinutes")) {
            ++cell.unanswered;
        }
        const auto found = run.alone.find(row["name"].get<std::string>());
        if (found == run.alone.end() || found->second.is_null()) {
            continue;
        }
        const nlohmann::json& own = found->second;
        bool above = false;
        for (const char* key : {"breakthroughTime", "minTime", "maxTime"}) {
            above = above || timeOf(row, key) > timeOf(own, key);
        }
        cell.above += above ? 1 : 0;
        cell.aboveByTenth +=
            timeOf(row, "breakthroughTime") > kMarkedExcess * timeOf(own, "breakthroughTime");
    }
}

CorpusTally::Cell CorpusTally::total(const std::string& method) const {
    Cell sum;
    const auto found = m_cells.find(method);
    if (found == m_cells.end()) {
        return sum;
    }
    for (const auto& [vapors, cell] : found->second) {
        sum.runs += cell.runs;
        sum.vapors += cell.vapors;
        sum.above += cell.above;
        sum.aboveByTenth += cell.aboveByTenth;
        sum.unanswered += cell.unanswered;
        sum.slow += cell.slow;
        if (cell.slowestSeconds > sum.slowestSeconds) {
            sum.slowestSeconds = cell.slowestSeconds;
            sum.slowestIndex = cell.slowestIndex;
        }
    }
    return sum;
}

void CorpusTally::print(std::ostream& out) const {
    out << "method        vapors  runs  vapors above alone (>10 %)  no time  above 1 s  slowest s (run)\n";
    for (const auto& [method, byCount] : m_cells) {
        for (const auto& [vapors, cell] : byCount) {
            out << std::left << std::setw(14) << method << std::setw(8) << vapors << std::setw(6) << cell.runs
                << std::setw(28)
                << (std::to_string(cell.above) + " of " + std::to_string(cell.vapors) + " (" +
                    std::to_string(cell.aboveByTenth) + ")")
                << std::setw(9) << cell.unanswered << std::setw(11) << cell.slow << cell.slowestSeconds
                << " (" << cell.slowestIndex << ")\n";
        }
    }
}

}  // namespace quandrelle::test
