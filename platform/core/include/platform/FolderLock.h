#pragma once
// One process at a time in a folder's read-modify-write (the registry file's
// registrations, which builds run several at once). Waits for the holder;
// dropped when the object goes or the process ends, however it ends. A
// folder that cannot be locked is not waited for.

#include <cstdint>
#include <string>

namespace platform::files {

class FolderLock {
public:
    explicit FolderLock(const std::string& nativeFolder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    std::intptr_t m_handle = -1;
};

}  // namespace platform::files
