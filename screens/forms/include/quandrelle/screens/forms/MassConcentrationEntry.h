#pragma once

// A concentration typed in mg/m3 beside a ppm field. The ppm stays the one stored value: the mass
// concentration is converted at the calculation's temperature and pressure by the program's one
// formula, written into the ppm field as its general text, and entered from there exactly as if the
// user had typed that ppm, so a run reads the same number whichever unit was typed.

#include <QString>
#include <optional>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

class Messenger;

// The use conditions screen's first texts, which stand for the conditions until the user accepts
// some.
inline const QString kDefaultTemperatureText = QStringLiteral("23");
inline const QString kDefaultPressureText = QStringLiteral("1.00");

// The temperature and pressure a mass concentration is converted at: the state's, or the use
// conditions screen's defaults while no use conditions were accepted (no pressure yet).
struct MassConversionConditions {
    float atmPressure = 0;
    float tempC = 0;
    bool defaults = false;
};
MassConversionConditions massConversionConditions(const CalcState& state);

// A ppm concentration in mg/m3 at those conditions as the screens show it; empty while the
// concentration or the molecular weight is missing or beyond single precision.
QString massConcentrationShown(const CalcState& state, double ppm, double molWt);

// The ppm text that a typed mass concentration stands for. A molecular weight of 0, or use
// conditions never accepted, convert nothing: a Note says what is missing, and the result is none.
std::optional<QString> ppmTextForMass(const CalcState& state, const QString& massText, double molWt,
                                      Messenger& messenger);

// What the mass field says when pointed at: at which conditions it converts.
QString massFieldToolTip(const CalcState& state, const QString& whatItShows);

}  // namespace quandrelle
