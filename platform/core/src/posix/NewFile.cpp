#include "platform/NewFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.h"

namespace platform::files {

namespace fs = std::filesystem;

namespace {

std::string folderOf(const std::string& path) {
    const fs::path p(path);
    return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

// Writes and syncs all of bytes; answers 0 or the errno of the failure.
int fill(int fd, std::string_view bytes) {
    if (!writeAll(fd, bytes)) return errno ? errno : EIO;
    if (::fsync(fd) != 0) return errno;
    return 0;
}

// Failures that another way of naming the file would meet as well.
bool final(int error) {
    return error == EEXIST || error == ENOENT || error == ENOTDIR || error == ENOSPC || error == EDQUOT ||
           error == EROFS || error == EACCES || error == EIO || error == ENAMETOOLONG;
}

// The unnamed file: nothing of it is left should the process die before the
// link. Answers -1 where the file system or the system has no such files (or
// no /proc to name one by), so that the caller takes another way.
int writeUnnamed(const std::string& to, std::string_view bytes) {
    const int fd = ::open(folderOf(to).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return final(errno) ? errno : -1;
    int error = fill(fd, bytes);
    if (!error) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) != 0)
            error = final(errno) ? errno : -1;
    }
    ::close(fd);
    return error;
}

}  // namespace

int copyToNewName(const std::string& from, const std::string& to) {
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (out < 0) return errno;
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    int error = in < 0 ? errno : 0;
    char buffer[1 << 16];
    while (!error) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        if (!writeAll(out, std::string_view(buffer, std::size_t(n)))) error = errno ? errno : EIO;
    }
    if (in >= 0) ::close(in);
    if (!error && ::fsync(out) != 0) error = errno;
    if (::close(out) != 0 && !error) error = errno;
    if (error) ::unlink(to.c_str());
    return error;
}

int moveToNewName(const std::string& from, const std::string& to) {
    int error = ::link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (!error || final(error)) {
        if (!error) {
            ::unlink(from.c_str());
            syncFolder(folderOf(to));
        }
        return error;
    }
    if (error == EXDEV) {
        std::string bytes;
        const UserFile read = readUserFile(from, bytes, NoSizeLimit);
        if (read.status != OpenStatus::Opened) return read.status == OpenStatus::Missing ? ENOENT : EIO;
        error = writeNewFile(to, bytes);
        if (!error) ::unlink(from.c_str());
        return error;
    }
    // No hard links here (FAT, exFAT, some network shares).
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        syncFolder(folderOf(to));
        return 0;
    }
    error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return error;
    error = copyToNewName(from, to);
    if (!error) ::unlink(from.c_str());
    return error;
}

int writeNewFile(const std::string& to, std::string_view bytes) {
    if (const int error = writeUnnamed(to, bytes); error >= 0) {
        if (!error) syncFolder(folderOf(to));
        return error;
    }
    const fs::path target(to);
    std::string temp = (fs::path(folderOf(to)) / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return errno;
    int error = ::fchmod(fd, newFileMode()) == 0 ? fill(fd, bytes) : errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error) error = moveToNewName(temp, to);
    ::unlink(temp.c_str());
    return error;
}

void syncFolder(const std::string& folder) {
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace platform::files
