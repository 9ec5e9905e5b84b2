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

}  // namespace quandrelle
