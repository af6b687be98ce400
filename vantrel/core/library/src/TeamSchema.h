#pragma once
// The library's schema step for the team folder (SetupLibrary's migrations).

#include <sqlite3.h>

namespace vantrel::library {

void addTeamTables(sqlite3* db);

}  // namespace vantrel::library

namespace vantrel::library {

void addTeamRunFileTable(sqlite3* db);

}  // namespace vantrel::library
