#pragma once
// What a run, and every vantrel-batch command, checks of the installation
// before it writes anything: a wrong setup name, a missing setup type or a
// missing settings file would otherwise send the run's files to the program
// folder itself, or to a file outside the configuration folder.

#include <string>

#include "CAppSettings.h"
#include "Installation.h"

namespace vantrel {

// Raises platform::Error 5 unless name is one name of a setup type: not
// empty, no folder separator, not "." or "..", no control character.
void checkSetupName(const std::string& name);

// Raises platform::Error naming the settings file (config's FileName, as read
// by ReadSettings) when it is missing, cannot be read or has no [Vantrel]
// section.
void checkSettings(const CAppSettings& config);
void checkSettings(const Installation& installation);

// Both of the above, and the setup type's file Config/Setup_NAME.ini is there:
// else "There is no setup type NAME (… is missing)".
void checkInstallation(const CAppSettings& config, const std::string& setupName);
void checkInstallation(const Installation& installation, const std::string& setupName);

}  // namespace vantrel
