#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform::files {

// flock on the folder itself: no lock file is left in it.
FolderLock::FolderLock(const std::string& nativeFolder) {
    const int fd = ::open(nativeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) ::flock(fd, LOCK_EX);
    m_handle = fd;
}

FolderLock::~FolderLock() {
    if (m_handle >= 0) ::close(int(m_handle));  // closing releases the lock
}

}  // namespace platform::files
