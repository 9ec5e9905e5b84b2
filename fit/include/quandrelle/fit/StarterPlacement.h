#pragma once

#include <string>

#include "quandrelle/stores/DataFolder.h"

namespace quandrelle {

// Gives a data folder that has no cartridge file yet the shipped starter cartridges: the cartridge
// file of `shippedFolder` and the source files beside it. A cartridge file already in the data
// folder, even an empty one or a dangling link, is the user's and nothing is placed; nor is any
// source file that is already there replaced. The sources go first and the cartridge file last, so
// that an interrupted placement is finished by the next. Nothing happens when nothing is shipped.
// Throws StoreError naming the file that cannot be copied.
void placeStarterCartridges(const std::string& shippedFolder, const std::string& dataFolder);

// prepareDataFolder, then, for a folder that starts from the shipped library, the starter
// cartridges shipped beside it.
void prepareDataFolderWithStarters(const DataFolderChoice& choice);

}  // namespace quandrelle
