#include "platform/FolderWalk.h"

namespace platform::files {

// Built on each system's walk alone.
std::vector<std::string> namesIn(const std::string& nativeFolder) {
    std::vector<std::string> names;
    walkFolder(nativeFolder, [&](const FolderEntry& entry) {
        names.push_back(entry.name);
        return WalkStep::PassOver;
    });
    return names;
}

}  // namespace platform::files
