#pragma once

// Why a stage keeps a cache: a stage of the mixture calculation steps its service time by 0.1 min
// until its vapor breaks through, and every step makes ten passes over the humidity zones. Most of
// what a step computes cannot change within the stage: it depends on the stage's adsorbed
// fractions and partial pressures, which only the roll-up between stages changes, and on the
// run's prepared constants (temperature, bed, vapor data). A stage's cache computes those parts
// once per stage instead of on every time step and zone pass.
//
// What makes it valid: one StageCache lives for one stage (SimulateStage makes a new one) and
// keeps
//   - for the whole stage: the mixture molar volume, capacity factor and dry capacity of each
//     zone, the dissolved-volume terms that do not involve water, the rate-coefficient chain and
//     the fixed parts of the breakthrough-time equation of each vapor (they read the fractions,
//     partial pressures, breakthrough fractions and prepared constants only);
//   - with the inputs it came from, to the bit, each part that follows the water in the bed: the
//     dissolved-volume humidity term (the top zone's humidity), each zone's wet capacity (its
//     water), each vapor's capacity (the top zone's water and humidity) and each zone's
//     equilibrium water (its humidity and water affinity); a kept result is reused only while
//     those inputs are unchanged;
//   - which parts of the zone update have seen an input change since they last ran (ZoneSweep).
// Every part is computed by the same code, in the same order, as the plain computation, so a run
// with the cache gives bit-identical results and fails at the same step. A disabled cache
// computes everything afresh, which is how the public one-step operations and the step-by-step
// reference run use it.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <optional>

#include "ModBreakTime.h"
#include "WtdCalcs.h"
#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// The rate-coefficient chain of one vapor, as setRateChain leaves it in the state.
struct RateChain {
    double kvReference = 0;
    double curveShape = 0;
    double kvBase = 0;
    double kvEffective = 0;
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
    explicit StageCache(bool enabled) : m_enabled(enabled) {}

    bool enabled() const { return m_enabled; }

    double mixMolarVolume(const CalcState& state, int n);
    double mixFactor(const CalcState& state, int n);
    double mixCapacityWet(const CalcState& state, int n);
    double mixCapacityDry(const CalcState& state, int n);
    double dissolvedVolume(const CalcState& state, int slot);
    double vaporCapacity(const CalcState& state, int slot);
    double stoichiometricTime(const CalcState& state, int slot);
    void setRateChain(CalcState& state, int slot);
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

    using StageValues = std::array<std::optional<double>, kSlotCount>;

    // The value of zone or slot `index` kept for the stage, computed on first use.
    template <typename Compute>
    double keptForStage(StageValues& values, const CalcState& state, int index, Compute compute);

    // The varying inputs of the capacities of the stage: the top zone's water and humidity.
    InputMemo<double, 2>::Inputs topZone(const CalcState& state) const;

    bool m_enabled;
    StageValues m_molarVolume{};
    StageValues m_factor{};
    StageValues m_dryCapacity{};
    std::array<std::optional<DissolvedTerms>, kSlotCount> m_dissolved{};
    std::array<std::optional<RateChain>, kSlotCount> m_rate{};
    std::array<std::optional<BreakthroughTerms>, kSlotCount> m_breakthrough{};
    std::array<IsothermPoint, kSlotCount> m_isotherm{};
    std::optional<double> m_humidityTerm;
    double m_humidityTermRH = 0;
    std::array<InputMemo<double, 1>, kSlotCount> m_wetCapacity{};
    std::array<InputMemo<double, 2>, kSlotCount> m_vaporCapacity{};
    ZoneSweep m_zoneSweep;
};

// The steps of one time step with a stage's cache; the public operations (EvaluateVapors,
// UpdateZones, UpdateStageCapacities) run them with a disabled one.
void evaluateVapors(CalcState& state, StageCache& cache);
void updateZones(CalcState& state, StageCache& cache);
void updateStageCapacities(CalcState& state, StageCache& cache);

}  // namespace quandrelle
