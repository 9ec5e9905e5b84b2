#pragma once

// What a respirator programme adds to a calculation: how the change schedule is drawn from the
// breakthrough times, which facepiece the exposure check assumes, and who and what the filed report
// is for. They live in the one calculation state beside the cartridge, vapors and conditions, so the
// screens, the command-line calculator, a saved calculation and the report all read the same values.
// A vapor's own exposure limits sit in its VaporData record, which moves with it when a run sorts
// the slots.

#include <optional>
#include <stdexcept>
#include <string>

namespace quandrelle {

// Which of a vapor's times the schedule starts from: the estimate divided by the safety factor, or
// the bottom of the estimate's range as it is.
enum class ScheduleBasis { Estimate, Minimum };

struct ScheduleInputs {
    // The estimate is divided by this; 1 or more. Not used when the basis is the minimum.
    double safetyFactor = 2;
    ScheduleBasis basis = ScheduleBasis::Estimate;
    double shiftHours = 8;         // length of one work shift
    double wornHoursPerShift = 8;  // hours the respirator is worn in one shift, at most the shift
    // The user asks to keep cartridges in service across shifts, up to the computed time. Granted
    // only when no vapor migrates in storage and no caution of the run forbids it; otherwise
    // cartridges are changed at the end of every shift.
    bool acrossShifts = false;
};

// The facepiece decides the assigned protection factor: 10 for a half mask, 50 for a full
// facepiece, or the factor the user typed (a programme may assign its own from fit testing).
enum class Facepiece { HalfMask, FullFacepiece, Typed };

inline constexpr double kHalfMaskProtectionFactor = 10;
inline constexpr double kFullFacepieceProtectionFactor = 50;

struct ExposureInputs {
    Facepiece facepiece = Facepiece::HalfMask;
    double typedProtectionFactor = 0;  // read only when the facepiece is Typed
};

// The assigned protection factor the exposure check uses.
double protectionFactor(const ExposureInputs& exposure);

// The first lines of the filed report.
struct ReportHeader {
    std::string site;
    std::string task;
    std::string preparedBy;
};

// An entry that cannot make a schedule or an exposure check (a safety factor below 1, worn hours
// longer than the shift, a limit of 0 ppm): the message names the field and what it accepts.
class ProgrammeInputError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

}  // namespace quandrelle
