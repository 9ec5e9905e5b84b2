#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Scenarios.h"
#include "quandrelle/engine/ChangeSchedule.h"
#include "quandrelle/engine/Inputs.h"

namespace quandrelle {
namespace {

struct StepCase {
    double minutes;
    double step;
    const char* text;
};

class PracticalStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(PracticalStep, RoundsDownToAQuarterHourUnderFourHoursAndToWholeHoursFromThen) {
    EXPECT_EQ(practicalStep(GetParam().minutes), GetParam().step);
    EXPECT_EQ(wearText(GetParam().minutes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, PracticalStep,
                         ::testing::Values(StepCase{14.99, 0, "14 min"}, StepCase{15, 15, "15 min"},
                                           StepCase{59.99, 45, "59 min"}, StepCase{60, 60, "1 h"},
                                           StepCase{239.9, 225, "3 h 59 min"}, StepCase{240, 240, "4 h"},
                                           StepCase{299.5, 240, "4 h 59 min"},
                                           StepCase{370.4, 360, "6 h 10 min"}));

// A vapor whose Antoine equation reaches 760 torr at `boilingC`.
VaporData vaporBoilingAt(const char* name, double boilingC, double ppm) {
    VaporData vapor;
    vapor.chemName = name;
    vapor.antoineA = 16;
    vapor.antoineB = static_cast<float>((boilingC + 273.15) * (16 - std::log(760.0)));
    vapor.avgConc = static_cast<float>(ppm);
    return vapor;
}

SingleVaporEstimate answeredAlone(int slot, const std::string& name, double estimate, double minimum) {
    SingleVaporEstimate entry;
    entry.slot = slot;
    entry.name = name;
    entry.status = SingleVaporStatus::Answered;
    entry.estimate = estimate;
    entry.minimum = minimum;
    entry.maximum = estimate * 2;
    return entry;
}

struct TimedVapor {
    VaporData vapor;
    double estimate;
    double minimum;
    double alone;  // the estimate alone; the minimum alone is the same share of it
};

// A finished run of the given vapors, slot by slot, with their times alone.
struct FinishedRun {
    CalcState state;
    std::vector<SingleVaporEstimate> alone;

    explicit FinishedRun(const std::vector<TimedVapor>& vapors, ScheduleInputs rules = {}) {
        state.relHumidity = 0.5f;
        storeSchedule(state, rules);
        for (const TimedVapor& timed : vapors) {
            const int slot = ++state.vaporCount;
            state.vapors[slot] = timed.vapor;
            state.breakTimeResult[slot] = timed.estimate;
            state.breakTimeMin[slot] = timed.minimum;
            alone.push_back(answeredAlone(slot, timed.vapor.chemName, timed.alone,
                                          timed.alone * timed.minimum / timed.estimate));
        }
    }

    ChangeSchedule schedule() const { return drawSchedule(state, alone, checkExposure(state)); }
};

const VaporData kHeavy = vaporBoilingAt("Toluene", 110.6, 100);
const VaporData kLight = vaporBoilingAt("Acetone", 56, 200);

struct ScheduleCase {
    const char* name;
    std::vector<TimedVapor> vapors;
    ScheduleInputs rules;
    double changeAfter;
    bool endOfShift;
    const char* decidedBy;
};

class DrawSchedule : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(DrawSchedule, TakesTheShortestBasisRoundedDownAndSaysWhichRuleDecided) {
    const FinishedRun run(GetParam().vapors, GetParam().rules);
    const ChangeSchedule schedule = run.schedule();
    EXPECT_EQ(schedule.changeAfterMinutes, GetParam().changeAfter) << schedule.sentence;
    EXPECT_EQ(schedule.endOfShift, GetParam().endOfShift) << schedule.sentence;
    EXPECT_EQ(schedule.decidedBy, GetParam().decidedBy) << schedule.sentence;
    for (const VaporBasis& basis : schedule.bases) {
        EXPECT_LE(schedule.changeAfterMinutes, basis.basis);
        EXPECT_LE(basis.basis, basis.mixtureTime / (run.state.schedule.basis == ScheduleBasis::Minimum
                                                        ? 1
                                                        : run.state.schedule.safetyFactor));
        EXPECT_LE(basis.basis, *basis.aloneTime);
    }
    if (schedule.endOfShift) {
        EXPECT_LE(schedule.changeAfterMinutes, run.state.schedule.wornHoursPerShift * 60);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DrawSchedule,
    ::testing::Values(
        ScheduleCase{"FactorOneAndARunOfExactlyAStep",
                     {{kHeavy, 180, 120, 200}},
                     {.safetyFactor = 1},
                     180,
                     true,
                     "vapor basis"},
        ScheduleCase{"FactorTwoHalvesTheEstimate", {{kHeavy, 370, 300, 400}}, {}, 180, true, "vapor basis"},
        ScheduleCase{"TheShortestVaporDecides",
                     {{kHeavy, 370, 300, 400}, {kLight, 200, 150, 210}},
                     {},
                     90,
                     true,
                     "vapor basis"},
        ScheduleCase{"TheTimeAloneBoundsAMixtureTimeLongerThanIt",
                     {{kHeavy, 400, 300, 300}},
                     {},
                     150,
                     true,
                     "vapor basis"},
        ScheduleCase{"TheMinimumAsBasisIgnoresTheFactor",
                     {{kHeavy, 400, 200, 500}},
                     {.safetyFactor = 4, .basis = ScheduleBasis::Minimum},
                     195,
                     true,
                     "vapor basis"},
        ScheduleCase{
            "TheShiftEndsFirst", {{kHeavy, 1000, 900, 1000}}, {.safetyFactor = 1}, 480, true, "end of shift"},
        ScheduleCase{"WornHoursShorterThanTheShift",
                     {{kHeavy, 1000, 900, 1000}},
                     {.safetyFactor = 1, .shiftHours = 10, .wornHoursPerShift = 6.5},
                     390,
                     true,
                     "end of shift"},
        ScheduleCase{"AcrossShiftsForAHeavyVaporCappedAtTheComputedTime",
                     {{kHeavy, 1000, 900, 1000}},
                     {.safetyFactor = 1, .acrossShifts = true},
                     960,
                     false,
                     "vapor basis"},
        ScheduleCase{"NoServiceAcrossShiftsForAVaporBoilingBelow65",
                     {{kHeavy, 1000, 900, 1000}, {vaporBoilingAt("Light", 64.9, 100), 1200, 900, 1200}},
                     {.safetyFactor = 1, .acrossShifts = true},
                     480,
                     true,
                     "end of shift"},
        ScheduleCase{"AVaporBoilingJustAbove65AllowsIt",
                     {{vaporBoilingAt("Warm", 65.1, 100), 1000, 900, 1000}},
                     {.safetyFactor = 1, .acrossShifts = true},
                     960,
                     false,
                     "vapor basis"},
        ScheduleCase{"UnderAQuarterHourIsRefused", {{kHeavy, 29, 20, 29}}, {}, 0, true, "refused"}),
    [](const ::testing::TestParamInfo<ScheduleCase>& info) { return info.param.name; });

TEST(DrawSchedule, SentenceGivesTheTimeTheShiftsAndTheDecidingVapor) {
    const ChangeSchedule schedule = FinishedRun({{kHeavy, 370, 300, 400}}).schedule();
    EXPECT_EQ(schedule.sentence,
              "Change cartridges after 3 h of wear (0.37 shifts), and at the end of every shift: Toluene's "
              "estimate 6 h 10 min divided by the safety factor 2: 3 h 5 min; cartridges are changed at the "
              "end of every shift, whatever the time.");
    EXPECT_NEAR(schedule.shifts, 180.0 / 480, 1e-12);
}

TEST(DrawSchedule, NamesTheVaporAndBothTimesWhereTheMixtureOutlastsTheVaporAlone) {
    const ChangeSchedule schedule = FinishedRun({{kHeavy, 400, 300, 300}}).schedule();
    EXPECT_EQ(schedule.reasons.front(),
              "Toluene's estimate in the mixture, 6 h 40 min, is longer than its 5 h alone, which is used "
              "instead divided by the safety factor 2: 2 h 30 min.");
}

TEST(DrawSchedule, AVaporWhoseTimeAloneFailedKeepsItsMixtureTimeAndSaysSo) {
    FinishedRun run({{kHeavy, 370, 300, 400}});
    run.alone.front().status = SingleVaporStatus::Failed;
    run.alone.front().failure = "Arithmetic Overflow.";
    const ChangeSchedule schedule = run.schedule();
    EXPECT_EQ(schedule.changeAfterMinutes, 180);
    EXPECT_NE(schedule.reasons.front().find("its time alone could not be found: Arithmetic Overflow."),
              std::string::npos);
}

struct ExposureCase {
    const char* name;
    std::vector<VaporData> vapors;
    double protectionFactor;
    bool adequate;
    double sum;
};

VaporData withLimits(VaporData vapor, std::optional<double> oel, std::optional<double> idlh = {}) {
    vapor.oel = oel;
    vapor.idlh = idlh;
    return vapor;
}

class CheckExposure : public ::testing::TestWithParam<ExposureCase> {};

TEST_P(CheckExposure, RefusesBeyondTheFactorTheSumTheIdlhOrTheMaximumUseConcentration) {
    FinishedRun run({});
    for (const VaporData& vapor : GetParam().vapors) {
        const int slot = ++run.state.vaporCount;
        run.state.vapors[slot] = vapor;
        run.state.breakTimeResult[slot] = 600;
        run.state.breakTimeMin[slot] = 500;
        run.alone.push_back(answeredAlone(slot, vapor.chemName, 600, 500));
    }
    storeExposure(run.state,
                  {.facepiece = Facepiece::Typed, .typedProtectionFactor = GetParam().protectionFactor});
    const ExposureCheck check = checkExposure(run.state);
    EXPECT_EQ(check.adequate, GetParam().adequate);
    EXPECT_NEAR(check.sum, GetParam().sum, 1e-9);
    const ChangeSchedule schedule = drawSchedule(run.state, run.alone, check);
    EXPECT_EQ(schedule.refused, !GetParam().adequate);
    EXPECT_EQ(schedule.sentence.starts_with("No change schedule: "), !GetParam().adequate);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, CheckExposure,
    ::testing::Values(
        ExposureCase{"AtTheFactorTimesTheLimit", {withLimits(kHeavy, 10)}, 10, true, 10},
        ExposureCase{"AboveTheFactorTimesTheLimit", {withLimits(kHeavy, 9.9)}, 10, false, 100 / 9.9},
        ExposureCase{"NoLimitIsNotChecked", {withLimits(kHeavy, std::nullopt)}, 10, true, 0},
        ExposureCase{"TheSumAboveTheFactor",
                     {withLimits(kHeavy, 20), withLimits(kLight, 39)},
                     10,
                     false,
                     5 + 200 / 39.0},
        ExposureCase{"TheSumAtTheFactor", {withLimits(kHeavy, 20), withLimits(kLight, 40)}, 10, true, 10},
        ExposureCase{"AboveTheIdlh", {withLimits(kHeavy, 50, 99)}, 10, false, 2},
        ExposureCase{"AtTheIdlh", {withLimits(kHeavy, 50, 100)}, 10, true, 2},
        ExposureCase{"AtTheMaximumUseConcentration", {vaporBoilingAt("Dense", 120, 1000)}, 10, true, 0},
        ExposureCase{
            "AboveTheMaximumUseConcentration", {vaporBoilingAt("Dense", 120, 1000.5)}, 50, false, 0}),
    [](const ::testing::TestParamInfo<ExposureCase>& info) { return info.param.name; });

TEST(ProgrammeResult, AMixtureRunsScheduleIsNoLongerThanAnyTimeItShows) {
    CalcState state = test::withVapors(test::halfMask(), {test::kToluene, test::kAcetone, test::kHexane});
    storeSchedule(state, {.safetyFactor = 1});
    ASSERT_EQ(Calculate(state, test::rowsOf(state)).status, CalculateStatus::Done);
    const ProgrammeResult result = programmeResult(state);
    ASSERT_FALSE(result.schedule.refused) << result.schedule.sentence;
    ASSERT_EQ(result.schedule.bases.size(), 3u);
    for (int slot = 1; slot <= state.vaporCount; ++slot) {
        EXPECT_LE(result.schedule.changeAfterMinutes, state.breakTimeResult[slot])
            << state.vapors[slot].chemName;
        EXPECT_TRUE(result.schedule.bases[static_cast<std::size_t>(slot - 1)].aloneTime);
    }
}

}  // namespace
}  // namespace quandrelle
