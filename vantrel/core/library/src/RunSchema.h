#pragma once
// The library's schema step for a meeting's runs (SetupLibrary's migrations):
// each run with its meeting, its order in it, the setup it ran, its laps,
// conditions and note.

#include <sqlite3.h>

namespace vantrel::library {

void addRunTable(sqlite3* db);
void addRunField(sqlite3* db);
void addRunRevision(sqlite3* db);

}  // namespace vantrel::library
