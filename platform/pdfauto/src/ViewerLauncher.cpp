#include "pdfauto/Viewer.h"

#include <string_view>

#include "SystemFiles.h"
#include "platform/Files.h"

namespace pdfauto {

bool showInViewer(const std::string& nativePath) noexcept { return launchViewer(nativePath).empty(); }

std::string pdfRefusal(const std::string& nativePath) noexcept {
    // Never raises, as launchViewer.
    try {
        if (!isFullPath(nativePath)) return "it is not named by a full path";
        // A link, a script or a desktop entry would be opened, even started,
        // by whatever the desktop binds to it: only a PDF file goes on.
        const platform::files::UserFile file =
            platform::files::openUserFile(nativePath, platform::files::NoSizeLimit, platform::files::Links::Refused);
        if (file.status == platform::files::OpenStatus::Missing) return "it is not there";
        if (file.status != platform::files::OpenStatus::Opened)
            return file.reason.empty() ? "it cannot be read" : file.reason;
        char head[5] = {};
        const std::size_t got = readHead(file.fd, head, sizeof head);
        closeFile(file.fd);
        if (got != sizeof head || std::string_view(head, sizeof head) != "%PDF-") return "it is not a PDF file";
        return {};
    } catch (...) {
        return "it cannot be read";
    }
}

std::string launchPdfViewer(const std::string& nativePath) noexcept {
    if (std::string refused = pdfRefusal(nativePath); !refused.empty()) return refused;
    return launchViewer(nativePath);
}

}  // namespace pdfauto
