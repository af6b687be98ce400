#include "platform/NewFile.h"

namespace platform::files {

std::string numberedName(const std::string& path, int attempt) {
    if (attempt <= 1) return path;
    const std::size_t dot = path.rfind('.');
    const std::size_t separator = path.find_last_of("/\\");
    const bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator + 1);
    const std::size_t cut = hasExtension ? dot : path.size();
    return path.substr(0, cut) + "-" + std::to_string(attempt) + path.substr(cut);
}

}  // namespace platform::files
