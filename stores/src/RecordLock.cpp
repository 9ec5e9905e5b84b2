#include "quandrelle/stores/RecordLock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>

#include "quandrelle/stores/StoreError.h"

namespace quandrelle {

namespace {

constexpr std::chrono::milliseconds kRetryInterval{20};

int openLockFile(const std::filesystem::path& lockFile, const std::filesystem::path& recordFile) {
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file the user may only read still takes a lock.
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        throw StoreError(recordFile, "its lock file " + lockFile.string() + " cannot be opened or created (" +
                                         std::strerror(errno) +
                                         "), so it cannot be kept from other programs while it is changed");
    }
    return fd;
}

// "name, process N" as the holder wrote it, when that process is still running.
std::string holderOf(int fd) {
    char text[256] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    if (got <= 0) {
        return {};
    }
    std::istringstream in(std::string(text, static_cast<std::size_t>(got)));
    long pid = 0;
    std::string name;
    if (!(in >> pid) || pid <= 0 || !(in >> name)) {
        return {};
    }
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
        return {};
    }
    return name + ", process " + std::to_string(pid);
}

void writeHolder(int fd) {
    const std::string text = std::to_string(::getpid()) + " " + program_invocation_short_name + "\n";
    if (::ftruncate(fd, 0) == 0) {
        // Only a help for the message of a program kept waiting: a failure changes nothing else.
        [[maybe_unused]] const ssize_t put = ::pwrite(fd, text.data(), text.size(), 0);
    }
}

}  // namespace

std::filesystem::path RecordLock::lockFileFor(const std::filesystem::path& recordFile) {
    std::error_code ec;
    std::filesystem::path target = std::filesystem::weakly_canonical(recordFile, ec);
    if (ec) {
        target = recordFile;
    }
    target += ".lock";
    return target;
}

RecordLock::RecordLock(const std::filesystem::path& recordFile, Mode mode, std::chrono::milliseconds wait)
    : m_fd(openLockFile(lockFileFor(recordFile), recordFile)), m_mode(mode) {
    const int operation = (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(m_fd, operation) != 0) {
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            const std::string holder = error == EWOULDBLOCK ? holderOf(m_fd) : std::string();
            ::close(m_fd);
            if (error != EWOULDBLOCK) {
                throw StoreError(recordFile,
                                 "it cannot be locked (" + std::string(std::strerror(error)) + ")");
            }
            throw StoreBusyError(recordFile, holder);
        }
        std::this_thread::sleep_for(kRetryInterval);
    }
    if (mode == Mode::Exclusive) {
        writeHolder(m_fd);
    }
}

RecordLock::~RecordLock() {
    if (m_mode == Mode::Exclusive) {
        // Cleared before the lock goes, so that no later waiter names a holder that has finished.
        [[maybe_unused]] const int cleared = ::ftruncate(m_fd, 0);
    }
    ::close(m_fd);
}

}  // namespace quandrelle
