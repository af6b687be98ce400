#include "InstallationCheck.h"

#include <filesystem>

#include "CUtils.h"
#include "FileNames.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace vantrel {

namespace {

constexpr const char* kSource = "CAppSettings";

std::string quoted(const std::string& name) { return "\"" + platform::text::printable(name) + "\""; }

// What is wrong with a settings file, after its name; empty when nothing is.
std::string settingsProblem(const std::string& nativePath) {
    std::string bytes;
    const auto file = platform::files::readUserFile(nativePath, bytes);
    switch (file.status) {
    case platform::files::OpenStatus::Opened: break;
    case platform::files::OpenStatus::Missing:
        return "is missing: the program folder holds no settings, so there is no folder to write to";
    case platform::files::OpenStatus::Refused: return "cannot be read: " + file.reason;
    case platform::files::OpenStatus::Failed: return "cannot be read (" + file.reason + ")";
    }
    if (!platform::profile::parseSection(bytes, "Vantrel").found())
        return "is not a settings file: it has no [Vantrel] section";
    return {};
}

void checkSettingsFile(const std::string& settingsFile) {
    if (const std::string problem = settingsProblem(settingsFile); !problem.empty())
        platform::raise(platform::ErrPathAccess, kSource,
                        "The settings file " + platform::text::printable(settingsFile) + " " + problem);
}

void checkSetupType(const std::string& configFolder, const std::string& setupName) {
    const std::string setupFile = platform::paths::toNative(CUtils().checkMe(configFolder) + setupFileName(setupName));
    std::error_code ec;
    // One that is there but no file is the run's to refuse, with its reason.
    if (!std::filesystem::exists(std::filesystem::symlink_status(platform::paths::pathOf(setupFile), ec)))
        platform::raise(platform::ErrFileNotFound, kSource,
                        "There is no setup type " + quoted(setupName) + " (" + platform::text::printable(setupFile) +
                            " is missing)");
}

}  // namespace

void checkSetupName(const std::string& name) {
    std::string why;
    if (name.empty()) why = "it is empty";
    else if (name == "." || name == "..") why = "it names a folder";
    else if (name.find_first_of("/\\") != std::string::npos) why = "it holds a folder separator";
    else if (platform::text::printable(name) != name) why = "it holds a control character";
    if (!why.empty())
        platform::raise(platform::ErrInvalidArgument, kSource,
                        "The setup name " + quoted(name) + " is not the name of a setup type: " + why);
}

void checkSettings(const CAppSettings& config) { checkSettingsFile(platform::paths::toNative(config.FileName())); }

void checkSettings(const Installation& installation) {
    if (const std::string problem = platform::paths::headProblem(installation.programFolder()); !problem.empty())
        platform::raise(platform::ErrPathAccess, kSource,
                        "The program folder " + platform::text::printable(installation.programFolder()) +
                            " cannot hold the settings: its path " + problem + "; rename the folder without it");
    checkSettingsFile(installation.settingsFile());
}

void checkInstallation(const CAppSettings& config, const std::string& setupName) {
    checkSetupName(setupName);
    checkSettings(config);
    checkSetupType(config.ConfigDirectory(), setupName);
}

void checkInstallation(const Installation& installation, const std::string& setupName) {
    checkSetupName(setupName);
    checkSettings(installation);
    checkSetupType(installation.configFolder(), setupName);
}

}  // namespace vantrel
