#include "quandrelle/db/RecordTransfer.h"

#include <algorithm>
#include <cctype>

#include "quandrelle/db/Csv.h"
#include "quandrelle/stores/RecordText.h"

namespace quandrelle {

namespace {

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string knownNames(const auto& fields) {
    std::string names;
    for (const auto& field : fields) {
        names += (names.empty() ? "" : ", ") + std::string(field.name);
    }
    return names;
}

constexpr std::size_t kIgnored = static_cast<std::size_t>(-1);

// For each CSV column, the record field it fills, or kIgnored.
template <typename Fields>
std::vector<std::size_t> columnFields(const CsvRow& header, const Fields& fields,
                                      std::vector<std::string>& ignored) {
    std::vector<std::size_t> columns;
    for (const auto& heading : header.fields) {
        const std::string wanted = lowerCase(trimBlanks(heading));
        const auto match = std::find_if(fields.begin(), fields.end(),
                                        [&](const auto& field) { return lowerCase(field.name) == wanted; });
        if (match == fields.end()) {
            ignored.push_back(heading);
            columns.push_back(kIgnored);
            continue;
        }
        const auto index = static_cast<std::size_t>(match - fields.begin());
        if (std::find(columns.begin(), columns.end(), index) != columns.end()) {
            throw ImportError("line " + std::to_string(header.line) + ": column \"" + heading +
                              "\" appears twice");
        }
        columns.push_back(index);
    }
    if (std::find(columns.begin(), columns.end(), 0) == columns.end()) {
        throw ImportError("line " + std::to_string(header.line) +
                          ": the first row must name the columns, and one of them must be " +
                          std::string(fields[0].name) + " (the columns are " + knownNames(fields) + ")");
    }
    return columns;
}

template <typename Record, typename Fields>
std::vector<Record> recordsOf(std::string_view csv, const Fields& fields, std::vector<std::string>& ignored) {
    if (!isValidUtf8(csv)) {
        throw ImportError("the file is not UTF-8 text (save it from the spreadsheet as CSV UTF-8)");
    }
    std::vector<CsvRow> rows;
    try {
        rows = parseCsv(csv);
    } catch (const CsvError& e) {
        throw ImportError(e.what());
    }
    if (rows.empty()) {
        throw ImportError("the file is empty: the first row must name the columns");
    }
    const auto columns = columnFields(rows.front(), fields, ignored);
    std::vector<Record> records;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const CsvRow& row = rows[r];
        if (row.fields.size() != columns.size()) {
            throw ImportError("line " + std::to_string(row.line) + ": " + std::to_string(row.fields.size()) +
                              " fields where the first row names " + std::to_string(columns.size()));
        }
        Record record;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c] != kIgnored) {
                record.*fields[columns[c]].member = row.fields[c];
            }
        }
        if (trimBlanks(record.*fields[0].member).empty()) {
            throw ImportError("line " + std::to_string(row.line) + ": the " + std::string(fields[0].name) +
                              " is empty");
        }
        records.push_back(std::move(record));
    }
    return records;
}

template <typename Store, typename Record, typename Fields>
ImportCounts importRecords(Store& store, std::string_view csv, bool revise, const ImportProgress& progress,
                           const Fields& fields) {
    ImportCounts counts;
    const auto records = recordsOf<Record>(csv, fields, counts.ignoredColumns);
    for (const Record& record : records) {
        const auto saved = store.Save(record);
        ImportAction action = ImportAction::Added;
        if (saved.status != SaveStatus::OnFile) {
            ++counts.added;
        } else if (revise) {
            store.Revise(saved.position, record);
            action = ImportAction::Revised;
            ++counts.revised;
        } else {
            action = ImportAction::Skipped;
            ++counts.skipped;
        }
        if (progress) {
            progress(action, record.*fields[0].member);
        }
    }
    return counts;
}

template <typename Record, typename Fields>
std::string exportRecords(const std::vector<Record>& records, const Fields& fields) {
    std::vector<std::string> row;
    for (const auto& field : fields) {
        row.emplace_back(field.name);
    }
    std::string csv = csvRow(row);
    for (const Record& record : records) {
        row.clear();
        for (const auto& field : fields) {
            row.push_back(record.*field.member);
        }
        csv += csvRow(row);
    }
    return csv;
}

}  // namespace

ImportCounts importVapors(VaporStore& store, std::string_view csv, bool revise,
                          const ImportProgress& progress) {
    return importRecords<VaporStore, VaporRecord>(store, csv, revise, progress, kVaporFields);
}

ImportCounts importCartridges(CartridgeStore& store, std::string_view csv, bool revise,
                              const ImportProgress& progress) {
    return importRecords<CartridgeStore, CartridgeRecord>(store, csv, revise, progress, kCartridgeFields);
}

std::string exportVapors(const VaporStore& store) {
    return exportVapors(store.allRecords());
}

std::string exportCartridges(const CartridgeStore& store) {
    return exportCartridges(store.allRecords());
}

std::string exportVapors(const std::vector<VaporRecord>& records) {
    return exportRecords(records, kVaporFields);
}

std::string exportCartridges(const std::vector<CartridgeRecord>& records) {
    return exportRecords(records, kCartridgeFields);
}

}  // namespace quandrelle
