#pragma once

// Library vapors and a typical half-mask cartridge for the fit's tests.

#include "quandrelle/fit/FitPoint.h"

namespace quandrelle::testing {

inline VaporInput toluene(double ppm) {
    return {"Toluene", 92.1384, 0.8679, 31.076, 0, ppm, 16.45881, 3342.58, -43.147, "108-88-3"};
}
inline VaporInput acetone(double ppm) {
    return {"Acetone", 58.0791, 0.7917, 16.142, 1, ppm, 16.61007, 2909.023, -37.7, "67-64-1"};
}
inline VaporInput carbonTetrachloride(double ppm) {
    return {"Carbon tetrachloride", 153.8227, 1.5932, 26.449, 0, ppm, 15.89648, 2815.464, -45.858, "56-23-5"};
}
inline VaporInput cyclohexane(double ppm) {
    return {"Cyclohexane", 84.1595, 0.7781, 27.730, 0, ppm, 16.14797, 2989.233, -39.667, "110-82-7"};
}

inline UseConditions labConditions(double relHumidity = 50, double airFlow = 30) {
    return {
        .temperature = 25, .pressure = 1, .relHumidity = relHumidity, .cartridges = 2, .airFlow = airFlow};
}

inline CartridgeInput halfMaskCarbon(double microporeVolume, double benzenePotential) {
    return {.name = "Known carbon",
            .bedDiameter = 8,
            .bedDepth = 3,
            .carbonWeight = 26,
            .microporeVolume = microporeVolume,
            .precondRH = 50,
            .granuleDiameter = 0.1,
            .benzenePotential = benzenePotential,
            .waterAffinity = 0.06};
}

}  // namespace quandrelle::testing
