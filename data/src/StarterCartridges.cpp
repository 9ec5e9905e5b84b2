#include "quandrelle/data/StarterCartridges.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "quandrelle/data/VaporLibrary.h"
#include "quandrelle/db/Csv.h"
#include "quandrelle/db/RecordTransfer.h"
#include "quandrelle/fit/CartridgeFit.h"
#include "quandrelle/fit/CartridgeSource.h"
#include "quandrelle/fit/LibraryVapor.h"
#include "quandrelle/stores/StoreError.h"
#include "quandrelle/validation/NumberReader.h"

namespace quandrelle {

namespace fs = std::filesystem;

namespace {

using Row = std::map<std::string, std::string>;

std::vector<Row> namedRows(std::string_view csv) {
    std::vector<CsvRow> rows;
    try {
        rows = parseCsv(csv);
    } catch (const CsvError& e) {
        throw ImportError(e.what());
    }
    if (rows.empty()) {
        throw ImportError("the starter cartridges are empty");
    }
    std::vector<Row> named;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        Row row;
        for (std::size_t c = 0; c < rows.front().fields.size() && c < rows[r].fields.size(); ++c) {
            row[rows.front().fields[c]] = rows[r].fields[c];
        }
        named.push_back(std::move(row));
    }
    return named;
}

std::string field(const Row& row, const std::string& name) {
    const auto it = row.find(name);
    if (it == row.end()) {
        throw ImportError("the starter cartridges have no column \"" + name + "\"");
    }
    return it->second;
}

double numberField(const Row& row, const std::string& name) {
    return readNumber(field(row, name));
}

CartridgeSourceRecord sourceOf(const Row& row, const fs::path& vaporFolder) {
    CartridgeSourceRecord record;
    record.origin = CartridgeOrigin::Starter;
    record.cartridge = CartridgeInput{.name = field(row, "cartName"),
                                      .bedDiameter = numberField(row, "bedDiam"),
                                      .bedDepth = numberField(row, "bedDepth"),
                                      .carbonWeight = numberField(row, "carbWgt"),
                                      .microporeVolume = numberField(row, "micVol"),
                                      .precondRH = numberField(row, "relHumPre"),
                                      .granuleDiameter = numberField(row, "diamGran"),
                                      .benzenePotential = numberField(row, "apBenzene"),
                                      .waterAffinity = numberField(row, "affinityForWater")};
    record.fitted = {"microporeVolume"};
    record.test = CertificationTest{field(row, "test"), field(row, "source")};
    const std::optional<VaporInput> vapor =
        libraryVapor(vaporFolder.string() + "/", field(row, "vapor"), numberField(row, "concentration"));
    if (!vapor) {
        throw ImportError(record.cartridge.name + ": the vapor library has no " + field(row, "vapor"));
    }
    const FitPoint point{.conditions = {.temperature = numberField(row, "temperature"),
                                        .pressure = numberField(row, "pressure"),
                                        .relHumidity = numberField(row, "relHumidity"),
                                        .cartridges = numberField(row, "cartridges"),
                                        .airFlow = numberField(row, "airFlow")},
                         .vapor = *vapor,
                         .breakConc = numberField(row, "breakConc"),
                         .minutes = numberField(row, "minutes")};
    record.points = {point};
    record.predicted = {predictedMinutes(record.cartridge, point)};
    record.notes = {field(row, "assumptions")};
    return record;
}

// The record columns only, in the record's order, for the import (which refuses columns it has no
// field for).
std::string recordCsv(std::string_view csv) {
    std::vector<std::string> names;
    for (const CartridgeField& field : kCartridgeFields) {
        names.emplace_back(field.name);
    }
    return recordColumnsCsv(csv, names);
}

}  // namespace

int buildStarterCartridges(std::string_view startersCsv, const fs::path& vaporFolder,
                           const fs::path& outputFolder) {
    const fs::path workFolder = outputFolder / "building";
    std::error_code error;
    fs::remove_all(workFolder, error);
    fs::create_directories(workFolder, error);
    if (error) {
        throw StoreError(workFolder, "the folder cannot be created: " + error.message());
    }
    int count = 0;
    {
        CartridgeStore store(workFolder.string() + "/");
        const ImportCounts counts = importCartridges(store, recordCsv(startersCsv), {});
        if (counts.repeated > 0 || counts.skipped > 0) {
            throw ImportError("the starter cartridges name a cartridge twice or leave one unnamed");
        }
        count = store.numCartRecs();
    }
    for (const Row& row : namedRows(startersCsv)) {
        writeCartridgeSource(workFolder.string() + "/", sourceOf(row, vaporFolder));
    }
    for (const std::string_view name : {CartridgeStore::kFileName, kCartridgeSourceFolder}) {
        fs::remove_all(outputFolder / name, error);
        fs::rename(workFolder / name, outputFolder / name, error);
        if (error) {
            throw StoreError(outputFolder / name,
                             "the built starters cannot be moved there: " + error.message());
        }
    }
    fs::remove_all(workFolder, error);
    return count;
}

}  // namespace quandrelle
