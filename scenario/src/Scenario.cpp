#include "quandrelle/scenario/Scenario.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/ProgrammeInputs.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/validation/FieldLimitTables.h"

namespace quandrelle::calc {

namespace {

using nlohmann::json;

// Reads the values of one JSON object, collecting a problem for every key that is missing,
// unknown, of the wrong type or outside its field's limits.
class ObjectReader {
public:
    ObjectReader(const json& object, std::string path, Problems& problems)
        : m_object(object), m_path(std::move(path)), m_problems(problems) {}

    std::optional<double> number(const char* key, const FieldLimits* limits) {
        const json* value = find(key, true);
        if (value == nullptr) {
            return std::nullopt;
        }
        if (!value->is_number()) {
            problem(key, "must be a number, not " + std::string(value->type_name()));
            return std::nullopt;
        }
        const double number = value->get<double>();
        if (!std::isfinite(number)) {
            problem(key, "is not a finite number");
            return std::nullopt;
        }
        if (limits != nullptr && number < limits->lower) {
            problem(key, generalText(number) + " is below the lower limit of " + limits->lowerText);
            return std::nullopt;
        }
        if (limits != nullptr && number > limits->upper) {
            problem(key, generalText(number) + " is above the upper limit of " + limits->upperText);
            return std::nullopt;
        }
        return number;
    }

    // A name: required, and not the marker of a free slot.
    std::optional<std::string> name(const char* key) {
        const std::optional<std::string> value = text(key, true);
        if (value && (value->find_first_not_of(" \t") == std::string::npos || isNoneSelected(*value))) {
            problem(key,
                    "must name the " + std::string(m_path.starts_with("cartridge") ? "cartridge" : "vapor"));
            return std::nullopt;
        }
        return value;
    }

    // A number the object may leave out; no limits beyond being finite.
    std::optional<double> optionalNumber(const char* key) {
        if (!m_object.contains(key)) {
            m_known.insert(key);
            return std::nullopt;
        }
        return number(key, nullptr);
    }

    std::optional<std::string> text(const char* key, bool required) {
        const json* value = find(key, required);
        if (value == nullptr) {
            return std::nullopt;
        }
        if (!value->is_string()) {
            problem(key, "must be a text, not " + std::string(value->type_name()));
            return std::nullopt;
        }
        return value->get<std::string>();
    }

    // Every key of the object must be one of those read.
    void rejectUnknownKeys() {
        for (const auto& item : m_object.items()) {
            if (!m_known.contains(item.key())) {
                problem(item.key().c_str(), "is not a known key");
            }
        }
    }

private:
    const json* find(const char* key, bool required) {
        m_known.insert(key);
        const auto it = m_object.find(key);
        if (it == m_object.end()) {
            if (required) {
                problem(key, "is missing");
            }
            return nullptr;
        }
        return &*it;
    }

    void problem(const char* key, const std::string& message) {
        m_problems.push_back(m_path + "." + key + ": " + message);
    }

