#pragma once
// What the automation objects ask the system of a file, one half for each
// system: whether it is still the file read, and the first bytes of an open one.

#include <cstddef>
#include <optional>
#include <string>

namespace pdfauto {

// Which version of a file a document was read from or last saved to.
struct FileIdentity {
    unsigned long long device = 0, inode = 0;
    long long size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The file's identity (device and file number, size, last change); none
// when it is not there.
std::optional<FileIdentity> identityOf(const std::string& nativePath);

// Up to `size` bytes from the start of an open descriptor; how many were read.
std::size_t readHead(int fd, char* into, std::size_t size);
// Closes a descriptor that openUserFile gave.
void closeFile(int fd);

// Whether the path names a file wherever the program is started from.
bool isFullPath(const std::string& nativePath);

}  // namespace pdfauto
