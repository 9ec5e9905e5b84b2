#pragma once

#include <functional>
#include <string>

namespace quandrelle {

// The folder of the record files, resolved from the program's own folder on first use and then
// kept: a later call returns the same text without looking at the program folder again.
class DataFolderCache {
public:
    using FolderSource = std::function<std::string()>;

    // The source is the running executable's folder unless a test hands in another.
    explicit DataFolderCache(FolderSource programFolder = {});

    const std::string& DataFolderPath();

private:
    FolderSource m_programFolder;
    std::string m_cached;
};

}  // namespace quandrelle
