// Runs generated mixtures through the command-line calculator's whole path and counts how each was
// answered, by number of vapors, with the slowest run.
//   quandrelle-mixture-corpus [--count N] [--seed S] [--single] [--show N] [--write-converging FILE N]
// --single adds one-vapor scenarios (1 to 5 vapors instead of 2 to 5); --show N prints the N-th
// scenario (from 0) and runs nothing; --write-converging writes the first N runs the iterative
// solver answered, with their exact JSON output, one per line, as a regression corpus.

#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "MixtureGenerator.h"

int main(int argc, char** argv) {
    int count = 1000;
    std::uint64_t seed = quandrelle::test::kCorpusSeed;
    int fewestVapors = 2;
    int show = -1;
    std::string regressionFile;
    int regressionCount = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--count" && hasValue) {
            count = std::stoi(argv[++i]);
        } else if (option == "--seed" && hasValue) {
            seed = std::stoull(argv[++i]);
        } else if (option == "--single") {
            fewestVapors = 1;
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
    std::map<std::string, std::map<int, int>> tally;
    quandrelle::test::CorpusRun slowest;
    quandrelle::test::runCorpus(generator, count, fewestVapors, [&](const quandrelle::test::CorpusRun& run) {
        ++tally[run.method][run.vapors];
        if (run.seconds > slowest.seconds) {
            slowest = run;
        }
        if (run.method == "failed") {
            std::cerr << "run " << run.index << ": " << run.error;
        }
        if (regression.is_open() && regressionCount > 0 && run.method == "model") {
            regression << nlohmann::json{{"scenario", run.scenario}, {"output", run.output}}.dump() << "\n";
            --regressionCount;
        }
    });
    for (const auto& [method, byCount] : tally) {
        std::cout << method << ":";
        for (const auto& [vapors, runs] : byCount) {
            std::cout << " " << vapors << " vapors " << runs << ";";
        }
        std::cout << "\n";
    }
    std::cout << "slowest run: " << slowest.seconds << " s (" << slowest.index << ", " << slowest.method
              << ")\n"
              << slowest.scenario.dump() << "\n";
}
