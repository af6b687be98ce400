#include "SystemFiles.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace pdfauto {

std::optional<FileIdentity> identityOf(const std::string& nativePath) {
    struct stat st {};
    if (::stat(nativePath.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                        static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                        static_cast<long long>(st.st_mtim.tv_nsec)};
}

std::size_t readHead(int fd, char* into, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, into + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += std::size_t(n);
    }
    return got;
}

void closeFile(int fd) { ::close(fd); }

bool isFullPath(const std::string& nativePath) { return !nativePath.empty() && nativePath.front() == '/'; }

}  // namespace pdfauto
