#pragma once
// Replacing a file so that a reader sees the old content or the new, never a
// part of either: the new content goes to a temporary file beside the target,
// is synced to disk, takes the old file's permissions (or the usual ones for a
// new file) and is renamed over the target.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "platform/Error.h"

namespace platform::files {

// Whether a replacement is on the disk when it answers (content and rename
// synced), or left to the system: for a file that is replaced again at once
// by a synced write (a sheet's template copy, which the fill saves over).
enum class Durability { Synced, Unsynced };

// write() fills the open descriptor it is given and answers the empty text,
// or the reason it failed (a write that raises has failed, whatever its
// text). A symbolic link is written through, not replaced. Answers nothing on
// success, else the failure about nativePath (number ErrPathAccess, reason()
// the system's or write()'s text); the temporary file is then gone and the
// target untouched. nativePath must already be native.
std::optional<Error> replaceAtomically(const std::string& nativePath, const std::function<std::string(int fd)>& write,
                                       Durability durability = Durability::Synced);

// Removes what replaceAtomically left beside nativePath when its process was
// killed before the rename: the hidden temporaries of exactly its naming for
// that file, in that folder, regular files of this user last changed before
// changedBefore (seconds since the epoch) that no writer holds; never a link.
// Answers how many went.
std::size_t removeLeftTemporaries(const std::string& nativePath, std::int64_t changedBefore);

// All of bytes onto the descriptor; false when the system refuses.
bool writeAll(int fd, std::string_view bytes);

// The system's text for an errno value.
std::string systemMessage(int error);

// Permissions for a file the program creates: 0666 less the process's umask,
// read without changing the mask.
mode_t newFileMode();

// Opening a file that a user named (settings, setup, raw data, mapping and
// data files). Only a regular file of at most maxBytes bytes is opened: a
// folder, a named pipe, a device or a socket is refused before it is opened
// for reading, a file above the bound before it is read. The open itself
// never blocks (a pipe put in the file's place meanwhile is refused after the
// open), and the file is checked again on the open descriptor.
inline constexpr std::uint64_t UserFileLimit = 16 * 1024 * 1024;
inline constexpr std::uint64_t NoSizeLimit = UINT64_MAX;

// Whether a symbolic link at the path is followed, or refused as a file of
// its own: a file from a folder that others write (the team folder) is read
// where it stands, never through a link that points elsewhere.
enum class Links { Followed, Refused };

enum class OpenStatus {
    Opened,   // fd is open; the caller closes it
    Missing,  // no such file
    Refused,  // not a regular file, or too big; reason says which
    Failed,   // the system refused (permissions, ...); reason is its text
};

struct UserFile {
    OpenStatus status = OpenStatus::Failed;
    int fd = -1;
    std::string reason;  // "it is a named pipe", ...; empty when opened or missing
    // Of the open descriptor, when opened: what the caller compares with a
    // listing made earlier, without asking the path again.
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
};

UserFile openUserFile(const std::string& nativePath, std::uint64_t maxBytes = UserFileLimit,
                      Links links = Links::Followed);

// The whole of such a file into bytes, read from the one descriptor opened;
// a file that grew past maxBytes while being read is refused as well. Status
// Opened means read; size and mtimeNs are then those after the read.
UserFile readUserFile(const std::string& nativePath, std::string& bytes, std::uint64_t maxBytes = UserFileLimit,
                      Links links = Links::Followed);

// Why a file at this path would be refused, without opening it; empty when it
// is a regular file within the bound, or is not there at all.
std::string refusalReason(const std::string& nativePath, std::uint64_t maxBytes = UserFileLimit);

}  // namespace platform::files
