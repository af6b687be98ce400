#include "CSetupBase.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "CFileManager.h"
#include "CRulesEngine.h"
#include "FileNames.h"
#include "SetupFile.h"
#include "SheetDocument.h"
#include "SheetRuns.h"
#include "UnfinishedSheet.h"
#include "FormFieldMap.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"
#include "platform/Error.h"
#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "Installation.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/RunLock.h"
#include "platform/Text.h"
#include "quorrel/Quorrel.h"

namespace vantrel {

namespace {

constexpr const char* kCreateSource = "CSetupBase::-CreateSetupSheet";

// Why a file the racer named cannot be read, in their words; empty when it can.
std::string unreadableBecause(const std::string& nativePath) {
    if (nativePath.empty()) return "no file was named";
    const platform::files::UserFile file = platform::files::openUserFile(nativePath);
    if (file.status == platform::files::OpenStatus::Opened) {
        platform::files::closeFile(file.fd);
        return {};
    }
    if (file.status != platform::files::OpenStatus::Missing) return file.reason;
    if (platform::files::factsOf(nativePath, platform::files::Links::Refused).kind == platform::files::FileKind::Link) {
        std::error_code ec;
        const std::filesystem::path target = std::filesystem::read_symlink(platform::paths::pathOf(nativePath), ec);
        return "it is a link to " + (ec ? std::string("a file") : platform::paths::textOf(target)) +
               ", which is not there";
    }
    return "there is no such file";
}

// Why a sheet cannot go into this folder, or empty.
std::string folderProblem(const std::string& folder) {
    const platform::files::FileFacts facts = platform::files::factsOf(folder);
    if (facts.kind == platform::files::FileKind::Missing)
        return facts.error == ENOENT || facts.error == ENOTDIR ? "the folder " + folder + " does not exist"
                                                               : "the folder " + folder + " cannot be reached (" +
                                                                     platform::files::systemMessage(facts.error) + ")";
    if (facts.kind != platform::files::FileKind::Folder) return folder + " is not a folder";
    return {};
}

// The system's reason for the file manager's last failure, or a plain one.
std::string failureOf(const CFileManager& files) {
    return files.LastFailure().empty() ? std::string("it could not be written") : files.LastFailure();
}

std::string dateString(const platform::process::LocalDateTime& t) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buffer;
}

}  // namespace

std::string CSetupBase::SafeFileNamePart(const std::string& namePart) { return portableNamePart(namePart); }

