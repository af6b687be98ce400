#pragma once
// The system composes paths with the backslash as its only separator
// ("\bin\Vantrel.ini", checkMe, FormatPath). Every file operation turns such
// a path into a native one first, so settings written on Windows
// (DataDirectory=\Data\) work unchanged.

#include <string>
#include <string_view>

namespace platform::paths {

// Backslashes become "/", and runs of separators collapse into one
// ("/tmp/x/\" + "a.pdf" names /tmp/x/a.pdf).
std::string toNative(std::string_view systemPath);

// Why a native folder cannot head such paths, empty when it can: a name
// holding a backslash would be cut in two by toNative.
std::string headProblem(std::string_view nativeFolder);

}  // namespace platform::paths
