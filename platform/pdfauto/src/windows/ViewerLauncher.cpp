#include "pdfauto/Viewer.h"

#include <string_view>
#include <windows.h>

#include "platform/windows/Wide.h"

#include <shellapi.h>

namespace pdfauto {

namespace {

using platform::windows::wide;

bool isFullPath(const std::string& path) {
    return (path.size() > 2 && path[1] == ':' && path[2] == '\\') || path.starts_with("\\\\");
}

// Why ShellExecuteW's answer (above 32 when the file was handed over) shows nothing.
std::string shellFailure(INT_PTR answer) {
    switch (answer) {
    case 0:
    case SE_ERR_OOM: return "Windows has no memory left to start the viewer";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "Windows cannot find the file";
    case SE_ERR_ACCESSDENIED: return "Windows refused to open it (access denied)";
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE: return "no application to open it was found (no program is set for PDF files)";
    case SE_ERR_DDEBUSY:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDETIMEOUT: return "the application to open it failed";
    default: return "the viewer could not be started (ShellExecuteW: " + std::to_string(answer) + ")";
    }
}

}  // namespace

// Windows always has a desktop for a program a user started; a service's
// invisible window station has none.
bool hasDisplay() noexcept {
    USEROBJECTFLAGS flags{};
    HWINSTA station = ::GetProcessWindowStation();
    if (!station || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

// The shell opens files itself: there is no launcher program to look for.
std::string findViewerLauncher() { return "ShellExecuteW"; }

// The shell says no more than that it started nothing: most often no program
// is set for the type.
std::string unshownReason() {
    if (!hasDisplay()) return "no display";
    return "Windows started no program for PDF files";
}

std::string launchViewer(const std::string& nativePath) noexcept {
    // Never raises: showing the sheet is a courtesy, the sheet is saved either way.
    try {
        if (nativePath.empty()) return "nothing to show";
        if (!isFullPath(nativePath)) return "it is not named by a full path";
        if (!hasDisplay()) return "no display";
        // The default application of the file's type, as a double click in
        // Explorer; it gets none of our handles.
        const INT_PTR answer = reinterpret_cast<INT_PTR>(
            ::ShellExecuteW(nullptr, L"open", wide(nativePath).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return answer > 32 ? std::string() : shellFailure(answer);
    } catch (...) {
        return "the viewer could not be started";
    }
}

}  // namespace pdfauto
