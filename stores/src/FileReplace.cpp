#include "quandrelle/stores/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace quandrelle {

namespace {

int writeFully(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return put < 0 ? errno : EIO;
        }
        done += static_cast<std::size_t>(put);
    }
    return 0;
}

std::filesystem::path replacementTarget(const std::filesystem::path& file) {
    std::error_code ec;
    auto target = std::filesystem::weakly_canonical(file, ec);
    return ec ? file : target;
}

}  // namespace

void syncFolderEntry(const std::filesystem::path& file) {
    const auto folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::error_code replaceFileContents(const std::filesystem::path& file, std::string_view bytes,
                                    unsigned mode) {
    const auto target = replacementTarget(file);
    const auto folder = target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    std::string hiddenName = ".";
    hiddenName += target.filename().string();
    hiddenName += ".XXXXXX";
    std::string temporary = (folder / hiddenName).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return {errno, std::generic_category()};
    }
    int error = ::fchmod(fd, static_cast<mode_t>(mode)) != 0 ? errno : 0;
    if (error == 0) {
        error = writeFully(fd, bytes);
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return {error, std::generic_category()};
    }
    syncFolderEntry(target);
    return {};
}

}  // namespace quandrelle
