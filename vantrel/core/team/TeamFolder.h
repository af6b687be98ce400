#pragma once
// The team folder: a folder that a file sync (Syncthing, Nextcloud, a
// network share, a stick) keeps alike on every team mate's machine. Each
// sheet a run builds is put there whole, in a folder per driver; every sheet
// that appears there is taken into the library (TeamIntake.h). The library
// itself never lives there: sync tools damage a live database.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel::team {

// Why the library at libraryFile must not be used with this team folder
// (it lies inside it, or the team folder inside the library's data folder),
// or the empty text.
std::string libraryInTeamFolder(const std::string& libraryFile, const std::string& teamFolder);

// Whether a file or folder of this name is a sync tool's work in progress or
// its own bookkeeping rather than a sheet: hidden names (".syncthing.*.tmp",
// ".~lock*", ".stversions"), "~*", "*.part", "*.partial", "*.tmp",
// "*.crdownload", "*.!sync".
bool passedOver(std::string_view fileName);

// The one walk of a team folder that every scan makes, by lstat alone: links
// are not followed (nothing outside the team folder is reached), names that
// passedOver takes are passed over, and the walk goes six folders deep at
// most. `take` is handed each regular file and answers false to end the
// walk. A folder the walk may not enter goes to `unreadable` with the
// system's reason, when one is given. Answers the reason the folder could
// not be walked to its end, or the empty text.
std::string walkTeamFolder(const std::string& teamFolder, const std::function<bool(const std::string& path)>& take,
                           const std::function<void(const std::string& path, int error)>& unreadable = {});

// The name of the folder right below the team folder that holds a file
// deeper down (the driver's folder), or the empty text for a file that lies
// in the team folder itself.
std::string driverFolderOf(const std::string& path, const std::string& teamFolder);

// A sheet's name without the marks a sync tool gives its copies and
// conflict copies: ".sync-conflict-20261208-101500-ABCDEFG", " (conflict)",
// " (Sam's conflicted copy 2026-12-08)", " (1)", " - Copy".
std::string sheetNameOf(std::string_view fileName);

// A driver's name as one folder name that stays inside the team folder:
// no separators, no control characters, not hidden, at most 64 bytes;
// "Driver" when nothing is left.
std::string folderNameFor(std::string_view driver);

// Whether a folder below the team folder is the driver's: named after them
// as the lap tables' driver columns are matched, or by the folder name their
// runs are given (a name with a "/" or ":" or too long for one folder).
bool isDriversFolder(std::string_view folder, std::string_view driver);

// A sheet's file name as it stands in the team folder: not hidden (leading
// dots, blanks and tildes go), so that every team mate's scan sees it.
std::string visibleFileName(std::string_view fileName);

// Puts a sheet into the team folder, in the driver's folder, under its own
// visible name: the file appears whole or not at all (a sync tool never ships
// half a sheet, a killed run leaves nothing), and a file there is never
// replaced: the same sheet there already is kept, another one's name gets a
// number. The team folder itself must be there (a share that is not mounted
// is not created). Answers the file's path; raises platform::Error naming the
// file and why.
std::string publishSheet(const std::string& sheetNativePath, const std::string& teamFolder, std::string_view driver);

}  // namespace vantrel::team
