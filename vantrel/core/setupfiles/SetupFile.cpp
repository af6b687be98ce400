#include "SetupFile.h"

#include "SetupReaders.h"

#include <filesystem>

#include "Installation.h"
#include "SetupType.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace vantrel {

std::string setupAttachmentName(const std::string& sheetNativePath) {
    std::string name = platform::paths::fileNameOf(sheetNativePath);
    if (platform::text::toLower(name).ends_with(".pdf")) name.resize(name.size() - 4);
    return name + ".dat";
}

Setup readSetupFile(const std::string& path) {
    return readSetup(path, setupTypeFolders(Installation::read(platform::process::programFolder()))).values;
}

void writeSetupFile(const std::string& path, const Setup& values) {
    const std::string text = values.rawDataText();
    const auto failure = platform::files::replaceAtomically(path, [&text](int fd) {
        return platform::files::writeAll(fd, text) ? std::string() : platform::files::systemMessage(errno);
    });
    if (failure)
        platform::raiseAboutFile(platform::ErrPathAccess, "writeSetupFile", "Cannot write", path, failure->reason());
}

}  // namespace vantrel
