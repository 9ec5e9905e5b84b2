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

// A change refused because another program kept the file locked for longer than a save waits.
// `holder` names that program and its process ("quandrelle-db, process 4242"), or is empty when it
// did not say.
class StoreBusyError : public StoreError {
public:
    StoreBusyError(const std::filesystem::path& file, const std::string& holder);
    const std::string& holder() const { return m_holder; }

private:
    std::string m_holder;
};

// A change refused because another program changed the file since this one read it, in a way that
// leaves the change without its ground (the record to revise is gone, or the records to write were
// read from the old file). Nothing was written; the store has read the file again.
class StoreChangedError : public StoreError {
public:
    using StoreError::StoreError;
};

}  // namespace quandrelle
