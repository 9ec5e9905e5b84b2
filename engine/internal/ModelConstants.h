#pragma once

// Physical constants and unit conversions that several steps of the model use. Each keeps the
// value and type the model's numbers were found with: a rounded constant (the gas constant, pi to
// six digits) stays rounded, because every shipped result depends on it to the last digit.

namespace quandrelle {

// Gas constant in kJ/(mol K), used in every energy term of the model.
inline constexpr double kGasConstant = 0.00831451;

// Gas constant in L atm/(mol K), used to turn ppm into mg/m3 and back.
inline constexpr double kGasConstantLitreAtm = 0.08205;

// Added to a temperature in degrees C for kelvin.
inline constexpr double kCelsiusToKelvin = 273.15;

// kPa per mmHg (torr): the Antoine equations give mmHg, the model works in kPa.
inline constexpr double kKilopascalsPerTorr = 0.133322;

// kPa per atm.
inline constexpr double kKilopascalsPerAtm = 101.325;

// Pi as the model's bed geometry takes it.
inline constexpr double kModelPi = 3.14159;

// The least relative humidity (fraction) the water terms see: it keeps ln(1/RH) finite in dry air.
inline constexpr double kMinHumidity = 0.0001;

}  // namespace quandrelle
