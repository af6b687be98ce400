#include "platform/Files.h"

#include "FileKinds.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files {

mode_t newFileMode() {
    // Read from /proc rather than set and restored with umask(): that would
    // change the mask of every thread of the process for a moment.
    mode_t mask = 022;
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (unsigned value = 0; std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = mode_t(value) & 0777;
                break;
            }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

std::string systemMessage(int error) { return std::strerror(error); }

namespace {

std::string sizeText(std::uint64_t bytes) {
    constexpr std::uint64_t MiB = 1024 * 1024;
    if (bytes % MiB == 0) return std::to_string(bytes / MiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

// Why a file of this kind and size is no file to read; empty when it is one.
std::string refusal(const struct stat& st, std::uint64_t maxBytes) {
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    if (S_ISFIFO(st.st_mode)) return "it is a named pipe";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "it is a device";
    if (S_ISSOCK(st.st_mode)) return "it is a socket";
    if (!S_ISREG(st.st_mode)) return "it is not a regular file";
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > maxBytes) return "it is larger than " + sizeText(maxBytes) + " (" + std::to_string(size) + " bytes)";
    return {};
}

UserFile refused(std::string reason) { return {OpenStatus::Refused, -1, std::move(reason)}; }

UserFile failed(int error) {
    if (error == ENOENT) return {OpenStatus::Missing, -1, {}};
    return {OpenStatus::Failed, -1, systemMessage(error)};
}

}  // namespace

bool isReplaceable(const std::string& nativePath) {
    struct stat st {};
    return ::stat(nativePath.c_str(), &st) != 0 || (S_ISREG(st.st_mode) && ::access(nativePath.c_str(), W_OK) == 0);
}

std::string refusalReason(const std::string& nativePath, std::uint64_t maxBytes) {
    struct stat st {};
    if (::stat(nativePath.c_str(), &st) != 0) return {};
    return refusal(st, maxBytes);
}

UserFile openUserFile(const std::string& nativePath, std::uint64_t maxBytes, Links links) {
    struct stat st {};
    const bool follow = links == Links::Followed;
    if ((follow ? ::stat(nativePath.c_str(), &st) : ::lstat(nativePath.c_str(), &st)) != 0) return failed(errno);
    if (!follow && S_ISLNK(st.st_mode)) return refused("it is a symbolic link");
    if (std::string reason = refusal(st, maxBytes); !reason.empty()) return refused(std::move(reason));
    // O_NONBLOCK: should a pipe take the file's place after the check, the
    // open returns at once instead of waiting for a writer; O_NOFOLLOW: a
    // link put there meanwhile fails the open instead of being followed.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (follow ? 0 : O_NOFOLLOW);
    int fd;
    do {
        fd = ::open(nativePath.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && !follow && errno == ELOOP) return refused("it is a symbolic link");
    if (fd < 0) return failed(errno);
    std::string reason;
    if (::fstat(fd, &st) != 0) reason = systemMessage(errno);
    else reason = refusal(st, maxBytes);
    if (!reason.empty()) {
        ::close(fd);
        return refused(std::move(reason));
    }
    // Reads of a regular file never wait; back to ordinary reads all the same.
    if (const int now = ::fcntl(fd, F_GETFL); now >= 0) ::fcntl(fd, F_SETFL, now & ~O_NONBLOCK);
    UserFile file{OpenStatus::Opened, fd, {}};
    file.size = std::int64_t(st.st_size);
    file.mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return file;
}

UserFile readUserFile(const std::string& nativePath, std::string& bytes, std::uint64_t maxBytes, Links links) {
    bytes.clear();
    UserFile file = openUserFile(nativePath, maxBytes, links);
    if (file.status != OpenStatus::Opened) return file;
    bytes.reserve(std::size_t(std::min<std::uint64_t>(std::uint64_t(file.size), maxBytes)));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            file.status = OpenStatus::Failed;
            file.reason = systemMessage(errno);
            break;
        }
        bytes.append(buffer, std::size_t(got));
        if (bytes.size() > maxBytes) {
            file.status = OpenStatus::Refused;
            file.reason = "it is larger than " + sizeText(maxBytes);
            break;
        }
    }
    // As the descriptor stands after the read: a file written meanwhile shows it.
    if (struct stat after{}; file.status == OpenStatus::Opened && ::fstat(file.fd, &after) == 0) {
        file.size = std::int64_t(after.st_size);
        file.mtimeNs = std::int64_t(after.st_mtim.tv_sec) * 1000000000 + after.st_mtim.tv_nsec;
    }
    ::close(file.fd);
    file.fd = -1;
    if (file.status != OpenStatus::Opened) bytes.clear();
    return file;
}

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += std::size_t(put);
    }
    return true;
}

