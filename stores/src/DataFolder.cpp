#include "quandrelle/stores/DataFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/stores/FileReplace.h"
#include "quandrelle/stores/StoreError.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle {

namespace fs = std::filesystem;

namespace {

// Only the first occurrence counts, and only from the second character on: a folder text that
// merely begins with the marker is not a development folder.
bool marksDevelopmentFolder(std::string_view folder, std::string_view marker) {
    const auto at = folder.find(marker);
    return at != std::string_view::npos && at >= 1;
}

// The root folder comes out empty, so that a name appended with its separator stays a whole path.
std::string withoutTrailingSeparators(std::string_view folder) {
    while (!folder.empty() && folder.back() == kFolderSeparator) {
        folder.remove_suffix(1);
    }
    return std::string(folder);
}

std::string homeFromPasswordFile() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

std::optional<std::string_view> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
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
    const auto executable = fs::read_symlink("/proc/self/exe", error);
    if (!error && executable.has_parent_path()) {
        return executable.parent_path().string();
    }
    auto current = fs::current_path(error);
    return error ? std::string(".") : current.string();
}

std::string userDataFolder(std::optional<std::string_view> xdgDataHome,
                           std::optional<std::string_view> home) {
    std::string base;
    if (xdgDataHome && !xdgDataHome->empty()) {
        base = withoutTrailingSeparators(*xdgDataHome);
    } else {
        const std::string homeFolder = home && !home->empty() ? std::string(*home) : homeFromPasswordFile();
        base = withoutTrailingSeparators(homeFolder) + "/.local/share";
    }
    return base + kFolderSeparator + std::string(kProgramName) + kFolderSeparator;
}

std::string userDataFolder() {
    return userDataFolder(environmentValue("XDG_DATA_HOME"), environmentValue("HOME"));
}

DataFolderChoice chooseDataFolder(const DataFolderFacts& facts) {
    if (facts.programFolderWritable && !facts.shippedLibrary) {
        return {facts.programFolderRule, std::nullopt};
    }
    return {facts.userFolder, facts.shippedLibrary};
}

bool isWritableFolder(const std::string& folder) {
    std::error_code error;
    return fs::is_directory(folder, error) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string shippedLibraryPath(std::string_view programFolder) {
    const fs::path library = fs::path(programFolder) / kSharedDataFromProgramFolder / VaporStore::kFileName;
    return library.lexically_normal().string();
}

DataFolderChoice chooseDataFolderFor(std::string_view programFolder, const std::string& userFolder,
                                     const WritableProbe& writable) {
    DataFolderFacts facts;
    facts.programFolderRule = resolveDataFolder(programFolder);
    facts.programFolderWritable = writable(facts.programFolderRule);
    facts.userFolder = userFolder;
    std::string library = shippedLibraryPath(programFolder);
    std::error_code error;
    if (fs::is_regular_file(library, error)) {
        facts.shippedLibrary = std::move(library);
    }
    return chooseDataFolder(facts);
}

void prepareDataFolder(const DataFolderChoice& choice) {
    const fs::path folder(choice.folder);
    const fs::path vaporFile = folder / VaporStore::kFileName;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        throw StoreError(vaporFile, "its folder " + choice.folder + " cannot be created: " + error.message());
    }
    if (choice.seedLibrary && !isOccupied(vaporFile)) {
        copyWithoutReplacing(*choice.seedLibrary, vaporFile, "the vapor library");
    }
}

}  // namespace quandrelle
