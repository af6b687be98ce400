#pragma once
// The setup library: every setup a run built a sheet from, kept in one SQLite
// database file, so a racer can find, compare and bring back earlier setups
// even when the sheet itself was moved or deleted.
//
// One SetupLibrary is one connection to one file, used from one thread.
// Every failure is a platform::Error (number ErrPathAccess) whose
// description names the file and what is wrong with it. A file at the path
// that is not a library of ours (another application's database, a damaged
// or empty file, random bytes, a library of a newer program) is refused and
// never written to: the racer's file stays exactly as it was.
//
// The file: WAL journal (a process killed mid-write loses nothing committed
// and leaves the file whole), foreign keys on, a busy timeout so that two
// programs recording at the same moment both succeed, PRAGMA application_id
// marking the file as ours and PRAGMA user_version as its schema version,
// upgraded step by step when an older library is opened for writing.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CAppSettings.h"
#include "platform/Error.h"
#include "platform/FileFacts.h"
#include "Installation.h"

namespace vantrel::library {

struct LibraryConnection;

// What a run or an import hands to the library.
struct SetupEntry {
    std::string created;    // local time with offset, "2026-12-08T05:03:44+01:00"; empty: now
    std::string setupType;  // "RDX"
    std::string sheet;      // the sheet's path; empty when there is none (a raw data file)
    Setup values;
};

struct StoredSetup : SetupEntry {
    std::int64_t id = 0;
    std::string hash;  // valueHash(values)
};

// One row of the library window.
struct SetupSummary {
    std::int64_t id = 0;
    std::string created, setupType, sheet;
    std::string driver, track, event, resultsMain, qualifying, finishing;
    // Filled by LibraryPages only: the instant created (seconds since 1970
    // UTC), the event's date ("YYYY-MM-DD"), the team mate it came from.
    std::int64_t createdUtc = 0;
    std::string eventDate;
    std::optional<std::string> teamDriver;
};

struct LibraryOptions {
    bool readOnly = false;  // list, search and export only; never upgrades the file
    int busyTimeoutMs = 5000;
    // The pages of the file the connection keeps in memory; a connection
    // that only scans once (a count beside the window) needs few.
    int cacheKiB = 32768;
    // How a newly built library file gets its name: link(), answering -1 with
    // errno set on failure. A file system without hard links (FAT, exFAT,
    // some shares) answers EPERM, and the file is copied in instead.
    std::function<int(const std::string& from, const std::string& to)> hardLink =
        [](const std::string& from, const std::string& to) { return platform::files::hardLink(from, to) ? -1 : 0; };
};

class SetupLibrary {
public:
    // The schema version this program writes; older libraries are upgraded.
    static constexpr int SchemaVersion = 9;
    // PRAGMA application_id of every library: "VTLB".
    static constexpr std::int32_t ApplicationId = 0x56544C42;

    // Opens the library at nativePath, creating it when no file is there
    // (complete or not at all: it is built beside the path and moved in).
    explicit SetupLibrary(const std::string& nativePath, LibraryOptions options = {});
    ~SetupLibrary();
    SetupLibrary(const SetupLibrary&) = delete;
    SetupLibrary& operator=(const SetupLibrary&) = delete;

    const std::string& path() const;
    // The version of the SQLite library this process runs with ("3.40.1").
    static std::string sqliteVersion();

    // One setup in one transaction; answers its id.
    std::int64_t record(const SetupEntry& entry);
    // Records the setup unless one of the same setup type with the same 73
    // values is there already (then answers nothing); find and insert are one
    // transaction, so two importers never add the same setup twice.
    std::optional<std::int64_t> recordIfNew(const SetupEntry& entry);
    // What an import did with a setup: added it, found it there already (the
    // same type and values), or corrected the setup recorded from the same
    // sheet (the same path, or a sheet of the same name moved elsewhere) with
    // the sheet's values as they are now: edits made in a PDF reader are the
    // racer's latest word. One transaction. A setup of a team mate's (their
    // sheet, a row of theirs) is recorded as theirs: teamMate names them.
    enum class Outcome { Added, AlreadyThere, Updated };
    struct Recorded {
        std::int64_t id = 0;
        Outcome outcome = Outcome::Added;
    };
    Recorded recordImported(const SetupEntry& entry, std::string_view teamMate = {});

    // The sheet of setup id is now at `sheet` (it was built anew); false when
    // there is no such setup.
    bool setSheet(std::int64_t id, const std::string& sheet);

    // The id of a setup of that type with exactly these values, if any.
    std::optional<std::int64_t> findSame(std::string_view setupType, const Setup& values);

    // Newest first. A query keeps the setups in which every word of it
    // (separated by blanks) occurs in one of the 73 fields or the setup type,
    // regardless of letter case and accents (foldForSearch); the empty query
    // keeps all. limit 0: no limit.
    std::vector<SetupSummary> summaries(std::string_view query = {}, std::size_t limit = 0);
    std::vector<std::int64_t> matchingIds(std::string_view query);
    std::optional<StoredSetup> setup(std::int64_t id);
    // Oldest first, one at a time (the CSV export).
    void forEachSetup(const std::function<void(const StoredSetup&)>& visit);
    std::size_t count();
    // True when a setup was removed (never its sheet).
    bool remove(std::int64_t id);
    // All of these setups or, should one fail, none; answers how many were there.
    std::size_t remove(const std::vector<std::int64_t>& ids);

    // A number that changes whenever another connection (another program, or
    // another SetupLibrary of this one) has changed the library since it was
    // last asked; never for this connection's own changes. Cheap: no file is read.
    std::int64_t dataVersion();

    // PRAGMA integrity_check: "ok", or what is wrong.
    std::string integrityCheck();

private:
    // record() inside a write transaction the caller holds (the team folder's records).
    friend class TeamRecords;
    std::int64_t recordWithin(const SetupEntry& entry);

    friend struct LibraryConnection;  // the queries and records beside the store
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// What a run does after its sheet stands: records the setup in the library
// at nativePath (created when missing) and never raises, since a library that
// cannot be written must not cost the sheet. Answers nothing, or the failure
// (its errorText the reason for the log line and the racer's warning).
std::optional<platform::Error> recordSetup(const std::string& nativePath, const SetupEntry& entry) noexcept;

// The library file of an installation (Installation.h).
using vantrel::libraryFilePath;

// FNV-1a 64 over, for each of the 73 values in order, its length in bytes as
// decimal digits, ":" and its bytes; 16 lowercase hexadecimal digits. The
// lengths make the split between fields part of the hash.
std::string valueHash(const Setup& values);

// Local time with its offset from UTC, ISO 8601: "2026-12-08T05:03:44+01:00".
std::string localTimestamp(std::time_t when);
// Now, by the process clock (platform::process::now, which tests may fix).
std::string localTimestampNow();
// The instant of such a timestamp as seconds since 1970 UTC; nothing when the text is not one.
std::optional<std::int64_t> parseTimestamp(std::string_view timestamp);

}  // namespace vantrel::library
