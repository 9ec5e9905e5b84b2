#include "quandrelle/calc/FitCommand.h"

#include <algorithm>
#include <iostream>

#include "quandrelle/calc/CalcProgram.h"
#include "quandrelle/calc/ScenarioText.h"
#include "quandrelle/calc/TextColumns.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/fit/InputJson.h"
#include "quandrelle/fit/LibraryVapor.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/stores/StoreError.h"
#include "quandrelle/validation/FieldLimitTables.h"

namespace quandrelle::calc {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

// A point's vapor: every property given, or a library vapor by name with its concentration. The
// library's vapor passes the same checks as a typed one.
std::optional<VaporInput> readPointVapor(const json& object, const std::string& path,
                                         const std::string& dataFolder, Problems& problems) {
    if (object.contains("molWt") || !object.contains("name")) {
        ObjectReader reader(object, path, problems);
        auto vapor = readVaporInput(reader);
        reader.rejectUnknownKeys();
        return vapor;
    }
    ObjectReader reader(object, path, problems);
    const auto name = reader.name("name", "vapor");
    const auto ppm = reader.number("concentration", &limits::kVaporConcentration);
    reader.rejectUnknownKeys();
    if (!name || !ppm) {
        return std::nullopt;
    }
    std::optional<VaporInput> found;
    try {
        found = libraryVapor(dataFolder, *name, *ppm);
    } catch (const StoreError& e) {
        problems.push_back(path + ".name: the vapor library cannot be read: " + e.what());
        return std::nullopt;
    }
    if (!found) {
        problems.push_back(path + ".name: \"" + *name + "\" is not in the vapor library (" + dataFolder +
                           "); give all of its properties instead");
        return std::nullopt;
    }
    const json stored = vaporJson(*found);
    ObjectReader check(stored, path + " (" + found->name + " from the vapor library)", problems);
    return readVaporInput(check);
}

std::optional<FitPoint> readPoint(const json& object, const std::string& path, const std::string& dataFolder,
                                  Problems& problems) {
    ObjectReader reader(object, path, problems);
    std::optional<UseConditions> conditions;
    reader.find("conditions", true);
    if (const json* found =
            object.contains("conditions") ? objectAt(object, "conditions", path, problems) : nullptr) {
        ObjectReader inner(*found, path + ".conditions", problems);
        conditions = readUseConditions(inner);
        inner.rejectUnknownKeys();
    }
    std::optional<VaporInput> vapor;
    reader.find("vapor", true);
    if (const json* found = object.contains("vapor") ? objectAt(object, "vapor", path, problems) : nullptr) {
        vapor = readPointVapor(*found, path + ".vapor", dataFolder, problems);
    }
    const auto breakConc = reader.number("breakConc", nullptr);
    const auto minutes = reader.number("minutes", nullptr);
    reader.rejectUnknownKeys();
    if (!conditions || !vapor || !breakConc || !minutes) {
        return std::nullopt;
    }
    return FitPoint{*conditions, *vapor, *breakConc, *minutes};
}

ordered_json resultJson(const FitResult& result) {
    ordered_json points = ordered_json::array();
    for (const FitPointOutcome& point : result.points) {
        points.push_back(
            {{"minutes", point.minutes}, {"predicted", point.predicted}, {"error", point.errorPercent}});
    }
    return {{"microporeVolume", result.cartridge.microporeVolume},
            {"benzenePotential", result.cartridge.benzenePotential},
            {"fitted", result.fitted},
            {"points", std::move(points)},
            {"notes", result.notes}};
}

bool wasFitted(const FitResult& result, const std::string& name) {
    return std::find(result.fitted.begin(), result.fitted.end(), name) != result.fitted.end();
}

void writeTable(const FitRequest& request, const FitResult& result, std::ostream& out) {
    out << "Cartridge: " << result.cartridge.name << "\n";
    out << "Micropore volume: " << generalText(result.cartridge.microporeVolume) << " cm3/g (fitted)\n";
    out << "Adsorption potential for benzene: " << generalText(result.cartridge.benzenePotential)
        << " kJ/mol (" << (wasFitted(result, "benzenePotential") ? "fitted" : "held") << ")\n\n";
    std::size_t nameWidth = 7;
    for (const FitPoint& point : request.points) {
        nameWidth = std::max(nameWidth, characterCount(point.vapor.name) + 2);
    }
    out << padded("#", 4) << padded("Vapor", nameWidth) << padded("Conc (ppm)", 13)
        << padded("Known (min)", 13) << padded("Predicted (min)", 17) << "Error (%)\n";
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        const FitPoint& point = request.points[i];
        const FitPointOutcome& outcome = result.points[i];
        out << padded(std::to_string(i + 1), 4) << padded(point.vapor.name, nameWidth)
            << padded(generalText(point.vapor.concentration), 13) << padded(minutesText(outcome.minutes), 13)
            << padded(minutesText(outcome.predicted), 17)
            << generalText(roundHalfEven(outcome.errorPercent, 1)) << "\n";
    }
    if (!result.notes.empty()) {
        out << "\n";
    }
    for (const std::string& note : result.notes) {
        out << "Note: " << note << "\n";
    }
}

}  // namespace

