#pragma once
// The connection of a library, for the queries and records that live beside
// the store in the same file (track history, the team folder's records).

#include <sqlite3.h>

#include <string>

#include "Sqlite.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"

namespace vantrel::library {

class SetupLibrary;

struct LibraryConnection {
    static sqlite3* of(SetupLibrary& library);
};

// Runs body; a failure of SQLite in it is raised as an error about the
// library's file ("Cannot read the setup library …: why").
template <class Body>
auto guarded(SetupLibrary& library, const char* action, Body body) -> decltype(body()) {
    try {
        return body();
    } catch (const sqlite::Failure& f) {
        platform::raiseAboutFile(platform::ErrPathAccess, "SetupLibrary", std::string(action) + " the setup library",
                                 library.path(), f.message);
    }
}

}  // namespace vantrel::library
