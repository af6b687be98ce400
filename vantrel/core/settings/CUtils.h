#pragma once
// Joining folder names and file names, on the text alone (backslash is the
// only separator; nothing touches the file system).

#include <string>

namespace vantrel {

class CUtils {
public:
    // Ensures a trailing backslash; the empty text stays empty.
    std::string checkMe(const std::string& path) const;
    // Ensures a leading and a trailing backslash; the empty text stays empty.
    std::string FormatPath(const std::string& path) const;
};

}  // namespace vantrel
