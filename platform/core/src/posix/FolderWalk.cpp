#include "platform/FolderWalk.h"

#include <filesystem>

namespace platform::files {

namespace fs = std::filesystem;

std::string walkFolder(const std::string& nativeFolder, const std::function<WalkStep(const FolderEntry&)>& visit) {
    std::error_code ec;
    // The iterator takes each entry's kind from the listing itself and never
    // follows a link into a folder.
    fs::recursive_directory_iterator it(nativeFolder, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        // A sync tool renames and removes its temporary files as we walk.
        std::error_code gone;
        const fs::file_status status = it->symlink_status(gone);
        if (gone || !fs::exists(status)) continue;
        FolderEntry entry;
        entry.path = it->path().string();
        entry.name = it->path().filename().string();
        entry.kind = fs::is_symlink(status)        ? FileKind::Link
                     : fs::is_directory(status)    ? FileKind::Folder
                     : fs::is_regular_file(status) ? FileKind::Regular
                                                   : FileKind::Other;
        entry.depth = it.depth();
        const WalkStep step = visit(entry);
        if (step == WalkStep::Stop) break;
        if (step == WalkStep::PassOver && entry.kind == FileKind::Folder) it.disable_recursion_pending();
    }
    return ec ? ec.message() : std::string();
}

}  // namespace platform::files
