#pragma once
// The connection of a library, for the queries and records that live beside
// the store in the same file (track history, the team folder's records).

#include <sqlite3.h>

namespace vantrel::library {

class SetupLibrary;

struct LibraryConnection {
    static sqlite3* of(SetupLibrary& library);
};

}  // namespace vantrel::library
