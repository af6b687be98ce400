#pragma once
// The library's schema steps for a meeting's runs (SetupLibrary's
// migrations), beside the queries of the run table in RunTable.cpp.

#include <sqlite3.h>

namespace vantrel::library {

void addRunTable(sqlite3* db);
void addRunField(sqlite3* db);
void addOwnRunIndex(sqlite3* db);
void addRunRevision(sqlite3* db);

}  // namespace vantrel::library
