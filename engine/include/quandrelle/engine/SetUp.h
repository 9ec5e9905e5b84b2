#pragma once

// Run preparation, and the conversions by which the screens and the command-line calculator store
// entered values into the calculation state, so that both store every value the same way.

#include <cstdint>
#include <string>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Derives every quantity a run needs from the entered data; ends with mixCount = vaporCount.
void PrepareRun(CalcState& state);

// A vapor concentration in ppm as mg/m3 at a pressure (atm) and temperature (degrees C), by the
// ideal gas with 0.08205 L atm/(mol K) (not rounded).
double massConcentration(float atmPressure, float tempC, float ppm, float molWt);

// Concentration of a vapor (vapor #1 unless another slot is named) in mg/m3 at the use
// conditions (not rounded).
double equivalentConcentration(const CalcState& state, int slot = 1);

// A concentration in mg/m3 as the screens show it: two decimals (halves to even), general form.
std::string massConcentrationText(double milligramsPerCubicMetre);

// The inverse of massConcentration: the ppm that a concentration in mg/m3 stands for at a pressure
// (atm) and temperature (degrees C), as the Single that is stored. A concentration typed in mg/m3
// is stored as this ppm, so a run reads the same number whichever unit it was typed in.
float concentrationFromMass(float atmPressure, float tempC, double milligramsPerCubicMetre, float molWt);

// The ppm of vapor #1 that an equivalent concentration in mg/m3 stands for at the use conditions,
// as the Single that is stored.
float concentrationFromEquivalent(const CalcState& state, double milligramsPerCubicMetre);

// Superficial air velocity from the bed diameter (cm/s). Every run sets it from the flow and
// cartridge count it runs with; the results screen also sets it when it is filled.
double faceVelocityOf(const CalcState& state);
void setFaceVelocity(CalcState& state);

// Stores the entered water affinity: times 5/3 when the carbon was preconditioned above 50 %
// humidity (precondRH must already be stored), and its half.
void setBetaH2O(CalcState& state, float enteredAffinity);

// A number read from a field, stored as a Single (rounded to nearest).
float toSingle(double value);
// A humidity entered in percent, stored as a fraction.
float humidityFraction(double percent);
// A whole count entered as a number: rounded to the nearest whole number, halves to even.
std::int16_t roundHalfEvenToInt16(double value);

}  // namespace quandrelle
