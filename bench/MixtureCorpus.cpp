// Runs generated mixtures through the command-line calculator's whole path, each vapor also alone
// at its own concentration, and counts by method and number of vapors how each was answered, how
// many vapors came out longer than alone, and the slowest run.
//   quandrelle-mixture-corpus [--count N] [--seed S] [--single | --fewest N] [--show N]
//                             [--write-converging FILE N] [--write-all FILE] [--study-conservative]
// --single adds one-vapor scenarios (1 to 5 vapors instead of 2 to 5); --fewest N draws N to 5
// vapors (4 for the four- and five-vapor corpus); --show N prints the N-th scenario (from 0) and
// runs nothing; --write-converging writes the first N runs the iterative solver answered, with their
// exact JSON output, one per line, as a regression corpus; --write-all writes every run with its
// method, time, output and the vapors' own results, one per line, for comparing two builds;
// --study-conservative measures candidate rules for the conservative estimate on the runs the
// model answers (see RuleStudy).

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "MixtureGenerator.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/engine/SingleVaporBound.h"
#include "quandrelle/scenario/Scenario.h"

namespace {

using quandrelle::CalcState;

struct Times {
    double estimate = 0, minimum = 0, maximum = 0;
};

Times timesOf(const CalcState& state, int p) {
    return {state.breakTimeResult[p], state.breakTimeMin[p], state.breakTimeMax[p]};
}

Times atMost(Times rule, const Times& bound) {
    return {std::min(rule.estimate, bound.estimate), std::min(rule.minimum, bound.minimum),
            std::min(rule.maximum, bound.maximum)};
}

// A candidate rule for the conservative estimate, measured on the runs the model answers: how many
// of their vapors it would give a time, minimum or maximum above the model's, and its estimates'
// ratios to the model's.
struct RuleFigures {
    int vapors = 0;
    int above = 0;
    std::vector<double> ratios;
};

// The runs the model answered, each vapor given every candidate rule (each taken no higher than
// the vapor alone at its own concentration, as every answer of ours is): the vapor alone at the
// mixture's total concentration with its own breakthrough concentration ("own-at-total") or its own
// breakthrough fraction ("fraction-at-total"), and the shortest of either over the mixture's vapors
// ("shortest ...", one time for all).
class RuleStudy {
public:
    void add(const quandrelle::test::CorpusRun& run) {
        quandrelle::calc::Scenario scenario;
        if (run.method != "model" || !quandrelle::calc::readScenario(run.scenario, scenario).empty()) {
            return;
        }
        const CalcState& entered = scenario.state;
        double total = 0;
        for (int i = 1; i <= entered.vaporCount; ++i) {
            total += entered.vapors[i].avgConc;
        }
        const float totalConcentration = quandrelle::toSingle(total);
        std::map<std::string, std::map<std::string, Times>> rules;
        std::map<std::string, Times> shortest;
        for (int i = 1; i <= entered.vaporCount; ++i) {
            CalcState atTotal = quandrelle::vaporAloneAt(entered, i, totalConcentration);
            CalcState fractionAtTotal = atTotal;
            fractionAtTotal.breakFraction[1] = entered.breakFraction[i];
            fractionAtTotal.breakConc[1] = entered.breakFraction[i] * totalConcentration;
            const std::string& name = entered.vapors[i].chemName;
            for (auto& [rule, state] :
                 {std::pair<std::string, CalcState*>{"own-at-total", &atTotal},
                  std::pair<std::string, CalcState*>{"fraction-at-total", &fractionAtTotal}}) {
                if (quandrelle::runCalculation(*state).status != quandrelle::CalculateStatus::Done) {
                    continue;
                }
                rules[name][rule] = timesOf(*state, 1);
                const auto best = shortest.find(rule);
                if (best == shortest.end() || state->breakTimeResult[1] < best->second.estimate) {
                    shortest[rule] = timesOf(*state, 1);
                }
            }
        }
        for (const nlohmann::json& row : run.output["results"]) {
            const std::string name = row["name"];
            const auto own = run.alone.find(name);
            if (row["breakthroughTime"].is_null() || own == run.alone.end() || own->second.is_null() ||
                own->second["breakthroughTime"].is_null()) {
                continue;
            }
            const Times model{row["breakthroughTime"], row["minTime"], row["maxTime"]};
            const Times alone{own->second["breakthroughTime"], own->second["minTime"],
                              own->second["maxTime"]};
            for (auto& [rule, times] : rules[name]) {
                measure(rule, atMost(times, alone), model);
                measure("shortest " + rule, atMost(shortest[rule], alone), model);
            }
        }
    }

