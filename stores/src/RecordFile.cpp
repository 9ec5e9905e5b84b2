#include "quandrelle/stores/RecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "quandrelle/stores/FileReplace.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {

namespace {

std::string describe(int error) {
    return std::strerror(error);
}

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

RecordFile::Stamp RecordFile::stampOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), info.st_size,
            nanoseconds(info.st_mtim)};
}

namespace {

std::string openFailure(const std::filesystem::path& path, int error) {
    std::error_code ec;
    const auto folder = path.parent_path();
    if (error == ENOENT && !folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        return "its folder " + folder.string() + " does not exist";
    }
    if (error == EACCES || error == EROFS) {
        return "permission to open or create it was refused (" + describe(error) + ")";
    }
    return describe(error);
}

}  // namespace

RecordFile::RecordFile(std::filesystem::path path, int recordSize, MissingFile missing)
    : m_path(std::move(path)), m_recordSize(recordSize) {
    openExisting(missing);
    if (!absent()) {
        measure();
    }
}

void RecordFile::measure() {
    struct stat info {};
    // A failed look at the file says nothing of its type: the user is told the real error.
    const bool unreadable = ::fstat(m_fd, &info) != 0;
    if (unreadable || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        throw StoreError(m_path, unreadable ? describe(error) : "it is not a regular file");
    }
    const std::int64_t bytes = info.st_size;
    std::int64_t records = bytes / m_recordSize;
    if ((bytes % m_recordSize) * 2 > m_recordSize) {
        ++records;
    }
    if (records > kMaxRecords) {
        ::close(m_fd);
        m_fd = -1;
        throw StoreError(m_path, "it holds " + std::to_string(records) +
                                     " records, more than the 32,767 a record file can hold");
    }
    m_count = static_cast<std::int16_t>(records);
    m_stamp = stampOf(info);
}

void RecordFile::restamp() noexcept {
    struct stat info {};
    if (!absent() && ::fstat(m_fd, &info) == 0) {
        m_stamp = stampOf(info);
    }
}

void RecordFile::openExisting(MissingFile missing) {
    m_readOnly = false;
    struct stat before {};
    const bool existed = ::stat(m_path.c_str(), &before) == 0;
    const int create = missing == MissingFile::Create ? O_CREAT : 0;
    m_fd = ::open(m_path.c_str(), O_RDWR | create | O_CLOEXEC, 0644);
    // A shared library the user may only read (no write permission, a read-only disk, a file marked
    // immutable) can still be searched.
    if (m_fd < 0 && existed && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        m_readOnly = m_fd >= 0;
    }
    if (m_fd < 0 && errno == ENOENT && missing == MissingFile::LeaveAbsent) {
        std::error_code ec;
        const auto folder = m_path.parent_path().empty() ? std::filesystem::path(".") : m_path.parent_path();
        if (std::filesystem::is_directory(folder, ec)) {
            return;
        }
        errno = ENOENT;
    }
    if (m_fd < 0) {
        throw StoreError(m_path, openFailure(m_path, errno));
    }
    if (!existed) {
        syncFolderEntry(m_path);
    }
}

RecordFile::~RecordFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::int64_t RecordFile::length() const {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        throw StoreError(m_path, "its length cannot be read (" + describe(errno) + ")");
    }
    return info.st_size;
}

