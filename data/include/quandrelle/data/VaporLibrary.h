#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quandrelle {

// The shipped vapor library's CSV holds each record's ten fields followed by the evidence they are
// checked against (formula, refractive index, boiling point, ...). The record tool's import accepts
// only record fields, so the evidence is left out before the rows are handed to it. The record
// columns keep their order and their texts unchanged. Throws ImportError when a record column is
// missing or the text is not well-formed CSV.
std::string recordColumnsCsv(std::string_view libraryCsv);
// The same for any record: the columns named, in that order (the starter cartridges' CSV).
std::string recordColumnsCsv(std::string_view libraryCsv, const std::vector<std::string>& fieldNames);

// Builds `VaporB30.DB` in `outputFolder` from the library CSV text through the record tool's import,
// exactly as `quandrelle-db import vapors` saves rows, always starting from an empty file. The file
// appears only when complete: a failure leaves whatever was there before. Throws ImportError when a
// name occurs twice (the import would silently skip the second row) and StoreError when the folder
// cannot be written. Returns the number of records.
int buildVaporLibrary(std::string_view libraryCsv, const std::filesystem::path& outputFolder);

}  // namespace quandrelle
