#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace quandrelle {

// A record file that cannot be opened, created, read or written. The message names the file and
// the reason, in words a user can act on; nothing has been written when it is thrown.
class StoreError : public std::runtime_error {
public:
    StoreError(const std::filesystem::path& file, const std::string& reason);
    const std::filesystem::path& file() const { return m_file; }
    const std::string& reason() const { return m_reason; }

private:
    std::filesystem::path m_file;
    std::string m_reason;
};

// An add refused because the file already holds the most records it can number (32,767).
class StoreFullError : public StoreError {
public:
    explicit StoreFullError(const std::filesystem::path& file);
};

}  // namespace quandrelle
