#include "SystemFiles.h"

#include <io.h>
#include <string_view>
#include <windows.h>

#include "platform/windows/Wide.h"

namespace pdfauto {

using platform::windows::wide;

std::optional<FileIdentity> identityOf(const std::string& nativePath) {
    HANDLE h = ::CreateFileW(wide(nativePath).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(h, &info);
    ::CloseHandle(h);
    if (!known) return std::nullopt;
    const auto ticks = (ULONGLONG(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    return FileIdentity{info.dwVolumeSerialNumber, (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                        static_cast<long long>((ULONGLONG(info.nFileSizeHigh) << 32) | info.nFileSizeLow),
                        static_cast<long long>(ticks / 10000000ULL), static_cast<long long>(ticks % 10000000ULL * 100)};
}

std::size_t readHead(int fd, char* into, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const int n = ::_read(fd, into + got, unsigned(size - got));
        if (n <= 0) break;
        got += std::size_t(n);
    }
    return got;
}

void closeFile(int fd) { ::_close(fd); }

// "C:\..." or a share, "\\server\share\...".
bool isFullPath(const std::string& nativePath) {
    const bool drive = nativePath.size() > 2 && nativePath[1] == ':' && nativePath[2] == '\\';
    return drive || nativePath.starts_with("\\\\");
}

}  // namespace pdfauto
