#include "platform/FileFacts.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ProcessId.h"

namespace platform::files {

namespace {

int failure() { return errno ? errno : EIO; }

int answer(int rc) { return rc == 0 ? 0 : failure(); }

}  // namespace

FileFacts factsOf(const std::string& nativePath, Links links) {
    FileFacts facts;
    struct stat st {};
    const int rc = links == Links::Refused ? ::lstat(nativePath.c_str(), &st) : ::stat(nativePath.c_str(), &st);
    if (rc != 0) {
        facts.error = failure();
        return facts;
    }
    facts.kind = S_ISLNK(st.st_mode)   ? FileKind::Link
                 : S_ISDIR(st.st_mode) ? FileKind::Folder
                 : S_ISREG(st.st_mode) ? FileKind::Regular
                                       : FileKind::Other;
    facts.size = std::int64_t(st.st_size);
    facts.mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    facts.identity = {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
    return facts;
}

int listAccessError(const std::string& nativeFolder) { return answer(::access(nativeFolder.c_str(), R_OK | X_OK)); }

int readAccessError(const std::string& nativePath) { return answer(::access(nativePath.c_str(), R_OK)); }

bool opensForReading(const std::string& nativePath) {
    struct stat st {};
    if (::stat(nativePath.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

int makeFolder(const std::string& nativeFolder) { return answer(::mkdir(nativeFolder.c_str(), 0777)); }

int removeFile(const std::string& nativePath) { return answer(::unlink(nativePath.c_str())); }

int renameReplacing(const std::string& from, const std::string& to) {
    return answer(::rename(from.c_str(), to.c_str()));
}

int hardLink(const std::string& from, const std::string& to) { return answer(::link(from.c_str(), to.c_str())); }

int createUniqueFile(std::string& nativeNameTemplate) {
    const int fd = ::mkstemp(nativeNameTemplate.data());
    if (fd < 0) return failure();
    // mkstemp makes the file for its owner alone; a library is the racer's file like any other.
    if (::fchmod(fd, newFileMode()) != 0) {
        const int error = failure();
        ::close(fd);
        ::unlink(nativeNameTemplate.c_str());
        errno = error;
        return error;
    }
    ::close(fd);
    return 0;
}

long long readSome(int fd, void* buffer, std::size_t size) { return ::read(fd, buffer, size); }

int closeFile(int fd) { return answer(::close(fd)); }

std::string appendToRegularFile(const std::string& nativePath, std::string_view bytes) {
    int fd;
    do {
        fd = ::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return systemMessage(errno);
    std::string reason;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) reason = "it is not a regular file";
    else if (!writeAll(fd, bytes)) reason = systemMessage(errno);
    if (::close(fd) != 0 && reason.empty()) reason = systemMessage(errno);
    return reason;
}

}  // namespace platform::files

namespace platform::process {

std::uint64_t processId() { return std::uint64_t(::getpid()); }

}  // namespace platform::process
