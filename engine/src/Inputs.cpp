#include "quandrelle/engine/Inputs.h"

#include <array>

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

}  // namespace quandrelle
