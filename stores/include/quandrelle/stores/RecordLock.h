#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace quandrelle {

// How long a save or an import waits for another program to finish with a record file before it
// gives up and says so.
inline constexpr std::chrono::milliseconds kRecordLockWait{3000};

// The lock that lets one program at a time change a record file. It is an advisory lock on a file
// beside the record file (its name with ".lock" added), so that it outlives the record file being
// replaced by a new one. The system drops the lock of a program that ends without letting go, so a
// program that died while saving never blocks the next one. An exclusive holder writes who it is
// into the lock file, so that a program kept waiting can name it.
class RecordLock {
public:
    enum class Mode {
        Shared,    // reading: many at once, none while a change is under way
        Exclusive  // changing: one alone
    };

    // Waits up to `wait` for the lock; throws StoreBusyError naming the holder when it stays taken,
    // and StoreError when the lock file cannot be opened or created.
    RecordLock(const std::filesystem::path& recordFile, Mode mode, std::chrono::milliseconds wait);
    ~RecordLock();
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;

    // The lock file of a record file: beside the file a link leads to, so that every way of naming
    // the file meets the same lock.
    static std::filesystem::path lockFileFor(const std::filesystem::path& recordFile);

private:
    int m_fd = -1;
    Mode m_mode;
};

}  // namespace quandrelle
