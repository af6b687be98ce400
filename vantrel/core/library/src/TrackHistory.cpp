#include "library/TrackHistory.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <unordered_map>

#include "EventTable.h"
#include "LibraryConnection.h"
#include "library/ChangeWords.h"
#include "SetupControls.h"
#include "SetupCodec.h"
#include "Sqlite.h"
#include "library/EventDate.h"
#include "library/Meeting.h"
#include "library/SearchFold.h"
#include "platform/Error.h"
#include "platform/PathText.h"

namespace vantrel::library {

namespace {

using sqlite::Statement;

std::string quoted(SetupField field) { return "s.\"" + std::string(SetupFieldKeys[std::size_t(field)]) + "\""; }

// The setup's columns as StoredSetup holds them, after the event date.
std::string setupColumns() {
    std::string out = "e.event_date, s.id, s.created, s.setup_type, s.sheet, s.value_hash";
    for (std::size_t i = 0; i < SetupFieldCount; ++i) out += ", " + quoted(SetupField(i));
    return out;
}
constexpr int kFirstValue = 6;

HistoryEntry entryFrom(const Statement& s) {
    HistoryEntry out;
    out.eventDate = s.text(0);
    out.setup.id = s.integer(1);
    out.setup.created = s.text(2);
    out.setup.setupType = s.text(3);
    out.setup.sheet = s.text(4);
    out.setup.hash = s.text(5);
    out.setup.values = codec::readValues(s, kFirstValue);
    return out;
}

template <typename Body>
auto reading(SetupLibrary& library, Body body) {
    try {
        return body(LibraryConnection::of(library));
    } catch (const sqlite::Failure& f) {
        platform::raiseAboutFile(platform::ErrPathAccess, "SetupLibrary", "Cannot read the setup library",
                                 library.path(), f.message);
    }
}

std::vector<HistoryEntry> query(SetupLibrary& library, std::string_view track, std::string_view driver,
                                std::string_view order) {
    return reading(library, [&](sqlite3* db) {
        std::string sql =
            "SELECT " + setupColumns() + " FROM setup_event e JOIN setup s ON s.id = e.setup_id WHERE e.track = ?1";
        if (!matchKey(driver).empty()) sql += " AND e.driver = ?2";
        sql += std::string(" ORDER BY ") + std::string(order);
        Statement s(db, sql);
        s.bind(1, matchKey(track));
        if (!matchKey(driver).empty()) s.bind(2, matchKey(driver));
        std::vector<HistoryEntry> out;
        while (s.step()) out.push_back(entryFrom(s));
        return out;
    });
}

}  // namespace

void addEventTable(sqlite3* db) {
    sqlite::exec(db,
                 "CREATE TABLE setup_event ("
                 " setup_id INTEGER PRIMARY KEY REFERENCES setup (id) ON DELETE CASCADE,"
                 " event_date TEXT NOT NULL,"  // YYYY-MM-DD
                 " track TEXT NOT NULL,"       // matchKey of TrackCity
                 " driver TEXT NOT NULL);"     // matchKey of DriverName
                 "CREATE INDEX setup_event_by_track ON setup_event (track, event_date)");
    Statement rows(db, "SELECT s.id, s.created, " + quoted(SetupField::DriverName) + ", " +
                           quoted(SetupField::TrackCity) + ", " + quoted(SetupField::EventDate) + " FROM setup s");
    while (rows.step()) {
        Setup values;
        values[std::size_t(SetupField::DriverName)] = rows.text(2);
        values[std::size_t(SetupField::TrackCity)] = rows.text(3);
        values[std::size_t(SetupField::EventDate)] = rows.text(4);
        recordEvent(db, rows.integer(0), values, rows.text(1));
    }
}

void recordEvent(sqlite3* db, std::int64_t id, const Setup& values, std::string_view created) {
    Statement s(db, "INSERT INTO setup_event (setup_id, event_date, track, driver) VALUES (?1, ?2, ?3, ?4)");
    s.bind(1, id);
    s.bind(2, eventDateOf(values, created, userDateOrder()));
    s.bind(3, matchKey(values[std::size_t(SetupField::TrackCity)]));
    s.bind(4, matchKey(values[std::size_t(SetupField::DriverName)]));
    s.step();
}

std::unique_ptr<SetupLibrary> openForHistory(const std::string& nativePath) {
    std::error_code ec;
    return std::make_unique<SetupLibrary>(
        nativePath, LibraryOptions{.readOnly = !std::filesystem::exists(platform::paths::pathOf(nativePath), ec)});
}

std::string matchKey(std::string_view text) {
    const std::string folded = foldForSearch(text);
    std::string out;
    for (const char c : folded) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::vector<HistoryEntry> trackHistory(SetupLibrary& library, std::string_view track, std::string_view driver) {
    std::vector<HistoryEntry> built = query(library, track, driver, "e.event_date, s.created_utc, s.id");
    // One row per meeting (driver, event and its date at this track): a sheet
    // built again, or corrected, stands in for the ones before it.
    std::vector<HistoryEntry> history;
    std::map<Meeting, std::size_t> meetingAt;
    std::vector<bool> superseded;
    for (HistoryEntry& entry : built) {
        const Setup& v = entry.setup.values;
        // At this one track: its key is the same for all.
        const Meeting meeting{{},
                              matchKey(v[std::size_t(SetupField::DriverName)]),
                              matchKey(v[std::size_t(SetupField::EventName)]),
                              entry.eventDate};
        if (const auto it = meetingAt.find(meeting); it != meetingAt.end()) superseded[it->second] = true;
        meetingAt[meeting] = history.size();
        history.push_back(std::move(entry));
        superseded.push_back(false);
    }
    for (std::size_t i = history.size(); i-- > 0;)
        if (superseded[i]) history.erase(history.begin() + std::ptrdiff_t(i));
    std::unordered_map<std::string, const HistoryEntry*> before;  // by driver
    for (HistoryEntry& entry : history) {
        const std::string who = matchKey(entry.setup.values[std::size_t(SetupField::DriverName)]);
        if (const auto it = before.find(who); it != before.end()) {
            entry.first = false;
            entry.changes = changesBetween(it->second->setup.values, entry.setup.values);
        }
        before[who] = &entry;
    }
    return history;
}

std::optional<HistoryEntry> lastHere(SetupLibrary& library, std::string_view track, std::string_view driver) {
    if (matchKey(track).empty()) return std::nullopt;
    auto last = query(library, track, driver, "e.event_date DESC, s.created_utc DESC, s.id DESC LIMIT 1");
    if (last.empty()) return std::nullopt;
    return std::move(last.front());
}

std::vector<std::string> knownTracks(SetupLibrary& library) {
    return reading(library, [&](sqlite3* db) {
        Statement s(db, "SELECT e.track, " + quoted(SetupField::TrackCity) +
                            " FROM setup_event e JOIN setup s ON s.id = e.setup_id WHERE e.track <> ''"
                            " ORDER BY e.track, s.created_utc DESC, s.id DESC");
        std::vector<std::string> out;
        std::string key;
        while (s.step())
            if (s.text(0) != key || out.empty()) {
                key = s.text(0);
                out.push_back(s.text(1));
            }
        return out;
    });
}

std::map<std::int64_t, std::string> eventDates(SetupLibrary& library) {
    return reading(library, [&](sqlite3* db) {
        Statement s(db, "SELECT setup_id, event_date FROM setup_event");
        std::map<std::int64_t, std::string> out;
        while (s.step()) out.emplace_hint(out.end(), s.integer(0), s.text(1));
        return out;
    });
}

}  // namespace vantrel::library
