#include "quandrelle/data/VaporLibrary.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "quandrelle/db/Csv.h"
#include "quandrelle/db/RecordTransfer.h"
#include "quandrelle/stores/StoreError.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle {

namespace {

std::vector<CsvRow> parseLibrary(std::string_view libraryCsv) {
    try {
        return parseCsv(libraryCsv);
    } catch (const CsvError& e) {
        throw ImportError(e.what());
    }
}

// For each record field in record order, its column in the library.
std::vector<std::size_t> recordColumns(const CsvRow& header, const std::vector<std::string>& fieldNames) {
    std::vector<std::size_t> columns;
    for (const std::string& name : fieldNames) {
        const auto found = std::find(header.fields.begin(), header.fields.end(), name);
        if (found == header.fields.end()) {
            throw ImportError("the library has no column \"" + name + "\"");
        }
        columns.push_back(static_cast<std::size_t>(found - header.fields.begin()));
    }
    return columns;
}

}  // namespace

std::string recordColumnsCsv(std::string_view libraryCsv) {
    std::vector<std::string> names;
    for (const VaporField& field : kVaporFields) {
        names.emplace_back(field.name);
    }
    return recordColumnsCsv(libraryCsv, names);
}

std::string recordColumnsCsv(std::string_view libraryCsv, const std::vector<std::string>& fieldNames) {
    const std::vector<CsvRow> rows = parseLibrary(libraryCsv);
    if (rows.empty()) {
        throw ImportError("the library is empty");
    }
    const std::vector<std::size_t> columns = recordColumns(rows.front(), fieldNames);
    std::string csv;
    for (const CsvRow& row : rows) {
        std::vector<std::string> fields;
        for (const std::size_t column : columns) {
            if (column >= row.fields.size()) {
                throw ImportError("line " + std::to_string(row.line) + ": " +
                                  std::to_string(row.fields.size()) + " fields where the first row names " +
                                  std::to_string(rows.front().fields.size()));
            }
            fields.push_back(row.fields[column]);
        }
        csv += csvRow(fields);
    }
    return csv;
}

int buildVaporLibrary(std::string_view libraryCsv, const std::filesystem::path& outputFolder) {
    const std::string recordCsv = recordColumnsCsv(libraryCsv);
    // Built beside the destination and moved into place when complete, so that a failed build never
    // leaves a half-filled library for the build to ship.
    const std::filesystem::path workFolder = outputFolder / "building";
    std::error_code error;
    std::filesystem::remove_all(workFolder, error);
    std::filesystem::create_directories(workFolder, error);
    if (error) {
        throw StoreError(workFolder, "the folder cannot be created: " + error.message());
    }
    int count = 0;
    {
        VaporStore store(workFolder.string() + "/");
        const ImportCounts counts = importVapors(store, recordCsv, {});
        if (counts.repeated > 0) {
            throw ImportError("the vapor library names a chemical twice (" + std::to_string(counts.repeated) +
                              " row(s)); a search would find only one of each");
        }
        count = store.numVaporRecs();
    }
    const std::string fileName(VaporStore::kFileName);
    std::filesystem::rename(workFolder / fileName, outputFolder / fileName, error);
    if (error) {
        throw StoreError(outputFolder / fileName,
                         "the built library cannot be moved there: " + error.message());
    }
    std::filesystem::remove_all(workFolder, error);
    return count;
}

}  // namespace quandrelle
