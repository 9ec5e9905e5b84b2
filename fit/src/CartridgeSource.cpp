#include "quandrelle/fit/CartridgeSource.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/fit/InputJson.h"
#include "quandrelle/stores/CartridgeStore.h"
#include "quandrelle/stores/RecordText.h"

namespace quandrelle {

namespace fs = std::filesystem;
using nlohmann::json;
using nlohmann::ordered_json;

namespace {

constexpr std::string_view kFormat = "quandrelle-cartridge-source";
constexpr int kVersion = 1;
constexpr std::size_t kNameWidth = 35;

const char* originWord(CartridgeOrigin origin) {
    return origin == CartridgeOrigin::Starter ? "starter" : "fit";
}

// The record key as a file name: letters and digits stay, every other byte becomes %XX, so that no
// name can reach outside the folder or collide with another key.
std::string fileNameFor(std::string_view key) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string name;
    for (const char c : key) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') || byte == '-' || byte == '_') {
            name += c;
        } else {
            name += '%';
            name += kHex[byte >> 4];
            name += kHex[byte & 0x0F];
        }
    }
    return name + ".json";
}

ordered_json pointJson(const FitPoint& point, std::optional<double> predicted) {
    ordered_json out{{"conditions", conditionsJson(point.conditions)},
                     {"vapor", vaporJson(point.vapor)},
                     {"breakConc", point.breakConc},
                     {"minutes", point.minutes}};
    if (predicted) {
        out["predicted"] = *predicted;
    }
    return out;
}

void readPoint(const json& object, const std::string& path, CartridgeSourceRecord& record,
               Problems& problems) {
    ObjectReader reader(object, path, problems);
    std::optional<UseConditions> conditions;
    if (const json* found = objectAt(object, "conditions", path, problems)) {
        ObjectReader inner(*found, path + ".conditions", problems);
        conditions = readUseConditions(inner);
        inner.rejectUnknownKeys();
    }
    reader.find("conditions", true);
    std::optional<VaporInput> vapor;
    if (const json* found = objectAt(object, "vapor", path, problems)) {
        ObjectReader inner(*found, path + ".vapor", problems);
        vapor = readVaporInput(inner);
        inner.rejectUnknownKeys();
    }
    reader.find("vapor", true);
    const auto breakConc = reader.number("breakConc", nullptr);
    const auto minutes = reader.number("minutes", nullptr);
    const auto predicted = reader.number("predicted", nullptr, false);
    reader.rejectUnknownKeys();
    if (conditions && vapor && breakConc && minutes) {
        record.points.push_back({*conditions, *vapor, *breakConc, *minutes});
        record.predicted.push_back(predicted.value_or(0));
    }
}

std::vector<std::string> texts(const json& value, const char* key, Problems& problems) {
    std::vector<std::string> out;
    const auto it = value.find(key);
    if (it == value.end()) {
        return out;
    }
    if (!it->is_array()) {
        problems.push_back(std::string(key) + ": must be a list of texts");
        return out;
    }
    for (const json& item : *it) {
        if (!item.is_string()) {
            problems.push_back(std::string(key) + ": must be a list of texts");
            return {};
        }
        out.push_back(item.get<std::string>());
    }
    return out;
}

void readTest(const json& value, CartridgeSourceRecord& record, Problems& problems) {
    const json* test = objectAt(value, "test", "", problems);
    if (test == nullptr) {
        return;
    }
    ObjectReader reader(*test, "test", problems);
    const auto name = reader.text("name", true);
    const auto source = reader.text("source", true);
    reader.rejectUnknownKeys();
    if (name && source) {
        record.test = CertificationTest{*name, *source};
    }
}

std::string joined(const Problems& problems) {
    std::string text;
    for (const std::string& problem : problems) {
        text += (text.empty() ? "" : "; ") + problem;
    }
    return text;
}

// The cartridge values as the calculation state holds them, so that a record is compared with the
// cartridge in use exactly as Calculate would see both.
bool sameCartridge(const CalcState& inUse, const CartridgeInput& saved) {
    CalcState scratch;
    storeCartridge(scratch, saved);
    return scratch.bedDiameter == inUse.bedDiameter && scratch.bedDepth == inUse.bedDepth &&
           scratch.carbonWeight == inUse.carbonWeight && scratch.microporeVolume == inUse.microporeVolume &&
           scratch.precondRH == inUse.precondRH && scratch.granuleDiameter == inUse.granuleDiameter &&
           scratch.benzenePotential == inUse.benzenePotential && scratch.waterAffinity == inUse.waterAffinity;
}

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw CartridgeSourceError(path.string() + ": cannot be read");
    }
    return text;
}

}  // namespace

fs::path cartridgeSourcePath(const std::string& dataFolder, std::string_view cartName) {
    const std::string key = upperCaseName(trimBlanks(storedForm(cartName, kNameWidth)));
    return fs::path(dataFolder) / kCartridgeSourceFolder / fileNameFor(key);
}

