#include "quandrelle/scenario/Scenario.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/ProgrammeInputs.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/scenario/ObjectReader.h"
#include "quandrelle/validation/FieldLimitTables.h"

namespace quandrelle::calc {

namespace {

using nlohmann::json;

void readCartridge(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "cartridge", problems);
    const auto name = reader.name("name", "cartridge");
    const auto bedDiameter = reader.number("bedDiameter", &limits::kBedDiameter);
    const auto bedDepth = reader.number("bedDepth", &limits::kBedDepth);
    const auto carbonWeight = reader.number("carbonWeight", &limits::kCarbonWeight);
    const auto microporeVolume = reader.number("microporeVolume", &limits::kMicroporeVolume);
    const auto precondRH = reader.number("precondRH", &limits::kPrecondRH);
    const auto granuleDiameter = reader.number("granuleDiameter", &limits::kGranuleDiameter);
    const auto benzenePotential = reader.number("benzenePotential", &limits::kBenzenePotential);
    const auto waterAffinity = reader.number("waterAffinity", &limits::kWaterAffinity);
    reader.rejectUnknownKeys();
    if (!problems.empty()) {
        return;
    }
    storeCartridge(state, CartridgeInput{.name = *name,
                                         .bedDiameter = *bedDiameter,
                                         .bedDepth = *bedDepth,
                                         .carbonWeight = *carbonWeight,
                                         .microporeVolume = *microporeVolume,
                                         .precondRH = *precondRH,
                                         .granuleDiameter = *granuleDiameter,
                                         .benzenePotential = *benzenePotential,
                                         .waterAffinity = *waterAffinity});
}

void readConditions(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "conditions", problems);
    const auto temperature = reader.number("temperature", &limits::kTemperature);
    const auto pressure = reader.number("pressure", &limits::kAtmPressure);
    const auto relHumidity = reader.number("relHumidity", &limits::kRelHumidity);
    const auto cartridges = reader.number("cartridges", &limits::kCartridgesPerRespirator);
    const auto airFlow = reader.number("airFlow", &limits::kAirFlow);
    reader.rejectUnknownKeys();
    if (!problems.empty()) {
        return;
    }
    storeConditions(state, UseConditions{.temperature = *temperature,
                                         .pressure = *pressure,
                                         .relHumidity = *relHumidity,
                                         .cartridges = *cartridges,
                                         .airFlow = *airFlow});
}

void readVapor(const json& object, int slot, Scenario& scenario, Problems& problems) {
    ObjectReader reader(object, "vapors[" + std::to_string(slot) + "]", problems);
    const auto name = reader.name("name", "vapor");
    const auto cas = reader.text("cas", false);
    const auto molWt = reader.number("molWt", &limits::kMolWt);
    const auto liqDensity = reader.number("liqDensity", &limits::kLiqDensity);
    const auto molPolariz = reader.number("molPolariz", &limits::kMolPolariz);
    const auto waterSolFactor = reader.number("waterSolFactor", &limits::kWaterSolFactor);
    const auto concentration = reader.number("concentration", &limits::kVaporConcentration);
    const auto antoineA = reader.number("antoineA", &limits::kAntoineA);
    const auto antoineB = reader.number("antoineB", &limits::kAntoineB);
    const auto antoineC = reader.number("antoineC", &limits::kAntoineC);
    const auto breakConc = reader.number("breakConc", nullptr);
    const auto oel = reader.number("oel", nullptr, false);
    const auto idlh = reader.number("idlh", nullptr, false);
    const auto dataSource = reader.text("dataSource", false);
    reader.rejectUnknownKeys();
    if (!problems.empty()) {
        return;
    }
    CalcState& state = scenario.state;
    storeVapor(state, slot,
               VaporInput{.name = *name,
                          .molWt = *molWt,
                          .liqDensity = *liqDensity,
                          .molPolariz = *molPolariz,
                          .waterSolFactor = *waterSolFactor,
                          .concentration = *concentration,
                          .antoineA = *antoineA,
                          .antoineB = *antoineB,
                          .antoineC = *antoineC,
                          .cas = cas.value_or("")});
    try {
        storeExposureLimits(state, slot, oel, idlh);
    } catch (const ProgrammeInputError& error) {
        problems.push_back("vapors[" + std::to_string(slot) + "]: " + error.what());
        return;
    }
    scenario.exposureLimits = scenario.exposureLimits || oel || idlh;
    state.vapors[slot].dataSource = dataSource.value_or("");
    const VaporData& vapor = state.vapors[slot];
    // As the results screen stores a typed breakthrough concentration.
    state.breakConc[slot] = *breakConc;
    state.breakFraction[slot] = state.breakConc[slot] / vapor.avgConc;
    // The limits check reads the concentration as the results screen shows it.
    const double shownConcentration = std::strtod(generalText(vapor.avgConc).c_str(), nullptr);
    scenario.rows.push_back({shownConcentration, *breakConc});
}

void readSchedule(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "schedule", problems);
    ScheduleInputs input;
    input.safetyFactor = reader.number("safetyFactor", nullptr, false).value_or(input.safetyFactor);
    const std::optional<std::string> basis = reader.text("basis", false);
    input.shiftHours = reader.number("shiftHours", nullptr, false).value_or(input.shiftHours);
    input.wornHoursPerShift =
        reader.number("wornHoursPerShift", nullptr, false).value_or(input.wornHoursPerShift);
    input.acrossShifts = reader.flag("acrossShifts").value_or(input.acrossShifts);
    reader.rejectUnknownKeys();
    if (basis && *basis != "estimate" && *basis != "minimum") {
        problems.push_back("schedule.basis: must be \"estimate\" or \"minimum\", not \"" + *basis + "\"");
    }
    input.basis = basis == "minimum" ? ScheduleBasis::Minimum : ScheduleBasis::Estimate;
    if (!problems.empty()) {
        return;
    }
    try {
        storeSchedule(state, input);
    } catch (const ProgrammeInputError& error) {
        problems.push_back(std::string("schedule: ") + error.what());
    }
}

