#pragma once

// The mixture equilibrium (adsorbed-phase mole fractions at equal spreading pressure) and the
// stage-by-stage breakthrough sequence that drives a whole run.

#include <array>
#include <cstdint>
#include <optional>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Step of the linear fraction scan of MatchSpreadingPressure.
inline constexpr double kFractionStep = 0.0001;
// Last-resort bound on the steps of one fraction scan: 10^8 steps take the fraction to 10^4, far
// beyond any equilibrium a real mixture has (real scans stay within a few million steps).
inline constexpr std::int64_t kMaxScanSteps = 100'000'000;
// Last-resort bound on the passes of one equilibrium solution.
inline constexpr std::int64_t kMaxSolverPasses = 100'000;
// Number of roll-up passes per stage.
inline constexpr int kRollUpPasses = 10;

// How close the spreading pressures of an equilibrium must be: the iterative match's 10^-6.
inline constexpr double kSpreadPressureTolerance = 1e-6;
// How close the bracketed fractions' sum comes to the sum the stage starts from.
inline constexpr double kFractionSumTolerance = 1e-9;

// Adsorbed-phase mole fractions by slot (0 unused).
using AdsorbedFractions = std::array<double, kSlotCount>;

// The error function's Maclaurin series cut after six terms, the quantity the model uses.
double truncatedErf(double u);

// The positive reduced potential (about 1.4767) at which the truncated series stops rising; it
// falls beyond it and, mirrored, below its negative.
double erfTurningPoint();

struct SpreadingTerms {
    double potentialRatio = 0;
    double erfValue = 0;
    double spreadPressure = 0;
};

// The spreading pressure of vapor `slot` at an adsorbed fraction, with the reduced potential and
// the series value it comes from (what SpreadingPressure stores for the current fraction).
SpreadingTerms spreadingPressureAt(const CalcState& state, int slot, double fraction);

// True when the roll-up has taken the vapor's partial pressure to 0: it is gone from the air of
// the stage, holds no adsorbed fraction and takes no part in the matching.
bool hasNoPartialPressure(const CalcState& state, int slot);

// The equilibrium of the current stage found by bisection: every vapor's spreading pressure within
// kSpreadPressureTolerance of the reference vapor's (vapor mixCount, or the last one with a partial
// pressure), each vapor on the stretch where its spreading pressure falls as its fraction grows,
// the fractions summing to `targetSum`, vapors without partial pressure at 0. Nothing when no such
// fractions exist.
std::optional<AdsorbedFractions> BracketAdsorbedFractions(const CalcState& state, double targetSum);

// Whether fractions meet the equilibrium conditions above (spreading pressures and sum).
bool satisfiesEquilibrium(const CalcState& state, const AdsorbedFractions& fractions, double targetSum);

void InitialFractions(CalcState& state);
void SolveAdsorbedFractions(CalcState& state);
void NormalizeFractions(CalcState& state, int n);
double MatchSpreadingPressure(CalcState& state, int slot);
void SpreadingPressure(CalcState& state, int slot);
double StagePressure(const CalcState& state, int n);

void UpdateStageCapacities(CalcState& state);
void SimulateStage(CalcState& state);

// Runs every stage of a prepared run (PrepareRun first): fills breakTimeResult, breakTimeMin and
// breakTimeMax for positions 1..vaporCount, leaves the slots sorted and says in runReport how the
// results were found. Where the iterative equilibrium solver does not settle, the bracketing solver
// answers; where no equilibrium exists under the model, every vapor gets the conservative estimate.
void MixtureSequence(CalcState& state);

// The same run computing every quantity afresh at every time step. MixtureSequence keeps what
// cannot change within a stage and must give bit-identical results; this is the reference it is
// checked against.
void MixtureSequenceStepByStep(CalcState& state);

// MixtureSequence with the stages stopped at another simulated service time than
// kMaxServiceMinutes: a vapor beyond it must not change the times of the vapors after it.
void MixtureSequenceWithServiceCap(CalcState& state, double serviceCapMinutes);

// MixtureSequence with the iterative solver's passes going on until they settle, repeat or reach
// their limit, however plainly they never settle: the reference that the proofs ending them early
// are checked against (the same results, other notes).
void MixtureSequenceWithoutStallProofs(CalcState& state);

}  // namespace quandrelle
