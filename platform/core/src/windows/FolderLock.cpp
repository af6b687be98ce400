#include "platform/FolderLock.h"

#include <windows.h>

#include "platform/windows/Wide.h"

namespace platform::files {

// Windows locks no folder: a named mutex of the folder's full path, in
// capitals (names fold case), stands for it. The system releases it with a
// process that ends while holding it.
FolderLock::FolderLock(const std::string& nativeFolder) {
    std::wstring full(32768, L'\0');
    const DWORD n =
        ::GetFullPathNameW(windows::widePath(nativeFolder).c_str(), DWORD(full.size()), full.data(), nullptr);
    full.resize(n > 0 && n < full.size() ? n : 0);
    for (wchar_t& c : full) c = c == L'\\' ? L'/' : wchar_t(::towupper(c));
    const std::wstring name = L"Local\\Vantrel.FolderLock." + full.substr(0, 200);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex) return;
    const DWORD waited = ::WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        ::CloseHandle(mutex);
        return;
    }
    m_handle = reinterpret_cast<std::intptr_t>(mutex);
}

FolderLock::~FolderLock() {
    if (m_handle == -1) return;
    ::ReleaseMutex(reinterpret_cast<HANDLE>(m_handle));
    ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

}  // namespace platform::files
