#include "TeamFolder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <regex>
#include <unordered_map>

#include "FileNames.h"
#include "platform/Error.h"
#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/FolderWalk.h"
#include "platform/NewFile.h"
#include "platform/Paths.h"
#include "platform/PathParts.h"
#include "platform/PathText.h"
#include "platform/Text.h"
#include "runs/DriverName.h"

namespace vantrel::team {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSource = "TeamFolder";

std::string withoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string canonical(const std::string& path) {
    std::error_code ec;
    const fs::path c = fs::weakly_canonical(platform::paths::pathOf(path), ec);
    return withoutTrailingSeparator(ec ? path : platform::paths::textOf(c));
}

}  // namespace

std::string libraryInTeamFolder(const std::string& libraryFile, const std::string& teamFolder) {
    if (teamFolder.empty()) return {};
    const std::string library = canonical(libraryFile), folder = canonical(teamFolder);
    // The other way round as well: a team folder inside the data folder, whose
    // sync would reach for the library beside it.
    const std::string data = platform::paths::folderOf(library);
    if (folder.compare(0, data.size() + 1, platform::paths::joined(data, "")) == 0)
        return "The team folder " + teamFolder + " lies inside the data folder " + data +
               ", beside the setup library: choose a team folder apart from the data folder.";
    if (library.compare(0, folder.size() + 1, platform::paths::joined(folder, "")) != 0) return {};
    return "The setup library " + libraryFile + " lies inside the team folder " + teamFolder +
           ": a sync tool would copy the live database and damage it. Choose a team folder apart from the data "
           "folder, or a data folder outside the team folder.";
}

std::string walkTeamFolder(const std::string& teamFolder, const std::function<bool(const std::string& path)>& take,
                           const std::function<void(const std::string& path, int error)>& unreadable) {
    // Sheets and runs stand at most this deep below the team folder (driver
    // folders, and whatever order a team keeps inside them).
    constexpr int kMaxDepth = 6;
    using platform::files::FileKind;
    using platform::files::WalkStep;
    return platform::files::walkFolder(teamFolder, [&](const platform::files::FolderEntry& entry) {
        if (entry.kind == FileKind::Folder) {
            if (passedOver(entry.name) || entry.depth + 1 >= kMaxDepth) return WalkStep::PassOver;
            if (!unreadable) return WalkStep::Continue;
            if (const int error = platform::files::listAccessError(entry.path); error != 0)
                unreadable(entry.path, error);
            return WalkStep::Continue;
        }
        if (entry.kind == FileKind::Regular && !passedOver(entry.name) && !take(entry.path)) return WalkStep::Stop;
        return WalkStep::Continue;
    });
}

std::string driverFolderOf(const std::string& path, const std::string& teamFolder) {
    const fs::path relative = platform::paths::pathOf(path).lexically_relative(platform::paths::pathOf(teamFolder));
    if (std::distance(relative.begin(), relative.end()) < 2) return {};
    return platform::paths::textOf(*relative.begin());
}

bool isDriversFolder(std::string_view folder, std::string_view driver) {
    if (runs::sameDriver(driver, folder)) return true;
    const std::string given = folderNameFor(driver);
    return folder == given || runs::sameDriver(given, folder);
}

bool passedOver(std::string_view fileName) {
    if (fileName.empty() || fileName.front() == '.' || fileName.front() == '~') return true;
    const std::string lower = platform::text::toLower(std::string(fileName));
    static constexpr std::array<std::string_view, 6> kEndings = {".part",       ".partial", ".tmp",
                                                                 ".crdownload", ".!sync",   ".download"};
    return std::any_of(kEndings.begin(), kEndings.end(),
                       [&](std::string_view e) { return lower.size() > e.size() && lower.ends_with(e); });
}

