#pragma once
// A program folder of the benchmark's own, made from the staged one
// (settings, RDX setup, template, sample raw data), with the real Logging,
// Quorrel and PDF automation libraries registered in it.

#include <filesystem>
#include <stdexcept>
#include <string>

#include "TempProgramFolder.h"
#include "platform/com/Runtime.h"

namespace bench {

class BenchFolder {
public:
    BenchFolder() {
        namespace fs = std::filesystem;
        const fs::path stage = VANTREL_STAGE_DIR;
        for (const char* file :
             {"bin/Vantrel.ini", "Config/Setup_RDX.ini", "Templates/SetupSheet_RDX.pdf", "Data/Sample_RDX.dat"}) {
            fs::create_directories((m_folder.path() / file).parent_path());
            fs::copy_file(stage / file, m_folder.path() / file);
        }
        for (const char* sub : {"Logs", "Mapping", "Sheets"}) fs::create_directories(m_folder.path() / sub);
        com::setRegistryPath((m_folder.path() / "bin" / "Registry.ini").string());
        for (const char* library : {VANTREL_LOGGING_LIBRARY, VANTREL_QUORREL_LIBRARY, VANTREL_PDFAUTOMATION_LIBRARY})
            if (com::failed(com::registerLibrary(library)))
                throw std::runtime_error(std::string("cannot register ") + library);
    }
    ~BenchFolder() { com::setRegistryPath({}); }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::filesystem::path& path() const { return m_folder.path(); }
    std::string rawDataFile() const { return (m_folder.path() / "Data" / "Sample_RDX.dat").string(); }
    std::string sheets() const { return (m_folder.path() / "Sheets").string(); }
    // Sheets pile up over thousands of iterations; clear them now and then.
    void clearSheets() const {
        for (const auto& entry : std::filesystem::directory_iterator(sheets())) std::filesystem::remove(entry.path());
    }

private:
    testsupport::TempProgramFolder m_folder;
};

}  // namespace bench