void CSetupBase::CreateSetupSheet() {
    try {
        // From here to the end of the builder's work the run shares the data,
        // mapping and raw data files with no other run (the window's capture
        // took the lock already; this takes it once more).
        const platform::process::RunLock runLock(Installation::read(platform::process::programFolder()).runLockFile());
        m_workPath.clear();
        m_utils = std::make_unique<CUtils>();
        m_log = com::create<logging::ICLog>(logging::CLSID_CLog, logging::IID_CLog);
        com::check(m_log->put_FileName(m_LogPath));

        LoadSetupProperties();

        CAppSettings& config = settings();
        LoadSetup(config);
        // The form filler reads the mapping file the setup names; one that is
        // a folder, a pipe, a device or a socket stops the run before anything
        // is written (its size is bounded by its 16-bit positions, not here).
        if (!m_MappingFile.empty()) {
            const std::string mapping =
                platform::paths::toNative(m_utils->checkMe(config.MappingDirectory()) + m_MappingFile);
            if (const std::string refusal = platform::files::refusalReason(mapping, platform::files::NoSizeLimit);
                !refusal.empty())
                platform::raise(platform::ErrPathAccess, kCreateSource,
                                "The mapping file " + mapping + " cannot be read: " + refusal);
        }

        m_Warnings.clear();
        CRulesEngine rules;
        rules.setConfig(m_Config);
        rules.setSetupName(m_SetupName);
        rules.setDataFileDelimiter(config.DataFileDelimiter());
        rules.ProcessData();

        // The filler reads whatever the data file holds, so a write that did
        // not happen must stop the run: else the sheet shows the last run's car.
        const std::string dataFile = m_utils->checkMe(config.DataDirectory()) + config.DataFile();
        CFileManager files;
        files.setFileName(dataFile);
        if (const auto failed = files.writeDataLine(rules.SetupDataRow()))
            platform::raiseAboutFile(platform::ErrPathAccess, kCreateSource, "Cannot write the sheet data file",
                                     platform::paths::toNative(dataFile), failed->reason());

        const std::string mappingFile = m_utils->checkMe(config.MappingDirectory()) + m_MappingFile;
        // The filler reads the mapping file the rules engine writes, when the
        // setup names that one: one that could not be written is no mapping.
        if (!rules.MappingFailure().empty() && platform::paths::toNative(mappingFile) == rules.MappingFile()) {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(platform::paths::pathOf(rules.MappingFile()), ec))
                platform::raiseAboutFile(platform::ErrPathAccess, kCreateSource, "Cannot write the mapping file",
                                         rules.MappingFile(), rules.MappingFailure());
        }

        m_DriverSetupFilename = BuildSheetFileName(m_TargetPDFDirectory);
        const std::string sheet = platform::paths::toNative(m_DriverSetupFilename);
        const std::string templateFile = m_utils->checkMe(config.TemplatesDirectory()) + m_PDFTemplateSetupSheet;
        const std::string copying = "Cannot copy the template " + platform::paths::toNative(templateFile) + " to";
        if (const std::string problem = folderProblem(platform::paths::folderOf(sheet)); !problem.empty())
            platform::raiseAboutFile(platform::ErrPathAccess, kCreateSource, copying, sheet, problem);

        // Built in the work folder and named only when whole: a failure or a
        // kill from here on leaves no file at the sheet's name. What the
        // racer reads of a failure names the sheet, not the work file.
        UnfinishedSheet unfinished(workFolderIn(platform::paths::folderOf(platform::paths::toNative(dataFile))),
                                   platform::paths::fileNameOf(sheet));
        m_workPath = unfinished.path();

        // The fill saves the sheet over this copy at once, synced to disk: the
        // copy itself need not get there (an unfinished sheet never counts).
        files.setSyncCopies(false);
        if (!files.copyFile(templateFile, unfinished.path()).empty())
            platform::raiseAboutFile(platform::ErrPathAccess, kCreateSource, copying, sheet, failureOf(files));

        {
            // The sheet carries the setup it was built from, as loaded, so that
            // it opens back into the window: handed to the document before the
            // fill, it goes into the form filler's one save with the fields.
            SheetDocument sheet(unfinished.path());
            AttachSetup(config, sheet);
            WarnOfCutValues(rules, mappingFile, sheet);

            auto filler =
                com::create<quorrel::ICPdfFormFiller>(quorrel::CLSID_CPdfFormFiller, quorrel::IID_CPdfFormFiller);
            com::check(filler->put_DataFile(dataFile));
            com::check(filler->put_DataFileDelimiter(config.DataFileDelimiter()));
            com::check(filler->put_PdfFormFile(unfinished.path()));
            com::check(filler->put_MappingFile(mappingFile));
            com::check(filler->FillForm());
        }
        m_DriverSetupFilename = unfinished.publish(m_DriverSetupFilename);
    } catch (const platform::Error& e) {
        platform::raise(100, kCreateSource, namingTheSheet(e.description()));
    } catch (const std::exception& e) {
        platform::raise(100, kCreateSource, namingTheSheet(e.what()));
    } catch (...) {
        platform::raise(100, kCreateSource);
    }
}

std::string CSetupBase::namingTheSheet(std::string description) const {
    if (m_workPath.empty()) return description;
    const std::string sheet = platform::paths::toNative(m_DriverSetupFilename);
    for (std::size_t at = description.find(m_workPath); at != std::string::npos;
         at = description.find(m_workPath, at + sheet.size()))
        description.replace(at, m_workPath.size(), sheet);
    return description;
}

void CSetupBase::LoadSetup(CAppSettings& config) {
    config.setFileName(m_RawDataFile);
    if (m_SetupValues) {
        // The values pass through the bytes a raw data file of them would hold,
        // so the record is the one that writing and loading such a file gives.
        std::vector<platform::profile::Entry> entries;
        for (std::size_t i = 0; i < SetupFieldCount; ++i) entries.push_back({SetupFieldKeys[i], (*m_SetupValues)[i]});
        config.setSetup(*Setup::fromRawData(platform::profile::newFileText("SetupData", entries)));
        return;
    }
    // A raw data file that cannot be read would make a sheet of empty values
    // (and record it, and share it): the run stops before it writes anything.
    const std::string rawData = platform::paths::toNative(m_RawDataFile);
    if (const std::string problem = unreadableBecause(rawData); !problem.empty())
        platform::raise(platform::ErrPathAccess, kCreateSource,
                        "The raw data file " + rawData + " cannot be read: " + problem);
    config.LoadRawData();
    // A file of another kind picked by mistake would make a sheet of empty
    // values and overwrite the last run's data.
    if (!config.SectionFound())
        platform::raise(platform::ErrInvalidArgument, kCreateSource,
                        "The raw data file " + rawData + " is not a raw data file: it has no [SetupData] section");
}