void readExposure(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "exposure", problems);
    const std::optional<std::string> facepiece = reader.text("facepiece", false);
    const std::optional<double> factor = reader.number("protectionFactor", nullptr, false);
    reader.rejectUnknownKeys();
    ExposureInputs input;
    if (facepiece && factor) {
        problems.push_back("exposure: give either facepiece or protectionFactor, not both");
    } else if (factor) {
        input = {.facepiece = Facepiece::Typed, .typedProtectionFactor = *factor};
    } else if (facepiece == "full facepiece") {
        input.facepiece = Facepiece::FullFacepiece;
    } else if (facepiece && *facepiece != "half mask") {
        problems.push_back("exposure.facepiece: must be \"half mask\" or \"full facepiece\", not \"" +
                           *facepiece + "\"");
    }
    if (!problems.empty()) {
        return;
    }
    try {
        storeExposure(state, input);
    } catch (const ProgrammeInputError& error) {
        problems.push_back(std::string("exposure: ") + error.what());
    }
}

// False when the file is of a version this program does not read.
bool readFormat(const json& input, Problems& problems) {
    const auto it = input.find("format");
    if (it == input.end()) {
        return true;
    }
    if (!it->is_number_integer()) {
        problems.push_back("format: must be the whole number " + std::to_string(kScenarioFormat) + ", not " +
                           (it->is_number() ? it->dump() : std::string(it->type_name())));
        return false;
    }
    const auto format = it->get<long long>();
    if (format > kScenarioFormat) {
        problems.push_back("format: " + std::to_string(format) +
                           " is of a later version of the program, which this one cannot read (it reads " +
                           std::to_string(kScenarioFormat) + ")");
        return false;
    }
    if (format < kScenarioFormat) {
        problems.push_back("format: " + std::to_string(format) +
                           " is not a version of the file (the first is " + std::to_string(kScenarioFormat) +
                           ")");
        return false;
    }
    return true;
}

void readReportHeader(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "report", problems);
    const auto site = reader.text("site", false);
    const auto task = reader.text("task", false);
    const auto preparedBy = reader.text("preparedBy", false);
    reader.rejectUnknownKeys();
    storeReportHeader(state, ReportHeader{site.value_or(""), task.value_or(""), preparedBy.value_or("")});
}

}  // namespace

Problems readScenario(const json& input, Scenario& scenario) {
    Problems problems;
    if (!input.is_object()) {
        problems.push_back(std::string("the scenario must be a JSON object, not ") + input.type_name());
        return problems;
    }
    scenario = Scenario{};
    for (const auto& item : input.items()) {
        if (item.key() != "cartridge" && item.key() != "conditions" && item.key() != "vapors" &&
            item.key() != "schedule" && item.key() != "exposure" && item.key() != "format" &&
            item.key() != "report") {
            problems.push_back(item.key() + ": is not a known key");
        }
    }
    if (!readFormat(input, problems)) {
        // Nothing else of a file of another version is judged by this version's rules.
        return problems;
    }
    if (input.contains("report")) {
        if (const json* report = objectAt(input, "report", "", problems)) {
            readReportHeader(*report, scenario.state, problems);
        }
    }
    if (const json* cartridge = objectAt(input, "cartridge", "", problems)) {
        readCartridge(*cartridge, scenario.state, problems);
    }
    if (const json* conditions = objectAt(input, "conditions", "", problems)) {
        readConditions(*conditions, scenario.state, problems);
    }
    if (input.contains("schedule")) {
        scenario.schedule = true;
        if (const json* schedule = objectAt(input, "schedule", "", problems)) {
            readSchedule(*schedule, scenario.state, problems);
        }
    }
    if (input.contains("exposure")) {
        scenario.exposure = true;
        if (const json* exposure = objectAt(input, "exposure", "", problems)) {
            readExposure(*exposure, scenario.state, problems);
        }
    }
    const auto vapors = input.find("vapors");
    if (vapors == input.end()) {
        problems.push_back("vapors: is missing");
    } else if (!vapors->is_array()) {
        problems.push_back(std::string("vapors: must be an array, not ") + vapors->type_name());
    } else if (vapors->empty() || vapors->size() > static_cast<std::size_t>(kMaxVapors)) {
        problems.push_back("vapors: must hold 1 to 5 vapors, not " + std::to_string(vapors->size()));
    } else {
        int slot = 0;
        for (const json& vapor : *vapors) {
            ++slot;
            if (!vapor.is_object()) {
                problems.push_back("vapors[" + std::to_string(slot) + "]: must be an object, not " +
                                   vapor.type_name());
                continue;
            }
            readVapor(vapor, slot, scenario, problems);
        }
        if (problems.empty()) {
            scenario.state.vaporCount = static_cast<std::int16_t>(slot);
            scenario.state.mixCount = scenario.state.vaporCount;
        }
    }
    if (!problems.empty()) {
        return problems;
    }
    // What the results screen derives when it is filled.
    setFaceVelocity(scenario.state);
    scenario.equivalentConcentration = roundHalfEven(equivalentConcentration(scenario.state), 2);
    return problems;
}

}  // namespace quandrelle::calc
