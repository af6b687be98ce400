#pragma once
// The registry of setup readers as an import of setups into the library
// takes it, for the window and vantrel-batch alike.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SetupType.h"
#include "library/SetupImport.h"

namespace vantrel {

// Raw data files and setup sheets, read by readSetup with the setup types of
// folders. rawDataSetupType answers, when a file is read, the setup type
// recorded for a raw data file (which names none) and for a sheet that says
// nothing of its own.
std::unique_ptr<library::SetupFileReader> setupFileReader(SetupTypeFolders folders,
                                                          std::function<std::string()> rawDataSetupType);

// The readers of an import: the one above, with a setup type fixed.
std::vector<std::unique_ptr<library::SetupFileReader>> importReaders(const SetupTypeFolders& folders,
                                                                     const std::string& rawDataSetupType);

}  // namespace vantrel
