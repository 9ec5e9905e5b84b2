#pragma once

// The Calculate command without its screen: the check of the breakthrough fractions, then the run
// (PrepareRun and MixtureSequence), and the text the user is shown when the run fails. The results
// screen and the command-line calculator both go through here.
//
// The screen reads its concentration and breakthrough-concentration texts into numbers, calls
// withinBreakFractionLimits, and when the rows pass empties its result labels, calls runCalculation
// and shows the results (or the failure text in the "Error" box, then ends the program when
// endProgram is set). Calculate does the same in one call for callers without labels.

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "quandrelle/engine/CalcError.h"
#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// The largest breakthrough fraction (breakthrough over feed concentration) the model holds for.
inline constexpr double kMaxBreakFraction = 0.5;

inline constexpr std::string_view kLimitsMessageText =
    "This model is not valid for breakthrough fractions above 0.5 or at zero or below. Please select "
    "breakthrough concentrations within these limits.";
inline constexpr std::string_view kErrorTitle = "Error";

// The numbers of one row of the results screen, as read from its texts.
struct BreakthroughRow {
    double concentration = 0;  // ppm
    double breakConc = 0;      // ppm
};

enum class CalculateStatus {
    Done,         // the results are in the state
    OutOfLimits,  // refused before anything was changed: show kLimitsMessageText
    Failed,       // the run failed: show errorText in the "Error" box
};

struct CalculateOutcome {
    CalculateStatus status = CalculateStatus::Done;
    std::string errorText;    // for Failed
    bool endProgram = false;  // for Failed: end the program after the message
};

// True when every row 1..vaporCount (rows[0] is row 1) has a concentration above 0 and a
// breakthrough concentration above 0 and at most half of it. A missing row counts as empty.
bool withinBreakFractionLimits(const CalcState& state, std::span<const BreakthroughRow> rows);

// Appends to the run's notes the cautions that follow from the state of a finished run (after the
// engine's own notes on how the equilibrium was found). Every reader of a run's results sees them,
// so a caution about the inputs or the results belongs here rather than in a screen.
void appendRunCautions(const CalcState& state, RunReport& report);

// PrepareRun, MixtureSequence, then appendRunCautions: on Done, state.runReport holds the method
// and the notes of the run. Never throws a CalcError: a failure comes back as Failed, with
// the state as the run left it.
CalculateOutcome runCalculation(CalcState& state);

// The whole command: the limits check (OutOfLimits leaves the state untouched), then
// clearResults (when given), then runCalculation.
CalculateOutcome Calculate(CalcState& state, std::span<const BreakthroughRow> rows,
                           const std::function<void()>& clearResults = {});

// The "Error" box text for a failed run: for an overflow "Arithmetic Overflow.", "Please check
// your values." and "Molecular Volume: " with the molar volume of the vapor whose preparation was
// under way (the last line is left out when no preparation was under way); otherwise the error's
// own description.
std::string failureText(const CalcState& state, const CalcError& error);

}  // namespace quandrelle