    void print(std::ostream& out) const {
        out << "conservative rule on model runs: vapors above the model's answer, median ratio to it\n";
        for (const auto& [rule, figures] : m_figures) {
            std::vector<double> ratios = figures.ratios;
            std::sort(ratios.begin(), ratios.end());
            const double median = ratios.empty() ? 0 : ratios[ratios.size() / 2];
            out << "  " << rule << ": " << figures.above << " of " << figures.vapors << ", median " << median
                << "\n";
        }
    }

private:
    void measure(const std::string& rule, const Times& given, const Times& model) {
        RuleFigures& figures = m_figures[rule];
        ++figures.vapors;
        if (given.estimate > model.estimate || given.minimum > model.minimum ||
            given.maximum > model.maximum) {
            ++figures.above;
        }
        if (model.estimate > 0) {
            figures.ratios.push_back(given.estimate / model.estimate);
        }
    }

    std::map<std::string, RuleFigures> m_figures;
};

}  // namespace

int main(int argc, char** argv) {
    int count = 1000;
    std::uint64_t seed = quandrelle::test::kCorpusSeed;
    int fewestVapors = 2;
    int show = -1;
    std::string regressionFile;
    int regressionCount = 0;
    std::string allFile;
    bool studyRules = false;
    RuleStudy study;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--count" && hasValue) {
            count = std::stoi(argv[++i]);
        } else if (option == "--seed" && hasValue) {
            seed = std::stoull(argv[++i]);
        } else if (option == "--single") {
            fewestVapors = 1;
        } else if (option == "--study-conservative") {
            studyRules = true;
        } else if (option == "--fewest" && hasValue) {
            fewestVapors = std::clamp(std::stoi(argv[++i]), 1, 5);
        } else if (option == "--write-all" && hasValue) {
            allFile = argv[++i];
        } else if (option == "--show" && hasValue) {
            show = std::stoi(argv[++i]);
        } else if (option == "--write-converging" && i + 2 < argc) {
            regressionFile = argv[++i];
            regressionCount = std::stoi(argv[++i]);
        } else {
            std::cerr << "unknown option " << option << "\n";
            return 2;
        }
    }
    quandrelle::test::MixtureGenerator generator(quandrelle::test::readVaporLibrary(QUANDRELLE_VAPOR_CSV),
                                                 seed);
    if (show >= 0) {
        for (int n = 0; n < show; ++n) {
            generator.next(fewestVapors + n % (6 - fewestVapors));
        }
        std::cout << generator.next(fewestVapors + show % (6 - fewestVapors)).dump(2) << "\n";
        return 0;
    }
    std::ofstream regression;
    if (!regressionFile.empty()) {
        regression.open(regressionFile);
    }
    std::ofstream all;
    if (!allFile.empty()) {
        all.open(allFile);
    }
    quandrelle::test::CorpusTally tally;
    quandrelle::test::CorpusRun slowest;
    quandrelle::test::runCorpus(
        generator, count, fewestVapors,
        [&](const quandrelle::test::CorpusRun& run) {
            tally.add(run);
            if (studyRules) {
                study.add(run);
            }
            if (all.is_open()) {
                all << nlohmann::json{{"index", run.index},     {"method", run.method},
                                      {"seconds", run.seconds}, {"output", run.output},
                                      {"alone", run.alone},     {"error", run.error}}
                           .dump()
                    << "\n";
            }
            if (run.seconds > slowest.seconds) {
                slowest = run;
            }
            if (run.method == "failed") {
                std::cerr << "run " << run.index << ": " << run.error;
            }
            if (regression.is_open() && regressionCount > 0 && run.method == "model") {
                regression << nlohmann::json{{"scenario", run.scenario}, {"output", run.output}}.dump()
                           << "\n";
                --regressionCount;
            }
        },
        true);
    tally.print(std::cout);
    if (studyRules) {
        study.print(std::cout);
    }
    std::cout << "slowest run: " << slowest.seconds << " s (" << slowest.index << ", " << slowest.method
              << ")\n"
              << slowest.scenario.dump() << "\n";
}
