#pragma once
// Replacing a file so that a reader sees the old content or the new, never a
// part of either: the new content goes to a temporary file beside the target,
// is synced to disk, takes the old file's permissions (or the usual ones for a
// new file) and is renamed over the target.

#include <functional>
#include <string>
#include <string_view>

namespace platform::files {

// write() fills the open descriptor it is given and answers the empty text,
// or the reason it failed. A symbolic link is written through, not replaced.
// Answers the empty text on success, else the reason; the temporary file is
// then gone and the target untouched. nativePath must already be native.
std::string replaceAtomically(const std::string& nativePath, const std::function<std::string(int fd)>& write);

// All of bytes onto the descriptor; false when the system refuses.
bool writeAll(int fd, std::string_view bytes);

// The system's text for an errno value.
std::string systemMessage(int error);

}  // namespace platform::files
