#include "quandrelle/engine/SetUp.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "Checked.h"
#include "HumidityZones.h"
#include "ModBreakTime.h"
#include "ModelConstants.h"
#include "quandrelle/engine/DisplayFormat.h"

namespace quandrelle {

namespace {

// A vapor's affinity coefficient from its molar polarizability P (cm3/mol): 0.0862 P^0.75.
constexpr double kAffinityPerPolarizability = 0.0862;
constexpr double kAffinityPolarizabilityExponent = 0.75;

// The face velocity: L/min times cm3 per L over the face area pi d^2/4 (cm2) times 60 s per min,
// the 60 / 4 taken together.
constexpr double kCubicCentimetresPerLitre = 1000.0;
constexpr int kSecondsPerMinuteOverFour = 15;

// Carbon preconditioned above this humidity (fraction) holds water more strongly: its water
// affinity is taken 5/3 times the entered one.
constexpr double kHumidPreconditioning = 0.5;
constexpr double kHumidPreconditionedAffinityFactor = 5.0 / 3.0;

}  // namespace

void PrepareRun(CalcState& state) {
    state.preparingSlot = 0;
    for (int j = 0; j <= kMaxVapors; ++j) {
        state.totalPressure[j] = 0;
    }
    auto runWhere = [] { return std::string("the run preparation"); };
    state.tempK = checked::single(state.tempC + kCelsiusToKelvin, runWhere);
    // Each bed quantity reads the one stored before it.
    state.bedVolume = checked::single(TotalBedVolume(state), runWhere);
    state.bulkDensity = BedBulkDensity(state);
    state.airVelocity = BedAirVelocity(state);
    // The humidity zones take up water at the rate of the air that passes the bed face: a flow or
    // cartridge count changed since the results screen was filled must take part in this run.
    state.faceVelocity = faceVelocityOf(state);
    state.waterVapPress = WaterVaporPressure(state);
    state.waterMolVolume = WaterMolarVolume(state);

    for (int i = 1; i <= state.vaporCount; ++i) {
        state.preparingSlot = static_cast<std::int16_t>(i);
        VaporData& vapor = state.vapors[i];
        auto where = [&] { return "the preparation of " + vaporLabel(state, i); };
        vapor.affinityCoef = kAffinityPerPolarizability *
                             checked::pow(vapor.molPolariz, kAffinityPolarizabilityExponent, where);
        const double antoine =
            vapor.antoineA -
            checked::div(vapor.antoineB, static_cast<double>(state.tempK) + vapor.antoineC, where);
        vapor.satPressure = checked::finite(checked::exp(antoine, where) * kKilopascalsPerTorr, where);
        vapor.molVolume = checked::single(checked::div(vapor.molWt, vapor.liqDensity, where), where);
        state.partialPress[i] = FeedPartialPressure(state, i);
        state.zoneWater[i] = 0;
        state.zoneWaterEq[i] = 0;
    }
    state.preparingSlot = 0;

    state.precondWater = WaterIsotherm(state, state.precondRH, state.waterAffinity);
    for (int j = 0; j <= state.vaporCount; ++j) {
        state.zoneWater[j] = state.precondWater;
        state.zoneRH[j] = state.relHumidity + kMinHumidity;
    }
    state.mixCount = state.vaporCount;
}

double massConcentration(float atmPressure, float tempC, float ppm, float molWt) {
    auto where = [] { return std::string("the equivalent concentration"); };
    const double amount = static_cast<double>(atmPressure) * ppm * molWt;
    return checked::div(amount, (tempC + kCelsiusToKelvin) * kGasConstantLitreAtm, where);
}

double equivalentConcentration(const CalcState& state, int slot) {
    const VaporData& vapor = state.vapors[slot];
    return massConcentration(state.atmPressure, state.tempC, vapor.avgConc, vapor.molWt);
}

std::string massConcentrationText(double milligramsPerCubicMetre) {
    return generalText(roundHalfEven(milligramsPerCubicMetre, 2));
}

float concentrationFromMass(float atmPressure, float tempC, double milligramsPerCubicMetre, float molWt) {
    auto where = [] { return std::string("the concentration from its mg/m3"); };
    const double amount = milligramsPerCubicMetre * kGasConstantLitreAtm * (tempC + kCelsiusToKelvin);
    return checked::single(checked::div(amount, static_cast<double>(atmPressure) * molWt, where), where);
}

float concentrationFromEquivalent(const CalcState& state, double milligramsPerCubicMetre) {
    return concentrationFromMass(state.atmPressure, state.tempC, milligramsPerCubicMetre,
                                 state.vapors[1].molWt);
}

double faceVelocityOf(const CalcState& state) {
    auto where = [] { return std::string("the face velocity"); };
    const double d = state.bedDiameter;
    return checked::div(state.airFlow * kCubicCentimetresPerLitre,
                        d * d * kModelPi * kSecondsPerMinuteOverFour * state.cartsPerRespirator, where);
}

void setFaceVelocity(CalcState& state) {
    state.faceVelocity = faceVelocityOf(state);
}

void setBetaH2O(CalcState& state, float enteredAffinity) {
    auto where = [] { return std::string("the water affinity"); };
    state.waterAffinity = enteredAffinity;
    // Carbon preconditioned at high humidity holds water more strongly.
    if (kHumidPreconditioning < state.precondRH) {
        state.waterAffinity =
            checked::single(kHumidPreconditionedAffinityFactor * state.waterAffinity, where);
    }
    state.waterAffinityHalf = checked::single(state.waterAffinity / 2.0, where);
}

float toSingle(double value) {
    return checked::single(value, [] { return std::string("storing a number in single precision"); });
}

float humidityFraction(double percent) {
    return toSingle(percent / 100);
}

std::int16_t roundHalfEvenToInt16(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max())) {
        throw std::out_of_range("a whole number between -32768 and 32767 is needed");
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace quandrelle
