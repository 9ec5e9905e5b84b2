#pragma once

// The mixture equilibrium (adsorbed-phase mole fractions at equal spreading pressure) and the
// stage-by-stage breakthrough sequence that drives a whole run.

#include <cstdint>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Step of the linear fraction scan of MatchSpreadingPressure.
inline constexpr double kFractionStep = 0.0001;
// Last-resort bound on the steps of one fraction scan: 10^8 steps take the fraction to 10^4, far
// beyond any equilibrium a real mixture has (real scans stay within a few million steps).
inline constexpr std::int64_t kMaxScanSteps = 100'000'000;
// Last-resort bound on the passes of one equilibrium solution.
inline constexpr std::int64_t kMaxSolverPasses = 100'000;
// Simulated service time (min) beyond which a stage stops: more than 69 days of continuous
// breathing through one cartridge, which no real cartridge is worn for.
inline constexpr double kMaxServiceMinutes = 100'000;
// Number of roll-up passes per stage.
inline constexpr int kRollUpPasses = 10;

// The error function's Maclaurin series cut after six terms, the quantity the model uses.
double truncatedErf(double u);

void InitialFractions(CalcState& state);
void SolveAdsorbedFractions(CalcState& state);
void NormalizeFractions(CalcState& state, int n);
double MatchSpreadingPressure(CalcState& state, int slot);
void SpreadingPressure(CalcState& state, int slot);
double StagePressure(const CalcState& state, int n);

void UpdateStageCapacities(CalcState& state);
void SimulateStage(CalcState& state);

// Runs every stage of a prepared run (PrepareRun first): fills breakTimeResult, breakTimeMin and
// breakTimeMax for positions 1..vaporCount and leaves the slots sorted.
void MixtureSequence(CalcState& state);

// The same run computing every quantity afresh at every time step. MixtureSequence keeps what
// cannot change within a stage and must give bit-identical results; this is the reference it is
// checked against.
void MixtureSequenceStepByStep(CalcState& state);

}  // namespace quandrelle
