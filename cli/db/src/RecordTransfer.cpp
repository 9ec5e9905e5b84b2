#include "quandrelle/db/RecordTransfer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>
#include <unordered_map>

#include "quandrelle/db/Csv.h"
#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/validation/FieldLimitTables.h"
#include "quandrelle/validation/NumberReader.h"

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

// The screen field limits of each record field in record order; none for the texts.
const std::array<const FieldLimits*, 10> kVaporLimits = {nullptr,
                                                         &limits::kMolWt,
                                                         &limits::kLiqDensity,
                                                         &limits::kMolPolariz,
                                                         &limits::kWaterSolFactor,
                                                         &limits::kVaporConcentration,
                                                         &limits::kAntoineA,
                                                         &limits::kAntoineB,
                                                         &limits::kAntoineC,
                                                         nullptr};
const std::array<const FieldLimits*, 9> kCartridgeLimits = {nullptr,
                                                            &limits::kBedDiameter,
                                                            &limits::kBedDepth,
                                                            &limits::kCarbonWeight,
                                                            &limits::kMicroporeVolume,
                                                            &limits::kPrecondRH,
                                                            &limits::kGranuleDiameter,
                                                            &limits::kBenzenePotential,
                                                            &limits::kWaterAffinity};

// A row of the CSV as the record it gives: the texts as given and as the file will hold them.
template <typename Record>
struct CheckedRow {
    std::size_t line = 0;
    Record given;
    Record stored;  // blank-filled to the widths
};

// Control characters (the C0 and C1 ranges and DEL) have no place in a record: a name holding one
// sorts and matches unlike the name it looks like.
std::optional<char32_t> controlCharacterIn(std::string_view text) {
    for (const char32_t cp : codePoints(text)) {
        if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F)) {
            return cp;
        }
    }
    return std::nullopt;
}

std::string codePointName(char32_t cp) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(cp));
    return text;
}

// Why a text cannot be stored exactly as given in a field of `width` characters, if it cannot.
std::optional<std::string> storageProblem(const std::string& text, std::size_t width) {
    if (fromCp1252(toCp1252(text)) != text) {
        return "\"" + text + "\" holds characters the record file cannot hold (it keeps Windows-1252 only)";
    }
    const std::size_t length = characterCount(trimTrailingBlanks(text));
    if (length > width) {
        return "\"" + text + "\" is " + std::to_string(length) + " characters long, more than the " +
               std::to_string(width) + " its field holds";
    }
    return std::nullopt;
}

// Why a number text cannot be stored, if it cannot: it must be blank, or read by the reading rule
// as a number within the screen field's limits, and fit its field uncut.
std::optional<std::string> numberProblem(const std::string& text, std::size_t width,
                                         const FieldLimits& limits) {
    if (trimBlanks(text).empty()) {
        return std::nullopt;
    }
    if (auto problem = storageProblem(text, width)) {
        return problem;
    }
    if (!beginsWithNumber(text)) {
        return "\"" + text + "\" is not a number";
    }
    double value = 0;
    try {
        value = readNumber(text);
    } catch (const NumberOverflowError&) {
        return "\"" + text + "\" is too large a number";
    }
    if (value < limits.lower) {
        return "\"" + text + "\" is below the lower limit of " + limits.lowerText;
    }
    if (value > limits.upper) {
        return "\"" + text + "\" is above the upper limit of " + limits.upperText;
    }
    return std::nullopt;
}

// Every problem of one row's fields, each naming the line and column.
template <typename Record, typename Fields, typename Limits>
void checkRow(const CheckedRow<Record>& row, const Fields& fields, const Limits& fieldLimits, bool truncate,
              std::vector<std::string>& problems) {
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const std::string& text = row.given.*fields[f].member;
        const std::string where =
            "line " + std::to_string(row.line) + ", " + std::string(fields[f].name) + ": ";
        if (const auto control = controlCharacterIn(text)) {
            problems.push_back(where + "holds the control character " + codePointName(*control));
        } else if (fieldLimits[f] != nullptr) {
            if (auto problem = numberProblem(text, fields[f].width, *fieldLimits[f])) {
                problems.push_back(where + *problem);
            }
        } else if (!truncate) {
            if (auto problem = storageProblem(text, fields[f].width)) {
                problems.push_back(where + *problem + " (--truncate stores it cut to fit)");
            }
        }
    }
}

std::string problemList(const std::vector<std::string>& problems) {
    constexpr std::size_t kListed = 20;
    std::string list = problems.size() == 1 ? "" : std::to_string(problems.size()) + " problems:";
    for (std::size_t i = 0; i < problems.size() && i < kListed; ++i) {
        list += (list.empty() ? "" : "\n  ") + problems[i];
    }
    if (problems.size() > kListed) {
        list += "\n  and " + std::to_string(problems.size() - kListed) + " more";
    }
    return list;
}

template <typename Record, typename Fields, typename Limits>
std::vector<CheckedRow<Record>> checkedRows(std::string_view csv, const Fields& fields,
                                            const Limits& fieldLimits, bool truncate,
                                            std::vector<std::string>& ignored) {
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
    std::vector<CheckedRow<Record>> checked;
    std::vector<std::string> problems;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const CsvRow& row = rows[r];
        if (row.fields.size() != columns.size()) {
            problems.push_back("line " + std::to_string(row.line) + ": " + std::to_string(row.fields.size()) +
                               " fields where the first row names " + std::to_string(columns.size()));
            continue;
        }
        CheckedRow<Record> record{row.line, {}, {}};
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c] != kIgnored) {
                record.given.*fields[columns[c]].member = row.fields[c];
            }
        }
        // A row without a name is skipped, so its values are not held against the file.
        if (!trimBlanks(record.given.*fields[0].member).empty()) {
            checkRow(record, fields, fieldLimits, truncate, problems);
        }
        for (const auto& field : fields) {
            record.stored.*field.member = storedForm(record.given.*field.member, field.width);
        }
        checked.push_back(std::move(record));
    }
    if (!problems.empty()) {
        throw ImportError(problemList(problems));
    }
    return checked;
}

