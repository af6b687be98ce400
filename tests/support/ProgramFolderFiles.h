#pragma once
// The files a program folder is made of, as the tests write them: the
// settings file, a per-setup file, and files copied from the staged program
// folder.

#include <filesystem>
#include <string>

#include "TempProgramFolder.h"
#include "platform/Process.h"

namespace testsupport {

// bin/Vantrel.ini: every folder below the program folder, log to Logs/Run.log.
inline constexpr const char* kSettings =
    "[Vantrel]\r\n"
    "DataDirectory=Data\r\n"
    "MappingDirectory=Mapping\r\n"
    "TemplatesDirectory=Templates\r\n"
    "LoggingDirectory=Logs\r\n"
    "ConfigDirectory=Config\r\n"
    "DataFile=SheetData.txt\r\n"
    "DataFileDelimiter=|\r\n"
    "RawDataFile=RawData.dat\r\n"
    "LogFile=Run.log\r\n";

// Config/Setup_<name>.ini naming its mapping file and sheet template.
inline std::string setupIni(const std::string& setupName, const std::string& mapping = "Mapping_RDX.map",
                            const std::string& pdfTemplate = "SetupSheet_RDX.pdf") {
    return "[Setup]\r\nSetupName=" + setupName + "\r\nMappingFile=" + mapping +
           "\r\nPDFTemplateSetupSheet=" + pdfTemplate + "\r\n";
}

// Copies a file of the staged program folder (e.g. "Templates/SetupSheet_RDX.pdf")
// to the same place below the folder.
inline void copyFromStage(const TempProgramFolder& folder, const std::string& relative) {
    const std::filesystem::path target = folder.path() / relative;
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(std::filesystem::path(VANTREL_STAGE_DIR) / relative, target);
}

// A copy of the whole staged program folder as "Vantrel" below scratch, with
// an empty Sheets folder, made the program's folder of host: where the
// README's pictures are taken. Answers the copy's path.
inline std::filesystem::path useStagedCopy(const std::filesystem::path& scratch, StandInHost& host) {
    const std::filesystem::path folder = scratch / "Vantrel";
    std::filesystem::copy(VANTREL_STAGE_DIR, folder, std::filesystem::copy_options::recursive);
    std::filesystem::create_directories(folder / "Sheets");
    host.setProgramFolder(folder.string());
    return folder;
}

}  // namespace testsupport
