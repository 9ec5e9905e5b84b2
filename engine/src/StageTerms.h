#pragma once

// The weighted quantities split into the parts that cannot change within a stage (they depend on
// the fractions and partial pressures, which only change between stages) and the parts that follow
// the water in the bed. StageCache keeps the constant parts for the length of one stage; of the
// parts that follow the water it keeps the last result with the inputs it came from, and it notes
// which parts of the zone update have seen an input change since they last ran. Each part is
// computed by the same code, in the same order, as the plain computation, and a kept result is
// reused only while its inputs are unchanged to the bit, so a run with the cache gives
// bit-identical results and fails at the same step.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
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

// The parts of the breakthrough-time equation fixed by the stage's partial pressure.
struct BreakthroughTerms {
    double feedDensity = 0;  // C0, g/cm3
    double logTerm = 0;      // ln(1/f - 1)
};

// The parts of the zone update of a stage whose inputs have changed, to the bit, since they were
// last computed (at the start of a stage, all of them), and the stoichiometric times last computed.
struct ZoneSweep {
    ZoneSweep() {
        water.fill(true);
        stoichiometric.fill(true);
        rise.fill(true);
    }

    void markStoichiometricTimes(int k) {
        std::fill(stoichiometric.begin() + 1, stoichiometric.begin() + k + 1, true);
    }

    bool anyPending(int k, int vaporCount) const {
        const auto pending = [](const auto& parts, int from, int to) {
            return std::any_of(parts.begin() + from, parts.begin() + to + 1, [](bool part) { return part; });
        };
        return pending(water, 0, k) || pending(stoichiometric, 1, k) ||
               pending(rise, 0, std::min(k, vaporCount - 1));
    }

    std::array<bool, kSlotCount> water{};
    std::array<bool, kSlotCount> stoichiometric{};
    std::array<bool, kSlotCount> rise{};
    std::array<double, kSlotCount> stoichiometricTime{};
};

double mixCapacityFactor(const CalcState& state, int n);
double mixCapacityWetFrom(const CalcState& state, int n, double molarVolume, double factor);
DissolvedTerms dissolvedTerms(const CalcState& state, int slot);
double dissolvedHumidityTerm(const CalcState& state, int slot);
double dissolvedVolumeFrom(const CalcState& state, int slot, const DissolvedTerms& terms,
                           double humidityTerm);
double vaporCapacityFrom(const CalcState& state, int slot, double mixCapacityWet, double dissolvedVolume);
double stoichiometricTimeFrom(const CalcState& state, int slot, double vaporCapacity);
BreakthroughTerms breakthroughTerms(const CalcState& state, int slot);
double breakthroughTimeFrom(const CalcState& state, int slot, const BreakthroughTerms& terms, double capacity,
                            double stoichiometricTime, double kv);

// The last result of one part and the inputs, to the bit, it was computed from.
template <typename Result, std::size_t InputCount>
class InputMemo {
public:
    using Inputs = std::array<double, InputCount>;

    // compute() unless `inputs` are those of the remembered result.
    template <typename Compute>
    const Result& get(const Inputs& inputs, Compute&& compute) {
        // Compared as bits: +0 and -0 may lead to different results, and a NaN never reaches here.
        if (!m_result || std::memcmp(inputs.data(), m_inputs.data(), sizeof(Inputs)) != 0) {
            m_result = compute();
            m_inputs = inputs;
        }
        return *m_result;
    }

private:
    Inputs m_inputs{};
    std::optional<Result> m_result;
};

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
    const BreakthroughTerms& breakthroughTerms(const CalcState& state, int slot);
    double waterIsotherm(const CalcState& state, int zone, double humidity, double waterAffinity);

    ZoneSweep& zoneSweep() { return m_zoneSweep; }

private:
    struct IsothermPoint {
        bool known = false;
        double humidity = 0;
        double waterAffinity = 0;
        double water = 0;
    };

    // The varying inputs of the capacities of the stage: the top zone's water and humidity.
    InputMemo<double, 2>::Inputs topZone(const CalcState& state) const;

    bool m_enabled;
    std::array<std::optional<double>, 6> m_molarVolume{};
    std::array<std::optional<double>, 6> m_factor{};
    std::array<std::optional<double>, 6> m_dryCapacity{};
    std::array<std::optional<DissolvedTerms>, 6> m_dissolved{};
    std::array<std::optional<RateChain>, 6> m_rate{};
    std::array<std::optional<BreakthroughTerms>, 6> m_breakthrough{};
    std::array<IsothermPoint, 6> m_isotherm{};
    std::optional<double> m_humidityTerm;
    double m_humidityTermRH = 0;
    std::array<InputMemo<double, 1>, 6> m_wetCapacity{};
    std::array<InputMemo<double, 2>, 6> m_vaporCapacity{};
    ZoneSweep m_zoneSweep;
};

// Index of a slot or zone in the cache arrays, checked like every index of the state.
std::size_t cacheIndex(const CalcState& state, int index);

// The per-vapor evaluation and the zone update with a stage's cache.
void evaluateVapors(CalcState& state, StageCache& cache);
void updateZones(CalcState& state, StageCache& cache);
void updateStageCapacities(CalcState& state, StageCache& cache);

}  // namespace quandrelle
