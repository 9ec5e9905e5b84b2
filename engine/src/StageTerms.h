#pragma once

// The weighted quantities split into the parts that cannot change within a stage (they depend on
// the fractions and partial pressures, which only change between stages) and the parts that follow
// the water in the bed. StageCache keeps the constant parts for the length of one stage. Each part
// is computed by the same code, in the same order, as the plain computation, and only on first
// use, so a run with the cache gives bit-identical results and fails at the same step.

#include <array>
#include <optional>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

struct DissolvedTerms {
    double pressureTerm = 0;  // ln(p_sat / p) / V
    double energyTerm = 0;    // R T V / (g E0 beta)
};

struct RateChain {
    double kvReference = 0;
    double curveShape = 0;
    double kvBase = 0;
    double kvEffective = 0;
};

double mixCapacityFactor(const CalcState& state, int n);
double mixCapacityWetFrom(const CalcState& state, int n, double molarVolume, double factor);
DissolvedTerms dissolvedTerms(const CalcState& state, int slot);
double dissolvedHumidityTerm(const CalcState& state, int slot);
double dissolvedVolumeFrom(const CalcState& state, int slot, const DissolvedTerms& terms,
                           double humidityTerm);
double vaporCapacityFrom(const CalcState& state, int slot, double mixCapacityWet, double dissolvedVolume);
double stoichiometricTimeFrom(const CalcState& state, int slot, double vaporCapacity);

class StageCache {
public:
    // A disabled cache computes everything afresh, exactly like the public operations.
    explicit StageCache(bool enabled) : m_enabled(enabled) {}

    bool enabled() const { return m_enabled; }

    double mixMolarVolume(const CalcState& state, int n);
    double mixFactor(const CalcState& state, int n);
    double mixCapacityWet(const CalcState& state, int n);
    double mixCapacityDry(const CalcState& state, int n);
    double dissolvedVolume(const CalcState& state, int slot);
    double vaporCapacity(const CalcState& state, int slot);
    double stoichiometricTime(const CalcState& state, int slot);
    std::optional<RateChain>& rateChain(const CalcState& state, int slot);
    double waterIsotherm(const CalcState& state, int zone, double humidity, double waterAffinity);

private:
    struct IsothermPoint {
        bool known = false;
        double humidity = 0;
        double waterAffinity = 0;
        double water = 0;
    };

    bool m_enabled;
    std::array<std::optional<double>, 6> m_molarVolume{};
    std::array<std::optional<double>, 6> m_factor{};
    std::array<std::optional<DissolvedTerms>, 6> m_dissolved{};
    std::array<std::optional<RateChain>, 6> m_rate{};
    std::array<IsothermPoint, 6> m_isotherm{};
    std::optional<double> m_humidityTerm;
    double m_humidityTermRH = 0;
};

// The per-vapor evaluation and the zone update with a stage's cache.
void evaluateVapors(CalcState& state, StageCache& cache);
void updateZones(CalcState& state, StageCache& cache);
void updateStageCapacities(CalcState& state, StageCache& cache);

}  // namespace quandrelle
