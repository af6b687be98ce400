#pragma once
// What the system says of a path without opening it for reading: its kind,
// size, last change and identity, and whether it may be listed or read.
// Every name here is native.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Files.h"

namespace platform::files {

enum class FileKind {
    Missing,  // nothing there, or the system refused to say (error says which)
    Regular,
    Folder,
    Link,   // a symbolic link, junction or other reparse point, when not followed
    Other,  // a pipe, device or socket
};

// Which file a name leads to, whatever the name: the device and inode, or
// the volume serial number and file index. Two names with one identity are
// one file (a hard link, or the same file reached twice).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
    friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

struct FileFacts {
    FileKind kind = FileKind::Missing;
    int error = 0;  // errno value when Missing: ENOENT, ENOTDIR, EACCES, ...
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;  // last change, nanoseconds since the epoch
    FileIdentity identity;
};

// The facts of what the path names; with Links::Refused a link at the path
// is reported as FileKind::Link, not as what it points to.
FileFacts factsOf(const std::string& nativePath, Links links = Links::Followed);

// 0 when this process may list and enter the folder, else the errno of why
// not. Opens nothing.
int listAccessError(const std::string& nativeFolder);

// 0 when this process may read the file, else the errno of why not. Opens
// nothing (a library file that SQLite may hold must not be opened here).
int readAccessError(const std::string& nativePath);

// Whether the path names a file (not a folder) that opens for reading; the
// file is closed again at once.
bool opensForReading(const std::string& nativePath);

// Each answers 0 or the errno of the failure, and leaves errno set to it.
// A new folder with the usual permissions; EEXIST when something is there.
int makeFolder(const std::string& nativeFolder);
// Removes a file or link, never a folder; ENOENT when nothing is there.
int removeFile(const std::string& nativePath);
// Renames `from` to `to`, replacing a file at `to`.
int renameReplacing(const std::string& from, const std::string& to);
// A second name `to` for the file `from`; EEXIST when `to` is taken, EPERM
// (or another errno) where the file system has no hard links.
int hardLink(const std::string& from, const std::string& to);
// Creates a new empty file, readable and writable with the usual permissions,
// from a name ending in "XXXXXX" that is replaced in place to make it unique.
int createUniqueFile(std::string& nativeNameTemplate);

// The descriptors openUserFile gives. readSome reads at most size bytes and
// answers how many (0 at the end of the file), or -1 with errno set.
long long readSome(int fd, void* buffer, std::size_t size);
// 0, or the errno of a failure to close (the descriptor is gone either way).
int closeFile(int fd);

// Appends bytes to a regular file, created when missing. The open never
// waits (a named pipe without a reader fails at once) and anything but a
// regular file at the path is left alone. Answers the empty text, or the
// reason: "it is not a regular file" or the system's text.
std::string appendToRegularFile(const std::string& nativePath, std::string_view bytes);

}  // namespace platform::files
