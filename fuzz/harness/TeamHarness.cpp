#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "FuzzInput.h"
#include "Harness.h"
#include "ImportReaders.h"
#include "ScratchFolder.h"
#include "TeamIntake.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"
#include "platform/Text.h"

namespace fuzzharness {

namespace {

namespace fs = std::filesystem;

// The setup a link out of the team folder would bring in.
constexpr const char* kOutsider = "Outsider-0x5eed-far-away";

// An entry's name from the input: any bytes but the separator and NUL.
std::string entryName(FuzzInput& in) {
    std::string name = in.text(24);
    for (char& c : name)
        if (c == '/' || c == '\0') c = '_';
    if (name.empty() || name == "." || name == "..") name = "x";
    return name;
}

}  // namespace

void teamFolder(std::string_view input) {
    const fs::path root = scratchPath("team-intake");
    std::error_code ec;
    fs::remove_all(root, ec);
    const fs::path team = root / "Team", outside = root / "outside";
    fs::create_directories(team);
    fs::create_directories(outside);
    std::ofstream(outside / "setup.pdf", std::ios::binary)
        << "[SetupData]\r\nDriverName=" << kOutsider << "\r\n%%EOF\r\n";

    // Entries, one after the other: a kind, a folder (none or a driver's), a
    // name, and for a file its bytes.
    FuzzInput in(input);
    for (int entries = 0; entries < 12 && !in.rest().empty(); ++entries) {
        const unsigned kind = in.byte() % 6;
        const fs::path folder = in.byte() % 2 ? team : team / entryName(in);
        fs::create_directories(folder, ec);
        const fs::path at = folder / (entryName(in) + (kind == 5 ? "" : ".pdf"));
        switch (kind) {
        case 0:
        case 1:
        case 5: std::ofstream(at, std::ios::binary) << in.text(255) << (kind == 1 ? "\n%%EOF\n" : ""); break;
        case 2: fs::create_symlink(outside / "setup.pdf", at, ec); break;
        case 3: ::mkfifo(at.c_str(), 0644); break;
        case 4: fs::create_symlink(outside, at, ec); break;
        }
    }

    const std::string libraryFile = (root / "Library.sqlite").string();
    vantrel::library::SetupLibrary library(libraryFile);
    const auto reader = vantrel::setupFileReader(
        vantrel::SetupTypeFolders{(root / "Config").string() + "/", (root / "Mapping").string() + "/",
                                  (root / "Templates").string() + "/"},
        [] { return std::string("RDX"); });
    for (int scan = 0; scan < 2; ++scan) {
        const vantrel::team::TeamSyncReport report = vantrel::team::syncTeamFolder(library, team.string(), *reader);
        FUZZ_CHECK(report.folderProblem.empty() && report.libraryError.empty(), "the scan stopped");
        if (scan == 1) FUZZ_CHECK(report.added.empty(), "a sheet taken twice");
        for (const auto& problem : report.problems) {
            FUZZ_CHECK(problem.file.rfind(team.string() + "/", 0) == 0, "a file outside the team folder named");
            const std::string line = platform::fileFailure("Cannot take", problem.file, problem.reason);
            FUZZ_CHECK(line.find_first_of("\n\r\x1b") == std::string::npos, "a name printed raw: " + line);
        }
    }
    library.forEachSetup([&](const vantrel::library::StoredSetup& setup) {
        FUZZ_CHECK(setup.values[std::size_t(vantrel::SetupField::DriverName)] != kOutsider,
                   "a setup from outside the team folder came in");
        FUZZ_CHECK(setup.sheet.rfind(team.string() + "/", 0) == 0, "a sheet outside the team folder recorded");
    });
}

}  // namespace fuzzharness
