#include "quandrelle/stores/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "quandrelle/stores/StoreError.h"

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

bool isOccupied(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::symlink_status(file, error).type() != std::filesystem::file_type::not_found;
}

void copyWithoutReplacing(const std::filesystem::path& source, const std::filesystem::path& destination,
                          const std::string& what) {
    namespace fs = std::filesystem;
    std::string pattern = destination.string() + ".XXXXXX";
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) {
        throw StoreError(destination, what + " cannot be copied there: " + std::strerror(errno));
    }
    ::close(descriptor);
    const fs::path partial = pattern;
    std::error_code error;
    fs::copy_file(source, partial, fs::copy_options::overwrite_existing, error);
    if (!error) {
        fs::permissions(
            partial,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
            error);
    }
    if (!error && ::link(partial.c_str(), destination.c_str()) != 0 && errno != EEXIST) {
        error = std::error_code(errno, std::generic_category());
    }
    std::error_code ignored;
    fs::remove(partial, ignored);
    if (error) {
        throw StoreError(destination,
                         what + " " + source.string() + " cannot be copied there: " + error.message());
    }
}

}  // namespace quandrelle
