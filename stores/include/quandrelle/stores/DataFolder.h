#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quandrelle {

// The folder separator of this platform; a data folder always ends in it.
inline constexpr char kFolderSeparator = '/';

// Where the record files live when the program runs from inside its development tools.
inline constexpr std::string_view kDevelopmentDataFolder = "/opt/Quandrelle/";

// The data folder for a program folder: the fixed development folder when the program folder text
// holds "VB98" or "Visual Studio" (case-sensitive) anywhere but at its very first character;
// otherwise the program folder itself, ending in exactly the one separator it needs (a root such
// as "/" is used unchanged).
std::string resolveDataFolder(std::string_view programFolder);

// The folder of the running executable, without a trailing separator unless it is the root.
// Falls back to the current working folder when the executable cannot be located.
std::string executableFolder();

// The per-user data folder, ending in the separator: $XDG_DATA_HOME/quandrelle/, or
// $HOME/.local/share/quandrelle/ when XDG_DATA_HOME is unset or empty (the folder the desktop
// toolkit calls the application data location). `xdgDataHome` and `home` are the two variables'
// values, unset as nullopt.
std::string userDataFolder(std::optional<std::string_view> xdgDataHome, std::optional<std::string_view> home);
// The same, from this process's environment.
std::string userDataFolder();

// What decides where the record files live.
struct DataFolderFacts {
    std::string programFolderRule;  // the folder the program-folder rule gives (resolveDataFolder)
    bool programFolderWritable = false;
    std::string userFolder;                     // the per-user data folder
    std::optional<std::string> shippedLibrary;  // the installed read-only vapor library, if present
};

// Where the record files live, and the library to copy there when no vapor file exists yet.
struct DataFolderChoice {
    std::string folder;
    std::optional<std::string> seedLibrary;

    bool operator==(const DataFolderChoice&) const = default;
};

// The rule. A program that sits in a folder the user can write to, with no installed library
// beside it (a portable copy, a build folder), keeps its record files beside it, as users of the
// record files expect. An installed program (its folder not writable, or its shipped library in the
// install tree) keeps them in the per-user data folder, which starts from a copy of the shipped
// library.
DataFolderChoice chooseDataFolder(const DataFolderFacts& facts);

using WritableProbe = std::function<bool(const std::string& folder)>;

// True when this process may create files in the folder.
bool isWritableFolder(const std::string& folder);

// The installed vapor library of a program in `programFolder`, whether or not it exists.
std::string shippedLibraryPath(std::string_view programFolder);

// Gathers the facts for a program in `programFolder` from the file system and applies the rule.
DataFolderChoice chooseDataFolderFor(std::string_view programFolder, const std::string& userFolder,
                                     const WritableProbe& writable = isWritableFolder);

// Makes the chosen folder ready for the record files: creates it when missing and, when a library
// is to be copied and the folder holds no vapor file yet, copies it in, writable by the user. An
// existing vapor file, even an empty one, is never replaced. Throws StoreError when the folder
// cannot be created or the copy cannot be made.
void prepareDataFolder(const DataFolderChoice& choice);

}  // namespace quandrelle
