#include "platform/Paths.h"

namespace platform::paths {

std::string toNative(std::string_view systemPath) {
    std::string native;
    native.reserve(systemPath.size());
    for (char c : systemPath) {
        if (c == '/') c = '\\';
        // A folder given with a trailing separator and a name given with a
        // leading one meet as "\\"; one separator is meant, but a path that
        // starts so names a share (\\server\share) and keeps both.
        if (c == '\\' && native.size() > 1 && native.back() == '\\') continue;
        native += c;
    }
    return native;
}

// Windows' own separator is the settings' separator: every folder can head them.
std::string headProblem(std::string_view) { return {}; }

}  // namespace platform::paths
