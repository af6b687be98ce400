#pragma once
// A setup read from a file a user names, and a setup written as a raw data
// file: what the window opens, what vantrel-batch --extract writes, what the
// setup library imports, and what every sheet carries as its attachment.

#include <array>
#include <string>

#include "CAppSettings.h"

namespace vantrel {

// The name of the setup attached to a sheet: the sheet's file name with
// ".dat" in place of ".pdf" (or added, for another ending).
std::string setupAttachmentName(const std::string& sheetNativePath);

// The values of readSetup (SetupReaders.h): the setup in a raw data file or
// a setup sheet, by the setup types of the installation in the program
// folder. Raises platform::Error naming the file and what is wrong with it:
// missing (53), unreadable or too large (75), not a setup, not a setup sheet,
// a damaged or password-locked PDF (5 or 53).
Setup readSetupFile(const std::string& nativePath);

// The setup as a raw data file at a native path, replaced atomically.
// Raises platform::Error 75 naming the file and why when it cannot.
void writeSetupFile(const std::string& nativePath, const Setup& values);

}  // namespace vantrel
