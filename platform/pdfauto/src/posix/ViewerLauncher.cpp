#include "pdfauto/Viewer.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace pdfauto {

namespace {

// How long a launcher is watched before it counts as having shown the file:
// xdg-open hands over and ends at once on most desktops, or runs on as the
// viewer itself where it opens the file in one.
constexpr int kLauncherWaitMs = 1500;
constexpr unsigned char kLauncherRunning = 255;
constexpr unsigned char kLauncherFailed = 254;

// Why the launcher's outcome shows nothing; empty when it shows the file.
std::string launcherFailure(unsigned char outcome) {
    switch (outcome) {
    case 0:
    case kLauncherRunning: return {};
    case 2: return "xdg-open cannot find the file";
    case 3: return "no application to open it was found (xdg-open: no method available)";
    case 4: return "the application to open it failed (xdg-open: action failed)";
    case 127: return "xdg-open could not be started";
    case kLauncherFailed: return "xdg-open ended abnormally";
    default: return "xdg-open ended with status " + std::to_string(outcome);
    }
}

}  // namespace

bool hasDisplay() noexcept {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}

std::string unshownReason() {
    if (!hasDisplay()) return "no display";
    if (findViewerLauncher().empty()) return "no xdg-open: install the package xdg-utils";
    return "xdg-open found none for it";
}

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

std::string launchViewer(const std::string& nativePath) noexcept {
    // Never raises: showing the sheet is a courtesy, the sheet is saved either way.
    try {
        if (nativePath.empty()) return "nothing to show";
        // xdg-open would read a name beginning with '-' as an option: it gets
        // a full path, a relative one taken from the current folder as meant.
        std::error_code failed;
        const std::string path =
            nativePath.front() == '/' ? nativePath : std::filesystem::absolute(nativePath, failed).string();
        if (failed || path.empty() || path.front() != '/') return "it is not named by a full path";
        if (!hasDisplay()) return "no display";
        const std::string launcher = findViewerLauncher();
        if (launcher.empty()) return "no xdg-open: install the package xdg-utils";

        // Everything the children need is prepared before fork: after it only
        // async-signal-safe calls are allowed in a threaded process.
        char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(path.c_str()), nullptr};
        int report[2];
        if (::pipe2(report, O_CLOEXEC) != 0) return "xdg-open could not be started";
        const pid_t child = ::fork();
        if (child < 0) {
            ::close(report[0]);
            ::close(report[1]);
            return "xdg-open could not be started";
        }
        if (child == 0) {
            // The middle process: starts the launcher in a session of its own,
            // watches it for a moment and says how it went. A launcher still
            // running then has handed the file to a viewer that stays open.
            ::setsid();
            const pid_t launcherPid = ::fork();
            if (launcherPid == 0) {
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
            unsigned char outcome = kLauncherFailed;
            if (launcherPid > 0) {
                outcome = kLauncherRunning;
                for (int waited = 0; waited < kLauncherWaitMs; waited += 20) {
                    int status = 0;
                    const pid_t done = ::waitpid(launcherPid, &status, WNOHANG);
                    if (done == launcherPid) {
                        outcome = WIFEXITED(status) ? static_cast<unsigned char>(WEXITSTATUS(status)) : kLauncherFailed;
                        break;
                    }
                    if (done < 0 && errno != EINTR) break;
                    ::poll(nullptr, 0, 20);
                }
            }
            while (::write(report[1], &outcome, 1) < 0 && errno == EINTR) {
            }
            ::_exit(0);
        }
        ::close(report[1]);
        unsigned char outcome = kLauncherFailed;
        ssize_t got = 0;
        while ((got = ::read(report[0], &outcome, 1)) < 0 && errno == EINTR) {
        }
        ::close(report[0]);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (got != 1) return "xdg-open could not be started";
        return launcherFailure(outcome);
    } catch (...) {
        return "xdg-open could not be started";
    }
}

}  // namespace pdfauto
