#include "quandrelle/fit/CartridgeFit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>

#include "FitVapors.h"
#include "quandrelle/engine/RunStop.h"

namespace quandrelle {
namespace {

using namespace quandrelle::testing;

// Points whose times the program itself gives for a known carbon.
std::vector<FitPoint> pointsOf(const CartridgeInput& carbon,
                               const std::vector<std::pair<VaporInput, double>>& at) {
    std::vector<FitPoint> points;
    for (const auto& [vapor, breakConc] : at) {
        FitPoint point{labConditions(), vapor, breakConc, 0};
        point.minutes = predictedMinutes(carbon, point);
        points.push_back(point);
    }
    return points;
}

TEST(CartridgeFitTest, RecoversTheCarbonItsTimesCameFrom) {
    const struct {
        double microporeVolume;
        double benzenePotential;
    } carbons[] = {{0.45, 19}, {0.32, 24.5}, {0.7, 15}};
    for (const auto& known : carbons) {
        const CartridgeInput carbon = halfMaskCarbon(known.microporeVolume, known.benzenePotential);
        FitRequest request{carbon, std::nullopt,
                           pointsOf(carbon, {{toluene(200), 10}, {toluene(1000), 10}, {acetone(500), 10}})};
        const auto started = std::chrono::steady_clock::now();
        const FitResult result = fitCartridge(request);
        const auto took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        ASSERT_EQ(result.status, FitStatus::Fitted) << result.problem;
        EXPECT_EQ(result.fitted, (std::vector<std::string>{"microporeVolume", "benzenePotential"}));
        EXPECT_NEAR(result.cartridge.microporeVolume / known.microporeVolume, 1, 0.01);
        EXPECT_NEAR(result.cartridge.benzenePotential / known.benzenePotential, 1, 0.02);
        EXPECT_LT(took, 2.0);
    }
}

TEST(CartridgeFitTest, PointsThatCannotTellThePotentialApartFitTheMicroporeVolumeAlone) {
    const CartridgeInput carbon = halfMaskCarbon(0.38, kTypicalBenzenePotential);
    const struct {
        std::vector<std::pair<VaporInput, double>> at;
        std::optional<double> given;
        const char* note;
    } rows[] = {
        {{{carbonTetrachloride(1000), 5}}, std::nullopt, "held at a typical 19 kJ/mol"},
        {{{toluene(300), 10}, {toluene(300), 30}}, std::nullopt, "one vapor at one concentration"},
        {{{toluene(300), 10}, {acetone(300), 10}}, kTypicalBenzenePotential, "19 kJ/mol given"},
    };
    for (const auto& row : rows) {
        const FitResult result = fitCartridge({carbon, row.given, pointsOf(carbon, row.at)});
        ASSERT_EQ(result.status, FitStatus::Fitted) << result.problem;
        EXPECT_EQ(result.fitted, std::vector<std::string>{"microporeVolume"});
        EXPECT_NEAR(result.cartridge.microporeVolume / 0.38, 1, 0.01);
        EXPECT_EQ(result.cartridge.benzenePotential, kTypicalBenzenePotential);
        ASSERT_FALSE(result.notes.empty());
        EXPECT_NE(result.notes.front().find(row.note), std::string::npos) << result.notes.front();
    }
}

TEST(CartridgeFitTest, StaysWithinTheLimitsAndNamesThePointItCannotMatch) {
    const CartridgeInput carbon = halfMaskCarbon(0.45, 19);
    const struct {
        std::vector<std::pair<VaporInput, double>> at;
        double scaleSecond;  // the second point's known time, times this
        const char* names;
    } rows[] = {
        // Far beyond any carbon of the screen's limits.
        {{{toluene(500), 10}, {acetone(500), 10}}, 500, "comes within 50 % of point 2 (Acetone at 500 ppm"},
        // Each point alone could be met, but a later breakthrough cannot come 5 times sooner.
        {{{toluene(500), 10}, {toluene(500), 50}}, 0.2, "the points disagree"},
    };
    for (const auto& row : rows) {
        std::vector<FitPoint> points = pointsOf(carbon, row.at);
        points[1].minutes *= row.scaleSecond;
        const FitResult result = fitCartridge({carbon, std::nullopt, points});
        EXPECT_EQ(result.status, FitStatus::NoFit);
        EXPECT_NE(result.problem.find(row.names), std::string::npos) << result.problem;
        EXPECT_GE(result.cartridge.microporeVolume, 0.1);
        EXPECT_LE(result.cartridge.microporeVolume, 1.0);
        EXPECT_GE(result.cartridge.benzenePotential, 1);
        EXPECT_LE(result.cartridge.benzenePotential, 100);
        EXPECT_LT(result.runs, 600);
    }
}

TEST(CartridgeFitTest, NamesPointsThatCalculateWouldRefuse) {
    const CartridgeInput carbon = halfMaskCarbon(0.45, 19);
    FitRequest request{carbon, std::nullopt, {{labConditions(), toluene(100), 60, 0}}};
    EXPECT_EQ(fitRequestProblems(request),
              (std::vector<std::string>{"points[1].minutes: must be above 0",
                                        "points[1].breakConc: must be above 0 and at most half the "
                                        "concentration (50 ppm)"}));
    EXPECT_EQ(fitRequestProblems({carbon, std::nullopt, {}}),
              std::vector<std::string>{"points: at least one known breakthrough time is needed"});
}

TEST(CartridgeFitTest, StopsWhenAsked) {
    const CartridgeInput carbon = halfMaskCarbon(0.3, 25);
    const FitRequest request{carbon, std::nullopt,
                             pointsOf(carbon, {{toluene(500), 10}, {acetone(500), 10}})};
    std::stop_source stop;
    ScopedRunStop scope(stop.get_token());
    int passes = 0;
    EXPECT_THROW(fitCartridge(request,
                              [&](int, int) {
                                  ++passes;
                                  stop.request_stop();
                              }),
                 RunStopped);
    EXPECT_LE(passes, 1);
}

TEST(CartridgeFitTest, RecordValuesFitEightCharactersAndNeverRoundUp) {
    const struct {
        double value;
        double record;
    } rows[] = {{0.4123456789, 0.412345}, {19.999999999, 19.99999}, {100, 100}, {0.1, 0.1}, {7.25, 7.25}};
    for (const auto& row : rows) {
        EXPECT_DOUBLE_EQ(recordValue(row.value), row.record) << row.value;
        EXPECT_LE(recordValue(row.value), row.value);
    }
}

}  // namespace
}  // namespace quandrelle
