#include "quandrelle/scenario/ScenarioText.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace quandrelle::calc {

namespace {

using json = nlohmann::ordered_json;

// Walks the JSON events without building anything, keeping the path to the value being read so that
// a refusal names its field the way the scenario's problems do ("vapors[2].molWt").
class ShapeCheck : public nlohmann::json_sax<json> {
public:
    const std::optional<std::string>& problem() const { return m_problem; }

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool string(string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }
    bool start_object(std::size_t) override { return open(false); }
    bool start_array(std::size_t) override { return open(true); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override {
        m_path.back().key = name;
        return true;
    }

    bool parse_error(std::size_t, const std::string& token,
                     const nlohmann::detail::exception& error) override {
        // 406 is the library's "number overflow": the one parse failure that is a value out of range
        // rather than malformed text. Everything else is left to the parser's own message.
        if (error.id == 406) {
            value();
            m_problem = pathText() + ": " + token + " is too large a number";
        }
        return false;
    }

private:
    struct Level {
        bool array = false;
        std::size_t count = 0;  // values met so far in an array
        std::string key;        // the key being read in an object
    };

    bool value() {
        if (!m_path.empty() && m_path.back().array) {
            ++m_path.back().count;
        }
        return true;
    }

    bool open(bool array) {
        value();
        if (static_cast<int>(m_path.size()) >= kMaxScenarioNesting) {
            m_problem =
                pathText() + ": nested deeper than " + std::to_string(kMaxScenarioNesting) + " levels";
            return false;
        }
        m_path.push_back({array, 0, {}});
        return true;
    }

    bool close() {
        m_path.pop_back();
        return true;
    }

    // At most the outermost eight levels are named: enough to find the field in any scenario
    // without quoting sixty levels of brackets.
    std::string pathText() const {
        constexpr std::size_t kNamedLevels = 8;
        std::string text;
        for (std::size_t i = 0; i < m_path.size(); ++i) {
            const Level& level = m_path[i];
            if (i == kNamedLevels) {
                text += "...";
                break;
            }
            if (level.array) {
                text += "[" + std::to_string(level.count) + "]";
            } else {
                text += (text.empty() ? "" : ".") + level.key;
            }
        }
        return text.empty() ? "the scenario" : text;
    }

    std::vector<Level> m_path;
    std::optional<std::string> m_problem;
};

}  // namespace

Problems readScenarioText(std::string_view text, Scenario& scenario) {
    ShapeCheck check;
    json::sax_parse(text, &check);
    if (check.problem()) {
        return {*check.problem()};
    }
    json input;
    try {
        input = json::parse(text);
    } catch (const json::exception& error) {
        return {std::string("malformed JSON: ") + error.what()};
    }
    return readScenario(input, scenario);
}

}  // namespace quandrelle::calc
