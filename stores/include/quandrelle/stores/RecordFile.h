#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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
class RecordFile {
public:
    static constexpr std::int16_t kMaxRecords = 32767;

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

private:
    void openExisting(MissingFile missing);
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
};

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
