#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "LockFile.h"
#include "platform/Error.h"
#include "platform/Files.h"

namespace platform::process {

// The file
// is never removed; a lock on a file that someone removed or replaced
// meanwhile would lock nothing, so the lock is taken again on the new one.
LockHandle tryLock(const std::string& file) {
    for (;;) {
        int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        // A lock file that this user may only read still locks; when the
        // retry fails too, the first refusal is the one that says why.
        const int openError = errno;
        if (fd < 0 && openError == EACCES) fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            raiseAboutFile(ErrPathAccess, "RunLock", "Cannot open the lock file", file,
                           files::systemMessage(openError));
        int locked;
        do locked = ::flock(fd, LOCK_EX | LOCK_NB);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) return NoLock;
            raiseAboutFile(ErrPathAccess, "RunLock", "Cannot lock the lock file", file, files::systemMessage(error));
        }
        struct stat opened {
        }, named{};
        if (::fstat(fd, &opened) == 0 && ::stat(file.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
            opened.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
}

// Closing the descriptor drops the lock.
void unlock(LockHandle handle) { ::close(int(handle)); }

}  // namespace platform::process
