#include <windows.h>

#include "LockFile.h"
#include "platform/windows/Wide.h"
#include "platform/Error.h"

namespace platform::process {

namespace {

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return ::GetFileInformationByHandle(a, &x) && ::GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

// The file is never removed; a lock on a file that someone removed or
// replaced meanwhile would lock nothing, so the lock is taken again on the
// new one. The handle is not inherited, so a viewer started meanwhile does
// not keep the lock.
LockHandle tryLock(const std::string& file) {
    const std::wstring path = windows::widePath(file);
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    for (;;) {
        HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        // A lock file that this user may only read still locks; when the
        // retry fails too, the first refusal is the one that says why.
        const DWORD openError = ::GetLastError();
        if (h == INVALID_HANDLE_VALUE && openError == ERROR_ACCESS_DENIED)
            h = ::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
        if (h == INVALID_HANDLE_VALUE)
            raiseAboutFile(ErrPathAccess, "RunLock", "Cannot open the lock file", file,
                           windows::errorMessage(openError));
        OVERLAPPED at{};
        if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            const DWORD error = ::GetLastError();
            ::CloseHandle(h);
            if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return NoLock;
            raiseAboutFile(ErrPathAccess, "RunLock", "Cannot lock the lock file", file, windows::errorMessage(error));
        }
        HANDLE named = ::CreateFileW(path.c_str(), 0, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        const bool same = named != INVALID_HANDLE_VALUE && sameFile(h, named);
        if (named != INVALID_HANDLE_VALUE) ::CloseHandle(named);
        if (same) return reinterpret_cast<LockHandle>(h);
        ::CloseHandle(h);
    }
}

// Closing the handle drops the lock.
void unlock(LockHandle handle) { ::CloseHandle(reinterpret_cast<HANDLE>(handle)); }

}  // namespace platform::process
