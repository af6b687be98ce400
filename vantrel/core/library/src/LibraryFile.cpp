#include "LibraryFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

#include "library/SetupLibrary.h"
#include "platform/Files.h"

namespace vantrel::library {

// What the first bytes say about a file that is there, before SQLite may touch
// it: opening a database can replay or checkpoint its journal, which would
// change another application's file. Answers the empty text for a library.
std::string headerProblem(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "it cannot be read (" + platform::files::systemMessage(errno) + ")";
    unsigned char header[100];
    std::size_t got = 0;
    while (got < sizeof header) {
        const ssize_t n = ::read(fd, header + got, sizeof header - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += std::size_t(n);
    }
    ::close(fd);
    if (got == 0) return "it is empty, not a setup library";
    if (got < sizeof header || std::memcmp(header, "SQLite format 3", 16) != 0)
        return "it is not an SQLite database (damaged, or a file of another kind)";
    const std::uint32_t id = (std::uint32_t(header[68]) << 24) | (std::uint32_t(header[69]) << 16) |
                             (std::uint32_t(header[70]) << 8) | std::uint32_t(header[71]);
    if (id != std::uint32_t(SetupLibrary::ApplicationId))
        return "it is an SQLite database of another application, not a setup library";
    return {};
}

namespace {

std::function<int(const std::string&, const std::string&)> g_hardLink;

int hardLink(const std::string& from, const std::string& to) {
    return g_hardLink ? g_hardLink(from, to) : ::link(from.c_str(), to.c_str());
}

// Copies the finished file to a name that must not exist yet, for a file
// system without hard links (FAT, exFAT, some network shares). Answers the
// errno of the failure, EEXIST when a file got there first, or 0; a copy
// begun and not finished is removed again.
int copyToNewName(const std::string& from, const std::string& to) {
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) return errno;
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    int error = in < 0 ? errno : 0;
    char buffer[1 << 16];
    while (!error) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        if (!platform::files::writeAll(out, std::string_view(buffer, std::size_t(n)))) error = errno ? errno : EIO;
    }
    if (in >= 0) ::close(in);
    if (!error && ::fsync(out) != 0) error = errno;
    if (::close(out) != 0 && !error) error = errno;
    if (error) ::unlink(to.c_str());
    return error;
}

}  // namespace

int publishNewFile(const std::string& from, const std::string& to) {
    const int error = hardLink(from, to) == 0 ? 0 : errno;
    return error && error != EEXIST ? copyToNewName(from, to) : error;
}

void setHardLinkForTesting(std::function<int(const std::string& from, const std::string& to)> link) {
    g_hardLink = std::move(link);
}

}  // namespace vantrel::library
