#include "StageCache.h"

#include <string>

#include "Checked.h"
#include "HumidityZones.h"

namespace quandrelle {

namespace {

// Index of a slot or zone in the cache arrays, checked like every index of the state.
std::size_t cacheIndex(const CalcState& state, int index) {
    static_cast<void>(state.zoneWater[index]);
    return static_cast<std::size_t>(index);
}

}  // namespace

template <typename Compute>
double StageCache::keptForStage(StageValues& values, const CalcState& state, int index, Compute compute) {
    if (!m_enabled) {
        return compute();
    }
    std::optional<double>& kept = values[cacheIndex(state, index)];
    if (!kept) {
        kept = compute();
    }
    return *kept;
}

double StageCache::mixMolarVolume(const CalcState& state, int n) {
    return keptForStage(m_molarVolume, state, n, [&] { return MixMolarVolume(state, n); });
}

double StageCache::mixFactor(const CalcState& state, int n) {
    return keptForStage(m_factor, state, n, [&] { return mixCapacityFactor(state, n); });
}

double StageCache::mixCapacityWet(const CalcState& state, int n) {
    // The fractions, and so whether the zone holds any vapor, are the stage's own.
    auto compute = [&] {
        if (holdsNoVapor(state, n)) {
            return 0.0;
        }
        const double molarVolume = mixMolarVolume(state, n);
        const double factor = mixFactor(state, n);
        return mixCapacityWetFrom(state, n, molarVolume, factor);
    };
    if (!m_enabled) {
        return compute();
    }
    return m_wetCapacity[cacheIndex(state, n)].get({state.zoneWater[n]}, compute);
}

double StageCache::mixCapacityDry(const CalcState& state, int n) {
    auto compute = [&] {
        if (holdsNoVapor(state, n)) {
            return 0.0;
        }
        auto where = [&] { return mixtureWhere(state, n); };
        const double molarVolume = mixMolarVolume(state, n);
        return checked::finite(checked::div(state.microporeVolume, molarVolume, where) * mixFactor(state, n),
                               where);
    };
    return keptForStage(m_dryCapacity, state, n, compute);
}

double StageCache::dissolvedVolume(const CalcState& state, int slot) {
    if (!(state.partialPress[slot] > 0)) {
        return 0;
    }
    if (!m_enabled) {
        const DissolvedTerms terms = dissolvedTerms(state, slot);
        return dissolvedVolumeFrom(state, slot, terms, dissolvedHumidityTerm(state, slot));
    }
    auto& cached = m_dissolved[cacheIndex(state, slot)];
    if (!cached) {
        cached = dissolvedTerms(state, slot);
    }
    // The humidity term is the same for every vapor until the top zone's humidity changes.
    const double humidity = state.zoneRH[state.mixCount];
    if (!m_humidityTerm || m_humidityTermRH != humidity) {
        m_humidityTerm = dissolvedHumidityTerm(state, slot);
        m_humidityTermRH = humidity;
    }
    return dissolvedVolumeFrom(state, slot, *cached, *m_humidityTerm);
}

double StageCache::waterIsotherm(const CalcState& state, int zone, double humidity, double waterAffinity) {
    if (!m_enabled) {
        return WaterIsotherm(state, humidity, waterAffinity);
    }
    // A zone whose humidity has not changed holds the same equilibrium water.
    IsothermPoint& point = m_isotherm[cacheIndex(state, zone)];
    if (!point.known || point.humidity != humidity || point.waterAffinity != waterAffinity) {
        point = IsothermPoint{true, humidity, waterAffinity, WaterIsotherm(state, humidity, waterAffinity)};
    }
    return point.water;
}

InputMemo<double, 2>::Inputs StageCache::topZone(const CalcState& state) const {
    return {state.zoneWater[state.mixCount], state.zoneRH[state.mixCount]};
}

double StageCache::vaporCapacity(const CalcState& state, int slot) {
    auto compute = [&] {
        const double mixCapacityWet = this->mixCapacityWet(state, state.mixCount);
        return vaporCapacityFrom(state, slot, mixCapacityWet, dissolvedVolume(state, slot));
    };
    if (!m_enabled) {
        return compute();
    }
    return m_vaporCapacity[cacheIndex(state, slot)].get(topZone(state), compute);
}

double StageCache::stoichiometricTime(const CalcState& state, int slot) {
    if (!(state.partialPress[slot] > 0)) {
        return 0;
    }
    return stoichiometricTimeFrom(state, slot, vaporCapacity(state, slot));
}

const BreakthroughTerms& StageCache::breakthroughTerms(const CalcState& state, int slot) {
    auto& cached = m_breakthrough[cacheIndex(state, slot)];
    if (!m_enabled || !cached) {
        cached = quandrelle::breakthroughTerms(state, slot);
    }
    return *cached;
}

void StageCache::setRateChain(CalcState& state, int slot) {
    // The chain depends on the feed, not on the stage's water or capacities.
    std::optional<RateChain>& kept = m_rate[cacheIndex(state, slot)];
    if (m_enabled && kept) {
        state.kvReference = kept->kvReference;
        state.curveShape = kept->curveShape;
        state.kvBase = kept->kvBase;
        state.kvEffective = kept->kvEffective;
        return;
    }
    quandrelle::setRateChain(state, slot);
    if (m_enabled) {
        kept = RateChain{state.kvReference, state.curveShape, state.kvBase, state.kvEffective};
    }
}

}  // namespace quandrelle
