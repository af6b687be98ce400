#pragma once
// A complete program folder for one sheet build: settings, the RDX per-setup
// file, the shipped template, empty Data/Mapping/Logs/Sheets folders and a
// registry of its own holding Logging, Quorrel and a PDF automation library
// (the real one, or the recording stand-in). The clock stands still at
// 6 December 2026, 09:05:07.3, so sheet names and log lines are known.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "BatchRunner.h"
#include "CDataBuilder.h"
#include "Components.h"
#include "EnvOverride.h"
#include "PdfFields.h"
#include "ProgramFolderFiles.h"
#include "RecordingAcrobat.h"
#include "TempProgramFolder.h"
#include "platform/Process.h"
#include "platform/com/Runtime.h"

namespace shelltest {

namespace fs = std::filesystem;

// vantrel-batch's work in this process: its exit status and what it wrote.
struct BatchRun {
    int status;
    std::string out, err;
};

// The same with its standard output as lines, for tests that read it a line
// at a time.
struct BatchOutput {
    int status;
    std::vector<std::string> out;  // lines of standard output
    std::string err;

    static BatchOutput of(int status, const std::string& out, std::string err) {
        BatchOutput result{status, {}, std::move(err)};
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) result.out.push_back(line);
        return result;
    }
};

inline BatchRun batch(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status =
        vantrel::BatchRunner(out, err, vantrel::Installation::read(platform::process::programFolder())).run(args);
    return {status, out.str(), err.str()};
}

enum class Acrobat { Real, Recording };

using testsupport::kSettings;
using testsupport::setupIni;

class ShellTestFolder : public testsupport::TempProgramFolder {
public:
    explicit ShellTestFolder(Acrobat acrobat = Acrobat::Real) {
        write("bin/Vantrel.ini", kSettings);
        write("Config/Setup_RDX.ini", setupIni("RDX"));
        for (const char* sub : {"Data", "Mapping", "Logs", "Sheets", "Templates"}) fs::create_directories(path() / sub);
        testsupport::copyFromStage(*this, "Templates/SetupSheet_RDX.pdf");

        m_registry.add(VANTREL_LOGGING_LIBRARY);
        m_registry.add(VANTREL_QUORREL_LIBRARY);
        if (acrobat == Acrobat::Real) m_registry.add(VANTREL_PDFAUTOMATION_LIBRARY);
        else m_recording.emplace(m_registry);

        host().setClock(platform::process::LocalDateTime{2026, 12, 6, 9, 5, 7, 0.3});
    }

    // The sample raw data file, copied into Data/ under the given name.
    std::string rawDataFile(const std::string& name = "RawData_DriverA.dat") const {
        const fs::path target = path() / "Data" / name;
        fs::copy_file(fs::path(VANTREL_TEST_DATA_DIR) / "shell" / "RawData_DriverA.dat", target,
                      fs::copy_options::overwrite_existing);
        return target.string();
    }
    // The stand-in's record of calls (Acrobat::Recording only).
    const testsupport::RecordingAcrobat& recording() const { return m_recording.value(); }

    std::string sheetsFolder() const { return (path() / "Sheets").string(); }
    // The sheet name the fixed clock gives.
    static std::string sheetName(const std::string& driver, const std::string& setup) {
        return driver + "_SetupSheet_" + setup + "_2026-12-06_090507.30.pdf";
    }

    // A mapping file of the sheet's fields, as the rules engine writes it.
    void writeMapping(const std::string& name) const {
        std::string text;
        for (std::size_t i = 0; i < vantrel::SheetFieldCount; ++i)
            text += std::to_string(i + 1) + "=fld" + std::string(vantrel::SheetFieldNames[i]) + "\r\n";
        write("Mapping/" + name, text);
    }

    std::vector<std::string> logLines() const { return lines(read("Logs/Run.log")); }

    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            out.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return out;
    }

    static std::vector<std::string> split(const std::string& record, char delimiter) {
        std::vector<std::string> out(1);
        for (char c : record) {
            if (c == delimiter) out.emplace_back();
            else out.back() += c;
        }
        return out;
    }

    // Form field name -> value, read straight from the PDF.
    static std::map<std::string, std::string> formFields(const fs::path& pdfPath) {
        return testsupport::formFields(pdfPath);
    }

private:
    testsupport::ComponentRegistry m_registry{*this, {}};
    std::optional<testsupport::RecordingAcrobat> m_recording;
    // No display for the test's life: the real PDF automation starts the
    // desktop viewer only when a display is named.
    testsupport::EnvOverride m_display{"DISPLAY", nullptr};
    testsupport::EnvOverride m_wayland{"WAYLAND_DISPLAY", nullptr};
};

}  // namespace shelltest
