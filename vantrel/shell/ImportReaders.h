#pragma once
// The readers an import of setups into the library uses, for the window and
// vantrel-batch alike: raw data files, and setup sheets.

#include <memory>
#include <string>
#include <vector>

#include "library/SetupImport.h"

namespace vantrel {

// rawDataSetupType: the setup type recorded for a raw data file, which names none.
std::vector<std::unique_ptr<library::SetupFileReader>> importReaders(const std::string& rawDataSetupType);

}  // namespace vantrel
