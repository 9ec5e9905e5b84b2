#pragma once

// What the user enters, as numbers, and the one way each group goes into the calculation state.
// The screens read their fields into these, the command-line calculator reads its scenario into
// them, and both store through the functions below, so that the same entry becomes the same
// Single in the state whichever way it came in.

#include <optional>
#include <string>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

struct CartridgeInput {
    std::string name;
    double bedDiameter = 0;       // cm
    double bedDepth = 0;          // cm
    double carbonWeight = 0;      // g per cartridge
    double microporeVolume = 0;   // cm3/g
    double precondRH = 0;         // percent
    double granuleDiameter = 0;   // cm
    double benzenePotential = 0;  // kJ/mol
    double waterAffinity = 0;     // as entered, before the preconditioning factor
};

struct VaporInput {
    std::string name;
    double molWt = 0;           // g/mol
    double liqDensity = 0;      // g/cm3
    double molPolariz = 0;      // cm3/mol
    double waterSolFactor = 0;  // 0..1
    double concentration = 0;   // ppm
    double antoineA = 0;
    double antoineB = 0;  // K
    double antoineC = 0;  // K
    std::string cas;
    // Where the properties came from, when the entry knows: empty for properties the user typed or
    // changed. Unset leaves the slot's source to the rule of storeVapor.
    std::optional<std::string> dataSource{};
};

struct UseConditions {
    double temperature = 0;  // degrees C
    double pressure = 0;     // atm
    double relHumidity = 0;  // percent
    double cartridges = 0;   // per respirator; stored rounded, halves to even
    double airFlow = 0;      // L/min
};

// Every number is converted before anything is written, so that a value beyond single precision
// (a CalcError) leaves the group as it was. The water affinity is stored after the
// preconditioning humidity, which it reads.
void storeCartridge(CalcState& state, const CartridgeInput& input);
// Slot 1..5; the concentration's breakthrough fraction is left to the caller. The slot's exposure
// limits and data source stay when the same chemical is stored again and are cleared for another
// one, whose limits the user has not entered; a data source the entry gives replaces the slot's.
void storeVapor(CalcState& state, int slot, const VaporInput& input);
void storeConditions(CalcState& state, const UseConditions& input);

// The single use conditions, as a screen stores one accepted field.
void storeTemperature(CalcState& state, double degreesC);
void storePressure(CalcState& state, double atm);
void storeRelHumidity(CalcState& state, double percent);
void storeCartridges(CalcState& state, double count);
void storeAirFlow(CalcState& state, double litresPerMinute);

// The concentration (ppm) of the vapor in slot 1..5, as the results screen stores a typed one: a
// stored concentration above 0 also sets the breakthrough fraction from the slot's breakthrough
// concentration.
void storeConcentration(CalcState& state, int slot, double ppm);

// The programme's inputs. Each checks its group whole before it writes anything and throws a
// ProgrammeInputError naming the field: a safety factor below 1, a shift outside 0..24 h, worn hours
// outside 0..shift, a typed protection factor below 1.
void storeSchedule(CalcState& state, const ScheduleInputs& input);
void storeExposure(CalcState& state, const ExposureInputs& input);
void storeReportHeader(CalcState& state, const ReportHeader& input);

// The exposure limits (ppm) of the vapor in slot 1..5; an unset one clears it. A limit must be
// above 0, and an IDLH below the OEL is refused as a mix-up of the two fields.
void storeExposureLimits(CalcState& state, int slot, std::optional<double> oel, std::optional<double> idlh);

// Gives a finished run the programme's inputs entered since (schedule rules, facepiece, report
// header, and each vapor's limits, found by the vapor's name since a run reorders the slots): none
// of them moves a breakthrough time, so the run's schedule follows them without a new run.
void copyProgrammeInputs(const CalcState& from, CalcState& to);

}  // namespace quandrelle