void CSetupBase::AttachSetup(const CAppSettings& config, SheetDocument& sheet) {
    if (!sheet.isOpen()) return;  // the fill says why it cannot open the sheet
    const std::string native = platform::paths::toNative(m_DriverSetupFilename);
    try {
        sheet.attach(setupAttachmentName(native), config.setup().rawDataText(), "text/plain");
    } catch (const platform::Error& e) {
        // The attachment is an addition: a sheet that cannot carry it is still the sheet.
        addWarning("The sheet " + native + " does not carry its setup: " + e.description());
    }
    // The meeting's runs ride beside the setup, when there are any.
    if (const std::string runs = meetingRunsText(config, config.setup()); !runs.empty()) {
        try {
            sheet.attach(runsAttachmentName(native), runs, "text/plain");
        } catch (const platform::Error& e) {
            addWarning("The sheet " + native + " does not carry its meeting's runs: " + e.description());
        }
    }
}

void CSetupBase::WarnOfCutValues(const CRulesEngine& rules, const std::string& mappingFile, SheetDocument& sheet) {
    const auto layout = readMappingFile(platform::paths::toNative(mappingFile));
    if (!layout || !sheet.isOpen()) return;
    const CRulesEngine::SheetValues values = CRulesEngine::SheetFrom(*rules.Config());
    for (const MappedField& mapped : *layout) {
        const std::string& value = values[mapped.sheetField];
        const int limit = value.empty() ? 0 : sheet.maxLength(mapped.formField);
        if (limit <= 0 || characterCount(value) <= std::size_t(limit)) continue;
        addWarning("The sheet field \"" + mapped.formField + "\" keeps at most " + std::to_string(limit) +
                   " characters: \"" + value + "\" was cut to \"" + firstCharacters(value, std::size_t(limit)) + "\"");
    }
}

void CSetupBase::addWarning(const std::string& text) {
    const std::string warning = namingTheSheet(text);
    m_Warnings.push_back(warning);
    if (m_log) com::check(m_log->LogMe("CSetupBase::CreateSetupSheet-Warning: " + warning));
}

CAppSettings& CSetupBase::settings() const {
    if (!m_Config) platform::raise(platform::ErrObjectNotSet, "CSetupBase");
    return *m_Config;
}

void CSetupBase::LoadSetupProperties() {
    try {
        CAppSettings setup;
        setup.setFileName(SetupIniPath());
        setup.LoadProperties();
        m_SetupName = setup.SetupName();
        m_MappingFile = setup.MappingFile();
        m_PDFTemplateSetupSheet = setup.PDFTemplateSetupSheet();
    } catch (const platform::Error& e) {
        com::check(m_log->LogMe("CSetupBase::LoadProperties-" + e.description()));
        // A setup file that is there but is no file to read stops the run:
        // without its template and mapping no sheet can be right.
        if (e.number() == platform::ErrPathAccess) throw;
    } catch (const std::exception& e) {
        com::check(m_log->LogMe(std::string("CSetupBase::LoadProperties-") + e.what()));
    } catch (...) {
        com::check(m_log->LogMe("CSetupBase::LoadProperties-" + platform::standardDescription(440)));
    }
}

std::string CSetupBase::BuildSheetFileName(const std::string& folder) {
    const auto today = platform::process::now();
    std::string driver = SafeFileNamePart(settings().DriverName());
    std::string setup = SafeFileNamePart(m_SetupName);
    SheetName name{{}, {}, dateString(today), TimeStampString(false, 2)};
    // A file name holds at most 255 bytes, the save writes a temporary "." +
    // name + ".XXXXXX" beside the sheet, and a taken name gets a number
    // ("-2" up to "-1000"): names too long for that are cut at a whole
    // character, the setup name to no less than half of the room.
    constexpr std::size_t kMaxFileName = 255 - 8 - 5;
    const std::size_t room = kMaxFileName - std::min(kMaxFileName, name.fileName().size());
    if (driver.size() + setup.size() > room) {
        setup = platform::text::cutToBytes(setup, std::max(room / 2, room - std::min(driver.size(), room)));
        driver = platform::text::cutToBytes(driver, room - setup.size());
    }
    // A name that begins with a dot is hidden from the racer's file manager
    // and from every team mate's scan of the team folder.
    if (!driver.empty() && driver.front() == '.') driver.front() = '_';
    name.driver = std::move(driver);
    name.setupType = std::move(setup);
    return folder + name.fileName();
}

std::string CSetupBase::TimeStampString(bool colonSeparator, int decimals) {
    return platform::process::formatTimeOfDay(platform::process::secondsSinceMidnight(), colonSeparator, decimals);
}

std::string CSetupBase::SetupIniPath() {
    return m_utils->checkMe(settings().ConfigDirectory()) + setupFileName(m_SetupName);
}

}  // namespace vantrel
