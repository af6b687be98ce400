#pragma once
// What the library knows of the team folder's run files: each file it has
// read (by path, size, modification time and inode, and by its content's
// hash), so that a rescan reads only what is new and a copy or a link of a
// file read before costs nothing.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/SetupLibrary.h"

namespace vantrel::library {

struct TeamRunFile {
    std::int64_t size = 0, mtimeNs = 0, inode = 0;
    std::string hash;    // of the content read
    std::string reason;  // why it was refused; empty when its runs were taken
};

class TeamRunFiles {
public:
    // Over an open library; throws platform::Error (ErrPathAccess) naming
    // the library file when it cannot be read or written.
    explicit TeamRunFiles(SetupLibrary& library);

    // Every run file read below folder, by native path.
    std::unordered_map<std::string, TeamRunFile> files(const std::string& folder);
    // Whether a file of this content was read before (under any name).
    bool hashKnown(const std::string& hash);
    // The file as read now.
    void put(const std::string& path, const TeamRunFile& file);
    // Files gone from the folder: read again should they come back.
    void drop(const std::vector<std::string>& paths);

private:
    SetupLibrary& m_library;
};

}  // namespace vantrel::library
