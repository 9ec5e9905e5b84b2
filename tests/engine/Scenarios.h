#pragma once

// Realistic cartridges and vapors for the engine tests, stored the way the screens store them.

#include <vector>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle::test {

struct VaporInput {
    const char* name;
    float molWt, liqDensity, molPolariz, waterSolFactor, concentration, antoineA, antoineB, antoineC;
    double breakConc;
};

inline const VaporInput kBenzene{"Benzene", 78.11f, 0.8765f, 26.2f, 0, 100, 15.9008f, 2788.51f, -52.36f, 10};
inline const VaporInput kToluene{"Toluene", 92.14f, 0.8669f, 31.1f, 0, 100, 16.0137f, 3096.52f, -53.67f, 10};
inline const VaporInput kAcetone{"Acetone", 58.08f, 0.7899f, 16.2f, 1, 200, 16.6513f, 2940.46f, -35.93f, 20};
inline const VaporInput kHexane{"Hexane", 86.18f, 0.6548f, 29.9f, 0, 50, 15.8366f, 2697.55f, -48.78f, 5};
inline const VaporInput kEthylAcetate{"Ethyl acetate", 88.11f,  0.902f,  22.3f, 0.5f, 100,
                                      16.1516f,        2790.5f, -57.15f, 10};

// Four vapors whose three-vapor equilibrium (stage 3) cycles on carbon preconditioned at 80 %.
inline const VaporInput kDichloroethane{
    "1,2-Dichloroethane", 98.95f, 1.2529f, 21.01f, 0.007f, 200, 16.17635f, 2927.276f, -50.25f, 20};
inline const VaporInput kAcetonitrile{"Acetonitrile", 41.05f,    0.7857f,  11.07f, 1, 10,
                                      16.90065f,      3413.099f, -22.627f, 1};
inline const VaporInput kChlorobenzene{"Chlorobenzene", 112.56f,  1.1058f, 31.15f, 0, 500,
                                       16.06762f,       3296.91f, -55.6f,  50};
inline const VaporInput kEthylBromide{"Ethyl bromide", 108.97f,   1.4604f, 19.04f, 0.006f, 100,
                                      15.87137f,       2495.542f, -42.45f, 10};

inline void addVapor(CalcState& state, const VaporInput& input) {
    const int slot = ++state.vaporCount;
    VaporData& vapor = state.vapors[slot];
    vapor.chemName = input.name;
    vapor.molWt = input.molWt;
    vapor.liqDensity = input.liqDensity;
    vapor.molPolariz = input.molPolariz;
    vapor.waterSolFactor = input.waterSolFactor;
    vapor.avgConc = input.concentration;
    vapor.antoineA = input.antoineA;
    vapor.antoineB = input.antoineB;
    vapor.antoineC = input.antoineC;
    state.breakConc[slot] = input.breakConc;
    state.breakFraction[slot] = input.breakConc / input.concentration;
}

// A half-mask with two 26 g cartridges at 23 degrees C, 1 atm, 30 L/min.
inline CalcState halfMask(float relHumidity = 0.5f, float precondRH = 0.5f) {
    CalcState state;
    state.cartName = "Half-mask OV";
    state.bedDiameter = 8;
    state.bedDepth = 3;
    state.carbonWeight = 26;
    state.microporeVolume = 0.45f;
    state.precondRH = precondRH;
    state.granuleDiameter = 0.1f;
    state.benzenePotential = 19;
    setBetaH2O(state, 0.06f);
    state.tempC = 23;
    state.atmPressure = 1;
    state.relHumidity = relHumidity;
    state.cartsPerRespirator = 2;
    state.airFlow = 30;
    return state;
}

inline CalcState withVapors(CalcState state, const std::vector<VaporInput>& vapors) {
    for (const VaporInput& vapor : vapors) {
        addVapor(state, vapor);
    }
    setFaceVelocity(state);
    return state;
}

inline std::vector<BreakthroughRow> rowsOf(const CalcState& state) {
    std::vector<BreakthroughRow> rows;
    for (int i = 1; i <= state.vaporCount; ++i) {
        rows.push_back({state.vapors[i].avgConc, state.breakConc[i]});
    }
    return rows;
}

}  // namespace quandrelle::test
