#pragma once

#include <filesystem>
#include <string_view>

namespace quandrelle {

// Builds the starter cartridge file `CartridgeB30.DB` in `outputFolder` from the starter CSV
// (data/cartridges.csv) through the record tool's import, exactly as `quandrelle-db import
// cartridges` saves rows, and beside it, in CartridgeSources/, each starter's source file: the test
// it just meets, the test as a point of the fit (its vapor from the vapor file in `vaporFolder`) and
// the time the saved record gives it. Everything appears only when complete. Throws ImportError for
// a faulty CSV or an unknown vapor, StoreError or CartridgeSourceError when a file cannot be written.
// Returns the number of records.
int buildStarterCartridges(std::string_view startersCsv, const std::filesystem::path& vaporFolder,
                           const std::filesystem::path& outputFolder);

}  // namespace quandrelle