Problems readFitRequest(const json& input, const std::string& dataFolder, FitRequest& request) {
    Problems problems;
    if (!input.is_object()) {
        problems.push_back(std::string("the fit must be a JSON object, not ") + input.type_name());
        return problems;
    }
    request = FitRequest{};
    for (const auto& item : input.items()) {
        if (item.key() != "cartridge" && item.key() != "points") {
            problems.push_back(item.key() + ": is not a known key");
        }
    }
    if (const json* cartridge = objectAt(input, "cartridge", "", problems)) {
        ObjectReader reader(*cartridge, "cartridge", problems);
        const auto read = readCartridgeInput(reader, {.microporeVolume = false, .benzenePotential = false});
        if (cartridge->contains("microporeVolume")) {
            reader.problem("microporeVolume", "is what the fit finds: leave it out");
        }
        reader.find("microporeVolume", false);
        reader.rejectUnknownKeys();
        if (read) {
            request.cartridge = *read;
            if (cartridge->contains("benzenePotential")) {
                request.benzenePotential = read->benzenePotential;
            }
        }
    }
    const auto points = input.find("points");
    if (points == input.end() || !points->is_array()) {
        problems.push_back("points: must be a list of known breakthrough times");
    } else {
        for (std::size_t i = 0; i < points->size(); ++i) {
            const std::string path = "points[" + std::to_string(i + 1) + "]";
            if (!(*points)[i].is_object()) {
                problems.push_back(path + ": must be an object, not " + (*points)[i].type_name());
            } else if (auto point = readPoint((*points)[i], path, dataFolder, problems)) {
                request.points.push_back(std::move(*point));
            }
        }
    }
    if (problems.empty()) {
        problems = fitRequestProblems(request);
    }
    return problems;
}

int runFitCommand(const std::string& text, const std::string& source, bool asJson,
                  const std::string& dataFolder, std::ostream& out, std::ostream& err) {
    json input;
    Problems problems = parseScenarioJson(text, input);
    FitRequest request;
    if (problems.empty()) {
        problems = readFitRequest(input, dataFolder, request);
    }
    if (!problems.empty()) {
        for (const std::string& problem : problems) {
            err << source << ": " << problem << "\n";
        }
        return kExitBadInput;
    }
    const FitResult result = fitCartridge(request);
    if (result.status != FitStatus::Fitted) {
        err << result.problem << "\n";
        return kExitRefusedOrFailed;
    }
    if (asJson) {
        out << resultJson(result).dump(2) << "\n";
    } else {
        writeTable(request, result, out);
    }
    return kExitResults;
}

}  // namespace quandrelle::calc
