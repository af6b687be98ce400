#include "platform/Paths.h"
#include "platform/PathParts.h"

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

std::string joined(std::string_view folder, std::string_view name) {
    return std::string(folder) + "\\" + std::string(name);
}

bool isWhole(std::string_view p) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (!p.empty() && p.front() == '/') return true;
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') return true;
    const bool letter = p.size() >= 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
    return letter && p[1] == ':' && separator(p[2]);
}

// Windows' own separator is the settings' separator: every folder can head them.
std::string headProblem(std::string_view) { return {}; }

}  // namespace platform::paths
