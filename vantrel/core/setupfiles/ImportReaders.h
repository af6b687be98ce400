#pragma once
// The readers an import of setups into the library uses, for the window and
// vantrel-batch alike: raw data files, and setup sheets.

#include <memory>
#include <string>
#include <vector>

#include "library/SetupImport.h"

namespace vantrel {

// rawDataSetupType: the setup type recorded for a raw data file, which names
// none, and for a sheet whose name does not say it.
std::vector<std::unique_ptr<library::SetupFileReader>> importReaders(const std::string& rawDataSetupType);

// Setup sheets alone: the attached setup, else the one the sheet's fields
// give; the setup type from the sheet's name, else fallbackSetupType.
std::unique_ptr<library::SetupFileReader> sheetFileReader(const std::string& fallbackSetupType);

}  // namespace vantrel
