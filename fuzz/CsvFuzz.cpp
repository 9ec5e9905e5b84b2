// The CSV reader on any text: it reads the rows or says which line is at fault, and the rows it
// reads come back unchanged through the CSV writer.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "quandrelle/db/Csv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<quandrelle::CsvRow> rows;
    try {
        rows = quandrelle::parseCsv(text);
    } catch (const quandrelle::CsvError&) {
        return 0;
    }
    std::string written;
    std::vector<std::vector<std::string>> kept;
    for (const auto& row : rows) {
        written += quandrelle::csvRow(row.fields);
        kept.push_back(row.fields);
    }
    // A byte-order mark is dropped only at the very start of a file, so a first field that begins
    // with one cannot come back the same.
    if (std::string_view(written).starts_with("\xEF\xBB\xBF")) {
        return 0;
    }
    const auto again = quandrelle::parseCsv(written);
    if (again.size() != kept.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (again[i].fields != kept[i]) {
            std::abort();
        }
    }
    return 0;
}
