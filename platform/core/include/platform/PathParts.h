#pragma once
// How a setting's path is told from one below the program folder, and how a
// native path is joined, by the system's own rules.

#include <string>
#include <string_view>

namespace platform::paths {

// Whether a setting's path is given whole rather than below the program
// folder: "/srv/rc" on every system, and on Windows "C:\Teams" or a share
// ("\\server\share"). A path that starts with one backslash is the
// settings' own form of a folder below the program folder.
bool isWhole(std::string_view settingPath);

// A name below a native folder, joined by the system's separator.
std::string joined(std::string_view nativeFolder, std::string_view name);

}  // namespace platform::paths
