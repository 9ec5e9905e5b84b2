#include "quandrelle/fit/StarterPlacement.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "quandrelle/fit/CartridgeSource.h"
#include "quandrelle/stores/CartridgeStore.h"
#include "quandrelle/stores/FileReplace.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {

namespace fs = std::filesystem;

void placeStarterCartridges(const std::string& shippedFolder, const std::string& dataFolder) {
    const fs::path shipped = fs::path(shippedFolder) / CartridgeStore::kFileName;
    const fs::path cartridgeFile = fs::path(dataFolder) / CartridgeStore::kFileName;
    std::error_code error;
    if (!fs::is_regular_file(shipped, error) || isOccupied(cartridgeFile)) {
        return;
    }
    const fs::path sources = fs::path(shippedFolder) / kCartridgeSourceFolder;
    const fs::path placedSources = fs::path(dataFolder) / kCartridgeSourceFolder;
    if (fs::is_directory(sources, error)) {
        fs::create_directories(placedSources, error);
        if (error) {
            throw StoreError(placedSources, "cannot be created: " + error.message());
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(sources, error)) {
            const fs::path destination = placedSources / entry.path().filename();
            if (entry.is_regular_file() && !isOccupied(destination)) {
                copyWithoutReplacing(entry.path(), destination, "the starter");
            }
        }
    }
    copyWithoutReplacing(shipped, cartridgeFile, "the starter");
}

void prepareDataFolderWithStarters(const DataFolderChoice& choice) {
    prepareDataFolder(choice);
    if (choice.seedLibrary) {
        placeStarterCartridges(fs::path(*choice.seedLibrary).parent_path().string(), choice.folder);
    }
}

}  // namespace quandrelle