    const json& m_object;
    std::string m_path;
    Problems& m_problems;
    std::set<std::string> m_known;
};

const json* objectAt(const json& parent, const char* key, Problems& problems) {
    const auto it = parent.find(key);
    if (it == parent.end()) {
        problems.push_back(std::string(key) + ": is missing");
        return nullptr;
    }
    if (!it->is_object()) {
        problems.push_back(std::string(key) + ": must be an object, not " + it->type_name());
        return nullptr;
    }
    return &*it;
}

// Stores a programme input, turning its refusal into the problem of its object.
template <typename Store>
void storeOrReport(const char* object, Problems& problems, Store&& store) {
    try {
        store();
    } catch (const ProgrammeInputError& error) {
        problems.push_back(std::string(object) + ": " + error.what());
    }
}

void readCartridge(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "cartridge", problems);
    const auto name = reader.name("name");
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
    const auto name = reader.name("name");
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
    const auto oel = reader.optionalNumber("oel");
    const auto idlh = reader.optionalNumber("idlh");
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
    const std::string where = "vapors[" + std::to_string(slot) + "]";
    storeOrReport(where.c_str(), problems, [&] { storeExposureLimits(state, slot, oel, idlh); });
    state.vapors[slot].dataSource = dataSource.value_or("");
    const VaporData& vapor = state.vapors[slot];
    // As the results screen stores a typed breakthrough concentration.
    state.breakConc[slot] = *breakConc;
    state.breakFraction[slot] = state.breakConc[slot] / vapor.avgConc;
    // The limits check reads the concentration as the results screen shows it.
    const double shownConcentration = std::strtod(generalText(vapor.avgConc).c_str(), nullptr);
    scenario.rows.push_back({shownConcentration, *breakConc});
}

const std::set<std::string> kScenarioKeys = {"format",   "cartridge", "conditions", "vapors",
                                             "schedule", "exposure",  "report"};

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

void readSchedule(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "schedule", problems);
    const ScheduleInputs defaults;
    const auto safetyFactor = reader.optionalNumber("safetyFactor");
    const auto basis = reader.text("basis", false);
    const auto shiftHours = reader.optionalNumber("shiftHours");
    const auto wornHours = reader.optionalNumber("wornHoursPerShift");
    reader.rejectUnknownKeys();
    if (basis && *basis != "estimate" && *basis != "minimum") {
        problems.push_back("schedule.basis: must be \"estimate\" or \"minimum\", not \"" + *basis + "\"");
    }
    if (!problems.empty()) {
        return;
    }
    storeOrReport("schedule", problems, [&] {
        storeSchedule(
            state,
            ScheduleInputs{.safetyFactor = safetyFactor.value_or(defaults.safetyFactor),
                           .basis = basis == "minimum" ? ScheduleBasis::Minimum : ScheduleBasis::Estimate,
                           .shiftHours = shiftHours.value_or(defaults.shiftHours),
                           .wornHoursPerShift = wornHours.value_or(defaults.wornHoursPerShift)});
    });
}

void readExposure(const json& object, CalcState& state, Problems& problems) {
    ObjectReader reader(object, "exposure", problems);
    const auto facepiece = reader.text("facepiece", false);
    const auto protectionFactor = reader.optionalNumber("protectionFactor");
    reader.rejectUnknownKeys();
    if (facepiece && protectionFactor) {
        problems.push_back("exposure: give a facepiece or a protectionFactor, not both");
    } else if (facepiece && *facepiece != "half mask" && *facepiece != "full facepiece") {
        problems.push_back("exposure.facepiece: must be \"half mask\" or \"full facepiece\", not \"" +
                           *facepiece + "\"");
    }
    if (!problems.empty()) {
        return;
    }
    ExposureInputs input;
    if (protectionFactor) {
        input = ExposureInputs{Facepiece::Typed, *protectionFactor};
    } else if (facepiece == "full facepiece") {
        input.facepiece = Facepiece::FullFacepiece;
    }
    storeOrReport("exposure", problems, [&] { storeExposure(state, input); });
}

// An object the scenario may leave out.
void readOptionalObject(const json& input, const char* key, CalcState& state, Problems& problems,
                        void (*read)(const json&, CalcState&, Problems&)) {
    if (input.contains(key)) {
        if (const json* object = objectAt(input, key, problems)) {
            read(*object, state, problems);
        }
    }
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
        if (!kScenarioKeys.contains(item.key())) {
            problems.push_back(item.key() + ": is not a known key");
        }
    }
    if (!readFormat(input, problems)) {
        // Nothing else of a file of another version is judged by this version's rules.
        return problems;
    }
    readOptionalObject(input, "report", scenario.state, problems, readReportHeader);
    readOptionalObject(input, "schedule", scenario.state, problems, readSchedule);
    readOptionalObject(input, "exposure", scenario.state, problems, readExposure);
    if (const json* cartridge = objectAt(input, "cartridge", problems)) {
        readCartridge(*cartridge, scenario.state, problems);
    }
    if (const json* conditions = objectAt(input, "conditions", problems)) {
        readConditions(*conditions, scenario.state, problems);
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
