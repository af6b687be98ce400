#include "SheetRuns.h"

#include <filesystem>

#include "library/TrackHistory.h"
#include "pdfauto/Document.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "TeamFolder.h"
#include "runs/DriverName.h"
#include "runs/RunFile.h"

namespace vantrel {

std::string runsAttachmentName(const std::string& sheetNativePath) {
    return platform::paths::stemOf(sheetNativePath) + ".vrun";
}

std::string meetingRunsText(const CAppSettings& config, const Setup& values) noexcept {
    // Never raises: the runs are an addition to the sheet.
    try {
        if (!runs::meetingProblem(values).empty()) return {};
        const std::string path = library::libraryFilePath(config.DataDirectory(), config.LibraryFile());
        std::error_code ec;
        if (!std::filesystem::exists(platform::paths::pathOf(path), ec)) return {};
        library::SetupLibrary library(path, {.readOnly = true});
        const std::vector<runs::StoredRun> stored = runs::meetingRuns(library, values);
        if (stored.empty()) return {};
        return runs::runsFileText(std::vector<runs::RunEntry>(stored.begin(), stored.end()));
    } catch (...) {
        return {};
    }
}

std::string teamMateOf(std::string_view driver, std::string_view carried, std::string_view ownDriver) {
    if (library::matchKey(ownDriver).empty() || library::matchKey(driver).empty()) return std::string(carried);
    if (runs::sameDriver(driver, ownDriver)) return {};
    // A name the run carries that is the racer's own cannot make another driver's run theirs.
    if (!library::matchKey(carried).empty() && !runs::sameDriver(carried, ownDriver)) return std::string(carried);
    return team::folderNameFor(driver);
}

std::size_t takeSheetRuns(library::SetupLibrary& library, const std::string& sheetNativePath,
                          std::string_view ownDriver) {
    const pdfauto::Document document(sheetNativePath);
    const std::string name = runsAttachmentName(sheetNativePath);
    std::string text;
    if (document.hasAttachment(name)) {
        text = document.attachment(name);
    } else {
        // A sheet renamed since it was built carries them under its old name.
        for (const std::string& attached : document.attachmentNames())
            if (attached.size() > 5 && attached.compare(attached.size() - 5, 5, ".vrun") == 0)
                text = document.attachment(attached);
        if (text.empty()) return 0;
    }
    runs::RunFileReading reading = runs::readRunsFile(text);
    if (!reading.whole || !reading.problem.empty())
        platform::raiseAboutFile(platform::ErrInvalidArgument, "takeSheetRuns", "Cannot take the runs of",
                                 sheetNativePath,
                                 "what it carries is no file of runs (" +
                                     (reading.whole ? reading.problem : std::string("it is cut short")) + ")");
    std::size_t added = 0;
    for (runs::RunEntry& run : reading.runs) {
        run.team = teamMateOf(run.values[std::size_t(SetupField::DriverName)], run.team, ownDriver);
        if (runs::logRunIfNew(library, run)) ++added;
    }
    return added;
}

std::string takeSheetRuns(const std::string& libraryPath, const std::string& sheetNativePath, std::size_t& added,
                          std::string_view ownDriver) noexcept {
    // Never raises: the setup was read, and the runs are an addition.
    added = 0;
    try {
        if (platform::paths::extensionOf(sheetNativePath) != ".pdf") return {};
        library::SetupLibrary library(libraryPath);
        added = takeSheetRuns(library, sheetNativePath, ownDriver);
        return {};
    } catch (const std::exception& e) {
        return platform::errorText(e);
    }
}

}  // namespace vantrel
