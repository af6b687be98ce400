#pragma once
// The run driver: loads the application settings, opens the run's log, has a
// CSetupBase produce the filled sheet, opens it in the PDF viewer and keeps
// its path. One instance per run.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CAppSettings.h"
#include "CUtils.h"
#include "SetupFile.h"
#include "logging/Logging.h"
#include "platform/com/Dispatch.h"

namespace vantrel {

namespace library {
class SetupLibrary;
}

class CSetupManager {
public:
    void LetConfig(std::shared_ptr<CAppSettings> config) { m_config = std::move(config); }
    std::shared_ptr<CAppSettings> GetConfig() const { return m_config; }

    const std::string& TargetPDFFile() const { return m_TargetPDFFile; }
    void setTargetPDFFile(std::string v) { m_TargetPDFFile = std::move(v); }
    const std::string& TargetPDFDirectory() const { return m_TargetPDFDirectory; }
    void setTargetPDFDirectory(std::string v) { m_TargetPDFDirectory = std::move(v); }
    const std::string& SetupName() const { return m_SetupName; }
    void setSetupName(std::string v) { m_SetupName = std::move(v); }
    const std::string& RawDataFile() const { return m_RawDataFile; }
    void setRawDataFile(std::string v) { m_RawDataFile = std::move(v); }
    // The run's setup as values in memory, in place of RawDataFile: loaded as
    // a raw data file holding them would load, with no file written or read.
    void setSetupValues(Setup values) { m_setupValues = std::move(values); }
    // The run builds anew the sheet of this stored setup (moved or deleted):
    // the library then keeps the new sheet's path on that setup rather than
    // recording the setup a second time.
    void setRebuildOf(std::int64_t setupId) { m_rebuildOf = setupId; }

    // A new settings object read from program folder + "\bin\Vantrel.ini".
    // Errors: number 1, source "CSetupManager::LoadConfig-" + description.
    void LoadConfig();
    // One sheet from RawDataFile; afterwards TargetPDFFile names it.
    // Errors: number 1, source "CSetupManager::BuildSetupSheet-" + description.
    void BuildSetupSheet();

    // Empty after a run whose setup went into the setup library; else why it
    // did not (the sheet stands all the same, and the log has a line).
    const std::string& LibraryWarning() const { return m_LibraryWarning; }
    // Every warning of the last run, the library's last: the sheet stands,
    // but not all of it as asked (its setup not attached, values cut).
    const std::vector<std::string>& Warnings() const { return m_Warnings; }

    // The library the run records in, already open (vantrel-batch opens it
    // once for all its sheets); without one the run opens the settings' own.
    void setLibrary(std::shared_ptr<library::SetupLibrary> library) { m_library = std::move(library); }

    // Whether BuildSetupSheet shows the finished sheet in the viewer (the
    // window always does; the batch tool only when asked).
    bool OpenInViewer() const { return m_openInViewer; }
    void setOpenInViewer(bool open) { m_openInViewer = open; }
    // Whether the last run's sheet reached a viewer (false also when it was
    // not to be shown).
    bool SheetShown() const { return m_sheetShown; }

private:
    void ShowReport(const std::string& path);
    void RecordInLibrary(const std::string& sheet);
    // The new sheet into the team folder when one is set (TeamSync.h).
    void ShareWithTeam(const std::string& sheet);

    std::shared_ptr<CAppSettings> m_config;
    std::shared_ptr<library::SetupLibrary> m_library;
    std::optional<Setup> m_setupValues;
    std::vector<std::string> m_Warnings;
    com::ComPtr<com::IDispatch> m_acrobatApp;  // held until the manager goes
    com::ComPtr<logging::ICLog> m_log;
    std::unique_ptr<CUtils> m_utils;
    bool m_openInViewer = true;
    std::optional<std::int64_t> m_rebuildOf;
    bool m_sheetShown = false;
    std::string m_TargetPDFFile, m_TargetPDFDirectory, m_SetupName, m_RawDataFile, m_LibraryWarning;
};

}  // namespace vantrel
