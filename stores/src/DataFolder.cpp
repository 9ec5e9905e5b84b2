#include "quandrelle/stores/DataFolder.h"

#include <filesystem>
#include <system_error>

namespace quandrelle {

namespace {

// Only the first occurrence counts, and only from the second character on: a folder text that
// merely begins with the marker is not a development folder.
bool marksDevelopmentFolder(std::string_view folder, std::string_view marker) {
    const auto at = folder.find(marker);
    return at != std::string_view::npos && at >= 1;
}

}  // namespace

std::string resolveDataFolder(std::string_view programFolder) {
    if (marksDevelopmentFolder(programFolder, "VB98") ||
        marksDevelopmentFolder(programFolder, "Visual Studio")) {
        return std::string(kDevelopmentDataFolder);
    }
    std::string folder(programFolder);
    if (folder.empty() || folder.back() != kFolderSeparator) {
        folder += kFolderSeparator;
    }
    return folder;
}

std::string executableFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && executable.has_parent_path()) {
        return executable.parent_path().string();
    }
    auto current = std::filesystem::current_path(error);
    return error ? std::string(".") : current.string();
}

}  // namespace quandrelle
