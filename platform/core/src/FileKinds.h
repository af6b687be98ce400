#pragma once
// What the profile writer asks of the system before it replaces a file
// (Profile.cpp), one half for each system.

#include <string>

namespace platform::files {

// Whether a file may be replaced at this path: none is there, or a regular
// file this user may write. The rename would otherwise replace a read-only
// file behind the user's back.
bool isReplaceable(const std::string& nativePath);

}  // namespace platform::files
