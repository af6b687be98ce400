#include "FileOpens.h"

#include <sys/inotify.h>
#include <unistd.h>

namespace testsupport {

FileOpens::FileOpens(const std::filesystem::path& file) {
    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Closes too: two opens in a row would read as one event.
    if (m_watch >= 0 && ::inotify_add_watch(m_watch, file.c_str(), IN_OPEN | IN_CLOSE) < 0) {
        ::close(m_watch);
        m_watch = -1;
    }
}

FileOpens::~FileOpens() {
    if (m_watch >= 0) ::close(m_watch);
}

int FileOpens::opens() {
    if (m_watch < 0) return -1;
    alignas(inotify_event) char events[4096];
    int opens = 0;
    for (ssize_t n; (n = ::read(m_watch, events, sizeof events)) > 0;)
        for (ssize_t at = 0; at < n;
             at += ssize_t(sizeof(inotify_event)) + ssize_t(reinterpret_cast<inotify_event*>(events + at)->len))
            opens += (reinterpret_cast<inotify_event*>(events + at)->mask & IN_OPEN) != 0;
    return opens;
}

}  // namespace testsupport
