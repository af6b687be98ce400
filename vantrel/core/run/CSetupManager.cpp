#include "CSetupManager.h"

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
        m_config->setFileName(platform::process::programFolder() + "\\bin\\Vantrel.ini");
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
        // Settings that are there but are no settings file (a file of another
        // kind saved over it) would send every file of the run to the wrong place.
        const std::string settingsFile = platform::paths::toNative(m_config->FileName());
        if (const std::string refusal = platform::files::refusalReason(settingsFile); !refusal.empty())
            platform::raise(platform::ErrPathAccess, "CSetupManager",
                            "The settings file " + settingsFile + " cannot be read: " + refusal);
        std::error_code ec;
        if (std::filesystem::exists(settingsFile, ec) && !m_config->SectionFound())
            platform::raise(
                platform::ErrInvalidArgument, "CSetupManager",
                "The settings file " + settingsFile + " is not a settings file: it has no [Vantrel] section");
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
                                        library::valuesOf(*m_config)};
        if (m_library) m_library->record(entry);
        else
            reason = library::recordSetup(library::libraryFilePath(m_config->DataDirectory(), m_config->LibraryFile()),
                                          entry);
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
