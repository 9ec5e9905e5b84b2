#include "quandrelle/fit/FitRequestJson.h"

#include "quandrelle/fit/InputJson.h"
#include "quandrelle/fit/LibraryVapor.h"
#include "quandrelle/stores/StoreError.h"
#include "quandrelle/validation/FieldLimitTables.h"

namespace quandrelle {

namespace {

using nlohmann::json;

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

}  // namespace quandrelle
