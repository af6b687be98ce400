#include "pdfauto/Viewer.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace pdfauto {

namespace {

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}

}  // namespace

std::string findViewerLauncher() {
    const char* path = std::getenv("PATH");
    if (!path) return {};
    std::string_view rest(path);
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        std::string folder(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (folder.empty()) continue;  // the current folder is no place to look for a program
        const std::string candidate = folder + "/xdg-open";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

bool showInViewer(const std::string& nativePath) noexcept {
    // Never raises: showing the sheet is a courtesy, the sheet is saved either way.
    try {
        if (nativePath.empty() || !hasDisplay()) return false;
        const std::string launcher = findViewerLauncher();
        if (launcher.empty()) return false;

        // Everything the children need is prepared before fork: after it only
        // async-signal-safe calls are allowed in a threaded process.
        char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(nativePath.c_str()), nullptr};
        const pid_t child = ::fork();
        if (child < 0) return false;
        if (child == 0) {
            ::setsid();
            const pid_t grandchild = ::fork();
            if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
            const int null = ::open("/dev/null", O_RDWR);
            if (null >= 0) {
                ::dup2(null, 0);
                ::dup2(null, 1);
                ::dup2(null, 2);
                if (null > 2) ::close(null);
            }
            ::close_range(3, ~0U, 0);  // the viewer gets none of our files
            ::execv(launcher.c_str(), argv);
            ::_exit(127);
        }
        // The middle process exits at once; reaping it is all the waiting done here.
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    } catch (...) {
        return false;
    }
}

}  // namespace pdfauto
