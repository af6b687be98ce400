#pragma once
// The table of event dates beside the setups (schema version 3): each
// setup's event date and the keys of its track and driver, indexed so that
// a track's history and its last setup are one range of an index.

#include <cstdint>
#include <sqlite3.h>
#include <string_view>

#include "library/SetupLibrary.h"

namespace vantrel::library {

// Migration step 3: the table, filled for the setups already there.
void addEventTable(sqlite3* db);
// The row of a setup just recorded.
void recordEvent(sqlite3* db, std::int64_t id, const Setup& values, std::string_view created);

}  // namespace vantrel::library
