#include "RunSchema.h"

#include "Sqlite.h"

namespace vantrel::library {

void addRunTable(sqlite3* db) {
    sqlite::exec(db,
                 "CREATE TABLE run ("
                 " id INTEGER PRIMARY KEY,"
                 " uid TEXT NOT NULL UNIQUE,"  // the same run wherever it travels (the team folder)
                 " track TEXT NOT NULL,"       // matchKey of TrackCity
                 " driver TEXT NOT NULL,"      // matchKey of DriverName
                 " event TEXT NOT NULL,"       // matchKey of EventName
                 " event_date TEXT NOT NULL,"  // YYYY-MM-DD
                 " seq INTEGER NOT NULL,"      // 1, 2, ... in the meeting
                 " name TEXT NOT NULL,"        // "Practice 1", "A Final"
                 " created TEXT NOT NULL,"     // local time with offset, ISO 8601
                 " setup_type TEXT NOT NULL,"
                 " setup TEXT NOT NULL,"  // the 73 values, each as its length, ':' and its bytes
                 " laps TEXT NOT NULL,"   // milliseconds, blank-separated; '-' marks a lap left out
                 " position TEXT NOT NULL,"
                 " air_temp TEXT NOT NULL,"
                 " track_temp TEXT NOT NULL,"
                 " note TEXT NOT NULL,"
                 " team TEXT NOT NULL DEFAULT '');"  // '' the racer's own; else the team folder's file it came from
                 "CREATE INDEX run_by_meeting ON run (track, event_date, driver, event, seq)");
}

// Version 6: the run's field (the other drivers' best and 5-best, one
// "best best5 name" line each) and its time of day; runs before have none.
void addRunField(sqlite3* db) {
    sqlite::exec(db,
                 "ALTER TABLE run ADD COLUMN field TEXT NOT NULL DEFAULT '';"
                 "ALTER TABLE run ADD COLUMN time_of_day TEXT NOT NULL DEFAULT ''");
}

// Version 8: a run can be put right and withdrawn. Its revision goes up with
// each correction; a withdrawn run stays as a mark (out of every meeting, its
// uid known, so no copy brings it back); shared is the revision the team
// folder holds. Every run before was shared as it stands, or is found missing.
void addRunRevision(sqlite3* db) {
    sqlite::exec(db,
                 "ALTER TABLE run ADD COLUMN revision INTEGER NOT NULL DEFAULT 1;"
                 "ALTER TABLE run ADD COLUMN withdrawn INTEGER NOT NULL DEFAULT 0;"
                 "ALTER TABLE run ADD COLUMN shared INTEGER NOT NULL DEFAULT 1");
}

}  // namespace vantrel::library
