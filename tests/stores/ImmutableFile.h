#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>

namespace quandrelle::testing {

// Marks a file immutable (as `chattr +i` does) for the life of the object, where the file system
// and the user's rights allow it.
class ImmutableFile {
public:
    explicit ImmutableFile(const std::filesystem::path& path) : m_fd(::open(path.c_str(), O_RDONLY)) {
        int flags = 0;
        m_set = m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                (flags |= FS_IMMUTABLE_FL, ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0);
    }
    ~ImmutableFile() {
        int flags = 0;
        if (m_set && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    ImmutableFile(const ImmutableFile&) = delete;
    ImmutableFile& operator=(const ImmutableFile&) = delete;
    bool set() const { return m_set; }

private:
    int m_fd;
    bool m_set = false;
};

}  // namespace quandrelle::testing
