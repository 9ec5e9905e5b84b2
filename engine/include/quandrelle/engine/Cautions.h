#pragma once

// The cautions a hygienist must read beside a finished run before turning it into a change
// schedule. Each is a short sentence derived from the run's own state; the results screen, the
// command-line calculator and the change-schedule report all show the same list, in this order.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Use humidity, in percent as entered, above which water shortens service life noticeably.
inline constexpr double kHumidCautionPercent = 65;
// Normal boiling point (°C) below which a vapor migrates through a cartridge in storage.
inline constexpr double kMigratingBoilingPointC = 65;
// A breakthrough time beyond a working shift (min).
inline constexpr double kLongBreakthroughMinutes = 480;
// A vapor that breaks through sooner than this (min) even alone is not removed by the cartridge.
inline constexpr double kBarelyHeldMinutes = 1;
// Concentration (ppm) above which most cartridges have not been tested.
inline constexpr double kHighConcentrationPpm = 1000;

// The names of the run's vapors (slots 1..vaporCount in use) for which `applies(slot)` holds,
// joined by ", "; empty when none.
std::string runVaporNamesWhere(const CalcState& state, const std::function<bool(int)>& applies);

// The temperature (°C) at which the vapor's own vapor-pressure equation gives 760 torr; none when
// the equation never reaches it.
std::optional<double> normalBoilingPointC(const VaporData& vapor);

// The cautions that apply to a run whose results are in `state` (vapors 1..vaporCount).
// `conservativeEstimate` tells that the times are the conservative estimate, not the model's.
std::vector<std::string> runCautions(const CalcState& state, bool conservativeEstimate);

}  // namespace quandrelle
