#include "ModBreakTime.h"

#include <cmath>
#include <string>

#include "Checked.h"
#include "ModelConstants.h"
#include "StageCache.h"
#include "WtdCalcs.h"

namespace quandrelle {

namespace {

// Antoine constants of water (mmHg, K): ln p = A - B / (T - C).
constexpr double kWaterAntoineA = 18.3036;
constexpr double kWaterAntoineB = 3816.44;
constexpr double kWaterAntoineC = 46.13;
// Molar mass (g/mol) and liquid density (g/cm3) of water.
constexpr double kWaterMolarMass = 18.015;
constexpr double kWaterDensity = 0.998;
// A concentration in ppm is this many millionths of the air.
constexpr double kPartsPerMillion = 1e6;
// cm3 per m3: the gas law gives g/m3, the breakthrough equation wants g/cm3.
constexpr double kCubicCentimetresPerCubicMetre = 1e6;
// The air velocity's unit conversions, in the single precision the velocity is computed in.
constexpr float kCubicCentimetresPerLitreSingle = 1000.0f;
constexpr float kSecondsPerMinuteSingle = 60.0f;

// The reference rate coefficient's correlation: kv = 800 beta^0.33 v^0.75 d^-1.5 sqrt(W/M), with
// beta the affinity coefficient, v the air velocity (cm/s), d the granule diameter (cm), W the
// capacity (g/g) and M the molar mass.
constexpr double kRateCoefficientScale = 800;
constexpr double kRateAffinityExponent = 0.33;
constexpr double kRateVelocityExponent = 0.75;
constexpr double kRateGranuleExponent = -1.5;

// The curve-shape quadratic a s^2 + b s + c = 0, each coefficient linear in kv.
constexpr double kShapeA0 = -10.3394;
constexpr double kShapeA1 = 0.0001564;
constexpr double kShapeB0 = 1.3348;
constexpr double kShapeB1 = 0.0001423;
constexpr double kShapeC0 = 0.41;
constexpr double kShapeC1 = 0.0000324;

// Rate-coefficient factors of the second and of the later vapors of the mixture order.
constexpr double kSecondPositionFactor = 0.85;
constexpr double kLaterPositionFactor = 0.56;

// The breakthrough-time range: +/- 10 % while the kinetic term takes at most 30 % of the
// stoichiometric time, beyond that 242.42 s^2 - 22.08 s - 3.84 % for the share s, each doubled.
constexpr double kNarrowRangeShare = 0.3;
constexpr double kNarrowRangePercent = 10;
constexpr double kRangeSquareCoef = 242.42;
constexpr double kRangeLinearCoef = 22.08;
constexpr double kRangeConstant = 3.84;

// Codes the curve-shape failure message gives for each kind of error.
int errorNumber(CalcErrorKind kind) {
    switch (kind) {
        case CalcErrorKind::InvalidArgument:
            return 5;
        case CalcErrorKind::Overflow:
            return 6;
        case CalcErrorKind::SubscriptOutOfRange:
            return 9;
        case CalcErrorKind::DivisionByZero:
            return 11;
        case CalcErrorKind::NoConvergence:
            break;
    }
    return 17;
}

}  // namespace

std::string vaporLabel(const CalcState& state, int slot) {
    const std::string& name = state.vapors[slot].chemName;
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "vapor #" + std::to_string(slot);
    }
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

double WaterVaporPressure(const CalcState& state) {
    auto where = [] { return std::string("the water vapor pressure"); };
    const double exponent =
        kWaterAntoineA - checked::div(kWaterAntoineB, state.tempK - kWaterAntoineC, where);
    return checked::finite(checked::exp(exponent, where) * kKilopascalsPerTorr, where);
}

double WaterMolarVolume(const CalcState&) {
    return kWaterMolarMass / kWaterDensity;
}

double FeedPartialPressure(const CalcState& state, int slot) {
    auto where = [&] { return "the feed partial pressure of " + vaporLabel(state, slot); };
    return checked::finite(static_cast<double>(state.vapors[slot].avgConc) * kKilopascalsPerAtm *
                               state.atmPressure / kPartsPerMillion,
                           where);
}

double TotalBedVolume(const CalcState& state) {
    auto where = [] { return std::string("the bed volume"); };
    const double d = state.bedDiameter;
    return checked::finite(d * d * state.bedDepth * kModelPi * state.cartsPerRespirator / 4, where);
}

float BedBulkDensity(const CalcState& state) {
    auto where = [] { return std::string("the bed bulk density (is the bed volume 0?)"); };
    const float mass = static_cast<float>(state.cartsPerRespirator) * state.carbonWeight;
    if (state.bedVolume == 0) {
        checked::div(mass, 0.0, where);
    }
    return checked::singleResult(mass / state.bedVolume, where);
}

float BedAirVelocity(const CalcState& state) {
    auto where = [] { return std::string("the air velocity through the bed"); };
    const float numerator =
        state.airFlow * kCubicCentimetresPerLitreSingle * state.bulkDensity * state.bedDepth;
    const float denominator =
        state.carbonWeight * kSecondsPerMinuteSingle * static_cast<float>(state.cartsPerRespirator);
    if (denominator == 0) {
        checked::div(numerator, 0.0, where);
    }
    return checked::singleResult(numerator / denominator, where);
}

double MassCapacity(const CalcState& state, int slot) {
    auto where = [&] { return "the mass capacity of " + vaporLabel(state, slot); };
    return checked::finite(state.vapors[slot].molWt * state.molarCapacity[slot], where);
}

double ReferenceRateCoefficient(const CalcState& state, double capacity, int slot) {
    auto where = [&] { return "the rate coefficient of " + vaporLabel(state, slot); };
    const VaporData& vapor = state.vapors[slot];
    double kv = kRateCoefficientScale * checked::pow(vapor.affinityCoef, kRateAffinityExponent, where);
    kv = checked::finite(kv * checked::pow(state.airVelocity, kRateVelocityExponent, where), where);
    kv = checked::finite(kv * checked::pow(state.granuleDiameter, kRateGranuleExponent, where), where);
    return checked::finite(kv * checked::sqrt(checked::div(capacity, vapor.molWt, where), where), where);
}

double CurveShape(double kv) {
    // The root is the only step whose failure the model expects: a negative discriminant leaves
    // the shape empty (0), so that the rate coefficient keeps its reference value. Anything else
    // means the state is beyond what the model can handle at all.
    auto where = [] { return std::string("the curve shape"); };
    try {
        const double a = kShapeA0 - kShapeA1 * kv;
        const double b = kShapeB0 - kShapeB1 * kv;
        const double c = kShapeC0 - kShapeC1 * kv;
        const double discriminant =
            checked::finite(checked::finite(b * b, where) - checked::finite(4 * a * c, where), where);
        if (discriminant < 0) {
            return 0;
        }
        return checked::div(-b - std::sqrt(discriminant), 2 * a, where);
    } catch (const CalcError& error) {
        throw CalcError(error.kind(),
                        "Unexpected error # " + std::to_string(errorNumber(error.kind())) +
                            " occurred: " + error.description(),
                        true);
    }
}

double CentreRateCoefficient(double kv, double shape) {
    auto where = [] { return std::string("the rate coefficient at the curve centre"); };
    return checked::div(kv, 1 + shape * std::log(kReferenceLogTerm), where);
}

double FractionRateCoefficient(const CalcState& state, int slot) {
    if (state.curveShape > 0 && state.kvReference < kFractionCorrectionLimit) {
        auto where = [&] {
            return "the rate coefficient for the breakthrough fraction of " + vaporLabel(state, slot);
        };
        const double f = state.breakFraction[slot];
        const double logTerm = checked::log(checked::div(1 - f, f, where), where);
        return checked::finite(state.kvBase * (1 + state.curveShape * logTerm), where);
    }
    return state.kvReference;
}

namespace {

std::string breakthroughWhere(const CalcState& state, int slot) {
    return "the breakthrough time of " + vaporLabel(state, slot) + " (stage " +
           std::to_string(state.mixCount) + ")";
}

}  // namespace

BreakthroughTerms breakthroughTerms(const CalcState& state, int slot) {
    auto where = [&] { return breakthroughWhere(state, slot); };
    const double p = state.partialPress[slot];
    BreakthroughTerms terms;
    terms.feedDensity = checked::div(state.vapors[slot].molWt * p,
                                     kGasConstant * state.tempK * kCubicCentimetresPerCubicMetre, where);
    const double f = state.breakFraction[slot];
    terms.logTerm = checked::log(checked::div(1, f, where) - 1, where);
    return terms;
}

double breakthroughTimeFrom(const CalcState& state, int slot, const BreakthroughTerms& terms, double capacity,
                            double stoichiometricTime, double kv) {
    auto where = [&] { return breakthroughWhere(state, slot); };
    const double kinetic =
        checked::div(state.bulkDensity * capacity, checked::finite(terms.feedDensity * kv, where), where);
    const double time = checked::finite(stoichiometricTime - kinetic * terms.logTerm, where);
    return time < 0 ? 0 : time;
}

double BreakthroughTime(const CalcState& state, double capacity, double stoichiometricTime, double kv,
                        int slot) {
    if (!(state.partialPress[slot] > 0)) {
        return 0;
    }
    return breakthroughTimeFrom(state, slot, breakthroughTerms(state, slot), capacity, stoichiometricTime,
                                kv);
}

double positionFactor(int position) {
    if (position <= 1) {
        return 1;
    }
    return position == 2 ? kSecondPositionFactor : kLaterPositionFactor;
}

double singleVaporCapacity(const CalcState& state, int slot) {
    auto where = [&] { return "the single-vapor capacity of " + vaporLabel(state, slot); };
    const VaporData& vapor = state.vapors[slot];
    const double feed = FeedPartialPressure(state, slot);
    const double energy = checked::div(
        kGasConstant * state.tempK * checked::log(checked::div(vapor.satPressure, feed, where), where),
        state.benzenePotential * vapor.affinityCoef, where);
    return checked::finite(static_cast<double>(state.microporeVolume) * vapor.liqDensity *
                               checked::exp(-(energy * energy), where),
                           where);
}

void setRateChain(CalcState& state, int slot) {
    const double capacity = singleVaporCapacity(state, slot);
    state.kvReference = ReferenceRateCoefficient(state, capacity, slot);
    state.curveShape = CurveShape(state.kvReference);
    state.kvBase = CentreRateCoefficient(state.kvReference, state.curveShape);
    state.kvEffective = FractionRateCoefficient(state, slot) * positionFactor(slot);
}

void evaluateVapors(CalcState& state, StageCache& cache) {
    for (int i = 1; i <= state.mixCount; ++i) {
        // A vapor the roll-up has taken out of the air has no front in this stage: its result is
        // that of the stage it breaks through with.
        if (!(state.partialPress[i] > 0)) {
            continue;
        }
        cache.setRateChain(state, i);

        const double stoichiometric = state.breakTime[i];
        const double capacity = MassCapacity(state, i);
        state.breakTime[i] = state.partialPress[i] > 0
                                 ? breakthroughTimeFrom(state, i, cache.breakthroughTerms(state, i), capacity,
                                                        stoichiometric, state.kvEffective)
                                 : 0;

        // The range widens with the share of the stoichiometric time that the kinetic term takes.
        auto where = [&] {
            return "the breakthrough-time range of " + vaporLabel(state, i) + " (stage " +
                   std::to_string(state.mixCount) + "): its stoichiometric time is 0";
        };
        const double share = checked::div(stoichiometric - state.breakTime[i], stoichiometric, where);
        const double spread = share <= kNarrowRangeShare ? kNarrowRangePercent
                                                         : kRangeSquareCoef * (share * share) -
                                                               kRangeLinearCoef * share - kRangeConstant;
        state.breakTimeMin[i] = state.breakTime[i] * (100 - 2 * spread) / 100;
        state.breakTimeMax[i] = state.breakTime[i] * (100 + 2 * spread) / 100;
        if (state.breakTimeMin[i] < 0) {
            state.breakTimeMin[i] = 0;
        }
    }
}

void EvaluateVapors(CalcState& state) {
    StageCache plain(false);
    evaluateVapors(state, plain);
}

}  // namespace quandrelle
