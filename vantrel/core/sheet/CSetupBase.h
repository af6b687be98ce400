#pragma once
// The setup sheet builder: turns one raw data file into one filled setup
// sheet PDF. The run driver sets the properties and calls CreateSetupSheet
// once; DriverSetupFilename then names the sheet.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CAppSettings.h"
#include "CUtils.h"
#include "SetupFile.h"
#include "logging/Logging.h"
#include "platform/com/Unknown.h"

namespace vantrel {

class CRulesEngine;
class SheetDocument;

class CSetupBase {
public:
    const std::string& LogPath() const { return m_LogPath; }
    void setLogPath(std::string v) { m_LogPath = std::move(v); }
    const std::string& DriverSetupFilename() const { return m_DriverSetupFilename; }
    void setDriverSetupFilename(std::string v) { m_DriverSetupFilename = std::move(v); }
    const std::shared_ptr<CAppSettings>& Config() const { return m_Config; }
    void setConfig(std::shared_ptr<CAppSettings> v) { m_Config = std::move(v); }
    const std::string& TargetPDFDirectory() const { return m_TargetPDFDirectory; }
    void setTargetPDFDirectory(std::string v) { m_TargetPDFDirectory = std::move(v); }
    const std::string& PDFTemplateSetupSheet() const { return m_PDFTemplateSetupSheet; }
    void setPDFTemplateSetupSheet(std::string v) { m_PDFTemplateSetupSheet = std::move(v); }
    const std::string& MappingFile() const { return m_MappingFile; }
    void setMappingFile(std::string v) { m_MappingFile = std::move(v); }
    const std::string& RawDataFile() const { return m_RawDataFile; }
    void setRawDataFile(std::string v) { m_RawDataFile = std::move(v); }
    // The setup in memory, loaded in place of the raw data file's (CSetupManager::setSetupValues).
    void setSetupValues(Setup values) { m_SetupValues = std::move(values); }
    const std::string& SetupName() const { return m_SetupName; }
    void setSetupName(std::string v) { m_SetupName = std::move(v); }
    const std::string& ReportName() const { return m_ReportName; }
    void setReportName(std::string v) { m_ReportName = std::move(v); }

    // The whole pipeline: per-setup file, raw data, rules, data file, template
    // copy, fill, and the setup attached to the filled sheet. Errors: number 100, source
    // "CSetupBase::-CreateSetupSheet", the first error's description.
    void CreateSetupSheet();

    // A name part of a sheet file name made safe: every character a Windows
    // file name cannot hold, and every control character, becomes "_"
    // (portableNamePart; the whole name is then made one Windows takes).
    static std::string SafeFileNamePart(const std::string& namePart);
    // The time of day now, as sheet file names carry it with (false, 2).
    static std::string TimeStampString(bool colonSeparator, int decimals);

    // What the last CreateSetupSheet built but could not do as asked (the
    // setup not attached, values cut by a field's length): one text each.
    const std::vector<std::string>& Warnings() const { return m_Warnings; }

private:
    void LoadSetupProperties();
    // The setup record from RawDataFile, or from the values in memory.
    void LoadSetup(CAppSettings& config);
    // The loaded setup as a raw data file attached to the sheet, or a warning.
    void AttachSetup(const CAppSettings& config, SheetDocument& sheet);
    // A warning for each value a form field's length limit cuts.
    void WarnOfCutValues(const CRulesEngine& rules, const std::string& mappingFile, SheetDocument& sheet);
    void addWarning(const std::string& warning);
    // A failure's text with the work file's path replaced by the sheet's.
    std::string namingTheSheet(std::string description) const;
    std::string BuildSheetFileName(const std::string& folder);
    std::string SetupIniPath();
    // Config, or error 91 when the run driver has not set it.
    CAppSettings& settings() const;

    std::string m_LogPath, m_DriverSetupFilename, m_TargetPDFDirectory, m_PDFTemplateSetupSheet, m_MappingFile,
        m_RawDataFile, m_SetupName, m_ReportName, m_workPath;
    std::shared_ptr<CAppSettings> m_Config;
    std::optional<Setup> m_SetupValues;
    std::vector<std::string> m_Warnings;
    std::unique_ptr<CUtils> m_utils;
    com::ComPtr<logging::ICLog> m_log;
};

}  // namespace vantrel
