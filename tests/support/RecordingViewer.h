#pragma once
// A stand-in for the desktop's xdg-open that appends each path it is asked
// to show to a log file, one per line. Put its folder first in PATH.

#include <filesystem>
#include <fstream>

namespace testsupport {

inline void writeRecordingViewer(const std::filesystem::path& script, const std::filesystem::path& log) {
    std::filesystem::create_directories(script.parent_path());
    std::ofstream(script, std::ios::binary) << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << log.string() << "'\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
}

}  // namespace testsupport
