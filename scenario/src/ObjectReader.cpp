#include "quandrelle/scenario/ObjectReader.h"

#include <cmath>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/DisplayFormat.h"

namespace quandrelle {

using nlohmann::json;

ObjectReader::ObjectReader(const json& object, std::string path, Problems& problems)
    : m_object(object), m_path(std::move(path)), m_problems(problems) {}

std::optional<double> ObjectReader::number(const char* key, const FieldLimits* limits, bool required) {
    const json* value = find(key, required);
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

std::optional<std::string> ObjectReader::name(const char* key, const char* what) {
    const std::optional<std::string> value = text(key, true);
    if (value && (value->find_first_not_of(" \t") == std::string::npos || isNoneSelected(*value))) {
        problem(key, std::string("must name the ") + what);
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ObjectReader::flag(const char* key) {
    const json* value = find(key, false);
    if (value != nullptr && !value->is_boolean()) {
        problem(key, "must be true or false, not " + std::string(value->type_name()));
        return std::nullopt;
    }
    return value == nullptr ? std::nullopt : std::optional<bool>(value->get<bool>());
}

std::optional<std::string> ObjectReader::text(const char* key, bool required) {
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

const json* ObjectReader::find(const char* key, bool required) {
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

void ObjectReader::rejectUnknownKeys() {
    for (const auto& item : m_object.items()) {
        if (!m_known.contains(item.key())) {
            problem(item.key().c_str(), "is not a known key");
        }
    }
}

void ObjectReader::problem(const char* key, const std::string& message) {
    m_problems.push_back(m_path + "." + key + ": " + message);
}

const json* objectAt(const json& parent, const char* key, const std::string& path, Problems& problems) {
    const std::string where = path.empty() ? std::string(key) : path + "." + key;
    const auto it = parent.find(key);
    if (it == parent.end()) {
        problems.push_back(where + ": is missing");
        return nullptr;
    }
    if (!it->is_object()) {
        problems.push_back(where + ": must be an object, not " + it->type_name());
        return nullptr;
    }
    return &*it;
}

}  // namespace quandrelle
