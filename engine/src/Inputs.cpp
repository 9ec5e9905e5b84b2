#include "quandrelle/engine/Inputs.h"

#include <array>
#include <cmath>
#include <string>

#include "quandrelle/engine/SetUp.h"

namespace quandrelle {

void storeCartridge(CalcState& state, const CartridgeInput& input) {
    const float bedDiameter = toSingle(input.bedDiameter);
    const float bedDepth = toSingle(input.bedDepth);
    const float carbonWeight = toSingle(input.carbonWeight);
    const float microporeVolume = toSingle(input.microporeVolume);
    const float precondRH = humidityFraction(input.precondRH);
    const float granuleDiameter = toSingle(input.granuleDiameter);
    const float benzenePotential = toSingle(input.benzenePotential);
    const float waterAffinity = toSingle(input.waterAffinity);
    state.cartName = input.name;
    state.bedDiameter = bedDiameter;
    state.bedDepth = bedDepth;
    state.carbonWeight = carbonWeight;
    state.microporeVolume = microporeVolume;
    state.precondRH = precondRH;
    state.granuleDiameter = granuleDiameter;
    state.benzenePotential = benzenePotential;
    setBetaH2O(state, waterAffinity);
}

void storeVapor(CalcState& state, int slot, const VaporInput& input) {
    const std::array<float, 8> numbers = {
        toSingle(input.molWt),          toSingle(input.liqDensity),    toSingle(input.molPolariz),
        toSingle(input.waterSolFactor), toSingle(input.concentration), toSingle(input.antoineA),
        toSingle(input.antoineB),       toSingle(input.antoineC),
    };
    VaporData& vapor = state.vapors[slot];
    if (vapor.chemName != input.name) {
        vapor.oel.reset();
        vapor.idlh.reset();
        vapor.dataSource.clear();
    }
    vapor.chemName = input.name;
    vapor.molWt = numbers[0];
    vapor.liqDensity = numbers[1];
    vapor.molPolariz = numbers[2];
    vapor.waterSolFactor = numbers[3];
    vapor.avgConc = numbers[4];
    vapor.antoineA = numbers[5];
    vapor.antoineB = numbers[6];
    vapor.antoineC = numbers[7];
    vapor.casNumber = input.cas;
    if (input.dataSource) {
        vapor.dataSource = *input.dataSource;
    }
}

void storeConditions(CalcState& state, const UseConditions& input) {
    const float tempC = toSingle(input.temperature);
    const float atmPressure = toSingle(input.pressure);
    const float relHumidity = humidityFraction(input.relHumidity);
    const std::int16_t cartridges = roundHalfEvenToInt16(input.cartridges);
    const float airFlow = toSingle(input.airFlow);
    state.tempC = tempC;
    state.atmPressure = atmPressure;
    state.relHumidity = relHumidity;
    state.cartsPerRespirator = cartridges;
    state.airFlow = airFlow;
}

void storeTemperature(CalcState& state, double degreesC) {
    state.tempC = toSingle(degreesC);
}

void storePressure(CalcState& state, double atm) {
    state.atmPressure = toSingle(atm);
}

void storeRelHumidity(CalcState& state, double percent) {
    state.relHumidity = humidityFraction(percent);
}

void storeCartridges(CalcState& state, double count) {
    state.cartsPerRespirator = roundHalfEvenToInt16(count);
}

void storeAirFlow(CalcState& state, double litresPerMinute) {
    state.airFlow = toSingle(litresPerMinute);
}

void storeConcentration(CalcState& state, int slot, double ppm) {
    const float concentration = toSingle(ppm);
    state.vapors[slot].avgConc = concentration;
    if (concentration > 0) {
        state.breakFraction[slot] = state.breakConc[slot] / concentration;
    }
}

namespace {

// NaN fails every comparison, so each check is written as the accepted range.
void require(bool accepted, const std::string& message) {
    if (!accepted) {
        throw ProgrammeInputError(message);
    }
}

bool isLimit(std::optional<double> ppm) {
    return !ppm || (std::isfinite(*ppm) && *ppm > 0);
}

}  // namespace

void storeSchedule(CalcState& state, const ScheduleInputs& input) {
    require(input.safetyFactor >= 1 && std::isfinite(input.safetyFactor),
            "The safety factor must be a number of 1 or more.");
    require(input.shiftHours > 0 && input.shiftHours <= 24,
            "The shift length must be above 0 and at most 24 hours.");
    require(input.wornHoursPerShift > 0 && input.wornHoursPerShift <= input.shiftHours,
            "The hours worn per shift must be above 0 and at most the shift length.");
    state.schedule = input;
}

void storeExposure(CalcState& state, const ExposureInputs& input) {
    require(input.facepiece != Facepiece::Typed ||
                (input.typedProtectionFactor >= 1 && std::isfinite(input.typedProtectionFactor)),
            "The protection factor must be a number of 1 or more.");
    state.exposure = input;
}

void storeReportHeader(CalcState& state, const ReportHeader& input) {
    state.reportHeader = input;
}

void storeExposureLimits(CalcState& state, int slot, std::optional<double> oel, std::optional<double> idlh) {
    require(isLimit(oel), "The exposure limit must be a concentration above 0 ppm.");
    require(isLimit(idlh), "The IDLH value must be a concentration above 0 ppm.");
    require(!oel || !idlh || *idlh >= *oel, "The IDLH value must not be below the exposure limit.");
    VaporData& vapor = state.vapors[slot];
    vapor.oel = oel;
    vapor.idlh = idlh;
}

void copyProgrammeInputs(const CalcState& from, CalcState& to) {
    to.schedule = from.schedule;
    to.exposure = from.exposure;
    to.reportHeader = from.reportHeader;
    for (int p = kFirstSlot; p <= to.vaporCount; ++p) {
        VaporData& vapor = to.vapors[p];
        for (int slot = kFirstSlot; slot <= from.vaporCount; ++slot) {
            if (from.vapors[slot].chemName == vapor.chemName) {
                vapor.oel = from.vapors[slot].oel;
                vapor.idlh = from.vapors[slot].idlh;
                break;
            }
        }
    }
}

double protectionFactor(const ExposureInputs& exposure) {
    switch (exposure.facepiece) {
        case Facepiece::HalfMask:
            return kHalfMaskProtectionFactor;
        case Facepiece::FullFacepiece:
            return kFullFacepieceProtectionFactor;
        case Facepiece::Typed:
            return exposure.typedProtectionFactor;
    }
    return kHalfMaskProtectionFactor;
}

}  // namespace quandrelle
