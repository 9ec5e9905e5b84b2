#include "quandrelle/scenario/ScenarioFile.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>

#include "quandrelle/engine/CalcError.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/scenario/ScenarioText.h"
#include "quandrelle/stores/FileReplace.h"

namespace quandrelle::calc {

namespace {

using json = nlohmann::ordered_json;

// The decimal with the fewest significant digits, near `approximate`, that `store` turns into
// `stored`: the entry that the user would have typed to get the stored value. When none does (the
// stored value is no entry's), the approximation, which the read-back check of a save then refuses.
double shortestEntry(float stored, double approximate, const std::function<float(double)>& store) {
    constexpr int kDoubleDigits = 17;
    for (int digits = 1; digits <= kDoubleDigits; ++digits) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, approximate);
        const double candidate = std::strtod(buffer, nullptr);
        try {
            if (store(candidate) == stored) {
                return candidate;
            }
        } catch (const std::exception&) {
            // A candidate beyond single precision is no entry of this value.
        }
    }
    return approximate;
}

double singleEntry(float stored) {
    return shortestEntry(stored, stored, toSingle);
}

double percentEntry(float fraction) {
    return shortestEntry(fraction, static_cast<double>(fraction) * 100, humidityFraction);
}

// The water affinity as entered: the stored one is raised by the preconditioning factor for a
// carbon preconditioned above 50 % humidity, which reads the stored preconditioning humidity.
double waterAffinityEntry(const CalcState& state) {
    CalcState carbon;
    carbon.precondRH = state.precondRH;
    setBetaH2O(carbon, 1.0f);
    const double factor = carbon.waterAffinity;
    return shortestEntry(state.waterAffinity, state.waterAffinity / factor, [&carbon](double entered) {
        setBetaH2O(carbon, toSingle(entered));
        return carbon.waterAffinity;
    });
}

// Whole numbers as whole numbers ("10", not "10.0"), as a person writes them; both read back as
// the same double.
json number(double value) {
    constexpr double kExactWholeNumbers = 9007199254740992.0;  // 2^53
    if (std::trunc(value) == value && std::fabs(value) < kExactWholeNumbers) {
        return static_cast<std::int64_t>(value);
    }
    return value;
}

json cartridgeJson(const CalcState& state) {
    const CartridgeInput entries = cartridgeEntries(state);
    return {{"name", entries.name},
            {"bedDiameter", number(entries.bedDiameter)},
            {"bedDepth", number(entries.bedDepth)},
            {"carbonWeight", number(entries.carbonWeight)},
            {"microporeVolume", number(entries.microporeVolume)},
            {"precondRH", number(entries.precondRH)},
            {"granuleDiameter", number(entries.granuleDiameter)},
            {"benzenePotential", number(entries.benzenePotential)},
            {"waterAffinity", number(entries.waterAffinity)}};
}

json conditionsJson(const CalcState& state) {
    const UseConditions entries = conditionEntries(state);
    return {{"temperature", number(entries.temperature)},
            {"pressure", number(entries.pressure)},
            {"relHumidity", number(entries.relHumidity)},
            {"cartridges", state.cartsPerRespirator},
            {"airFlow", number(entries.airFlow)}};
}

json vaporJson(const CalcState& state, int slot) {
    const VaporData& vapor = state.vapors[slot];
    return {{"name", vapor.chemName},
            {"cas", vapor.casNumber},
            {"molWt", number(singleEntry(vapor.molWt))},
            {"liqDensity", number(singleEntry(vapor.liqDensity))},
            {"molPolariz", number(singleEntry(vapor.molPolariz))},
            {"waterSolFactor", number(singleEntry(vapor.waterSolFactor))},
            {"concentration", number(singleEntry(vapor.avgConc))},
            {"antoineA", number(singleEntry(vapor.antoineA))},
            {"antoineB", number(singleEntry(vapor.antoineB))},
            {"antoineC", number(singleEntry(vapor.antoineC))},
            {"breakConc", number(state.breakConc[slot])}};
}

