#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quandrelle/stores/RecordLock.h"

struct stat;

namespace quandrelle {

// What opening does with a record file that does not exist yet.
enum class MissingFile {
    Create,      // the screens' way: the file is created empty at once
    LeaveAbsent  // looking and importing: it reads as empty and is created only by a write
};

// A file of fixed-length records numbered from 1, with no header. Opened for reading and writing
// (created empty when missing) and held open until destroyed; a file the user may only read is
// opened for reading, and a write to it is refused. Record numbers are 16-bit, so the file holds
// at most 32,767 records. Every failure throws StoreError naming the file.
//
// Other programs may use the same file. Every change is made under the file's lock (RecordLock),
// and only when the file at the path is still the one this has open and is as this last saw it;
// otherwise it throws StoreChangedError and writes nothing. refresh() catches up with what the other
// programs did.
class RecordFile {
public:
    static constexpr std::int16_t kMaxRecords = 32767;

    // The exclusive lock of the file, held until destroyed. Taken again while held it only counts,
    // so that a change made of several steps holds it throughout. A file that may only be read is
    // never changed, so it is not locked.
    class ChangeLock {
    public:
        ChangeLock(ChangeLock&& other) noexcept : m_file(std::exchange(other.m_file, nullptr)) {}
        ChangeLock& operator=(ChangeLock&&) = delete;
        ~ChangeLock();

    private:
        friend class RecordFile;
        explicit ChangeLock(RecordFile* file) : m_file(file) {}
        RecordFile* m_file;
    };

    RecordFile(std::filesystem::path path, int recordSize, MissingFile missing = MissingFile::Create);
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    int recordSize() const { return m_recordSize; }
    bool readOnly() const { return m_readOnly; }
    // True while a file opened with LeaveAbsent is still missing.
    bool absent() const { return m_fd < 0; }

    // The length in bytes divided by the record size, rounded to the nearest whole number: a
    // trailing part of more than half a record counts as one more record.
    std::int16_t count() const { return m_count; }

    // Record n (1..count) as its bytes; the missing end of a trailing partial record reads as blanks.
    std::string read(std::int16_t n) const;

    // Records 1..count in one read, each filled out as read() does.
    std::string readAll() const;

    // Writes record n over an existing one (1..count) or appends it (count + 1), and makes sure it
    // is on the disk before returning. An append beyond 32,767 records throws StoreFullError; a
    // failed write leaves the file as it was.
    void write(int n, const std::string& bytes);

    // Puts `bytes` (whole records) in the file's place in one step: they are written to a new file
    // beside it, synced, and renamed over it, so that a failure at any point leaves the old file
    // exactly as it was (and a missing one missing). More than 32,767 records throw StoreFullError.
    void replaceAll(const std::string& bytes);

    // Waits up to lockWait() for other programs to finish with the file; throws StoreBusyError when
    // one does not, and StoreError when the lock cannot be taken at all.
    [[nodiscard]] ChangeLock lockForChange();

    // True when the path no longer leads to the file this has open (it was replaced or removed), or
    // the file was written since this last read, wrote or counted it.
    bool changedOnDisk() const;

    // After such a change: opens the file at the path again (a removed one reads as empty until a
    // write creates it) and counts it again; true when there was a change. A change under way is
    // waited for up to lockWait(); if it does not end, nothing is looked at and this gives false.
    bool refresh();

    // How many times refresh() found the file changed by another program.
    std::uint64_t outsideChanges() const { return m_outsideChanges; }

    std::chrono::milliseconds lockWait() const { return m_lockWait; }
    void setLockWait(std::chrono::milliseconds wait) { m_lockWait = wait; }

private:
    // What tells one state of the file from another.
    struct Stamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };

    static Stamp stampOf(const struct ::stat& info);
    void openExisting(MissingFile missing);
    void measure();
    void restamp() noexcept;
    void throwIfChanged() const;
    void checkWritable() const;
    std::int64_t length() const;
    void writeAt(std::int64_t offset, const std::string& bytes);
    void sync();
    void restore(bool append, std::int64_t oldLength, std::int64_t offset,
                 const std::string& previous) noexcept;

    std::filesystem::path m_path;
    int m_recordSize;
    int m_fd = -1;
    bool m_readOnly = false;
    std::int16_t m_count = 0;
    Stamp m_stamp;  // the open file as last read, written or counted
    std::chrono::milliseconds m_lockWait = kRecordLockWait;
    std::unique_ptr<RecordLock> m_lock;
    int m_lockDepth = 0;
    std::uint64_t m_outsideChanges = 0;
};

// For a revision whose record another program's change may have taken away: `position` is where
// the record was found again, 0 when it is no longer on file (StoreChangedError).
void throwIfGone(const std::filesystem::path& file, std::int16_t position);

// For records read before the outside change count `seen`, about to be written when it is `now`.
void throwIfChangedSince(const std::filesystem::path& file, std::uint64_t seen, std::uint64_t now);

// Records 1..count of the file, each decoded from its bytes, in file order.
template <typename Decode>
auto decodedRecords(const RecordFile& file, Decode decode) {
    const std::string bytes = file.readAll();
    const auto recordSize = static_cast<std::size_t>(file.recordSize());
    std::vector<decltype(decode(std::string_view()))> records;
    records.reserve(bytes.size() / recordSize);
    for (std::size_t offset = 0; offset < bytes.size(); offset += recordSize) {
        records.push_back(decode(std::string_view(bytes).substr(offset, recordSize)));
    }
    return records;
}

// Puts `records`, each encoded, in the file's place in one step (see RecordFile::replaceAll).
template <typename Record, typename Encode>
void replaceRecords(RecordFile& file, const std::vector<Record>& records, Encode encode) {
    std::string bytes;
    bytes.reserve(records.size() * static_cast<std::size_t>(file.recordSize()));
    for (const Record& record : records) {
        bytes += encode(record);
    }
    file.replaceAll(bytes);
}

}  // namespace quandrelle
