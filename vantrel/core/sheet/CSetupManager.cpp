#include "CSetupManager.h"

#include "InstallationCheck.h"

#include "Installation.h"

#include <exception>
#include <filesystem>

#include "CSetupBase.h"
#include "TeamSync.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Process.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"

namespace vantrel {

namespace {

// The description a re-raise passes on: the caught error's own text.
std::string describe(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const platform::Error& e) {
        return e.description();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return platform::standardDescription(440);
    }
}

}  // namespace

void CSetupManager::LoadConfig() {
    try {
        m_config = std::make_shared<CAppSettings>();
        m_config->setFileName(Installation::settingsFileOf(platform::process::programFolder()));
        m_config->ReadSettings();
    } catch (...) {
        // No description of its own: the user sees the generic text.
        platform::raise(1, "CSetupManager::LoadConfig-" + describe(std::current_exception()));
    }
}

void CSetupManager::BuildSetupSheet() {
    m_sheetShown = false;
    try {
        LoadConfig();
        // A wrong name, a missing setup type or settings file: said before anything is written.
        checkInstallation(*m_config, m_SetupName);
        m_utils = std::make_unique<CUtils>();
        m_log = com::create<logging::ICLog>(logging::CLSID_CLog, logging::IID_CLog);
        com::check(m_log->put_FileName(m_utils->checkMe(m_config->LoggingDirectory()) + m_config->LogFile()));
        com::check(m_log->LogMe("CSetupManager::BuildSetupSheet-START PROCESSING"));

        std::string logPath;
        com::check(m_log->get_FileName(&logPath));

        CSetupBase builder;
        builder.setConfig(m_config);
        builder.setLogPath(logPath);
        builder.setSetupName(m_SetupName);
        builder.setRawDataFile(m_RawDataFile);
        if (m_setupValues) builder.setSetupValues(*m_setupValues);
        builder.setTargetPDFDirectory(m_utils->checkMe(m_TargetPDFDirectory));
        builder.CreateSetupSheet();
        m_Warnings = builder.Warnings();
        RecordInLibrary(builder.DriverSetupFilename());
        ShareWithTeam(builder.DriverSetupFilename());
        if (!m_LibraryWarning.empty()) m_Warnings.push_back(m_LibraryWarning);

        if (m_openInViewer) ShowReport(builder.DriverSetupFilename());
        m_TargetPDFFile = builder.DriverSetupFilename();
    } catch (...) {
        platform::raise(1, "CSetupManager::BuildSetupSheet-" + describe(std::current_exception()));
    }
}

void CSetupManager::RecordInLibrary(const std::string& sheet) {
    // The sheet stands: a library that cannot be written costs a warning, never the run.
    std::string reason;
    try {
        const library::SetupEntry entry{library::localTimestampNow(), m_SetupName, platform::paths::toNative(sheet),
                                        m_config->setup()};
        if (m_rebuildOf) {
            // The library holds this setup already: only its sheet moved.
            std::shared_ptr<library::SetupLibrary> setups = m_library;
            if (!setups)
                setups = std::make_shared<library::SetupLibrary>(
                    library::libraryFilePath(m_config->DataDirectory(), m_config->LibraryFile()));
            if (!setups->setSheet(*m_rebuildOf, entry.sheet)) setups->record(entry);
        } else if (m_library) {
            m_library->record(entry);
        } else {
            reason = library::recordSetup(library::libraryFilePath(m_config->DataDirectory(), m_config->LibraryFile()),
                                          entry);
        }
    } catch (const platform::Error& e) {
        reason = e.description();
    }
    m_LibraryWarning.clear();
    if (reason.empty()) return;
    m_LibraryWarning = "The setup was not kept in the setup library: " + reason;
    com::check(m_log->LogMe("CSetupManager::BuildSetupSheet-" + m_LibraryWarning));
}

void CSetupManager::ShareWithTeam(const std::string& sheet) {
    // Like the library: a team folder that cannot be written costs a warning.
    const std::string reason = publishToTeam(*m_config, platform::paths::toNative(sheet));
    if (reason.empty()) return;
    const std::string warning = "The sheet was not put into the team folder: " + reason;
    m_LibraryWarning += (m_LibraryWarning.empty() ? "" : " ") + warning;
    com::check(m_log->LogMe("CSetupManager::BuildSetupSheet-" + warning));
}

void CSetupManager::ShowReport(const std::string& path) {
    m_acrobatApp = com::createObject("AcroExch.App");
    com::ComPtr<com::IDispatch> document = com::createObject("AcroExch.AVDoc");

    const com::Variant opened =
        com::invoke(document.get(), 1, com::DISPATCH_METHOD, {com::Variant(path), com::Variant("")});
    m_sheetShown = false;
    if (opened.toInt32() != 0) {
        for (com::DISPID dispid : {24, 25, 21})
            if (com::invoke(m_acrobatApp.get(), dispid, com::DISPATCH_METHOD, {com::Variant(int32_t{1})}).toBool())
                m_sheetShown = true;
    } else {
        com::check(m_log->LogMe("CSetupManager::Failed to Open Report: " + path));
    }
}

}  // namespace vantrel