std::string sheetNameOf(std::string_view fileName) {
    static const std::regex kMarks[] = {
        std::regex(R"(\.sync-conflict-\d{8}-\d{6}(-[A-Z0-9]{7})?$)"),
        std::regex(R"( \((?:[^()]*'s )?conflicted copy[^()]*\)$)", std::regex::icase),
        std::regex(R"( \(conflict(?:[ -]?\d+)?\)$)", std::regex::icase),
        std::regex(R"( \(\d+\)$)"),
        std::regex(R"( - Copy(?: \(\d+\))?$)", std::regex::icase),
    };
    std::string stem = platform::paths::stemOf(fileName);
    for (bool changed = true; changed;) {
        changed = false;
        for (const std::regex& mark : kMarks) {
            std::string cut = std::regex_replace(stem, mark, "");
            if (cut != stem && !cut.empty()) {
                stem = std::move(cut);
                changed = true;
            }
        }
    }
    // "x.PDF" and "x.pdf" are one sheet to a team whose machines differ in letter case.
    return stem + platform::text::toLower(platform::paths::extensionOf(fileName));
}

std::string folderNameFor(std::string_view driver) {
    std::string out;
    for (const char c : driver) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) ? '_' : c;
    }
    // Leading dots and tildes would hide the folder from every scan.
    const auto first = out.find_first_not_of(" .~");
    out = first == std::string::npos ? std::string() : out.substr(first);
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
    if (out.size() > 64) {
        std::size_t cut = 64;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    // "CON" and "nul.x" are devices on Windows, never folders.
    return out.empty() ? "Driver" : portableFileName(out);
}

std::string visibleFileName(std::string_view fileName) {
    // Leading dots and tildes would hide the sheet from every team mate's scan.
    const auto first = fileName.find_first_not_of(" .~");
    return first == std::string_view::npos ? std::string("Sheet.pdf") : std::string(fileName.substr(first));
}

namespace {

// Whether the file at path holds exactly bytes (the same sheet put there before).
bool holds(const std::string& path, const std::string& bytes) {
    std::string there;
    return platform::files::readUserFile(path, there, bytes.size()).status == platform::files::OpenStatus::Opened &&
           there == bytes;
}

}  // namespace

std::string publishSheet(const std::string& sheetNativePath, const std::string& teamFolder, std::string_view driver) {
    if (platform::files::factsOf(teamFolder).kind != platform::files::FileKind::Folder)
        platform::raise(platform::ErrPathAccess, kSource,
                        "The team folder " + teamFolder + " is not there (a share not mounted, a stick pulled?)");
    const std::string folder = platform::paths::joined(teamFolder, folderNameFor(driver));
    if (const int error = platform::files::makeFolder(folder); error != 0 && error != EEXIST)
        platform::raiseAboutFile(platform::ErrPathAccess, kSource, "Cannot make the folder", folder,
                                 platform::files::systemMessage(error));
    std::string bytes;
    const platform::files::UserFile read =
        platform::files::readUserFile(sheetNativePath, bytes, platform::files::NoSizeLimit);
    if (read.status != platform::files::OpenStatus::Opened)
        platform::raiseAboutFile(platform::ErrPathAccess, kSource, "Cannot read the sheet", sheetNativePath,
                                 read.reason.empty() ? std::string("there is no such file") : read.reason);
    // Written whole under its name or not at all, never over a file there: a
    // name that is taken by another sheet gets a number.
    const std::string wanted = platform::paths::joined(
        folder, portableFileName(visibleFileName(platform::paths::fileNameOf(sheetNativePath))));
    // A name there that differs only in letter case is this name on Windows.
    std::unordered_map<std::string, std::string> there;
    for (const std::string& name : platform::files::namesIn(folder)) there.emplace(foldedFileName(name), name);
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const std::string target = platform::files::numberedName(wanted, attempt);
        const std::string name = platform::paths::fileNameOf(target);
        const auto other = there.find(foldedFileName(name));
        if (other != there.end() && other->second != name) {
            if (const std::string theirs = platform::paths::joined(folder, other->second); holds(theirs, bytes))
                return theirs;
            continue;
        }
        const int error = platform::files::writeNewFile(target, bytes);
        if (!error || (error == EEXIST && holds(target, bytes))) return target;
        if (error != EEXIST)
            platform::raiseAboutFile(platform::ErrPathAccess, kSource, "Cannot put the sheet into", target,
                                     platform::files::systemMessage(error));
    }
    platform::raiseAboutFile(platform::ErrPathAccess, kSource, "Cannot put the sheet into", wanted,
                             "every name from it to 1000 is taken");
}

}  // namespace vantrel::team
