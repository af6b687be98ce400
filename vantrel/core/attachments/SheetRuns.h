#pragma once
// A sheet carries its meeting's runs beside its setup: an attachment named
// after the sheet with ".vrun" (RunFile.h), written when the library holds
// runs of the meeting the sheet is for. --extract, Open Setup and an import
// take them back into the library, each run once (by its uid).

#include <cstddef>
#include <string>
#include <string_view>

#include "CAppSettings.h"
#include "library/SetupLibrary.h"

namespace vantrel {

// "…/Jo_RDX_2026-06-14_101500.25.pdf" -> "Jo_RDX_2026-06-14_101500.25.vrun".
std::string runsAttachmentName(const std::string& sheetNativePath);

// The text of the meeting's runs from the library that config names, for the
// sheet of these values; empty when there are none or the library cannot be read.
std::string meetingRunsText(const CAppSettings& config, const Setup& values) noexcept;

// Whose a setup or a run that came in a file is, as the team folder names
// it: the empty text for the racer's own (driver is ownDriver, matched as
// runs::sameDriver matches), else the team mate's: the name the run carries
// (Run.Team), or its driver's. Without ownDriver, what the run carries.
std::string teamMateOf(std::string_view driver, std::string_view carried, std::string_view ownDriver);

// The runs the sheet carries, into the library; answers how many were new
// (none for a sheet without them). Each run is whose teamMateOf says.
// Raises platform::Error naming the sheet when what it carries is no file
// of runs, or the library cannot be written.
std::size_t takeSheetRuns(library::SetupLibrary& library, const std::string& sheetNativePath,
                          std::string_view ownDriver = {});
// The same into the library at libraryPath; never raises: answers the empty
// text, or the warning, and how many runs came in `added`.
std::string takeSheetRuns(const std::string& libraryPath, const std::string& sheetNativePath, std::size_t& added,
                          std::string_view ownDriver = {}) noexcept;

}  // namespace vantrel
