#pragma once
// The installation a program runs in, read where the program starts and
// handed to what needs it: the program folder, its settings file
// (bin/Vantrel.ini) and every folder and file that section "Vantrel" of it
// configures, as native paths. The run keeps its own settings object
// (CAppSettings), which it points at this file and others in turn.

#include <string>
#include <string_view>

namespace vantrel {

class Installation {
public:
    // The installation whose program folder is programFolder (native, without
    // a trailing separator, as platform::process::programFolder gives it).
    // Never raises: a settings file that is missing or cannot be read reads
    // as empty, as it does for a run, which says why before it writes.
    static Installation read(const std::string& programFolder);

    // The settings file of the installation in programFolder, native: the
    // one place that names it.
    static std::string settingsFileOf(const std::string& programFolder);

    const std::string& programFolder() const { return m_programFolder; }
    // program folder + "\bin\Vantrel.ini", native.
    const std::string& settingsFile() const { return m_settingsFile; }
    // Whether the settings file held section "Vantrel".
    bool settingsFound() const { return m_settingsFound; }

    // The five folders, native, each as CAppSettings::ReadSettings composes
    // it: program folder + FormatPath(value), or the value itself when it
    // starts with "/"; ending in "/" but for an empty setting, which gives
    // the program folder.
    const std::string& dataFolder() const { return m_dataFolder; }
    const std::string& mappingFolder() const { return m_mappingFolder; }
    const std::string& templatesFolder() const { return m_templatesFolder; }
    const std::string& loggingFolder() const { return m_loggingFolder; }
    const std::string& configFolder() const { return m_configFolder; }

    // File names as the settings give them.
    const std::string& dataFile() const { return m_dataFile; }
    const std::string& dataFileDelimiter() const { return m_dataFileDelimiter; }
    const std::string& rawDataFile() const { return m_rawDataFile; }
    const std::string& logFile() const { return m_logFile; }
    // The raw data file a capture writes: the data folder + rawDataFile(), native.
    std::string rawDataPath() const;
    // The file that runs of this installation take turns on
    // (platform/RunLock.h): "Vantrel.lock" in the data folder, native.
    std::string runLockFile() const;

    // The setup library's file: libraryFilePath of the data folder and the
    // LibraryFile setting. A setting that names no plain file raises here,
    // when the library is asked for, as it always has.
    std::string libraryFile() const;
    const std::string& libraryFileSetting() const { return m_libraryFileSetting; }

    // The team folder, native and without a trailing separator; empty when
    // TeamFolder is not set (resolveTeamFolder).
    const std::string& teamFolder() const { return m_teamFolder; }

private:
    std::string m_programFolder, m_settingsFile, m_dataFolder, m_mappingFolder, m_templatesFolder, m_loggingFolder,
        m_configFolder, m_dataFile, m_dataFileDelimiter, m_rawDataFile, m_logFile, m_libraryFileSetting, m_teamFolder;
    bool m_settingsFound = false;
};

// The library file of an installation: checkMe(dataDirectory) +
// "Library.sqlite", or + libraryFile when the settings name another file in
// that folder. A libraryFile that is not a plain file name is refused
// (platform::Error naming it). Answers a native path.
std::string libraryFilePath(const std::string& dataDirectory, const std::string& libraryFile = {});

// The TeamFolder setting as a folder, native and without a trailing
// separator: absolute ("/home/sam/Sync/Team") or relative to the program
// folder as the other folders are ("Team", "\Team\"). Empty when not set.
std::string resolveTeamFolder(std::string_view setting, const std::string& programFolder);

}  // namespace vantrel
