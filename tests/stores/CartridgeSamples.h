#pragma once

#include <string>

#include "TempFolder.h"
#include "quandrelle/stores/CartridgeStore.h"

namespace quandrelle::testing {

// A cartridge record built by hand, byte by byte, as the file holds it.
inline std::string cartBytes(const std::string& name, const std::string& micVol = "0.43") {
    return field(name, 35) + field("8.8", 8) + field("2.3", 8) + field("45", 8) + field(micVol, 8) +
           field("50", 8) + field("0.15", 8) + field("29", 8) + field("0.06", 8);
}

// The same cartridge as the screen's fields hold it.
inline CartridgeRecord typedCartridge(const std::string& name, const std::string& micVol = "0.43") {
    return {name, "8.8", "2.3", "45", micVol, "50", "0.15", "29", "0.06"};
}

}  // namespace quandrelle::testing
