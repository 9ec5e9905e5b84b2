// Whole runs (PrepareRun and MixtureSequence) of the shipped example scenarios: 1, 3 and 5 vapors
// with breakthrough times of several hundred minutes. Calculate must answer at once, and a
// 40-point what-if curve of the five vapors within a second (wall time). Also: one equilibrium found
// by the bracketing solver, and the generated corpus of 1000 mixtures with the share answered each way.

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

// 1000 generated mixtures of 2 to 5 vapors through the command-line calculator: the shares answered
// by the iterative solver, the bracketing solver and the conservative estimate, the share refused,
// and the slowest run.
void generatedCorpus(benchmark::State& bench) {
    constexpr int kMixtures = 1000;
    for (auto _ : bench) {
        quandrelle::test::MixtureGenerator generator(quandrelle::test::readVaporLibrary(QUANDRELLE_VAPOR_CSV),
                                                     quandrelle::test::kCorpusSeed);
        std::map<std::string, double> runs;
        double slowest = 0;
        quandrelle::test::runCorpus(generator, kMixtures, 2, [&](const quandrelle::test::CorpusRun& run) {
            ++runs[run.method];
            slowest = std::max(slowest, run.seconds);
        });
        for (const char* method : {"model", "fallback", "conservative", "failed"}) {
            bench.counters[method] = runs[method] / kMixtures;
        }
        bench.counters["slowest_s"] = slowest;
    }
}

}  // namespace

BENCHMARK(bracketFiveVapors)->Unit(benchmark::kMicrosecond);
BENCHMARK(generatedCorpus)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_CAPTURE(wholeRun, OneVapor, "benzene-half-mask.json", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(wholeRun, ThreeVapors, "paint-shop-3-vapors.json", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(wholeRun, FiveVapors, "coating-line-5-vapors.json", false)->Unit(benchmark::kMillisecond);
// The same runs computing everything afresh at every step, for comparison.
BENCHMARK_CAPTURE(wholeRun, FiveVaporsStepByStep, "coating-line-5-vapors.json", true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(humiditySweep, FiveVapors40Points, "coating-line-5-vapors.json")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
