#pragma once
// The program folder's run lock held as another process holds it: on an
// open descriptor of its own, so the code under test has to wait for it.
// For suites that link vantrel_batch.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "Installation.h"
#include "platform/Process.h"

namespace testsupport {

class OtherRunLock {
public:
    // The lock file of the installation in the program folder.
    static std::string lockFile() {
        return vantrel::Installation::read(platform::process::programFolder()).runLockFile();
    }

    OtherRunLock() : m_fd(::open(lockFile().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) release();
    }
    ~OtherRunLock() { release(); }
    OtherRunLock(const OtherRunLock&) = delete;
    OtherRunLock& operator=(const OtherRunLock&) = delete;

    bool held() const { return m_fd >= 0; }
    void release() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

    // Whether anyone holds the lock now (a look that takes it for no time).
    static bool isTaken() {
        const int fd = ::open(lockFile().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool taken = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return taken;
    }

private:
    int m_fd;
};

}  // namespace testsupport
