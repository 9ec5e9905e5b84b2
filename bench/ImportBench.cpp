// A full import through quandrelle-db's code: 32,767 new vapors (the most a record file can number)
// into an empty library, and the same file again with --revise over the full library. Each must
// take well under 10 s on the project's two-core machine.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "quandrelle/db/RecordTransfer.h"
#include "quandrelle/stores/RecordFile.h"
#include "quandrelle/stores/VaporStore.h"

namespace {

std::string fullLibraryCsv() {
    std::string csv =
        "chemName,molWt,liqDensity,molPolariz,waterSolFactor,avgConc,antoineA,antoineB,antoineC,casNumber\n";
    for (int i = 1; i <= quandrelle::RecordFile::kMaxRecords; ++i) {
        csv += "Vapor " + std::to_string(i) + ",78.11,0.879,26.2,0.5,100,15.9,2788.5,-52.36," +
               std::to_string(1000 + i) + "-00-0\n";
    }
    return csv;
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quandrelle-bench-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() { std::filesystem::remove_all(m_path); }
    std::string folder() const { return m_path.string() + "/"; }

private:
    std::filesystem::path m_path;
};

void importIntoEmptyLibrary(benchmark::State& bench) {
    const std::string csv = fullLibraryCsv();
    for (auto _ : bench) {
        bench.PauseTiming();
        ScratchFolder scratch;
        bench.ResumeTiming();
        quandrelle::VaporStore store(scratch.folder(), quandrelle::MissingFile::LeaveAbsent);
        const auto counts = quandrelle::importVapors(store, csv, {});
        if (counts.added != quandrelle::RecordFile::kMaxRecords) {
            bench.SkipWithError("not every row was added");
        }
    }
}
BENCHMARK(importIntoEmptyLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);

void reviseEveryRecordOfAFullLibrary(benchmark::State& bench) {
    const std::string csv = fullLibraryCsv();
    ScratchFolder scratch;
    {
        quandrelle::VaporStore store(scratch.folder());
        quandrelle::importVapors(store, csv, {});
    }
    for (auto _ : bench) {
        quandrelle::VaporStore store(scratch.folder());
        const auto counts = quandrelle::importVapors(store, csv, {.revise = true});
        if (counts.revised != quandrelle::RecordFile::kMaxRecords) {
            bench.SkipWithError("not every row was revised");
        }
    }
}
BENCHMARK(reviseEveryRecordOfAFullLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
