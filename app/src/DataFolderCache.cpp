#include "quandrelle/app/DataFolderCache.h"

#include "quandrelle/stores/DataFolder.h"

namespace quandrelle {

DataFolderCache::DataFolderCache(FolderSource programFolder) : m_programFolder(std::move(programFolder)) {
    if (!m_programFolder) {
        m_programFolder = [] { return executableFolder(); };
    }
}

const std::string& DataFolderCache::DataFolderPath() {
    if (m_cached.empty()) {
        m_cached = resolveDataFolder(m_programFolder());
    }
    return m_cached;
}

}  // namespace quandrelle
