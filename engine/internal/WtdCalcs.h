#pragma once

// Quantities of the adsorbed mixture weighted by the adsorbed-phase mole fractions: affinity
// coefficient, molar volume, adsorption potential, the mixture capacity with and without adsorbed
// water, each vapor's own capacity (with the part dissolved in adsorbed water) and its
// stoichiometric time. Argument n counts the first n slots; argument slot is one vapor.

#include <string>

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

// The same quantities in the parts a stage's cache keeps apart (StageCache.h): the parts fixed by
// the stage's fractions and partial pressures, and the parts that follow the water in the bed. The
// whole quantities above are these parts put together in the same order.

// The terms of the dissolved volume that do not depend on the water in the bed.
struct DissolvedTerms {
    double pressureTerm = 0;  // ln(p_sat / p) / V
    double energyTerm = 0;    // R T V / (g E0 beta)
};

double mixCapacityFactor(const CalcState& state, int n);
// True when none of the first n vapors has an adsorbed fraction: the roll-up has taken each out of
// the stage's air, and the equilibrium gives a vapor gone from the air no fraction. The zone of
// those vapors then holds none, like the zone ahead of every front: its mixture capacities are 0,
// where the weighted quantities they come from would be 0 / 0.
bool holdsNoVapor(const CalcState& state, int n);

double mixCapacityWetFrom(const CalcState& state, int n, double molarVolume, double factor);
DissolvedTerms dissolvedTerms(const CalcState& state, int slot);
double dissolvedHumidityTerm(const CalcState& state, int slot);
double dissolvedVolumeFrom(const CalcState& state, int slot, const DissolvedTerms& terms,
                           double humidityTerm);
double vaporCapacityFrom(const CalcState& state, int slot, double mixCapacityWet, double dissolvedVolume);
double stoichiometricTimeFrom(const CalcState& state, int slot, double vaporCapacity);

// Text naming the mixture capacity of the first n vapors in failure descriptions.
std::string mixtureWhere(const CalcState& state, int n);

}  // namespace quandrelle
