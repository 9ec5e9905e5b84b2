#pragma once

// The model in general words, for readers who do not know it: the About window and the
// change-schedule report say the same.

#include <string_view>

namespace quandrelle {

inline constexpr std::string_view kMethodSummary =
    "The capacity of the carbon for each vapor follows the Dubinin-Radushkevich equation; the ideal "
    "adsorbed solution theory shares that capacity among the vapors of a mixture; a Wheeler-Jonas "
    "breakthrough-time equation with a correlated rate coefficient gives each vapor's breakthrough "
    "time, stage by stage from the most strongly held vapor to the weakest, while a stepwise model "
    "follows the water the bed takes up from humid air. The results are estimates: confirm change-out "
    "schedules with the cartridge maker's data and with measurements.";

// How far the estimates have been found to err, in two lines, from the comparison with published
// cartridge tests in docs/validation.md; a test keeps the figures in step with that page.
inline constexpr std::string_view kValidationSummary =
    "Against published tests of 17 single vapors at one condition, the median error is 13 % at 1 % "
    "breakthrough and 7 % at 10 %.\n"
    "It errs long more often than short: alcohols came out too long (median +16 % at 1 %, ethanol "
    "+50 %), so set change schedules on the short side.";

}  // namespace quandrelle