namespace {

// Where replaceAtomically writes: through a link to the file it names.
std::filesystem::path replacedFile(const std::string& nativePath, std::error_code& ec) {
    std::filesystem::path target(nativePath);
    if (std::filesystem::is_symlink(target, ec)) return std::filesystem::weakly_canonical(target, ec);
    ec.clear();
    return target;
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

// The temporary's name: "." and the target's name, then mkstemp's six letters and digits.
std::string temporaryPrefix(const std::filesystem::path& target) { return "." + target.filename().string() + "."; }

bool isTemporaryName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) return false;
    return std::all_of(name.begin() + std::ptrdiff_t(prefix.size()), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

}  // namespace

std::size_t removeLeftTemporaries(const std::string& nativePath, std::int64_t changedBefore) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = replacedFile(nativePath, ec);
    if (ec || !target.has_filename()) return 0;
    const std::string prefix = temporaryPrefix(target);
    const fs::path folder = folderOf(target);
    std::size_t removed = 0;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isTemporaryName(name, prefix)) continue;
        const std::string path = it->path().string();
        // Opened without following a link or blocking on a pipe put there, and judged on the descriptor.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {
        }, now{};
        // A writer still at work holds its lock; a killed one lost it with its process.
        const bool left = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                          std::int64_t(st.st_mtim.tv_sec) < changedBefore && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        // The name must still be that file when it goes.
        if (left && ::lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino &&
            ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

namespace {

// replaceAtomically's work: the empty text, or why it failed.
std::string replace(const std::string& nativePath, const std::function<std::string(int fd)>& write,
                    Durability durability) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = replacedFile(nativePath, ec);
    if (ec) return ec.message();
    if (!target.has_filename()) return "no file name";
    mode_t mode = newFileMode();
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return "it is a folder";
        mode = st.st_mode & 07777;
    }
    const fs::path folder = folderOf(target);
    std::string temp = (folder / (temporaryPrefix(target) + "XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return systemMessage(errno);
    // Held until the descriptor closes, so removeLeftTemporaries passes over a temporary in the making.
    ::flock(fd, LOCK_EX | LOCK_NB);

    std::string error;
    try {
        error = write(fd);
    } catch (const std::exception& e) {
        // A write that raised has failed, even when it says nothing: the file must not take its half.
        error = *e.what() ? e.what() : "the new content could not be written";
    } catch (...) {
        error = "the new content could not be written";
    }
    const bool sync = durability == Durability::Synced;
    if (error.empty() && (::fchmod(fd, mode) != 0 || (sync && ::fsync(fd) != 0))) error = systemMessage(errno);
    if (::close(fd) != 0 && error.empty()) error = systemMessage(errno);
    if (error.empty() && ::rename(temp.c_str(), target.c_str()) != 0) error = systemMessage(errno);
    if (!error.empty()) {
        ::unlink(temp.c_str());
        return error;
    }
    // Make the rename itself durable; a failure here no longer endangers the data.
    if (!sync) return {};
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

}  // namespace

std::optional<Error> replaceAtomically(const std::string& nativePath, const std::function<std::string(int fd)>& write,
                                       Durability durability) {
    std::string reason = replace(nativePath, write, durability);
    if (reason.empty()) return std::nullopt;
    return Error::aboutFile(ErrPathAccess, "replaceAtomically", "Cannot write", nativePath, std::move(reason));
}

}  // namespace platform::files
