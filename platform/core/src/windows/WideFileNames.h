#pragma once
// Native names cross into the wide-character file functions here: UTF-8 in
// the program, UTF-16 at the system. System errors come back as the errno
// values the rest of the platform layer answers with.

#include <windows.h>

#include <cerrno>
#include <string>

namespace platform::files::windows {

inline std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), length);
    return out;
}

inline std::string narrow(const wchar_t* utf16, std::size_t size) {
    if (size == 0) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16, int(size), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, utf16, int(size), out.data(), length, nullptr, nullptr);
    return out;
}

inline int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENOENT;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_LOCK_VIOLATION:
    case ERROR_CANT_ACCESS_FILE: return EACCES;
    case ERROR_SHARING_VIOLATION: return EBUSY;
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

// The errno of the last failed call, set in errno as well.
inline int lastError() {
    const int error = errnoOf(GetLastError());
    errno = error ? error : EIO;
    return errno;
}

// Nanoseconds since the epoch of a file time (100 ns steps since 1601).
inline std::int64_t epochNs(const FILETIME& time) {
    const std::int64_t ticks = (std::int64_t(time.dwHighDateTime) << 32) | std::int64_t(time.dwLowDateTime);
    return (ticks - 116444736000000000LL) * 100;
}

}  // namespace platform::files::windows
