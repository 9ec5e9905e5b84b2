#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "quandrelle/engine/Inputs.h"

namespace quandrelle {

// The vapor of that name in the data folder's vapor file, its texts read by the number rule as the
// vapor screen reads them, at `ppm`; nothing when the file holds no such name (a missing file holds
// none). The library's own neutral concentration is never taken for a point's. Throws StoreError
// when the file cannot be read.
std::optional<VaporInput> libraryVapor(const std::string& dataFolder, std::string_view name, double ppm);

}  // namespace quandrelle
