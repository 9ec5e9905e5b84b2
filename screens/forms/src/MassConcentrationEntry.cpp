#include "quandrelle/screens/forms/MassConcentrationEntry.h"

#include "quandrelle/engine/CalcError.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/screens/dialogs/Note.h"
#include "quandrelle/validation/NumberReader.h"

namespace quandrelle {

MassConversionConditions massConversionConditions(const CalcState& state) {
    if (state.atmPressure > 0) {
        return {state.atmPressure, state.tempC, false};
    }
    return {toSingle(readNumber(kDefaultPressureText.toStdString())),
            toSingle(readNumber(kDefaultTemperatureText.toStdString())), true};
}

QString massConcentrationShown(const CalcState& state, double ppm, double molWt) {
    if (!(ppm > 0 && molWt > 0)) {
        return {};
    }
    const MassConversionConditions at = massConversionConditions(state);
    try {
        return QString::fromStdString(massConcentrationText(
            massConcentration(at.atmPressure, at.tempC, toSingle(ppm), toSingle(molWt))));
    } catch (const CalcError&) {
        // A number beyond single precision: its own field reports it when left.
        return {};
    }
}

std::optional<QString> ppmTextForMass(const CalcState& state, const QString& massText, double molWt,
                                      Messenger& messenger) {
    if (!(molWt > 0)) {
        showNote(messenger,
                 "A concentration in mg/m³ is converted to ppm with the vapor's molecular weight, and this "
                 "vapor has none yet: enter the molecular weight first.");
        return std::nullopt;
    }
    const MassConversionConditions at = massConversionConditions(state);
    if (at.defaults) {
        // Converted at the defaults, a mass typed for a warmer or thinner air would give too few ppm,
        // and so too long a life: the conditions of use come first.
        showNote(messenger,
                 "A concentration in mg/m³ is converted to ppm at the temperature and pressure of use, and "
                 "no use conditions have been accepted yet: accept them first, or enter the concentration "
                 "in ppm.");
        return std::nullopt;
    }
    const float ppm =
        concentrationFromMass(at.atmPressure, at.tempC, readNumber(massText.toStdString()), toSingle(molWt));
    return QString::fromStdString(generalText(ppm));
}

QString massFieldToolTip(const CalcState& state, const QString& whatItShows) {
    const MassConversionConditions at = massConversionConditions(state);
    const QString conditions = at.defaults
                                   ? QStringLiteral(
                                         "at %1 °C and %2 atm, the use conditions' defaults, since no use "
                                         "conditions have been accepted yet")
                                         .arg(kDefaultTemperatureText, kDefaultPressureText)
                                   : QStringLiteral("at the temperature and pressure of the use conditions");
    const QString typing =
        at.defaults ? QStringLiteral(". Accept the use conditions before typing a concentration here.")
                    : QStringLiteral(
                          ". A concentration typed here is entered as its ppm at the same "
                          "conditions.");
    return whatItShows + QStringLiteral(" in mg/m³ ") + conditions + typing;
}

}  // namespace quandrelle
