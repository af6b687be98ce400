#include "platform/Paths.h"
#include "platform/PathParts.h"

namespace platform::paths {

std::string toNative(std::string_view systemPath) {
    std::string native;
    native.reserve(systemPath.size());
    for (char c : systemPath) {
        if (c == '\\') c = '/';
        // A folder given with a trailing separator and a name given with a
        // leading one meet as "//"; one separator is meant.
        if (c == '/' && !native.empty() && native.back() == '/') continue;
        native += c;
    }
    return native;
}

std::string joined(std::string_view folder, std::string_view name) {
    return std::string(folder) + "/" + std::string(name);
}

bool isWhole(std::string_view settingPath) { return !settingPath.empty() && settingPath.front() == '/'; }

std::string headProblem(std::string_view nativeFolder) {
    if (nativeFolder.find('\\') == std::string_view::npos) return {};
    return "holds a backslash, which the settings' paths take for a folder separator";
}

}  // namespace platform::paths