// A vapor's exposure limits and data source appear only where they were given.
json vaporJsonWithLimits(const CalcState& state, int slot) {
    json vapor = vaporJson(state, slot);
    const VaporData& data = state.vapors[slot];
    if (data.oel) {
        vapor["oel"] = number(*data.oel);
    }
    if (data.idlh) {
        vapor["idlh"] = number(*data.idlh);
    }
    if (!data.dataSource.empty()) {
        vapor["dataSource"] = data.dataSource;
    }
    return vapor;
}

json scheduleJson(const ScheduleInputs& schedule) {
    return {{"safetyFactor", number(schedule.safetyFactor)},
            {"basis", schedule.basis == ScheduleBasis::Minimum ? "minimum" : "estimate"},
            {"shiftHours", number(schedule.shiftHours)},
            {"wornHoursPerShift", number(schedule.wornHoursPerShift)},
            {"acrossShifts", schedule.acrossShifts}};
}

json exposureJson(const ExposureInputs& exposure) {
    switch (exposure.facepiece) {
        case Facepiece::Typed:
            return {{"protectionFactor", number(exposure.typedProtectionFactor)}};
        case Facepiece::FullFacepiece:
            return {{"facepiece", "full facepiece"}};
        case Facepiece::HalfMask:
            break;
    }
    return {{"facepiece", "half mask"}};
}

bool sameProgrammeInputs(const CalcState& a, const CalcState& b) {
    const ScheduleInputs& s = a.schedule;
    const ScheduleInputs& t = b.schedule;
    const bool sameExposure = a.exposure.facepiece == b.exposure.facepiece &&
                              (a.exposure.facepiece != Facepiece::Typed ||
                               a.exposure.typedProtectionFactor == b.exposure.typedProtectionFactor);
    return s.safetyFactor == t.safetyFactor && s.basis == t.basis && s.shiftHours == t.shiftHours &&
           s.wornHoursPerShift == t.wornHoursPerShift && s.acrossShifts == t.acrossShifts && sameExposure &&
           a.reportHeader.site == b.reportHeader.site && a.reportHeader.task == b.reportHeader.task &&
           a.reportHeader.preparedBy == b.reportHeader.preparedBy;
}

bool sameVapor(const VaporData& a, const VaporData& b) {
    return a.chemName == b.chemName && a.molWt == b.molWt && a.liqDensity == b.liqDensity &&
           a.molPolariz == b.molPolariz && a.waterSolFactor == b.waterSolFactor && a.avgConc == b.avgConc &&
           a.antoineA == b.antoineA && a.antoineB == b.antoineB && a.antoineC == b.antoineC &&
           a.casNumber == b.casNumber && a.oel == b.oel && a.idlh == b.idlh && a.dataSource == b.dataSource;
}

}  // namespace

CartridgeInput cartridgeEntries(const CalcState& state) {
    return {.name = state.cartName,
            .bedDiameter = singleEntry(state.bedDiameter),
            .bedDepth = singleEntry(state.bedDepth),
            .carbonWeight = singleEntry(state.carbonWeight),
            .microporeVolume = singleEntry(state.microporeVolume),
            .precondRH = percentEntry(state.precondRH),
            .granuleDiameter = singleEntry(state.granuleDiameter),
            .benzenePotential = singleEntry(state.benzenePotential),
            .waterAffinity = waterAffinityEntry(state)};
}

UseConditions conditionEntries(const CalcState& state) {
    return {.temperature = singleEntry(state.tempC),
            .pressure = singleEntry(state.atmPressure),
            .relHumidity = percentEntry(state.relHumidity),
            .cartridges = static_cast<double>(state.cartsPerRespirator),
            .airFlow = singleEntry(state.airFlow)};
}

