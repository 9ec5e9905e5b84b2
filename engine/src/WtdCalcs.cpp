#include "WtdCalcs.h"

#include <string>

#include "Checked.h"
#include "ModBreakTime.h"
#include "ModelConstants.h"

namespace quandrelle {

namespace {

// The polarizability term of a vapor's solubility in adsorbed water: g = 4.24 P / V - 0.28, with P
// the molar polarizability and V the molar volume (cm3/mol).
constexpr double kSolubilityPolarizabilityCoef = 4.24;
constexpr double kSolubilityOffset = 0.28;
// L per m3: R T p with R in kJ/(mol K) and p in kPa gives m3.
constexpr int kLitresPerCubicMetre = 1000;

}  // namespace

std::string mixtureWhere(const CalcState& state, int n) {
    return "the mixture capacity of the first " + std::to_string(n) + " vapors (stage " +
           std::to_string(state.mixCount) + ")";
}

double MixAffinity(const CalcState& state, int n) {
    double sum = 0;
    for (int j = 1; j <= n; ++j) {
        sum += state.vapors[j].affinityCoef * state.adsFraction[j];
    }
    return checked::finite(sum, [&] { return mixtureWhere(state, n); });
}

double MixMolarVolume(const CalcState& state, int n) {
    double sum = 0;
    for (int j = 1; j <= n; ++j) {
        sum += state.vapors[j].molVolume * state.adsFraction[j];
    }
    return checked::finite(sum, [&] { return mixtureWhere(state, n); });
}

double MixPotential(const CalcState& state, int n) {
    double sum = 0;
    for (int j = 1; j <= n; ++j) {
        const double p = state.partialPress[j];
        if (p > 0) {
            auto where = [&] {
                return "the mixture adsorption potential: the adsorbed fraction of " + vaporLabel(state, j) +
                       " is 0 (stage " + std::to_string(state.mixCount) + ")";
            };
            const double x = state.adsFraction[j];
            const double ratio = checked::div(state.vapors[j].satPressure * x, p, where);
            sum += x * kGasConstant * state.tempK * checked::log(ratio, where);
        }
    }
    return checked::finite(sum, [&] { return mixtureWhere(state, n); });
}

double mixCapacityFactor(const CalcState& state, int n) {
    auto where = [&] { return mixtureWhere(state, n); };
    const double characteristic = checked::finite(state.benzenePotential * MixAffinity(state, n), where);
    const double ratio = checked::div(MixPotential(state, n), characteristic, where);
    return checked::exp(-checked::finite(ratio * ratio, where), where);
}

double mixCapacityWetFrom(const CalcState& state, int n, double molarVolume, double factor) {
    auto where = [&] { return mixtureWhere(state, n); };
    const double freeVolume = state.microporeVolume - state.zoneWater[n];
    return checked::finite(checked::div(freeVolume, molarVolume, where) * factor, where);
}

bool holdsNoVapor(const CalcState& state, int n) {
    for (int j = 1; j <= n; ++j) {
        if (state.adsFraction[j] != 0) {
            return false;
        }
    }
    return true;
}

double MixCapacityDry(const CalcState& state, int n) {
    if (holdsNoVapor(state, n)) {
        return 0;
    }
    auto where = [&] { return mixtureWhere(state, n); };
    const double molarVolume = MixMolarVolume(state, n);
    return checked::finite(
        checked::div(state.microporeVolume, molarVolume, where) * mixCapacityFactor(state, n), where);
}

double MixCapacityWet(const CalcState& state, int n) {
    if (holdsNoVapor(state, n)) {
        return 0;
    }
    const double molarVolume = MixMolarVolume(state, n);
    const double factor = mixCapacityFactor(state, n);
    return mixCapacityWetFrom(state, n, molarVolume, factor);
}

DissolvedTerms dissolvedTerms(const CalcState& state, int slot) {
    auto where = [&] { return "the volume of " + vaporLabel(state, slot) + " dissolved in adsorbed water"; };
    const VaporData& vapor = state.vapors[slot];
    const double p = state.partialPress[slot];
    DissolvedTerms terms;
    terms.pressureTerm =
        checked::div(checked::log(checked::div(vapor.satPressure, p, where), where), vapor.molVolume, where);
    const double g = checked::div(kSolubilityPolarizabilityCoef * vapor.molPolariz, vapor.molVolume, where) -
                     kSolubilityOffset;
    terms.energyTerm =
        checked::div(kGasConstant * state.tempK * vapor.molVolume,
                     checked::finite(g * state.benzenePotential * vapor.affinityCoef, where), where);
    return terms;
}

double dissolvedHumidityTerm(const CalcState& state, int slot) {
    auto where = [&] { return "the volume of " + vaporLabel(state, slot) + " dissolved in adsorbed water"; };
    return checked::div(checked::log(state.zoneRH[state.mixCount], where), state.waterMolVolume, where);
}

double dissolvedVolumeFrom(const CalcState& state, int slot, const DissolvedTerms& terms,
                           double humidityTerm) {
    auto where = [&] { return "the volume of " + vaporLabel(state, slot) + " dissolved in adsorbed water"; };
    const int k = state.mixCount;
    const double a = terms.pressureTerm + humidityTerm;
    const double ab = checked::finite(a * terms.energyTerm, where);
    const double exponent = checked::finite(ab * ab, where);
    const double solubleWater = static_cast<double>(state.vapors[slot].waterSolFactor) * state.zoneWater[k];
    // A vapor that does not dissolve gives (+/-)0 whatever the factor, which lies in [0, 1].
    if (state.vapors[slot].waterSolFactor == 0) {
        return checked::finite(solubleWater, where);
    }
    return checked::finite(solubleWater * checked::exp(-exponent, where), where);
}

double DissolvedVolume(const CalcState& state, int slot) {
    if (!(state.partialPress[slot] > 0)) {
        return 0;
    }
    const DissolvedTerms terms = dissolvedTerms(state, slot);
    return dissolvedVolumeFrom(state, slot, terms, dissolvedHumidityTerm(state, slot));
}

double vaporCapacityFrom(const CalcState& state, int slot, double mixCapacityWet, double dissolvedVolume) {
    auto where = [&] { return "the capacity for " + vaporLabel(state, slot); };
    return checked::finite(state.adsFraction[slot] * mixCapacityWet +
                               checked::div(dissolvedVolume, state.vapors[slot].molVolume, where),
                           where);
}

double VaporCapacity(const CalcState& state, int slot) {
    const double mixCapacityWet = MixCapacityWet(state, state.mixCount);
    return vaporCapacityFrom(state, slot, mixCapacityWet, DissolvedVolume(state, slot));
}

double stoichiometricTimeFrom(const CalcState& state, int slot, double vaporCapacity) {
    const double p = state.partialPress[slot];
    auto where = [&] {
        return "the stoichiometric time of " + vaporLabel(state, slot) + " (stage " +
               std::to_string(state.mixCount) + ")";
    };
    const double perPressure = checked::div(vaporCapacity, p, where);
    const double uptake = perPressure * state.carbonWeight * state.cartsPerRespirator * kGasConstant *
                          state.tempK * kLitresPerCubicMetre;
    return checked::div(checked::finite(uptake, where), state.airFlow, where);
}

double StoichiometricTime(const CalcState& state, int slot) {
    if (!(state.partialPress[slot] > 0)) {
        return 0;
    }
    return stoichiometricTimeFrom(state, slot, VaporCapacity(state, slot));
}

}  // namespace quandrelle
