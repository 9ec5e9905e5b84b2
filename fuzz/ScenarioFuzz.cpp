// The command-line calculator's scenario reader on any text: it must either fill a scenario or name
// what is wrong, and a filled scenario must hold only values its fields accept. Saved again, a filled
// scenario must read back to the same inputs.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "quandrelle/scenario/ScenarioFile.h"
#include "quandrelle/scenario/ScenarioText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    quandrelle::calc::Scenario scenario;
    const quandrelle::calc::Problems problems = quandrelle::calc::readScenarioText(text, scenario);
    if (problems.empty()) {
        const auto& state = scenario.state;
        if (state.vaporCount < 1 || state.vaporCount > 5 || !std::isfinite(state.airFlow) ||
            !std::isfinite(scenario.equivalentConcentration)) {
            std::abort();
        }
        quandrelle::calc::Scenario saved;
        if (!quandrelle::calc::readScenarioText(quandrelle::calc::scenarioText(state), saved).empty() ||
            !quandrelle::calc::sameInputs(saved.state, state)) {
            std::abort();
        }
    }
    return 0;
}
