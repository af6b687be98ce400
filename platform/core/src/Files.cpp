#include "platform/Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files {

namespace {

// Permissions for a file we create: what the process's umask allows.
mode_t defaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string systemMessage(int error) { return std::strerror(error); }

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

std::string replaceAtomically(const std::string& nativePath, const std::function<std::string(int fd)>& write) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(nativePath);
    if (fs::is_symlink(target, ec)) {
        target = fs::weakly_canonical(target, ec);
        if (ec) return ec.message();
    }
    if (!target.has_filename()) return "no file name";
    mode_t mode = defaultFileMode();
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return "it is a folder";
        mode = st.st_mode & 07777;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return systemMessage(errno);

    std::string error;
    try {
        error = write(fd);
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "the new content could not be written";
    }
    if (error.empty() && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)) error = systemMessage(errno);
    if (::close(fd) != 0 && error.empty()) error = systemMessage(errno);
    if (error.empty() && ::rename(temp.c_str(), target.c_str()) != 0) error = systemMessage(errno);
    if (!error.empty()) {
        ::unlink(temp.c_str());
        return error;
    }
    // Make the rename itself durable; a failure here no longer endangers the data.
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

}  // namespace platform::files