std::string cartridgeSourceText(const CartridgeSourceRecord& record) {
    ordered_json out{{"format", kFormat},
                     {"version", kVersion},
                     {"origin", originWord(record.origin)},
                     {"cartridge", cartridgeJson(record.cartridge)},
                     {"fitted", record.fitted}};
    if (record.test) {
        out["test"] = {{"name", record.test->name}, {"source", record.test->source}};
    }
    ordered_json points = ordered_json::array();
    for (std::size_t i = 0; i < record.points.size(); ++i) {
        points.push_back(pointJson(record.points[i], i < record.predicted.size()
                                                         ? std::optional<double>(record.predicted[i])
                                                         : std::nullopt));
    }
    out["points"] = std::move(points);
    out["notes"] = record.notes;
    return out.dump(2) + "\n";
}

CartridgeSourceRecord readCartridgeSourceText(std::string_view text) {
    const json value = json::parse(text, nullptr, false);
    if (value.is_discarded() || !value.is_object()) {
        throw CartridgeSourceError("not a JSON object");
    }
    Problems problems;
    if (value.value("format", std::string()) != kFormat || value.value("version", 0) != kVersion) {
        throw CartridgeSourceError(std::string("not a cartridge source file of version ") +
                                   std::to_string(kVersion));
    }
    CartridgeSourceRecord record;
    const std::string origin = value.value("origin", std::string());
    if (origin == "starter") {
        record.origin = CartridgeOrigin::Starter;
        readTest(value, record, problems);
    } else if (origin != "fit") {
        problems.push_back("origin: must be \"starter\" or \"fit\"");
    }
    if (const json* cartridge = objectAt(value, "cartridge", "", problems)) {
        ObjectReader reader(*cartridge, "cartridge", problems);
        if (auto read = readCartridgeInput(reader)) {
            record.cartridge = std::move(*read);
        }
        reader.rejectUnknownKeys();
    }
    record.fitted = texts(value, "fitted", problems);
    record.notes = texts(value, "notes", problems);
    const auto points = value.find("points");
    if (points == value.end() || !points->is_array()) {
        problems.push_back("points: must be a list");
    } else {
        for (std::size_t i = 0; i < points->size(); ++i) {
            const std::string path = "points[" + std::to_string(i + 1) + "]";
            if (!(*points)[i].is_object()) {
                problems.push_back(path + ": must be an object");
                continue;
            }
            readPoint((*points)[i], path, record, problems);
        }
    }
    if (!problems.empty()) {
        throw CartridgeSourceError(joined(problems));
    }
    return record;
}

void writeCartridgeSource(const std::string& dataFolder, const CartridgeSourceRecord& record) {
    const fs::path path = cartridgeSourcePath(dataFolder, record.cartridge.name);
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error) {
        throw CartridgeSourceError(path.parent_path().string() + ": cannot be created: " + error.message());
    }
    // Written whole under another name and moved into place, so that a reader never meets half a file.
    fs::path partial = path;
    partial += ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << cartridgeSourceText(record);
        out.close();
        if (!out) {
            fs::remove(partial, error);
            throw CartridgeSourceError(path.string() + ": cannot be written");
        }
    }
    fs::rename(partial, path, error);
    if (error) {
        fs::remove(partial, error);
        throw CartridgeSourceError(path.string() + ": cannot be written: " + error.message());
    }
}

CartridgeSource cartridgeSource(const std::string& dataFolder, std::string_view cartName,
                                const CalcState* inUse) {
    const fs::path path = cartridgeSourcePath(dataFolder, cartName);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return {};
    }
    CartridgeSource source;
    try {
        source.record = readCartridgeSourceText(readWhole(path));
    } catch (const std::exception& e) {
        source.note = "Its source file " + path.string() + " cannot be read: " + e.what() + ".";
        return source;
    }
    if (inUse != nullptr && !sameCartridge(*inUse, source.record->cartridge)) {
        source.note = "Its values differ from those it was derived with (" + path.string() +
                      "): they were changed afterwards.";
        return source;
    }
    source.origin = source.record->origin;
    return source;
}

std::string CartridgeSource::summary() const {
    if (origin == CartridgeOrigin::Typed || !record) {
        std::string text = "Typed by the user; where its values come from is not recorded.";
        return note.empty() ? text : text + " " + note;
    }
    std::string fitted;
    for (const std::string& name : record->fitted) {
        fitted += (fitted.empty() ? "" : " and ") + name;
    }
    if (origin == CartridgeOrigin::Starter && record->test) {
        return "Starter cartridge: its " + fitted +
               " were fitted so that it just meets the minimum time of the " + record->test->name + " (" +
               record->test->source + "); a cartridge approved under that test lasts at least as long.";
    }
    std::string text = "Fitted (" + fitted + ") to " + std::to_string(record->points.size()) +
                       " known breakthrough time" + (record->points.size() == 1 ? "" : "s") + ":";
    for (std::size_t i = 0; i < record->points.size(); ++i) {
        const FitPoint& point = record->points[i];
        text += (i == 0 ? " " : "; ") + point.vapor.name + " at " + generalText(point.vapor.concentration) +
                " ppm, " + generalText(point.minutes) + " min";
        if (i < record->predicted.size()) {
            text += " (predicted " + minutesText(record->predicted[i]) + " min)";
        }
    }
    return text + ".";
}

}  // namespace quandrelle
