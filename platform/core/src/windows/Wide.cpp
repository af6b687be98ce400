#include "platform/windows/Wide.h"

#include <cerrno>
#include <windows.h>

namespace platform::windows {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    // Bytes that are no UTF-8 (a name from a Western system's file) are taken
    // as Windows-1252, so that no name is lost on the way.
    if (n <= 0) {
        const int m = ::MultiByteToWideChar(1252, 0, utf8.data(), int(utf8.size()), nullptr, 0);
        std::wstring text(std::size_t(m > 0 ? m : 0), L'\0');
        if (m > 0) ::MultiByteToWideChar(1252, 0, utf8.data(), int(utf8.size()), text.data(), m);
        return text;
    }
    std::wstring text(std::size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), n);
    return text;
}

std::string utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(n > 0 ? n : 0), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

std::wstring widePath(std::string_view nativePath) {
    std::wstring path = wide(nativePath);
    const bool full = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
    if (full && path.size() >= MAX_PATH) path = L"\\\\?\\" + path;
    return path;
}

std::string errorMessage(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD n =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = n && text ? utf8(std::wstring_view(text, n)) : std::string();
    if (text) ::LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    if (message.empty()) message = "Windows error " + std::to_string(error);
    return message;
}

int errnoOf(unsigned long error) {
    switch (error) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENOENT;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_CANT_ACCESS_FILE: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER: return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION: return EPERM;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    default: return EIO;
    }
}

int lastError() {
    const int error = errnoOf(::GetLastError());
    errno = error ? error : EIO;
    return errno;
}

std::int64_t epochNs(const FILETIME& time) {
    const std::int64_t ticks = (std::int64_t(time.dwHighDateTime) << 32) | std::int64_t(time.dwLowDateTime);
    return (ticks - 116444736000000000LL) * 100;
}

}  // namespace platform::windows