std::string scenarioText(const CalcState& state) {
    json vapors = json::array();
    for (int slot = kFirstSlot; slot <= state.vaporCount; ++slot) {
        if (isSlotInUse(state.vapors[slot])) {
            vapors.push_back(vaporJsonWithLimits(state, slot));
        }
    }
    const json file = {
        {"format", kScenarioFormat},
        {"cartridge", cartridgeJson(state)},
        {"conditions", conditionsJson(state)},
        {"vapors", vapors},
        {"schedule", scheduleJson(state.schedule)},
        {"exposure", exposureJson(state.exposure)},
        {"report",
         {{"site", state.reportHeader.site},
          {"task", state.reportHeader.task},
          {"preparedBy", state.reportHeader.preparedBy}}},
    };
    return file.dump(2) + "\n";
}

bool sameInputs(const CalcState& a, const CalcState& b) {
    const bool sameCartridge =
        a.cartName == b.cartName && a.bedDiameter == b.bedDiameter && a.bedDepth == b.bedDepth &&
        a.carbonWeight == b.carbonWeight && a.microporeVolume == b.microporeVolume &&
        a.precondRH == b.precondRH && a.granuleDiameter == b.granuleDiameter &&
        a.benzenePotential == b.benzenePotential && a.waterAffinity == b.waterAffinity &&
        a.waterAffinityHalf == b.waterAffinityHalf;
    const bool sameConditions = a.tempC == b.tempC && a.atmPressure == b.atmPressure &&
                                a.relHumidity == b.relHumidity && a.airFlow == b.airFlow &&
                                a.cartsPerRespirator == b.cartsPerRespirator;
    if (!sameCartridge || !sameConditions || !sameProgrammeInputs(a, b) || a.vaporCount != b.vaporCount) {
        return false;
    }
    for (int slot = kFirstSlot; slot <= a.vaporCount; ++slot) {
        if (!sameVapor(a.vapors[slot], b.vapors[slot]) || a.breakConc[slot] != b.breakConc[slot] ||
            a.breakFraction[slot] != b.breakFraction[slot]) {
            return false;
        }
    }
    return true;
}

Problems saveScenarioFile(const std::filesystem::path& file, const CalcState& state) {
    std::string text;
    try {
        text = scenarioText(state);
    } catch (const json::exception&) {
        // The one way writing can fail: a text that is not UTF-8, which a file of JSON cannot hold.
        return {"a name or text of the calculation is not valid UTF-8, so it was not saved"};
    }
    Scenario readBack;
    Problems problems;
    try {
        problems = readScenarioText(text, readBack);
    } catch (const CalcError& error) {
        problems = {error.description()};
    }
    if (!problems.empty()) {
        return problems;
    }
    if (!sameInputs(readBack.state, state)) {
        return {"the file would not give back the calculation as it is, so it was not saved"};
    }
    if (const std::error_code error = replaceFileContents(file, text, 0644)) {
        return {"cannot write " + file.string() + ": " + error.message()};
    }
    return {};
}

Problems openScenarioFile(const std::filesystem::path& file, Scenario& scenario) {
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        return {"cannot read " + file.string() + ": is a folder"};
    }
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) {
        return {"cannot read " + file.string() + ": " + error.message()};
    }
    if (size > kMaxScenarioFileBytes) {
        return {file.string() + " is larger than any calculation file (" + std::to_string(size) + " bytes)"};
    }
    std::ifstream in(file, std::ios::binary);
    std::string text;
    if (in) {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!in && !in.eof()) {
        return {"cannot read " + file.string() + ": " + std::strerror(errno)};
    }
    Scenario opened;
    try {
        if (Problems problems = readScenarioText(text, opened); !problems.empty()) {
            return problems;
        }
    } catch (const CalcError& caught) {
        return {caught.description()};
    }
    scenario = std::move(opened);
    return {};
}

}  // namespace quandrelle::calc
