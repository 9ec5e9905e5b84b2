// Whole runs (PrepareRun and MixtureSequence) of the shipped example scenarios: 1, 3 and 5 vapors
// with breakthrough times of several hundred minutes. Calculate must answer at once, and a
// 40-point what-if curve of the five vapors within a second (wall time). Also: one equilibrium found
// by the bracketing solver, and the generated corpora with the share answered each way.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <thread>

#include "MixtureGenerator.h"

#include "IAST.h"
#include "quandrelle/calc/SweepRun.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/scenario/Scenario.h"

namespace {

quandrelle::calc::Scenario loadExample(const std::string& file) {
    std::ifstream in(std::string(QUANDRELLE_EXAMPLES_DIR) + "/" + file);
    quandrelle::calc::Scenario scenario;
    if (!in || !quandrelle::calc::readScenario(nlohmann::json::parse(in), scenario).empty()) {
        throw std::runtime_error("cannot read the example " + file);
    }
    return scenario;
}

void wholeRun(benchmark::State& bench, const char* file, bool stepByStep) {
    const quandrelle::calc::Scenario scenario = loadExample(file);
    for (auto _ : bench) {
        quandrelle::CalcState state = scenario.state;
        quandrelle::PrepareRun(state);
        if (stepByStep) {
            quandrelle::MixtureSequenceStepByStep(state);
        } else {
            quandrelle::MixtureSequence(state);
        }
        benchmark::DoNotOptimize(state.breakTimeResult[1]);
    }
}

// What the what-if window and --sweep do: 40 humidities from 5 to 95 %, on every core.
void humiditySweep(benchmark::State& bench, const char* file) {
    const quandrelle::calc::Scenario scenario = loadExample(file);
    const std::vector<double> values =
        quandrelle::sweepValues({quandrelle::SweepQuantity::RelHumidity, 5, 95, 40, false});
    const unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    for (auto _ : bench) {
        const auto points =
            quandrelle::calc::runSweep(scenario.state, quandrelle::SweepQuantity::RelHumidity, values, jobs);
        benchmark::DoNotOptimize(points.back().state.breakTimeResult[1]);
    }
}

// The bracketing solver on the five vapors of the coating line at the start of a run.
void bracketFiveVapors(benchmark::State& bench) {
    quandrelle::CalcState state = loadExample("coating-line-5-vapors.json").state;
    quandrelle::PrepareRun(state);
    quandrelle::InitialFractions(state);
    for (auto _ : bench) {
        benchmark::DoNotOptimize(quandrelle::BracketAdsorbedFractions(state, 1.0));
    }
}

// Generated mixtures through the command-line calculator, every vapor also run alone: per method
// the share of runs answered that way and the share of their vapors longer than the same vapor
// alone, the share of vapors without a time, the runs above a second and the slowest run. 1000
// mixtures of 2 to 5 vapors, and 500 of four and five vapors, where the equilibrium is hardest to find.
void generatedCorpus(benchmark::State& bench, int mixtures, int fewestVapors, std::uint64_t seed) {
    for (auto _ : bench) {
        quandrelle::test::MixtureGenerator generator(quandrelle::test::readVaporLibrary(QUANDRELLE_VAPOR_CSV),
                                                     seed);
        quandrelle::test::CorpusTally tally;
        quandrelle::test::runCorpus(
            generator, mixtures, fewestVapors,
            [&](const quandrelle::test::CorpusRun& run) { tally.add(run); }, true);
        double slowest = 0;
        double vapors = 0;
        double unanswered = 0;
        double slow = 0;
        for (const char* method : {"model", "fallback", "conservative", "failed"}) {
            const quandrelle::test::CorpusTally::Cell cell = tally.total(method);
            const std::string name(method);
            bench.counters[name] = static_cast<double>(cell.runs) / mixtures;
            if (cell.vapors > 0 && name != "failed") {
                bench.counters[name + "_above_alone"] = static_cast<double>(cell.above) / cell.vapors;
            }
            slowest = std::max(slowest, cell.slowestSeconds);
            vapors += cell.vapors;
            unanswered += cell.unanswered;
            slow += cell.slow;
        }
        bench.counters["unanswered_vapors"] = vapors > 0 ? unanswered / vapors : 0;
        bench.counters["slowest_s"] = slowest;
        bench.counters["runs_above_1s"] = slow;
    }
}

}  // namespace

BENCHMARK(bracketFiveVapors)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(generatedCorpus, TwoToFiveVapors, 1000, 2, quandrelle::test::kCorpusSeed)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(generatedCorpus, FourAndFiveVapors, 500, 4, quandrelle::test::kFourAndFiveVaporSeed)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

BENCHMARK_CAPTURE(wholeRun, OneVapor, "benzene-half-mask.json", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(wholeRun, ThreeVapors, "paint-shop-3-vapors.json", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(wholeRun, FiveVapors, "coating-line-5-vapors.json", false)->Unit(benchmark::kMillisecond);
// The same runs computing everything afresh at every step, for comparison.
BENCHMARK_CAPTURE(wholeRun, FiveVaporsStepByStep, "coating-line-5-vapors.json", true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(humiditySweep, FiveVapors40Points, "coating-line-5-vapors.json")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
