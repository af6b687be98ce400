#include "LibraryFile.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <sqlite3.h>
#include <vector>

#include "library/SetupLibrary.h"
#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/NewFile.h"

namespace vantrel::library {

// What the first bytes say about a file that is there, before SQLite may touch
// it: opening a database can replay or checkpoint its journal, which would
// change another application's file. Answers the empty text for a library.
// The bytes are read through SQLite's own file layer: this process may hold
// a connection to the file already, and closing a descriptor of our own would
// drop every lock SQLite holds on it (another program would then think itself
// alone and delete the journal under us). SQLite keeps such a descriptor open
// until its locks are gone.
std::string headerProblem(const std::string& path) {
    // access() opens nothing: the reason a file cannot be read, as the system gives it.
    if (const int error = platform::files::readAccessError(path); error != 0)
        return "it cannot be read (" + platform::files::systemMessage(error) + ")";
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    if (!vfs) return "it cannot be read (SQLite has no file layer)";
    const char* name = sqlite3_create_filename(path.c_str(), "", "", 0, nullptr);
    if (!name) return "it cannot be read (out of memory)";
    std::vector<std::byte> storage(std::size_t(vfs->szOsFile));
    auto* file = reinterpret_cast<sqlite3_file*>(storage.data());
    int outFlags = 0;
    const int opened = vfs->xOpen(vfs, name, file, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB, &outFlags);
    unsigned char header[100];
    sqlite3_int64 size = 0;
    int read = SQLITE_CANTOPEN;
    if (opened == SQLITE_OK) {
        if (file->pMethods->xFileSize(file, &size) != SQLITE_OK) size = -1;
        read = size >= sqlite3_int64(sizeof header) ? file->pMethods->xRead(file, header, sizeof header, 0)
                                                    : SQLITE_IOERR_SHORT_READ;
    }
    if (file->pMethods) file->pMethods->xClose(file);
    sqlite3_free_filename(name);
    if (opened != SQLITE_OK) return "it cannot be read (SQLite cannot open it, error " + std::to_string(opened) + ")";
    if (size == 0) return "it is empty, not a setup library";
    if (read != SQLITE_OK || std::memcmp(header, "SQLite format 3", 16) != 0)
        return "it is not an SQLite database (damaged, or a file of another kind)";
    const std::uint32_t id = (std::uint32_t(header[68]) << 24) | (std::uint32_t(header[69]) << 16) |
                             (std::uint32_t(header[70]) << 8) | std::uint32_t(header[71]);
    if (id != std::uint32_t(SetupLibrary::ApplicationId))
        return "it is an SQLite database of another application, not a setup library";
    return {};
}

int publishNewFile(const std::string& from, const std::string& to, const HardLink& hardLink) {
    const int error = hardLink(from, to) == 0 ? 0 : errno;
    return error && error != EEXIST ? platform::files::copyToNewName(from, to) : error;
}

}  // namespace vantrel::library
