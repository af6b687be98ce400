#pragma once
// A track's history in the library: its setups in the order of their events
// (the event date, then the time the sheet was built), what changed from
// each driver's setup before there, and the last one. Tracks and drivers
// match as the search does: regardless of case, accents and blanks around.
// Each call raises platform::Error naming the library file when it cannot read it.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/SetupChange.h"
#include "library/SetupLibrary.h"

namespace vantrel::library {

struct HistoryEntry {
    StoredSetup setup;
    std::string eventDate;             // "YYYY-MM-DD"
    std::vector<SetupChange> changes;  // from the same driver's setup before there; none for the first
    bool first = true;                 // the driver's first setup there
};

// The library at nativePath for the queries below: one of an older version is
// upgraded (its setups dated), a missing one is not created (platform::Error).
std::unique_ptr<SetupLibrary> openForHistory(const std::string& nativePath);

// The key a track or driver is matched by: folded, blanks at the ends cut and inner runs made one.
std::string matchKey(std::string_view text);

// The setups at a track (of one driver, when given) in event order.
std::vector<HistoryEntry> trackHistory(SetupLibrary& library, std::string_view track, std::string_view driver = {});
// The setup of the latest event there; nothing when the library has none.
std::optional<HistoryEntry> lastHere(SetupLibrary& library, std::string_view track, std::string_view driver = {});
// The tracks of the library as last written, each once, in alphabetical order of their keys.
std::vector<std::string> knownTracks(SetupLibrary& library);
// The event date of every setup, by id.
std::map<std::int64_t, std::string> eventDates(SetupLibrary& library);

}  // namespace vantrel::library
