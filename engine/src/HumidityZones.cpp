#include "quandrelle/engine/HumidityZones.h"

#include <cmath>
#include <string>

#include "Checked.h"
#include "StageTerms.h"
#include "quandrelle/engine/ModBreakTime.h"

namespace quandrelle {

namespace {

// Passes over the zones per time step; the water settles over them without a convergence test.
constexpr int kZonePasses = 10;

std::string zoneWhere(const CalcState& state, int zone) {
    return "the water of bed zone " + std::to_string(zone) + " (stage " + std::to_string(state.mixCount) +
           ")";
}

// Raises the humidity of zone j by the water that the front of vapor j + 1 displaces.
void raiseZoneHumidity(CalcState& state, StageCache& cache, int j) {
    auto where = [&] { return "the humidity rise of bed zone " + std::to_string(j); };
    state.zoneWaterStep[j] =
        checked::div(state.zoneWater[j] - state.zoneWater[j + 1], state.waterMolVolume, where);
    const double upper = cache.mixCapacityWet(state, j + 1);
    const double lower = j == 0 ? 0 : cache.mixCapacityWet(state, j);
    state.zoneCapStep[j] = upper - lower;
    state.zonePressStep[j] = state.totalPressure[j + 1] - state.totalPressure[j];
    auto capWhere = [&] {
        return "the humidity rise of bed zone " + std::to_string(j) + ": the mixture capacities of zones " +
               std::to_string(j) + " and " + std::to_string(j + 1) + " are equal (stage " +
               std::to_string(state.mixCount) + ")";
    };
    const double waterPerCapacity = checked::div(state.zoneWaterStep[j], state.zoneCapStep[j], capWhere);
    state.zoneRHRise[j] = checked::div(checked::finite(state.zonePressStep[j] * waterPerCapacity, where),
                                       state.waterVapPress, where);
    state.zoneRH[j] = state.zoneRHRise[j] + state.relHumidity;
    if (state.zoneRH[j] > 1) {
        state.zoneRH[j] = 1;
    }
    if (state.zoneRH[j] < 0) {
        state.zoneRH[j] = 0.0001;
    }
}

}  // namespace

double WaterIsotherm(const CalcState& state, double humidity, double waterAffinity) {
    auto where = [] { return std::string("the water isotherm"); };
    const double logTerm = checked::log(checked::div(1, humidity + 0.0001, where), where);
    const double ratio = checked::div(kGasConstant * state.tempK * logTerm,
                                      static_cast<double>(state.benzenePotential) * waterAffinity, where);
    return checked::finite(
        state.microporeVolume * checked::exp(-checked::finite(ratio * ratio, where), where), where);
}

double UptakeFraction(const CalcState& state, double elapsed, double previousWater, double equilibriumWater) {
    const double gap = std::fabs(equilibriumWater - previousWater);
    if (!(gap > 0)) {
        return 1;
    }
    auto where = [] { return std::string("the water uptake of the bed (is the bed depth 0?)"); };
    const double rate = -0.00005 * state.faceVelocity * state.tempC * elapsed;
    const double exponent =
        checked::div(checked::finite(rate, where),
                     checked::finite(state.bedDepth * checked::sqrt(gap, where), where), where);
    return 1 - checked::exp(exponent, where);
}

void updateZones(CalcState& state, StageCache& cache) {
    const int k = state.mixCount;
    const double w0 = state.microporeVolume;
    for (int pass = 0; pass < kZonePasses; ++pass) {
        for (int j = k; j >= 0; --j) {
            auto where = [&] { return zoneWhere(state, j); };
            const double waterAffinity = j == 0 ? state.waterAffinity : state.waterAffinityHalf;
            const double previous = j == 0 ? state.precondWater : state.zoneWater[j - 1];
            state.zoneWaterEq[j] = cache.waterIsotherm(state, j, state.zoneRH[j], waterAffinity);
            state.zoneUptake[j] = UptakeFraction(state, state.elapsedTime, previous, state.zoneWaterEq[j]);
            state.zoneWaterMixed[j] =
                checked::finite(previous + state.zoneUptake[j] * (state.zoneWaterEq[j] - previous), where);

            // Organic vapor held in the same micropores leaves less room for water.
            const double organic = state.zoneOrganic[j];
            const double mixed = state.zoneWaterMixed[j];
            const double numerator = mixed * (1 - checked::div(organic, w0, where));
            const double denominator = 1 - checked::div(organic * mixed, w0 * w0, where);
            state.zoneWater[j] = checked::div(checked::finite(numerator, where), denominator, where);

            if (j > 0) {
                state.breakTime[j] = cache.stoichiometricTime(state, j);
            }
            if (j < state.vaporCount) {
                raiseZoneHumidity(state, cache, j);
            }
        }
    }
}

void UpdateZones(CalcState& state) {
    StageCache plain(false);
    updateZones(state, plain);
}

}  // namespace quandrelle
