#include "Installation.h"

#include "CAppSettings.h"
#include "CUtils.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/PathParts.h"
#include "platform/Profile.h"

namespace vantrel {

namespace {

// Either separator: a Windows path ends in "\\" ("C:\\" keeps its own).
std::string withoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\') && path[path.size() - 2] != ':')
        path.pop_back();
    return path;
}

}  // namespace

Installation Installation::read(const std::string& programFolder) {
    const CUtils utils;
    Installation in;
    in.m_programFolder = programFolder;
    const std::string settingsFile = settingsFileOf(programFolder);
    in.m_settingsFile = settingsFile;
    const auto settings = platform::profile::readSection(settingsFile, "Vantrel", MaxValueBytes + 1);
    in.m_settingsFound = settings.found();
    // Composed as the run's ReadSettings composes them, then made native.
    auto folder = [&](std::string_view key) {
        const std::string value = settings.value(key);
        if (platform::paths::isWhole(value)) return platform::paths::toNative(utils.checkMe(value));
        return platform::paths::toNative(programFolder + utils.FormatPath(value));
    };
    in.m_dataFolder = folder("DataDirectory");
    in.m_mappingFolder = folder("MappingDirectory");
    in.m_templatesFolder = folder("TemplatesDirectory");
    in.m_loggingFolder = folder("LoggingDirectory");
    in.m_configFolder = folder("ConfigDirectory");
    in.m_dataFile = settings.value("DataFile");
    in.m_dataFileDelimiter = settings.value("DataFileDelimiter");
    in.m_rawDataFile = settings.value("RawDataFile");
    in.m_logFile = settings.value("LogFile");
    in.m_libraryFileSetting = settings.value("LibraryFile");
    // A folder path may be longer than the other settings' values.
    in.m_teamFolder = resolveTeamFolder(
        platform::profile::readSection(settingsFile, "Vantrel", 4096).value("TeamFolder"), programFolder);
    return in;
}

std::string Installation::settingsFileOf(const std::string& programFolder) {
    return platform::paths::toNative(programFolder + "\\bin\\Vantrel.ini");
}

std::string Installation::rawDataPath() const {
    return platform::paths::toNative(CUtils().checkMe(m_dataFolder) + m_rawDataFile);
}

std::string Installation::runLockFile() const { return platform::paths::toNative(m_dataFolder + "/Vantrel.lock"); }

std::string Installation::libraryFile() const { return libraryFilePath(m_dataFolder, m_libraryFileSetting); }

std::string libraryFilePath(const std::string& dataDirectory, const std::string& libraryFile) {
    const bool plainName = libraryFile.find_first_of("/\\") == std::string::npos && libraryFile != "." &&
                           libraryFile != ".." && libraryFile.find('\0') == std::string::npos;
    if (!plainName)
        platform::raise(platform::ErrInvalidArgument, "SetupLibrary",
                        "The setting LibraryFile=" + libraryFile +
                            " does not name a file in the data folder (a plain file name is expected)");
    std::string folder = dataDirectory;
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
    return platform::paths::toNative(folder + (libraryFile.empty() ? std::string("Library.sqlite") : libraryFile));
}

std::string resolveTeamFolder(std::string_view setting, const std::string& programFolder) {
    const auto first = setting.find_first_not_of(" \t"), last = setting.find_last_not_of(" \t");
    const std::string value =
        first == std::string_view::npos ? std::string() : std::string(setting.substr(first, last - first + 1));
    if (value.empty()) return {};
    if (platform::paths::isWhole(value)) return withoutTrailingSeparator(platform::paths::toNative(value));
    return withoutTrailingSeparator(platform::paths::toNative(programFolder + "\\" + value));
}

}  // namespace vantrel
