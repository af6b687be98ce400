#include "SheetRuns.h"

#include <filesystem>

#include "library/TrackHistory.h"
#include "pdfauto/Document.h"
#include "platform/Error.h"
#include "runs/RunFile.h"

namespace vantrel {

std::string runsAttachmentName(const std::string& sheetNativePath) {
    return std::filesystem::path(sheetNativePath).stem().string() + ".vrun";
}

std::string meetingRunsText(const CAppSettings& config, const Setup& values) noexcept {
    // Never raises: the runs are an addition to the sheet.
    try {
        if (!runs::meetingProblem(values).empty()) return {};
        const std::string path = library::libraryFilePath(config.DataDirectory(), config.LibraryFile());
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) return {};
        library::SetupLibrary library(path, {.readOnly = true});
        const std::vector<runs::StoredRun> stored = runs::meetingRuns(library, values);
        if (stored.empty()) return {};
        return runs::runsFileText(std::vector<runs::RunEntry>(stored.begin(), stored.end()));
    } catch (...) {
        return {};
    }
}

std::size_t takeSheetRuns(library::SetupLibrary& library, const std::string& sheetNativePath) {
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
    const runs::RunFileReading reading = runs::readRunsFile(text);
    if (!reading.whole || !reading.problem.empty())
        platform::raiseAboutFile(platform::ErrInvalidArgument, "takeSheetRuns", "Cannot take the runs of",
                                 sheetNativePath,
                                 "what it carries is no file of runs (" +
                                     (reading.whole ? reading.problem : std::string("it is cut short")) + ")");
    std::size_t added = 0;
    for (const runs::RunEntry& run : reading.runs)
        if (runs::logRunIfNew(library, run)) ++added;
    return added;
}

std::string takeSheetRuns(const std::string& libraryPath, const std::string& sheetNativePath,
                          std::size_t& added) noexcept {
    // Never raises: the setup was read, and the runs are an addition.
    added = 0;
    try {
        if (std::filesystem::path(sheetNativePath).extension() != ".pdf") return {};
        library::SetupLibrary library(libraryPath);
        added = takeSheetRuns(library, sheetNativePath);
        return {};
    } catch (const std::exception& e) {
        return platform::errorText(e);
    }
}

}  // namespace vantrel
