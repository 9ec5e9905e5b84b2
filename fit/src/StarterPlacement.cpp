#include "quandrelle/fit/StarterPlacement.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "quandrelle/fit/CartridgeSource.h"
#include "quandrelle/stores/CartridgeStore.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {

namespace fs = std::filesystem;

namespace {

bool occupied(const fs::path& file) {
    std::error_code error;
    return fs::symlink_status(file, error).type() != fs::file_type::not_found;
}

// Copied under a temporary name and linked to its own, which fails rather than replaces a file that
// appeared meanwhile; the copy is the user's to change even when the shipped file is read-only.
void copyWithoutReplacing(const fs::path& source, const fs::path& destination) {
    std::string pattern = destination.string() + ".XXXXXX";
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) {
        throw StoreError(destination, std::string("cannot be created: ") + std::strerror(errno));
    }
    ::close(descriptor);
    const fs::path partial = pattern;
    std::error_code error;
    fs::copy_file(source, partial, fs::copy_options::overwrite_existing, error);
    if (!error) {
        fs::permissions(
            partial,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
            error);
    }
    if (!error && ::link(partial.c_str(), destination.c_str()) != 0 && errno != EEXIST) {
        error = std::error_code(errno, std::generic_category());
    }
    std::error_code ignored;
    fs::remove(partial, ignored);
    if (error) {
        throw StoreError(destination,
                         "the starter " + source.string() + " cannot be copied there: " + error.message());
    }
}

}  // namespace

void placeStarterCartridges(const std::string& shippedFolder, const std::string& dataFolder) {
    const fs::path shipped = fs::path(shippedFolder) / CartridgeStore::kFileName;
    const fs::path cartridgeFile = fs::path(dataFolder) / CartridgeStore::kFileName;
    std::error_code error;
    if (!fs::is_regular_file(shipped, error) || occupied(cartridgeFile)) {
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
            if (entry.is_regular_file() && !occupied(destination)) {
                copyWithoutReplacing(entry.path(), destination);
            }
        }
    }
    copyWithoutReplacing(shipped, cartridgeFile);
}

void prepareDataFolderWithStarters(const DataFolderChoice& choice) {
    prepareDataFolder(choice);
    if (choice.seedLibrary) {
        placeStarterCartridges(fs::path(*choice.seedLibrary).parent_path().string(), choice.folder);
    }
}

}  // namespace quandrelle
