#include "quandrelle/engine/Calculate.h"

#include <utility>

#include "quandrelle/engine/Cautions.h"

#include "IAST.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {

bool withinBreakFractionLimits(const CalcState& state, std::span<const BreakthroughRow> rows) {
    for (int n = 1; n <= state.vaporCount; ++n) {
        const auto index = static_cast<std::size_t>(n - 1);
        const BreakthroughRow row = index < rows.size() ? rows[index] : BreakthroughRow{};
        // A concentration below 0 is refused like one of 0: it would turn a fraction above the
        // limit into a negative one that passes.
        if (!(row.concentration > 0)) {
            return false;
        }
        if (row.breakConc / row.concentration > kMaxBreakFraction || !(row.breakConc > 0)) {
            return false;
        }
    }
    return true;
}

std::string failureText(const CalcState& state, const CalcError& error) {
    if (error.kind() != CalcErrorKind::Overflow || error.endsProgram()) {
        return error.description();
    }
    std::string text = "Arithmetic Overflow.\nPlease check your values.";
    if (state.preparingSlot >= kFirstSlot && state.preparingSlot <= kMaxVapors) {
        text += "\nMolecular Volume: " + generalText(state.vapors[state.preparingSlot].molVolume);
    }
    return text;
}

void appendRunCautions(const CalcState& state, RunReport& report) {
    for (std::string& caution : runCautions(state, report.method == RunMethod::Conservative)) {
        report.addCaution(std::move(caution));
    }
}

CalculateOutcome runCalculation(CalcState& state) {
    try {
        PrepareRun(state);
        MixtureSequence(state);
        appendRunCautions(state, state.runReport);
        return {};
    } catch (const CalcError& error) {
        return CalculateOutcome{CalculateStatus::Failed, failureText(state, error), error.endsProgram()};
    }
}

CalculateOutcome Calculate(CalcState& state, std::span<const BreakthroughRow> rows,
                           const std::function<void()>& clearResults) {
    if (!withinBreakFractionLimits(state, rows)) {
        return CalculateOutcome{CalculateStatus::OutOfLimits, {}, false};
    }
    if (clearResults) {
        clearResults();
    }
    return runCalculation(state);
}

}  // namespace quandrelle
