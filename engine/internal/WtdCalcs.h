#pragma once

// Quantities of the adsorbed mixture weighted by the adsorbed-phase mole fractions: affinity
// coefficient, molar volume, adsorption potential, the mixture capacity with and without adsorbed
// water, each vapor's own capacity (with the part dissolved in adsorbed water) and its
// stoichiometric time. Argument n counts the first n slots; argument slot is one vapor.

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

double MixAffinity(const CalcState& state, int n);
double MixMolarVolume(const CalcState& state, int n);
double MixPotential(const CalcState& state, int n);
double MixCapacityDry(const CalcState& state, int n);         // mol/g
double MixCapacityWet(const CalcState& state, int n);         // mol/g
double DissolvedVolume(const CalcState& state, int slot);     // cm3/g
double VaporCapacity(const CalcState& state, int slot);       // mol/g
double StoichiometricTime(const CalcState& state, int slot);  // min

}  // namespace quandrelle
