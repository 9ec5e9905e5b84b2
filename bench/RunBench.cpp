// Whole runs (PrepareRun and MixtureSequence) of the shipped example scenarios: 1, 3 and 5 vapors
// with breakthrough times of several hundred minutes. Calculate must answer at once.

#include <benchmark/benchmark.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "quandrelle/calc/Scenario.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/IAST.h"
#include "quandrelle/engine/SetUp.h"

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

}  // namespace

BENCHMARK_CAPTURE(wholeRun, OneVapor, "benzene-half-mask.json", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(wholeRun, ThreeVapors, "paint-shop-3-vapors.json", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(wholeRun, FiveVapors, "coating-line-5-vapors.json", false)->Unit(benchmark::kMillisecond);
// The same runs computing everything afresh at every step, for comparison.
BENCHMARK_CAPTURE(wholeRun, FiveVaporsStepByStep, "coating-line-5-vapors.json", true)
    ->Unit(benchmark::kMillisecond);
