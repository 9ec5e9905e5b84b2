#pragma once

// The JSON forms of the three input groups (a cartridge, the use conditions, a vapor), read and
// written in one place: the command-line scenarios, the fit files and the record of where a fitted
// cartridge came from all use them, so that a value means the same wherever it is written.

#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "quandrelle/engine/Inputs.h"
#include "quandrelle/validation/NumericField.h"

namespace quandrelle {

// Everything wrong with an input, one entry per problem, each naming its field
// ("cartridge.bedDepth: ...").
using Problems = std::vector<std::string>;

// Reads the values of one JSON object, collecting a problem for every key that is missing,
// unknown, of the wrong type or outside its field's limits.
class ObjectReader {
public:
    ObjectReader(const nlohmann::json& object, std::string path, Problems& problems);

    // A required number (or an optional one: nothing, and no problem, when the key is absent).
    std::optional<double> number(const char* key, const FieldLimits* limits, bool required = true);
    // A required name that is not the marker of a free slot; `what` is what it names.
    std::optional<std::string> name(const char* key, const char* what);
    std::optional<std::string> text(const char* key, bool required);
    // Marks a key as known without reading it (a caller reads it itself).
    const nlohmann::json* find(const char* key, bool required);
    // Every key of the object must be one of those read.
    void rejectUnknownKeys();
    void problem(const char* key, const std::string& message);
    const std::string& path() const { return m_path; }

private:
    const nlohmann::json& m_object;
    std::string m_path;
    Problems& m_problems;
    std::set<std::string> m_known;
};

// The object at `key` of `parent`, or a problem ("path.key: is missing", "... must be an object").
const nlohmann::json* objectAt(const nlohmann::json& parent, const char* key, const std::string& path,
                               Problems& problems);

// Which of the cartridge's values must be given. A cartridge to be fitted leaves out the micropore
// volume and may leave out the adsorption potential.
struct CartridgeKeys {
    bool microporeVolume = true;
    bool benzenePotential = true;
};

// Each reader reads its group's keys through `reader` and gives the group only when every value
// was there and within its limits; the problems say what was not. The caller rejects unknown keys
// once it has read any keys of its own from the same object.
std::optional<CartridgeInput> readCartridgeInput(ObjectReader& reader, CartridgeKeys keys = {});
std::optional<UseConditions> readUseConditions(ObjectReader& reader);
// A vapor with every property and its concentration.
std::optional<VaporInput> readVaporInput(ObjectReader& reader);

// The same objects written back, every value as a number.
nlohmann::ordered_json cartridgeJson(const CartridgeInput& cartridge);
nlohmann::ordered_json conditionsJson(const UseConditions& conditions);
nlohmann::ordered_json vaporJson(const VaporInput& vapor);

}  // namespace quandrelle
