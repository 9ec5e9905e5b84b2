#pragma once

// The limits of every numeric field of the program, shared by the screens and the command-line
// calculator so that both accept exactly the same values. The texts are the ones the messages quote.

#include "quandrelle/validation/NumericField.h"

namespace quandrelle::limits {

// Cartridge or carbon bed.
inline const FieldLimits kBedDiameter{0.1, 20, "0.1", "20"};
inline const FieldLimits kBedDepth{0.1, 20, "0.1", "20"};
inline const FieldLimits kCarbonWeight{0.1, 1000, "0.1", "1,000"};
inline const FieldLimits kMicroporeVolume{0.1, 1.0, "0.1", "1.0"};
inline const FieldLimits kPrecondRH{1, 99, "1", "99"};
inline const FieldLimits kGranuleDiameter{0.01, 1.0, "0.01", "1.0"};
inline const FieldLimits kBenzenePotential{1, 100, "1", "100"};
inline const FieldLimits kWaterAffinity{0.01, 0.2, "0.01", "0.20"};

// Organic vapor.
inline const FieldLimits kMolWt{2, 1000, "2", "1,000"};
inline const FieldLimits kLiqDensity{0.4, 4.0, "0.4", "4.0"};
inline const FieldLimits kMolPolariz{5, 100, "5", "100"};
inline const FieldLimits kWaterSolFactor{0, 1.0, "0", "1.0"};
inline const FieldLimits kVaporConcentration{0.01, 100000, "0.01", "100,000"};
inline const FieldLimits kAntoineA{10, 50, "10", "50"};
inline const FieldLimits kAntoineB{1000, 20000, "1,000", "20,000"};
inline const FieldLimits kAntoineC{-120, 500, "-120", "500"};

// Use conditions (the results screen uses the same limits for the fields it shares).
inline const FieldLimits kTemperature{0, 75, "0", "75"};
inline const FieldLimits kAtmPressure{0.5, 1.5, "0.5", "1.5"};
inline const FieldLimits kRelHumidity{1, 99, "1", "99"};
inline const FieldLimits kCartridgesPerRespirator{1, 10, "1", "10"};
inline const FieldLimits kAirFlow{1, 500, "1", "500"};

}  // namespace quandrelle::limits
