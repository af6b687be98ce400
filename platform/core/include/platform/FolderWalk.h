#pragma once
// Listing a folder and the folders below it without following links: a
// symbolic link, junction or other reparse point is reported as what it is
// and never entered, so a walk stays inside the folder it was given. Every
// name here is native.

#include <functional>
#include <string>
#include <vector>

#include "platform/FileFacts.h"

namespace platform::files {

struct FolderEntry {
    std::string path;                 // the walked folder joined with the entry's names below it
    std::string name;                 // the last of them
    FileKind kind = FileKind::Other;  // Regular, Folder, Link or Other; never Missing
    int depth = 0;                    // 0 for the walked folder's own entries
};

enum class WalkStep {
    Continue,  // go on; a folder is entered
    PassOver,  // go on, without entering this folder
    Stop,      // end the walk here
};

// Visits every entry below folder, a folder before what it holds. A folder
// this process may not list is passed over; an entry that goes while it is
// looked at is left out. Answers the empty text, or the system's reason when
// the walk could not go on (the entries seen until then were visited).
std::string walkFolder(const std::string& nativeFolder, const std::function<WalkStep(const FolderEntry&)>& visit);

// The names of what the folder holds, without what its folders hold; none
// when it cannot be listed.
std::vector<std::string> namesIn(const std::string& nativeFolder);

}  // namespace platform::files
