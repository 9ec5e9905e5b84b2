#include "HumidityZones.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "Checked.h"
#include "ModBreakTime.h"
#include "ModelConstants.h"
#include "StageCache.h"

namespace quandrelle {

namespace {

// Passes over the zones per time step; the water settles over them without a convergence test.
constexpr int kZonePasses = 10;

// Rate constant of the bed's water uptake, per (cm/s) (degree C) min, over the bed depth (cm) and
// the square root of the water still to be taken up.
constexpr double kWaterUptakeRate = -0.00005;

// The water of one zone after one pass.
struct ZoneWater {
    double equilibrium = 0;
    double uptake = 0;
    double mixed = 0;
    double water = 0;
};

// The humidity rise of one zone ahead of the next front.
struct HumidityRise {
    double waterStep = 0;
    double capacityStep = 0;
    double pressureStep = 0;
    double rise = 0;
    double humidity = 0;
};

std::string zoneWhere(const CalcState& state, int zone) {
    return "the water of bed zone " + std::to_string(zone) + " (stage " + std::to_string(state.mixCount) +
           ")";
}

// The humidity of zone j raised by the water that the front of vapor j + 1 displaces.
HumidityRise humidityRise(const CalcState& state, StageCache& cache, int j) {
    auto where = [&] { return "the humidity rise of bed zone " + std::to_string(j); };
    HumidityRise rise;
    rise.waterStep = checked::div(state.zoneWater[j] - state.zoneWater[j + 1], state.waterMolVolume, where);
    const double upper = cache.mixCapacityWet(state, j + 1);
    const double lower = j == 0 ? 0 : cache.mixCapacityWet(state, j);
    rise.capacityStep = upper - lower;
    rise.pressureStep = state.totalPressure[j + 1] - state.totalPressure[j];
    if (rise.capacityStep == 0 && !(state.partialPress[j + 1] > 0)) {
        // The vapor of zone j + 1 is gone from the stage's air and adds nothing to the zone: it has
        // no front to push water ahead of it, and the zone keeps the humidity of the air, as every
        // zone ahead of a gone vapor does.
        rise.humidity = state.relHumidity;
        return rise;
    }
    auto capWhere = [&] {
        return "the humidity rise of bed zone " + std::to_string(j) + ": the mixture capacities of zones " +
               std::to_string(j) + " and " + std::to_string(j + 1) + " are equal (stage " +
               std::to_string(state.mixCount) + ")";
    };
    const double waterPerCapacity = checked::div(rise.waterStep, rise.capacityStep, capWhere);
    rise.rise = checked::div(checked::finite(rise.pressureStep * waterPerCapacity, where),
                             state.waterVapPress, where);
    rise.humidity = rise.rise + state.relHumidity;
    if (rise.humidity > 1) {
        rise.humidity = 1;
    }
    if (rise.humidity < 0) {
        rise.humidity = kMinHumidity;
    }
    return rise;
}

// Zone j's water moved from the previous zone's toward the equilibrium amount for its humidity.
ZoneWater zoneWater(const CalcState& state, StageCache& cache, int j, double previous) {
    auto where = [&] { return zoneWhere(state, j); };
    const double w0 = state.microporeVolume;
    const double waterAffinity = j == 0 ? state.waterAffinity : state.waterAffinityHalf;
    ZoneWater zone;
    zone.equilibrium = cache.waterIsotherm(state, j, state.zoneRH[j], waterAffinity);
    zone.uptake = UptakeFraction(state, state.elapsedTime, previous, zone.equilibrium);
    zone.mixed = checked::finite(previous + zone.uptake * (zone.equilibrium - previous), where);

    // Organic vapor held in the same micropores leaves less room for water.
    const double organic = state.zoneOrganic[j];
    const double numerator = zone.mixed * (1 - checked::div(organic, w0, where));
    const double denominator = 1 - checked::div(organic * zone.mixed, w0 * w0, where);
    zone.water = checked::div(checked::finite(numerator, where), denominator, where);
    return zone;
}

void storeZoneWater(CalcState& state, int j, const ZoneWater& zone) {
    state.zoneWaterEq[j] = zone.equilibrium;
    state.zoneUptake[j] = zone.uptake;
    state.zoneWaterMixed[j] = zone.mixed;
    state.zoneWater[j] = zone.water;
}

void storeHumidityRise(CalcState& state, int j, const HumidityRise& rise) {
    state.zoneWaterStep[j] = rise.waterStep;
    state.zoneCapStep[j] = rise.capacityStep;
    state.zonePressStep[j] = rise.pressureStep;
    state.zoneRHRise[j] = rise.rise;
    state.zoneRH[j] = rise.humidity;
}

double previousWater(const CalcState& state, int j) {
    return j == 0 ? state.precondWater : state.zoneWater[j - 1];
}

// One zone of one pass, everything computed afresh: its water, the stoichiometric time of its
// vapor and the humidity of the zone ahead of the next front.
void updateZone(CalcState& state, StageCache& cache, int j) {
    storeZoneWater(state, j, zoneWater(state, cache, j, previousWater(state, j)));
    if (j > 0) {
        state.breakTime[j] = cache.stoichiometricTime(state, j);
    }
    if (j < state.vaporCount) {
        storeHumidityRise(state, j, humidityRise(state, cache, j));
    }
}

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The same zone computing only the parts whose inputs have changed since they were last
// computed. The parts read, besides what is fixed for the stage:
//   water of zone j:    the elapsed time, zoneRH(j), the water of zone j - 1 and zoneOrganic(j);
//   stoichiometric time of vapor j: the water and humidity of the top zone k;
//   humidity rise of zone j: the water of zones j and j + 1.
// A part that is skipped would compute, from the same inputs, the very values it left in the
// state before, so the zones end each pass as the plain update leaves them.
void updateChangedParts(CalcState& state, StageCache& cache, ZoneSweep& sweep, int j) {
    const int k = state.mixCount;
    if (sweep.water[j]) {
        sweep.water[j] = false;
        const double before = state.zoneWater[j];
        storeZoneWater(state, j, zoneWater(state, cache, j, previousWater(state, j)));
        if (!sameBits(before, state.zoneWater[j])) {
            if (j < k) {
                sweep.water[j + 1] = true;
            }
            sweep.rise[j] = true;
            if (j > 0) {
                sweep.rise[j - 1] = true;
            }
            if (j == k) {
                sweep.markStoichiometricTimes(k);
            }
        }
    }
    if (j > 0) {
        if (sweep.stoichiometric[j]) {
            sweep.stoichiometric[j] = false;
            sweep.stoichiometricTime[j] = cache.stoichiometricTime(state, j);
        }
        // The per-vapor evaluation overwrites breakTime after every step.
        state.breakTime[j] = sweep.stoichiometricTime[j];
    }
    if (j < state.vaporCount && sweep.rise[j]) {
        sweep.rise[j] = false;
        const double before = state.zoneRH[j];
        storeHumidityRise(state, j, humidityRise(state, cache, j));
        if (!sameBits(before, state.zoneRH[j])) {
            sweep.water[j] = true;
            if (j == k) {
                sweep.markStoichiometricTimes(k);
            }
        }
    }
}

}  // namespace

double WaterIsotherm(const CalcState& state, double humidity, double waterAffinity) {
    auto where = [] { return std::string("the water isotherm"); };
    const double logTerm = checked::log(checked::div(1, humidity + kMinHumidity, where), where);
    const double ratio = checked::div(kGasConstant * state.tempK * logTerm,
                                      static_cast<double>(state.benzenePotential) * waterAffinity, where);
    return checked::finite(
        state.microporeVolume * checked::exp(-checked::finite(ratio * ratio, where), where), where);
}

namespace {

auto uptakeWhere() {
    return [] { return std::string("the water uptake of the bed (is the bed depth 0?)"); };
}

// The exponent of the uptake fraction 1 - e^exponent over a gap (> 0) to the equilibrium water.
double uptakeExponent(const CalcState& state, double elapsed, double gap) {
    auto where = uptakeWhere();
    const double rate = kWaterUptakeRate * state.faceVelocity * state.tempC * elapsed;
    return checked::div(checked::finite(rate, where),
                        checked::finite(state.bedDepth * checked::sqrt(gap, where), where), where);
}

// At or below this exponent e^exponent is far below half the rounding of 1 (2^-54, e^-37.4): the
// uptake fraction is exactly 1, and stays 1 while the exponent falls.
constexpr double kCompleteUptakeExponent = -40;

}  // namespace

double UptakeFraction(const CalcState& state, double elapsed, double previousWater, double equilibriumWater) {
    const double gap = std::fabs(equilibriumWater - previousWater);
    if (!(gap > 0)) {
        return 1;
    }
    return 1 - checked::exp(uptakeExponent(state, elapsed, gap), uptakeWhere());
}

bool uptakeCompleteFromNow(const CalcState& state) {
    // The exponent falls as the elapsed time grows only where the water moves toward equilibrium
    // with time (a bed above 0 degrees C).
    if (!(kWaterUptakeRate * state.faceVelocity * state.tempC < 0)) {
        return false;
    }
    for (int j = 0; j <= state.mixCount; ++j) {
        const double gap = std::fabs(state.zoneWaterEq[j] - previousWater(state, j));
        if (gap > 0 && !(uptakeExponent(state, state.elapsedTime, gap) <= kCompleteUptakeExponent)) {
            return false;
        }
    }
    return true;
}

void updateZones(CalcState& state, StageCache& cache) {
    const int k = state.mixCount;
    if (!cache.enabled()) {
        for (int pass = 0; pass < kZonePasses; ++pass) {
            for (int j = k; j >= 0; --j) {
                updateZone(state, cache, j);
            }
        }
        return;
    }
    ZoneSweep& sweep = cache.zoneSweep();
    // Every zone's water follows the elapsed time.
    std::fill(sweep.water.begin(), sweep.water.end(), true);
    // A pass with nothing to compute leaves the zones as they are, and so would every later one.
    for (int pass = 0; pass < kZonePasses && sweep.anyPending(k, state.vaporCount); ++pass) {
        for (int j = k; j >= 0; --j) {
            updateChangedParts(state, cache, sweep, j);
        }
    }
}

void UpdateZones(CalcState& state) {
    StageCache plain(false);
    updateZones(state, plain);
}

}  // namespace quandrelle
