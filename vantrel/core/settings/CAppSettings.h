#pragma once
// Configuration and setup record of one run, as plain text properties that
// store exactly what they are given. The object is pointed at different
// profile files in turn through FileName: the application settings file
// (ReadSettings), a per-setup file (LoadProperties) and a raw data file
// (WriteRawData, LoadRawData).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "Setup.h"
#include "TextProperty.h"

namespace vantrel {

class CAppSettings {
public:
    VANTREL_TEXT_PROPERTY(FileName)
    VANTREL_TEXT_PROPERTY(DataDirectory)
    VANTREL_TEXT_PROPERTY(MappingDirectory)
    VANTREL_TEXT_PROPERTY(TemplatesDirectory)
    VANTREL_TEXT_PROPERTY(LoggingDirectory)
    VANTREL_TEXT_PROPERTY(ConfigDirectory)
    VANTREL_TEXT_PROPERTY(DataFile)
    VANTREL_TEXT_PROPERTY(DataFileDelimiter)
    VANTREL_TEXT_PROPERTY(RawDataFile)
    VANTREL_TEXT_PROPERTY(LogFile)
    // Optional: the setup library's file in the data folder (empty: "Library.sqlite").
    VANTREL_TEXT_PROPERTY(LibraryFile)
    // Optional: the team folder as the settings give it (resolveTeamFolder,
    // Installation.h, makes it a folder).
    VANTREL_TEXT_PROPERTY(TeamFolder)
    VANTREL_TEXT_PROPERTY(SetupName)
    VANTREL_TEXT_PROPERTY(MappingFile)
    VANTREL_TEXT_PROPERTY(PDFTemplateSetupSheet)

    // The setup record: DriverName() / setDriverName(...) and so on for all
    // 73 fields, plus access by field.
#define VANTREL_SETUP_FIELD(name) VANTREL_FIELD_PROPERTY(SetupField, m_record, name)
#include "SetupFields.def"
#undef VANTREL_SETUP_FIELD

    const std::string& field(SetupField f) const { return m_record[f]; }
    void setField(SetupField f, std::string value) { m_record[f] = std::move(value); }
    // The whole record at once.
    const vantrel::Setup& setup() const { return m_record; }
    void setSetup(vantrel::Setup setup) { m_record = std::move(setup); }

    // Section "Vantrel" of FileName into the configuration properties; the
    // five folders become program folder + FormatPath(value).
    void ReadSettings();
    // Section "Setup" of FileName into SetupName, MappingFile, PDFTemplateSetupSheet.
    // This and LoadRawData read their file once, and raise ErrPathAccess
    // naming the file when it is there but is no file to read (a folder, a
    // pipe, a device, a socket, or larger than 16 MiB).
    void LoadProperties();
    // One entry into FileName. A line break in the value (CR, LF or CR LF) is
    // written as one blank, so a value can never add lines of its own.
    void WriteSettings(const std::string& strAppName, const std::string& strName, const std::string& strValue);
    // The 73 fields into section "SetupData" of FileName, in file order.
    void WriteRawData();
    // The 73 fields from section "SetupData" of FileName; missing keys give empty text.
    void LoadRawData();
    // Whether FileName held the section that the last ReadSettings,
    // LoadProperties or LoadRawData read (in any letter case), so a caller
    // can tell a file of another kind without reading it again.
    bool SectionFound() const { return m_sectionFound; }

private:
    std::string m_FileName, m_DataDirectory, m_MappingDirectory, m_TemplatesDirectory, m_LoggingDirectory,
        m_ConfigDirectory, m_DataFile, m_DataFileDelimiter, m_RawDataFile, m_LogFile, m_LibraryFile, m_TeamFolder,
        m_SetupName, m_MappingFile, m_PDFTemplateSetupSheet;
    vantrel::Setup m_record;
    bool m_sectionFound = false;
};

}  // namespace vantrel
