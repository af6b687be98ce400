#include "CAppSettings.h"

#include <vector>

#include "CUtils.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Profile.h"

namespace vantrel {

namespace {

// Each entry comes back with at most MaxValueBytes characters, as a buffer
// one longer, for its terminating null, allows.
constexpr std::size_t kReadBufferSize = MaxValueBytes + 1;
constexpr std::size_t kFolderBufferSize = 4096;

// One section of a file the user named, read once. A file that is there but
// cannot be one (a folder, a pipe, a device, a huge file) stops the caller;
// a missing file reads as empty.
platform::profile::SectionEntries readUserSection(const std::string& fileName, std::string_view section,
                                                  const char* fileKind) {
    std::string refusal;
    auto entries = platform::profile::readSection(fileName, section, kReadBufferSize, &refusal);
    if (!refusal.empty())
        platform::raise(
            platform::ErrPathAccess, "CAppSettings",
            std::string("The ") + fileKind + " " + platform::paths::toNative(fileName) + " cannot be read: " + refusal);
    return entries;
}

}  // namespace

void CAppSettings::ReadSettings() {
    const CUtils utils;
    const std::string programFolder = platform::process::programFolder();
    // A settings file that cannot be read reads as empty here; the run driver
    // reports why before it uses any of it.
    const auto settings = platform::profile::readSection(m_FileName, "Vantrel", kReadBufferSize);
    m_sectionFound = settings.found();
    // A folder below the program folder, or one given whole ("/srv/rc/data"),
    // taken as it stands as the team folder is.
    auto folder = [&](std::string_view key) {
        const std::string value = settings.value(key);
        if (!value.empty() && value.front() == '/') return utils.checkMe(value);
        return programFolder + utils.FormatPath(value);
    };
    m_DataDirectory = folder("DataDirectory");
    m_MappingDirectory = folder("MappingDirectory");
    m_TemplatesDirectory = folder("TemplatesDirectory");
    m_LoggingDirectory = folder("LoggingDirectory");
    m_ConfigDirectory = folder("ConfigDirectory");
    m_DataFile = settings.value("DataFile");
    m_DataFileDelimiter = settings.value("DataFileDelimiter");
    m_RawDataFile = settings.value("RawDataFile");
    m_LogFile = settings.value("LogFile");
    m_LibraryFile = settings.value("LibraryFile");
    // A folder path may be longer than the other settings' values.
    m_TeamFolder = platform::profile::readSection(m_FileName, "Vantrel", kFolderBufferSize).value("TeamFolder");
}

void CAppSettings::LoadProperties() {
    const auto setup = readUserSection(m_FileName, "Setup", "setup file");
    m_sectionFound = setup.found();
    m_SetupName = setup.value("SetupName");
    m_MappingFile = setup.value("MappingFile");
    m_PDFTemplateSetupSheet = setup.value("PDFTemplateSetupSheet");
}

void CAppSettings::WriteSettings(const std::string& strAppName, const std::string& strName,
                                 const std::string& strValue) {
    // The profile writer turns line breaks into blanks; a failed write goes unreported.
    platform::profile::writeEntry(m_FileName, strAppName, strName, strValue);
}

void CAppSettings::WriteRawData() {
    // The 73 entries in one replacement of the file, byte for byte what one
    // WriteSettings each would leave; a failed write goes unreported.
    std::vector<platform::profile::Entry> entries;
    entries.reserve(SetupFieldCount);
    for (std::size_t i = 0; i < SetupFieldCount; ++i) entries.push_back({SetupFieldKeys[i], m_record[i]});
    platform::profile::writeEntries(m_FileName, "SetupData", entries);
}

void CAppSettings::LoadRawData() {
    const auto record = readUserSection(m_FileName, "SetupData", "raw data file");
    m_sectionFound = record.found();
    for (std::size_t i = 0; i < SetupFieldCount; ++i) m_record[i] = record.value(SetupFieldKeys[i]);
}

}  // namespace vantrel
