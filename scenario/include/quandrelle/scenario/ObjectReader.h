#pragma once

// Reading the objects of an input document (a scenario, a fit request, the record of a fitted
// cartridge) key by key, so that every file the programs read reports its problems alike: each
// naming its field, every missing, unknown, mistyped or out-of-limits value at once.

#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

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
    // An optional true or false.
    std::optional<bool> flag(const char* key);
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

// The object at `key` of `parent`, or a problem ("path.key: is missing", "... must be an object");
// an empty path is the top of the document.
const nlohmann::json* objectAt(const nlohmann::json& parent, const char* key, const std::string& path,
                               Problems& problems);

}  // namespace quandrelle