// For every name on file, the record (from 0, in file order) that the store's own name search
// finds: the vapor search gives the last match in index order, the cartridge search the entry its
// halving meets.
std::unordered_map<std::string, std::size_t> recordsByName(const VaporStore& store) {
    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 1; i < store.chemIndex().size(); ++i) {
        const auto& entry = store.chemIndex()[i];
        byName[trimTrailingBlanks(entry.chemKey)] = static_cast<std::size_t>(entry.recNum - 1);
    }
    return byName;
}

std::unordered_map<std::string, std::size_t> recordsByName(const CartridgeStore& store) {
    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 1; i < store.cartIndex().size(); ++i) {
        const std::string name = trimTrailingBlanks(store.cartIndex()[i].cartKey);
        if (!byName.contains(name)) {
            byName[name] = static_cast<std::size_t>(store.cartIndex()[store.Search(name)].recNum - 1);
        }
    }
    return byName;
}

void count(ImportAction action, ImportCounts& counts) {
    switch (action) {
        case ImportAction::Added:
            ++counts.added;
            break;
        case ImportAction::Revised:
            ++counts.revised;
            break;
        case ImportAction::Skipped:
            ++counts.skipped;
            break;
    }
}

template <typename Store, typename Record, typename Fields, typename Limits>
ImportCounts importRecords(Store& store, std::string_view csv, const ImportOptions& options,
                           const ImportProgress& progress, const Fields& fields, const Limits& fieldLimits) {
    ImportCounts counts;
    const auto rows = checkedRows<Record>(csv, fields, fieldLimits, options.truncate, counts.ignoredColumns);
    const auto nameOf = [&](const Record& record) -> const std::string& { return record.*fields[0].member; };
    // From the reading of the library to the writing of the new one no other program may change
    // it, or its changes would be lost with the old file.
    const RecordFile::ChangeLock lock = store.lockForChange();
    const auto onFile = recordsByName(store);
    std::unordered_map<std::string, std::size_t> addedOnLine;
    std::vector<Record> records = store.storedRecords();
    std::vector<ImportedRow> report;
    for (const auto& row : rows) {
        const std::string key = nameSearchText(nameOf(row.stored));
        if (key.empty()) {
            counts.warnings.push_back("line " + std::to_string(row.line) + ": no " +
                                      std::string(fields[0].name) + "; the row was skipped");
            continue;
        }
        ImportedRow done{ImportAction::Added, row.line, trimTrailingBlanks(nameOf(row.stored)),
                         nameOf(row.given)};
        if (const auto found = onFile.find(key); found != onFile.end()) {
            done.action = options.revise ? ImportAction::Revised : ImportAction::Skipped;
            if (options.revise) {
                records[found->second] = row.stored;
            }
        } else {
            if (const auto earlier = addedOnLine.find(key); earlier != addedOnLine.end()) {
                ++counts.repeated;
                counts.warnings.push_back("line " + std::to_string(row.line) + ": " + done.storedName +
                                          " was added on line " + std::to_string(earlier->second) +
                                          " too; the library holds the name twice");
            } else {
                addedOnLine.emplace(key, row.line);
            }
            records.push_back(row.stored);
        }
        count(done.action, counts);
        report.push_back(std::move(done));
    }
    if (counts.added + counts.revised > 0) {
        store.ReplaceAll(records);
    }
    if (progress) {
        for (const ImportedRow& row : report) {
            progress(row);
        }
    }
    return counts;
}

template <typename Record, typename Fields>
std::string exportRecords(const std::vector<Record>& records, const Fields& fields,
                          std::vector<int>* unnamed) {
    std::vector<std::string> row;
    for (const auto& field : fields) {
        row.emplace_back(field.name);
    }
    std::string csv = csvRow(row);
    for (std::size_t r = 0; r < records.size(); ++r) {
        if (trimBlanks(records[r].*fields[0].member).empty()) {
            if (unnamed != nullptr) {
                unnamed->push_back(static_cast<int>(r + 1));
            }
            continue;
        }
        row.clear();
        for (const auto& field : fields) {
            row.push_back(trimTrailingBlanks(records[r].*field.member));
        }
        csv += csvRow(row);
    }
    return csv;
}

}  // namespace

ImportCounts importVapors(VaporStore& store, std::string_view csv, const ImportOptions& options,
                          const ImportProgress& progress) {
    return importRecords<VaporStore, VaporRecord>(store, csv, options, progress, kVaporFields, kVaporLimits);
}

ImportCounts importCartridges(CartridgeStore& store, std::string_view csv, const ImportOptions& options,
                              const ImportProgress& progress) {
    return importRecords<CartridgeStore, CartridgeRecord>(store, csv, options, progress, kCartridgeFields,
                                                          kCartridgeLimits);
}

std::string exportVapors(const VaporStore& store, std::vector<int>* unnamed) {
    return exportVapors(store.storedRecords(), unnamed);
}

std::string exportCartridges(const CartridgeStore& store, std::vector<int>* unnamed) {
    return exportCartridges(store.storedRecords(), unnamed);
}

std::string exportVapors(const std::vector<VaporRecord>& records, std::vector<int>* unnamed) {
    return exportRecords(records, kVaporFields, unnamed);
}

std::string exportCartridges(const std::vector<CartridgeRecord>& records, std::vector<int>* unnamed) {
    return exportRecords(records, kCartridgeFields, unnamed);
}

}  // namespace quandrelle
