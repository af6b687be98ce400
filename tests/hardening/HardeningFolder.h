#pragma once
// A program folder for one end-to-end run of the real pipeline: settings, the
// RDX per-setup file, the shipped template, a registry holding the real
// Logging, Quorrel and PDF automation libraries, and a sample raw data file.
// Runs build sheets without showing them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "CSetupManager.h"
#include "Components.h"
#include "ProgramFolderFiles.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"

namespace hardening {

namespace fs = std::filesystem;

using testsupport::kSettings;

inline constexpr const char* kRawData =
    "[SetupData]\r\nDriverName=Driver A\r\nTrackCity=Northtown\r\nFrontShockTower=2\r\nNotes=Dry track\r\n";

// Every file below a folder, by relative path, with its bytes.
using Snapshot = std::map<std::string, std::string>;

class HardeningFolder : public testsupport::TempProgramFolder {
public:
    HardeningFolder() {
        write("bin/Vantrel.ini", kSettings);
        write("Config/Setup_RDX.ini", testsupport::setupIni("RDX"));
        write("Data/Sample.dat", kRawData);
        for (const char* sub : {"Mapping", "Logs", "Sheets", "Templates"}) fs::create_directories(path() / sub);
        testsupport::copyFromStage(*this, "Templates/SetupSheet_RDX.pdf");
        m_registry.add(VANTREL_LOGGING_LIBRARY);
        m_registry.add(VANTREL_QUORREL_LIBRARY);
        m_registry.add(VANTREL_PDFAUTOMATION_LIBRARY);
    }

    std::string file(const std::string& relative) const { return (path() / relative).string(); }

    // One run as the window makes it with an external raw data file; the
    // error it ended with, if any. The sheet's path goes to sheet.
    std::optional<platform::Error> build(const std::string& rawDataFile, const std::string& targetFolder,
                                         std::string* sheet = nullptr) const {
        vantrel::CSetupManager manager;
        manager.setOpenInViewer(false);
        manager.setSetupName("RDX");
        manager.setRawDataFile(rawDataFile);
        manager.setTargetPDFDirectory(targetFolder);
        try {
            manager.BuildSetupSheet();
        } catch (const platform::Error& e) {
            return e;
        }
        if (sheet) *sheet = manager.TargetPDFFile();
        return std::nullopt;
    }

    Snapshot snapshot() const {
        Snapshot files;
        for (const auto& entry : fs::recursive_directory_iterator(path()))
            if (entry.is_regular_file()) files[fs::relative(entry.path(), path()).string()] = readFile(entry.path());
        return files;
    }

private:
    testsupport::ComponentRegistry m_registry{*this, {}};
};

// Files the pipeline writes on every run, whatever happens later.
inline bool writtenByEveryRun(const std::string& relative) {
    return relative == "Data/SheetData.txt" || relative == "Mapping/Mapping_RDX.map" || relative == "Logs/Run.log";
}

// Nothing that was there before a failed run is gone or changed, apart from
// the files every run writes.
inline void expectNothingLost(const Snapshot& before, const Snapshot& after) {
    for (const auto& [relative, bytes] : before) {
        if (writtenByEveryRun(relative)) continue;
        const auto found = after.find(relative);
        if (found == after.end()) {
            ADD_FAILURE() << relative << " is gone";
        } else {
            EXPECT_TRUE(found->second == bytes) << relative << " changed";
        }
    }
}

}  // namespace hardening
