#pragma once

// Every number of the calculation state with its name, as bits, so that two runs can be compared
// to the last bit (== on doubles would let +0 pass for -0) and a difference is reported by name.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle::test {

class StateNumbers {
public:
    explicit StateNumbers(const CalcState& state) {
        for (int i = 0; i < kSlotCount; ++i) {
            addVapor("vapors(" + std::to_string(i) + ")", state.vapors[i]);
        }
        add("vaporCount", state.vaporCount);
        add("mixCount", state.mixCount);
        add("preparingSlot", state.preparingSlot);
        add("cartsPerRespirator", state.cartsPerRespirator);
        const std::pair<const char*, float> singles[] = {
            {"tempC", state.tempC},
            {"atmPressure", state.atmPressure},
            {"relHumidity", state.relHumidity},
            {"airFlow", state.airFlow},
            {"bedDiameter", state.bedDiameter},
            {"bedDepth", state.bedDepth},
            {"carbonWeight", state.carbonWeight},
            {"microporeVolume", state.microporeVolume},
            {"precondRH", state.precondRH},
            {"granuleDiameter", state.granuleDiameter},
            {"benzenePotential", state.benzenePotential},
            {"waterAffinity", state.waterAffinity},
            {"waterAffinityHalf", state.waterAffinityHalf},
        };
        for (const auto& [name, value] : singles) {
            add(name, value);
        }
        m_texts.push_back(state.cartName);
        add("tempK", state.tempK);
        add("bedVolume", state.bedVolume);
        add("bulkDensity", state.bulkDensity);
        add("airVelocity", state.airVelocity);
        add("faceVelocity", state.faceVelocity);
        add("waterVapPress", state.waterVapPress);
        add("waterMolVolume", state.waterMolVolume);
        add("precondWater", state.precondWater);
        add("elapsedTime", state.elapsedTime);
        add("mixSum", state.mixSum);
        add("brokenPressure", state.brokenPressure);
        add("brokenCapacity", state.brokenCapacity);
        add("kvReference", state.kvReference);
        add("curveShape", state.curveShape);
        add("kvBase", state.kvBase);
        add("kvEffective", state.kvEffective);
        const std::pair<const char*, const SlotArray<double>*> arrays[] = {
            {"partialPress", &state.partialPress},
            {"adsFraction", &state.adsFraction},
            {"molarCapacity", &state.molarCapacity},
            {"breakConc", &state.breakConc},
            {"breakFraction", &state.breakFraction},
            {"potentialRatio", &state.potentialRatio},
            {"erfValue", &state.erfValue},
            {"spreadPressure", &state.spreadPressure},
            {"sortKey", &state.sortKey},
            {"stagePress", &state.stagePress},
            {"breakTime", &state.breakTime},
            {"breakTimeResult", &state.breakTimeResult},
            {"breakTimeMin", &state.breakTimeMin},
            {"breakTimeMax", &state.breakTimeMax},
            {"totalPressure", &state.totalPressure},
            {"zoneWater", &state.zoneWater},
            {"zoneRH", &state.zoneRH},
            {"zoneOrganic", &state.zoneOrganic},
            {"zoneWaterEq", &state.zoneWaterEq},
            {"zoneUptake", &state.zoneUptake},
            {"zoneWaterMixed", &state.zoneWaterMixed},
            {"zoneWaterStep", &state.zoneWaterStep},
            {"zoneCapStep", &state.zoneCapStep},
            {"zonePressStep", &state.zonePressStep},
            {"zoneRHRise", &state.zoneRHRise},
        };
        for (const auto& [name, values] : arrays) {
            for (int i = 0; i < kSlotCount; ++i) {
                add(std::string(name) + "(" + std::to_string(i) + ")", (*values)[i]);
            }
        }
        for (int i = 0; i < kSlotCount; ++i) {
            const VaporSortEntry& entry = state.sortBuffers[i];
            const std::string name = "sortBuffers(" + std::to_string(i) + ")";
            addVapor(name, entry.vapor);
            add(name + ".partialPress", entry.partialPress);
            add(name + ".adsFraction", entry.adsFraction);
            add(name + ".molarCapacity", entry.molarCapacity);
            add(name + ".breakConc", entry.breakConc);
            add(name + ".breakFraction", entry.breakFraction);
        }
    }

    std::size_t size() const { return m_numbers.size(); }

    // Names every number whose bits differ; the texts of names and CAS numbers are compared too.
    friend void expectBitIdentical(const StateNumbers& a, const StateNumbers& b) {
        ASSERT_EQ(a.m_numbers.size(), b.m_numbers.size());
        for (std::size_t i = 0; i < a.m_numbers.size(); ++i) {
            EXPECT_EQ(a.m_numbers[i].second, b.m_numbers[i].second) << a.m_numbers[i].first;
        }
        EXPECT_EQ(a.m_texts, b.m_texts);
    }

private:
    void add(const std::string& name, double value) {
        m_numbers.emplace_back(name, std::bit_cast<std::uint64_t>(value));
    }
    void add(const std::string& name, float value) {
        m_numbers.emplace_back(name, std::bit_cast<std::uint32_t>(value));
    }
    void add(const std::string& name, std::int16_t value) {
        m_numbers.emplace_back(name, static_cast<std::uint16_t>(value));
    }

    void addVapor(const std::string& name, const VaporData& vapor) {
        m_texts.push_back(vapor.chemName);
        m_texts.push_back(vapor.casNumber);
        add(name + ".molWt", vapor.molWt);
        add(name + ".liqDensity", vapor.liqDensity);
        add(name + ".molPolariz", vapor.molPolariz);
        add(name + ".waterSolFactor", vapor.waterSolFactor);
        add(name + ".avgConc", vapor.avgConc);
        add(name + ".antoineA", vapor.antoineA);
        add(name + ".antoineB", vapor.antoineB);
        add(name + ".antoineC", vapor.antoineC);
        add(name + ".affinityCoef", vapor.affinityCoef);
        add(name + ".molVolume", vapor.molVolume);
        add(name + ".satPressure", vapor.satPressure);
    }

    std::vector<std::pair<std::string, std::uint64_t>> m_numbers;
    std::vector<std::string> m_texts;
};

}  // namespace quandrelle::test
