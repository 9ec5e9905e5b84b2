#pragma once

// Water in the bed. Zone j is the part of the bed that holds the organic vapors 1..j; each zone
// has its own humidity and adsorbed water, which follow the elapsed service time.

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Equilibrium water volume (cm3/g) at relative humidity `humidity` for the water affinity given.
double WaterIsotherm(const CalcState& state, double humidity, double waterAffinity);

// Share of the way from the previous water volume to the equilibrium one reached after `elapsed`
// minutes.
double UptakeFraction(const CalcState& state, double elapsed, double previousWater, double equilibriumWater);

// True when every zone of the stage has reached its water: its uptake fraction is 1 at the
// elapsed time and stays 1 at every later time, so the elapsed time no longer changes the zones.
bool uptakeCompleteFromNow(const CalcState& state);

// Ten passes over the zones mixCount..0: water uptake, co-adsorption correction, the stoichiometric
// times breakTime(1..mixCount) and the humidity rise ahead of each front.
void UpdateZones(CalcState& state);

}  // namespace quandrelle
