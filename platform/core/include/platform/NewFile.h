#pragma once
// Putting a file under a name that must not be taken yet: a sheet, a team
// copy, a new library. The file appears under its name whole or not at all,
// and a file already there, whoever made it, is never replaced. Every name
// here is native.

#include <string>
#include <string_view>

namespace platform::files {

// Gives the finished file `from` the name `to` unless a file is there
// already, and takes the name `from` away: a hard link, else a rename that
// never replaces (file systems without hard links), else, across file
// systems, a copy through writeNewFile. Answers 0, EEXIST when the name is
// taken (`from` then stays), or the errno of the failure.
int moveToNewName(const std::string& from, const std::string& to);

// Copies `from` to `to`, created only if it is not there, and removes the
// copy again when it cannot be finished: the last resort of a file system
// with neither hard links nor a rename that refuses to replace.
int copyToNewName(const std::string& from, const std::string& to);

// Writes bytes to a new file at `to`, synced to disk, unless a file is there
// already. The bytes go to an unnamed file in the target folder that gets its
// name when complete, so a process killed meanwhile leaves nothing; where the
// file system has no unnamed files, a hidden temporary name stands in until
// the move. Answers 0, EEXIST, or the errno of the failure.
int writeNewFile(const std::string& to, std::string_view bytes);

// The name `attempt` (2, 3, ...) for a file whose name is taken: path with
// "-<attempt>" before its extension ("a.pdf" -> "a-2.pdf"); attempt 1 is path.
std::string numberedName(const std::string& path, int attempt);

// Makes a link or rename within `folder` durable; errors are ignored, the
// data is there either way.
void syncFolder(const std::string& folder);

}  // namespace platform::files
