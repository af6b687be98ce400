#pragma once
// A sheet built anew from a setup the library holds, when the sheet it came
// with was moved or deleted: what the library window's Open Sheet offers.

#include <string>

#include "library/SetupLibrary.h"

namespace vantrel {

// Builds the sheet of `setup` in targetFolder through the run driver, as a
// run with an external data file holding the setup makes it, and shows it
// in the viewer when openInViewer. The library keeps the new sheet's path on
// that setup rather than recording it a second time. Answers the new
// sheet's path (native). Raises what the run raises (platform::Error).
std::string rebuildSheet(const library::StoredSetup& setup, const std::string& targetFolder, bool openInViewer);

}  // namespace vantrel
