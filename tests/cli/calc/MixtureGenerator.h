#pragma once

// Realistic mixtures for whole-run checks: vapors drawn from the shipped vapor library, each at a
// concentration log-uniform from 1 ppm to the smaller of 2000 ppm and a fifth of its saturation
// concentration, at 5 to 45 degrees C, on ordinary half-mask cartridges. The same seed gives the
// same scenarios on every machine (the draws use the generator's raw output, not the standard
// library's distributions, whose results differ between implementations).

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

namespace quandrelle::test {

// The seed of the corpus the benchmark and the corpus tool report on.
inline constexpr std::uint64_t kCorpusSeed = 20261208;
// The seed of the corpus of four- and five-vapor mixtures (--fewest 4).
inline constexpr std::uint64_t kFourAndFiveVaporSeed = 20261210;

struct LibraryVapor {
    std::string name;
    double molWt = 0, liqDensity = 0, molPolariz = 0, waterSolFactor = 0;
    double antoineA = 0, antoineB = 0, antoineC = 0;
};

// The vapors of a library CSV file (the shipped data/vapors.csv), read by their column names.
std::vector<LibraryVapor> readVaporLibrary(const std::string& csvPath);

class MixtureGenerator {
public:
    MixtureGenerator(std::vector<LibraryVapor> library, std::uint64_t seed);

    // One scenario in the command-line calculator's JSON form, with `vaporCount` different vapors.
    nlohmann::json next(int vaporCount);

private:
    double uniform(double low, double high);
    double logUniform(double low, double high);
    nlohmann::json cartridge();
    nlohmann::json vapor(const LibraryVapor& vapor, double tempC, double atm);

    std::vector<LibraryVapor> m_library;
    std::mt19937_64 m_random;
};

// One generated mixture run through the command-line calculator (--json).
struct CorpusRun {
    int index = 0;
    int vapors = 0;
    std::string method;  // "model", "fallback", "conservative", or "failed" (no results)
    double seconds = 0;
    nlohmann::json scenario;
    nlohmann::json output;
    std::string error;  // what the calculator reported when it failed
    // With runCorpus's `alone`: by vapor name, the result row of the vapor run alone at its own
    // concentration under the same cartridge and conditions (null when that run failed).
    std::map<std::string, nlohmann::json> alone;
};

// Runs `count` generated mixtures, of fewestVapors to 5 vapors in turn, calling `each` after each;
// with `alone`, also every vapor of each mixture on its own.
void runCorpus(MixtureGenerator& generator, int count, int fewestVapors,
               const std::function<void(const CorpusRun&)>& each, bool alone = false);

// A run that keeps the results screen waiting longer than this is counted as slow.
inline constexpr double kSlowRunSeconds = 1;

// Per answering method and number of vapors: how many vapors came out longer than the same vapor
// alone (any of estimate, minimum and maximum above its own; and the estimate above by more than
// 10 %), how many had no time at all, how many runs were slow, and the slowest run. Runs must come
// with their `alone` rows.
class CorpusTally {
public:
    void add(const CorpusRun& run);
    void print(std::ostream& out) const;

    struct Cell {
        int runs = 0;
        int vapors = 0;
        int above = 0;
        int aboveByTenth = 0;
        int unanswered = 0;
        int slow = 0;  // runs that took longer than kSlowRunSeconds
        double slowestSeconds = 0;
        int slowestIndex = -1;
    };
    // Every vapor count of a method taken together.
    Cell total(const std::string& method) const;
    int runs() const { return m_runs; }

private:
    std::map<std::string, std::map<int, Cell>> m_cells;
    int m_runs = 0;
};

}  // namespace quandrelle::test
