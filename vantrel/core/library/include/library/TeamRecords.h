#pragma once
// What the library knows of the team folder: each file it has looked at
// (by path, size and modification time, so a rescan opens nothing it has
// seen), and each team mate's sheet it took in, by the setup's content and
// the sheet's name, so a copy or a conflict copy of a sheet is taken once.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "library/SetupLibrary.h"

namespace vantrel::library {

// How a file of the team folder stands.
enum class TeamFileState {
    Taken,       // its setup is in the library
    Pending,     // it did not read whole once (a sync still writing it); tried again
    Unreadable,  // it stayed unreadable; named once, tried again when it changes
    NotASetup,   // a PDF without a setup; tried again when it changes
};

struct TeamFile {
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    TeamFileState state = TeamFileState::Pending;
    std::string reason;  // for Unreadable and NotASetup
};

// Who a setup is from: "mine" for the racer's own, else the team mate's
// folder in the team folder.
struct SetupOrigin {
    bool mine = true;
    std::string driver;
};

class TeamRecords {
public:
    // Over an open library; throws platform::Error (ErrPathAccess) naming
    // the library file when it cannot be read or written.
    explicit TeamRecords(SetupLibrary& library);

    // Every file looked at, by native path.
    std::unordered_map<std::string, TeamFile> files();
    // Many files' states in one transaction (a rescan's changes).
    void setFiles(const std::unordered_map<std::string, std::optional<TeamFile>>& changes);

    // Takes in a sheet's setup under its name (conflict marks taken off) from
    // a team mate's folder; entry.sheet is the file in the team folder. The
    // same content under the same name is there already: answers false. A
    // setup of the racer's own (the same values, a sheet of that name outside
    // the team folder) is linked, not added again.
    bool take(const SetupEntry& entry, const std::string& sheetName, const std::string& driver,
              const std::string& teamFolder);

    // The origin of every setup that came from the team; absent ids are mine.
    std::unordered_map<std::int64_t, SetupOrigin> teamOrigins();

private:
    SetupLibrary& m_library;
};

}  // namespace vantrel::library
