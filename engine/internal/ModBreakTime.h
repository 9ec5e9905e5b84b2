#pragma once

// The physical relations of one vapor on one carbon bed: water properties, feed partial pressure,
// bed geometry and air velocity, the adsorption rate coefficient with its correction for the
// breakthrough fraction, and the breakthrough-time equation. Units: K, kPa, cm, g, min, L/min.

#include "ModelConstants.h"
#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Fraction of the feed at which the reference rate coefficient applies (1/1000 breakthrough).
inline constexpr double kReferenceLogTerm = 999;

// Rate coefficients at or above this value keep their reference value (no fraction correction).
inline constexpr double kFractionCorrectionLimit = 11800;

double WaterVaporPressure(const CalcState& state);
double WaterMolarVolume(const CalcState& state);
double FeedPartialPressure(const CalcState& state, int slot);
double TotalBedVolume(const CalcState& state);
float BedBulkDensity(const CalcState& state);  // single-precision arithmetic
float BedAirVelocity(const CalcState& state);  // single-precision arithmetic
double MassCapacity(const CalcState& state, int slot);
double ReferenceRateCoefficient(const CalcState& state, double capacity, int slot);

// Solves the curve-shape quadratic. A negative discriminant leaves the result empty (0). Any other
// failure raises a CalcError flagged endsProgram whose description is the full
// "Unexpected error # N occurred: ..." text.
double CurveShape(double kv);

double CentreRateCoefficient(double kv, double shape);
double FractionRateCoefficient(const CalcState& state, int slot);
double BreakthroughTime(const CalcState& state, double capacity, double stoichiometricTime, double kv,
                        int slot);

// The parts of the breakthrough-time equation fixed by the stage's partial pressure, kept apart
// by a stage's cache (StageCache.h); BreakthroughTime puts them together with the rest.
struct BreakthroughTerms {
    double feedDensity = 0;  // C0, g/cm3
    double logTerm = 0;      // ln(1/f - 1)
};

BreakthroughTerms breakthroughTerms(const CalcState& state, int slot);
double breakthroughTimeFrom(const CalcState& state, int slot, const BreakthroughTerms& terms, double capacity,
                            double stoichiometricTime, double kv);

// Sets the rate-coefficient chain of vapor `slot` in the state: kvReference, curveShape, kvBase and
// kvEffective, each from the ones before it.
void setRateChain(CalcState& state, int slot);

// Rate-coefficient factor of the vapor at a position of the mixture order.
double positionFactor(int position);

// The single-vapor Dubinin-Radushkevich capacity of a vapor at its feed pressure, g/g.
double singleVaporCapacity(const CalcState& state, int slot);

// The per-vapor evaluation of one time step for the vapors 1..mixCount: sets the rate-coefficient
// chain, turns breakTime(i) from the stoichiometric into the kinetic breakthrough time and sets
// its range.
void EvaluateVapors(CalcState& state);

// Text naming a vapor slot in failure descriptions: its name, or "vapor #n" for an unnamed slot.
std::string vaporLabel(const CalcState& state, int slot);

}  // namespace quandrelle
