#pragma once

// The one calculation state of the program. The screens write the input groups into it (cartridge,
// vapors, use conditions), a run derives and overwrites the rest, and the results screen reads the
// result arrays. The application owns a single instance and passes it by reference; nothing else
// carries values between the screens and the engine.
//
// Quantities the model keeps in single precision are `float` and are stored already rounded, because
// later steps read the rounded value and the results depend on it. Counters are 16-bit as in the
// record files and screens that share them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "quandrelle/engine/ProgrammeInputs.h"
#include "quandrelle/engine/RunReport.h"
#include "quandrelle/engine/SlotArray.h"

namespace quandrelle {

// Simulated service time (min) at which a stage stops: more than 69 days of continuous breathing
// through one cartridge, which no real cartridge is worn for. A vapor whose front has not passed by
// then is shown as longer than this, and the weaker vapors' stages go on from the bed as it stands.
inline constexpr double kMaxServiceMinutes = 100'000;

// The name a free vapor slot carries; an empty name marks a free slot as well.
inline constexpr const char* kNoneSelected = "None Selected";

struct VaporData {
    std::string chemName;
    float molWt = 0;           // g/mol
    float liqDensity = 0;      // g/cm3
    float molPolariz = 0;      // cm3/mol
    float waterSolFactor = 0;  // fraction of the vapor that dissolves in adsorbed water
    float avgConc = 0;         // ppm
    float antoineA = 0;        // ln P[torr] = A - B / (T[K] + C)
    float antoineB = 0;        // K
    float antoineC = 0;        // K
    std::string casNumber;
    double affinityCoef = 0;  // relative to benzene; set by each run
    float molVolume = 0;      // cm3/mol; set by each run
    double satPressure = 0;   // kPa at the run temperature; set by each run
    // The exposure limits the user entered for this vapor, unset when none was: the program ships
    // none, since they differ by jurisdiction. They sit in the record so that a run's sorting of the
    // slots carries them with their vapor.
    std::optional<double> oel;   // occupational exposure limit, ppm
    std::optional<double> idlh;  // immediately dangerous to life or health, ppm
    // Where the properties came from, for the filed report; empty when the user typed them.
    std::string dataSource;
};

// True for a name that marks nothing chosen: the free-slot marker in any case, with blanks around
// it. The data screens, the hub and the command-line calculator all judge a name by this.
bool isNoneSelected(std::string_view name);

// A slot is in use when its name is neither empty nor the free-slot marker.
bool isSlotInUse(const VaporData& vapor);

// Everything that moves with a vapor when the slots are reordered by a run.
struct VaporSortEntry {
    VaporData vapor;
    double partialPress = 0;
    double adsFraction = 0;
    double molarCapacity = 0;
    double breakConc = 0;
    double breakFraction = 0;
};

enum class SingleVaporStatus {
    Answered,  // estimate, minimum and maximum hold the vapor's own times
    Failed,    // the vapor alone has no answer; failure says why
    NotRun,    // no run has looked at the vapor alone yet
};

// One vapor of a mixture run alone at its own concentration under the same cartridge and use
// conditions (see SingleVaporBound.h).
struct SingleVaporEstimate {
    int slot = 0;  // the slot of the given state that holds the vapor
    std::string name;
    SingleVaporStatus status = SingleVaporStatus::NotRun;
    double estimate = 0;  // min
    double minimum = 0;   // min
    double maximum = 0;   // min
    std::string failure;  // for Failed: the text a failed Calculate of the vapor alone shows
    // Its front had not passed at kMaxServiceMinutes: the three times are that cap.
    bool beyondServiceCap = false;

    bool answered() const { return status == SingleVaporStatus::Answered; }
    friend bool operator==(const SingleVaporEstimate&, const SingleVaporEstimate&) = default;
};

struct CalcState {
    // Vapor slots 1..5; slot 0 is never used.
    SlotArray<VaporData> vapors;

    std::int16_t vaporCount = 0;  // slots set, 0..5
    std::int16_t mixCount = 0;    // vapors taking part in the current stage