std::string RecordFile::read(std::int16_t n) const {
    if (n < 1 || n > m_count) {
        throw StoreError(m_path, "record " + std::to_string(n) + " does not exist");
    }
    std::string bytes(m_recordSize, ' ');
    const std::int64_t offset = static_cast<std::int64_t>(n - 1) * m_recordSize;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(m_fd, bytes.data() + done, bytes.size() - done, offset + done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw StoreError(m_path,
                             "record " + std::to_string(n) + " cannot be read (" + describe(errno) + ")");
        }
        if (got == 0) {
            break;  // a trailing partial record: the rest stays blank
        }
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

std::string RecordFile::readAll() const {
    std::string bytes(static_cast<std::size_t>(m_count) * m_recordSize, ' ');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(m_fd, bytes.data() + done, bytes.size() - done, done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw StoreError(m_path, "it cannot be read (" + describe(errno) + ")");
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

void RecordFile::write(int n, const std::string& bytes) {
    if (bytes.size() != static_cast<std::size_t>(m_recordSize)) {
        throw StoreError(m_path, "a record of " + std::to_string(bytes.size()) + " bytes does not fit it");
    }
    checkWritable();
    const ChangeLock lock = lockForChange();
    throwIfChanged();
    if (absent()) {
        openExisting(MissingFile::Create);
    }
    const bool append = n == m_count + 1;
    if (append && m_count == kMaxRecords) {
        throw StoreFullError(m_path);
    }
    if (n < 1 || n > m_count + 1) {
        throw StoreError(m_path, "record " + std::to_string(n) + " cannot be written");
    }
    const std::int64_t oldLength = length();
    const std::int64_t offset = static_cast<std::int64_t>(n - 1) * m_recordSize;
    std::string out = bytes;
    if (append && oldLength < offset) {
        // The last record is a partial one: complete it with the blanks it read as, so that it
        // keeps reading the same once it is no longer the last.
        out.insert(0, static_cast<std::size_t>(offset - oldLength), ' ');
    }
    const std::int64_t start = append ? std::min(oldLength, offset) : offset;
    // What a failed write must put back: the old length of the file, or the record it overwrote.
    const std::string previous = append ? std::string() : read(static_cast<std::int16_t>(n));
    try {
        writeAt(start, out);
        sync();
    } catch (const StoreError&) {
        restore(append, oldLength, offset, previous);
        restamp();
        throw;
    }
    if (append) {
        ++m_count;
    }
    restamp();
}

void RecordFile::checkWritable() const {
    if (m_readOnly) {
        throw StoreError(m_path, "it may only be read, so nothing was saved");
    }
}

void RecordFile::replaceAll(const std::string& bytes) {
    checkWritable();
    if (bytes.size() % static_cast<std::size_t>(m_recordSize) != 0) {
        throw StoreError(m_path,
                         "records of " + std::to_string(bytes.size()) + " bytes in all do not fit it");
    }
    if (bytes.size() / static_cast<std::size_t>(m_recordSize) > static_cast<std::size_t>(kMaxRecords)) {
        throw StoreFullError(m_path);
    }
    const ChangeLock lock = lockForChange();
    throwIfChanged();
    struct stat info {};
    const unsigned mode = !absent() && ::fstat(m_fd, &info) == 0 ? (info.st_mode & 07777) : 0644;
    const std::error_code error = replaceFileContents(m_path, bytes, mode);
    if (error) {
        throw StoreError(m_path, "its new contents could not be written (" + error.message() +
                                     "), so the file was not changed");
    }
    const int replaced = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC);
    if (replaced < 0) {
        throw StoreError(m_path, "it was saved but cannot be opened again (" + describe(errno) + ")");
    }
    if (!absent()) {
        ::close(m_fd);
    }
    m_fd = replaced;
    m_count = static_cast<std::int16_t>(bytes.size() / static_cast<std::size_t>(m_recordSize));
    restamp();
}

RecordFile::ChangeLock RecordFile::lockForChange() {
    if (m_lockDepth == 0 && !m_readOnly) {
        m_lock = std::make_unique<RecordLock>(m_path, RecordLock::Mode::Exclusive, m_lockWait);
    }
    ++m_lockDepth;
    return ChangeLock(this);
}

RecordFile::ChangeLock::~ChangeLock() {
    if (m_file != nullptr && --m_file->m_lockDepth == 0) {
        m_file->m_lock.reset();
    }
}

bool RecordFile::changedOnDisk() const {
    struct stat onDisk {};
    if (::stat(m_path.c_str(), &onDisk) != 0) {
        // Removed while open; a file still missing is as it was. A path that cannot be looked at
        // counts as changed, so that opening it again reports why.
        return !(absent() && errno == ENOENT);
    }
    return absent() || stampOf(onDisk) != m_stamp;
}

void RecordFile::throwIfChanged() const {
    if (changedOnDisk()) {
        throw StoreChangedError(m_path,
                                "another program changed it since it was read, so nothing was written");
    }
}

bool RecordFile::refresh() {
    std::unique_ptr<RecordLock> reading;
    if (m_lockDepth == 0) {
        try {
            reading = std::make_unique<RecordLock>(m_path, RecordLock::Mode::Shared, m_lockWait);
        } catch (const StoreBusyError&) {
            return false;
        } catch (const StoreError&) {
            // No lock can be had here (a folder the user may only read): look without one.
        }
    }
    if (!changedOnDisk()) {
        return false;
    }
    if (!absent()) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_count = 0;
    m_stamp = {};
    ++m_outsideChanges;
    openExisting(MissingFile::LeaveAbsent);
    if (!absent()) {
        measure();
    }
    return true;
}

void RecordFile::restore(bool append, std::int64_t oldLength, std::int64_t offset,
                         const std::string& previous) noexcept {
    if (append) {
        if (::ftruncate(m_fd, oldLength) == 0) {
            ::fsync(m_fd);
        }
        return;
    }
    const auto partial = std::min<std::int64_t>(m_recordSize, std::max<std::int64_t>(0, oldLength - offset));
    if (::pwrite(m_fd, previous.data(), static_cast<std::size_t>(partial), offset) == partial) {
        ::fsync(m_fd);
    }
}

void RecordFile::writeAt(std::int64_t offset, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, offset + done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            throw StoreError(m_path, "the record could not be written (" + describe(errno) + ")");
        }
        done += static_cast<std::size_t>(put);
    }
}

void RecordFile::sync() {
    if (::fsync(m_fd) != 0) {
        throw StoreError(m_path, "the record could not be saved to the disk (" + describe(errno) + ")");
    }
}

void throwIfGone(const std::filesystem::path& file, std::int16_t position) {
    if (position == 0) {
        throw StoreChangedError(file,
                                "another program changed it while the question was open, and the record "
                                "is no longer on file, so nothing was saved; press Save again to add it");
    }
}

void throwIfChangedSince(const std::filesystem::path& file, std::uint64_t seen, std::uint64_t now) {
    if (seen != now) {
        throw StoreChangedError(file,
                                "another program changed it after its records were read, so nothing "
                                "was written; read it again and repeat the change");
    }
}

}  // namespace quandrelle
