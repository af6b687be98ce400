#include "platform/RunLock.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Process.h"

namespace platform::process {

namespace {

// A waiting run looks again this often: well inside the pause a batch run
// makes between its sheets, so a window's click gets its turn.
constexpr std::chrono::milliseconds kPollInterval{5};

// The locks this process holds: lock file -> descriptor, holding thread and
// depth of nesting on that thread.
struct Held {
    int fd = -1;
    std::thread::id owner;
    int depth = 0;
};
std::mutex g_heldMutex;
std::map<std::string, Held> g_held;

// The descriptor that holds the lock, or -1 while another holds it. The file
// is never removed; a lock on a file that someone removed or replaced
// meanwhile would lock nothing, so the lock is taken again on the new one.
int tryLock(const std::string& file) {
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
            if (error == EWOULDBLOCK) return -1;
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

}  // namespace

RunLock::RunLock(std::string lockFile) : m_file(std::move(lockFile)) {
    {
        const std::lock_guard<std::mutex> guard(g_heldMutex);
        const auto held = g_held.find(m_file);
        if (held != g_held.end() && held->second.owner == std::this_thread::get_id()) {
            ++held->second.depth;
            return;
        }
    }
    const auto deadline = monotonicNow() + waitTime;
    for (;;) {
        const int fd = tryLock(m_file);
        if (fd >= 0) {
            const std::lock_guard<std::mutex> guard(g_heldMutex);
            g_held[m_file] = Held{fd, std::this_thread::get_id(), 1};
            return;
        }
        if (monotonicNow() >= deadline)
            raise(ErrPathAccess, "RunLock",
                  "Another setup sheet is being built in the program folder " + programFolder() +
                      "; try again when it is finished");
        std::this_thread::sleep_for(kPollInterval);
    }
}

RunLock::~RunLock() {
    const std::lock_guard<std::mutex> guard(g_heldMutex);
    const auto held = g_held.find(m_file);
    if (held == g_held.end() || --held->second.depth > 0) return;
    ::close(held->second.fd);  // drops the lock
    g_held.erase(held);
}

}  // namespace platform::process