    // The slot whose per-vapor preparation is under way in a run, 0 when none is: an overflow
    // message names that vapor's molar volume.
    std::int16_t preparingSlot = 0;

    // Use conditions.
    float tempC = 0;        // degrees C
    float atmPressure = 0;  // atm; 0 means the use conditions were never accepted
    float relHumidity = 0;  // fraction 0..1
    float airFlow = 0;      // L/min
    std::int16_t cartsPerRespirator = 0;
    float tempK = 0;  // set at the start of every run

    // What a respirator programme adds: the schedule rules, the facepiece of the exposure check
    // and the report's header.
    ScheduleInputs schedule;
    ExposureInputs exposure;
    ReportHeader reportHeader;

    // Cartridge and carbon.
    std::string cartName;
    float bedDiameter = 0;       // cm
    float bedDepth = 0;          // cm
    float carbonWeight = 0;      // g per cartridge
    float microporeVolume = 0;   // cm3/g
    float precondRH = 0;         // fraction
    float granuleDiameter = 0;   // cm
    float benzenePotential = 0;  // kJ/mol
    float waterAffinity = 0;
    float waterAffinityHalf = 0;
    float bedVolume = 0;    // cm3, all cartridges; set by each run
    float bulkDensity = 0;  // g/cm3; set by each run

    // Run scalars.
    double airVelocity = 0;     // cm/s
    double faceVelocity = 0;    // cm/s; set by every run from its own flow and cartridge count
    double waterVapPress = 0;   // kPa
    double waterMolVolume = 0;  // cm3/mol
    double precondWater = 0;    // cm3/g
    double elapsedTime = 0;     // min
    double mixSum = 0;
    double brokenPressure = 0;  // kPa
    double brokenCapacity = 0;  // mol/g
    double kvReference = 0;     // 1/min
    double curveShape = 0;
    double kvBase = 0;       // 1/min
    double kvEffective = 0;  // 1/min

    // Per-vapor arrays that move with their vapor when the slots are sorted.
    SlotArray<double> partialPress;  // kPa
    SlotArray<double> adsFraction;
    SlotArray<double> molarCapacity;  // mol/g
    SlotArray<double> breakConc;      // ppm
    SlotArray<double> breakFraction;

    // Per-vapor working arrays that stay by position.
    SlotArray<double> potentialRatio;
    SlotArray<double> erfValue;
    SlotArray<double> spreadPressure;
    SlotArray<double> sortKey;
    SlotArray<double> stagePress;

    // Per-position results: position p is slot p after the run has sorted the slots.
    SlotArray<double> breakTime;        // min
    SlotArray<double> breakTimeResult;  // min
    SlotArray<double> breakTimeMin;     // min
    SlotArray<double> breakTimeMax;     // min
    // Positions whose front had not passed when the stage stopped at kMaxServiceMinutes: their three
    // times are that cap, and they are shown as longer than it.
    SlotArray<bool> beyondServiceCap;
    // The vapor at each position run alone at its own concentration, filled by every mixture run:
    // no vapor can be held longer beside others than alone.
    SlotArray<SingleVaporEstimate> singleVapor;
    // How the last run found its results, with the notes shown beside them.
    RunReport runReport;

    // Humidity zones: zone j holds the first j vapors.
    SlotArray<double> totalPressure;  // kPa
    SlotArray<double> zoneWater;      // cm3/g
    SlotArray<double> zoneRH;         // fraction
    SlotArray<double> zoneOrganic;    // cm3/g
    SlotArray<double> zoneWaterEq;
    SlotArray<double> zoneUptake;
    SlotArray<double> zoneWaterMixed;
    SlotArray<double> zoneWaterStep;
    SlotArray<double> zoneCapStep;
    SlotArray<double> zonePressStep;
    SlotArray<double> zoneRHRise;

    // Work storage of the slot reordering, positions 1..5.
    SlotArray<VaporSortEntry> sortBuffers;
};

}  // namespace quandrelle
