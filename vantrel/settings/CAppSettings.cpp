#include "CAppSettings.h"

#include "CUtils.h"
#include "platform/Process.h"
#include "platform/Profile.h"

namespace vantrel {

namespace {

// Each entry comes back with at most MaxValueBytes characters, as a buffer
// one longer, for its terminating null, allows.
constexpr std::size_t kReadBufferSize = MaxValueBytes + 1;

std::string readValue(const std::string& fileName, std::string_view section, std::string_view key) {
    return platform::profile::readEntry(fileName, section, key, {}, kReadBufferSize);
}

}  // namespace

void CAppSettings::ReadSettings() {
    const CUtils utils;
    const std::string programFolder = platform::process::programFolder();
    auto folder = [&](std::string_view key) {
        return programFolder + utils.FormatPath(readValue(m_FileName, "Vantrel", key));
    };
    m_DataDirectory = folder("DataDirectory");
    m_MappingDirectory = folder("MappingDirectory");
    m_TemplatesDirectory = folder("TemplatesDirectory");
    m_LoggingDirectory = folder("LoggingDirectory");
    m_ConfigDirectory = folder("ConfigDirectory");
    m_DataFile = readValue(m_FileName, "Vantrel", "DataFile");
    m_DataFileDelimiter = readValue(m_FileName, "Vantrel", "DataFileDelimiter");
    m_RawDataFile = readValue(m_FileName, "Vantrel", "RawDataFile");
    m_LogFile = readValue(m_FileName, "Vantrel", "LogFile");
}

void CAppSettings::LoadProperties() {
    m_SetupName = readValue(m_FileName, "Setup", "SetupName");
    m_MappingFile = readValue(m_FileName, "Setup", "MappingFile");
    m_PDFTemplateSetupSheet = readValue(m_FileName, "Setup", "PDFTemplateSetupSheet");
}

void CAppSettings::WriteSettings(const std::string& strAppName, const std::string& strName,
                                 const std::string& strValue) {
    // The profile writer turns line breaks into blanks; a failed write goes unreported.
    platform::profile::writeEntry(m_FileName, strAppName, strName, strValue);
}

void CAppSettings::WriteRawData() {
    for (std::size_t i = 0; i < SetupFieldCount; ++i)
        WriteSettings("SetupData", std::string(SetupFieldKeys[i]), m_record[i]);
}

void CAppSettings::LoadRawData() {
    for (std::size_t i = 0; i < SetupFieldCount; ++i)
        m_record[i] = readValue(m_FileName, "SetupData", SetupFieldKeys[i]);
}

}  // namespace vantrel
