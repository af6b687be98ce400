#include "UnfinishedSheet.h"

#include <cerrno>
#include <filesystem>
#include <unordered_set>

#include "FileNames.h"
#include "platform/Error.h"
#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/FolderWalk.h"
#include "platform/NewFile.h"
#include "platform/PathText.h"
#include "platform/Paths.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSource = "UnfinishedSheet";

// How many numbered names a run tries before it gives up on a folder.
constexpr int kMostNames = 1000;

}  // namespace

std::string workFolderIn(const std::string& dataFolder) {
    return platform::paths::appended(dataFolder.empty() ? std::string(".") : dataFolder, ".unfinished");
}

UnfinishedSheet::UnfinishedSheet(const std::string& workFolder, const std::string& sheetName) {
    const platform::files::FileFacts facts = platform::files::factsOf(workFolder, platform::files::Links::Refused);
    if (facts.kind == platform::files::FileKind::Missing) {
        if (const int error = platform::files::makeFolder(workFolder); error != 0 && error != EEXIST)
            platform::raiseAboutFile(platform::ErrPathAccess, kSource, "Cannot make the work folder", workFolder,
                                     platform::files::systemMessage(error));
    } else if (facts.kind != platform::files::FileKind::Folder) {
        platform::raiseAboutFile(platform::ErrPathAccess, kSource, "Cannot use the work folder", workFolder,
                                 "it is not a folder");
    } else {
        // Only a killed run leaves anything here (the run lock keeps the
        // others out): files of no one's use any more.
        std::error_code ec;
        for (fs::directory_iterator it(platform::paths::pathOf(workFolder), ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code typeEc;
            if (!it->is_directory(typeEc)) fs::remove(it->path(), typeEc);
        }
    }
    m_path = platform::paths::appended(workFolder, sheetName);
    platform::files::removeFile(m_path);
}

UnfinishedSheet::~UnfinishedSheet() {
    if (!m_published) platform::files::removeFile(m_path);
}

std::string UnfinishedSheet::publish(const std::string& sheet) {
    // Names that differ only in letter case are one file on Windows: a sheet
    // never takes such a name here either, so the folder travels whole.
    std::unordered_set<std::string> taken;
    for (const std::string& there :
         platform::files::namesIn(platform::paths::folderOf(platform::paths::toNative(sheet))))
        taken.insert(foldedFileName(there));
    for (int attempt = 1; attempt <= kMostNames; ++attempt) {
        const std::string name = platform::files::numberedName(sheet, attempt);
        const std::string native = platform::paths::toNative(name);
        if (taken.count(foldedFileName(platform::paths::fileNameOf(native)))) continue;
        const int error = platform::files::moveToNewName(m_path, native);
        if (error == EEXIST) continue;
        if (error == ENOENT || error == ENOTDIR) {
            const std::string folder = platform::paths::folderOf(native);
            if (platform::files::factsOf(folder).kind != platform::files::FileKind::Folder)
                platform::raiseAboutFile(platform::ErrPathAccess, kSource, "Cannot save the sheet", native,
                                         "the folder " + folder + " does not exist");
        }
        if (error)
            platform::raiseAboutFile(platform::ErrPathAccess, kSource, "Cannot save the sheet", native,
                                     platform::files::systemMessage(error));
        m_published = true;
        return name;
    }
    platform::raiseAboutFile(platform::ErrPathAccess, kSource, "Cannot save the sheet",
                             platform::paths::toNative(sheet),
                             "every name from it to " + std::to_string(kMostNames) + " is taken");
}

}  // namespace vantrel
