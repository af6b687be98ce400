#pragma once
// A program folder of the test's own for the main window: the shipped
// settings, RDX setup type and template, a registry holding the real Logging, Quorrel and
// PDF automation libraries, and a stand-in for the desktop's viewer, so the
// sheet the run shows to the user lands in a file the test can read.

#include <QDir>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

#include "EnvOverride.h"
#include "PdfFields.h"
#include "ProgramFolderFiles.h"
#include "StandInViewer.h"
#include "TempProgramFolder.h"
#include "platform/Process.h"
#include "platform/com/Runtime.h"

namespace windowtest {

namespace fs = std::filesystem;

class WindowTestFolder : public testsupport::TempProgramFolder {
public:
    // Without registered components the window works, but a run cannot make a sheet.
    explicit WindowTestFolder(bool registerComponents = true)
        : m_viewer(path() / "viewer", viewerLog()),
          m_display("DISPLAY", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : ":99") {
        // The shipped settings, RDX setup type and template.
        for (const char* file : {"bin/Vantrel.ini", "Config/Setup_RDX.ini", "Templates/SetupSheet_RDX.pdf"})
            testsupport::copyFromStage(*this, file);
        for (const char* sub : {"Data", "Mapping", "Logs", "Sheets"}) fs::create_directories(path() / sub);

        com::setRegistryPath((path() / "bin" / "Registry.ini").string());
        if (registerComponents) this->registerComponents();
    }
    // The component libraries stay loaded: the sheet a run shows stays open
    // in the PDF automation library for the life of the process.
    ~WindowTestFolder() { com::setRegistryPath({}); }

    fs::path viewerLog() const { return path() / "viewer.log"; }
    // The stand-in writes each path it is asked to show as one line.
    testsupport::StandInViewer& viewer() { return m_viewer; }
    QStringList viewerCalls() const {
        QStringList calls;
        for (const std::string& call : m_viewer.calls()) calls << QString::fromStdString(call);
        return calls;
    }
    fs::path sheetsFolder() const { return path() / "Sheets"; }
    fs::path rawDataFile() const { return path() / "Data" / "RawData.dat"; }

    // Form field name -> value, read straight from the PDF.
    static std::map<std::string, std::string> formFields(const fs::path& pdfPath) {
        return testsupport::formFields(pdfPath);
    }

    // Key -> value of section "SetupData", in file order, from the raw bytes.
    static std::vector<std::pair<std::string, std::string>> rawEntries(const fs::path& file) {
        std::vector<std::pair<std::string, std::string>> out;
        const std::string text = readFile(file);
        std::size_t start = 0;
        bool inSection = false;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(start, end - start);
            start = end + 2;
            if (!line.empty() && line.front() == '[') {
                inSection = line == "[SetupData]";
                continue;
            }
            const std::size_t eq = line.find('=');
            if (inSection && eq != std::string::npos) out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        }
        return out;
    }

private:
    // Registering syncs every entry to disk; the registry made once in this
    // process is copied into later folders.
    void registerComponents() const {
        static std::string registered;
        const fs::path registry = path() / "bin" / "Registry.ini";
        if (!registered.empty()) {
            write("bin/Registry.ini", registered);
            return;
        }
        for (const char* library : {VANTREL_LOGGING_LIBRARY, VANTREL_QUORREL_LIBRARY, VANTREL_PDFAUTOMATION_LIBRARY})
            if (com::registerLibrary(library) != com::S_OK)
                throw std::runtime_error(std::string("cannot register ") + library);
        registered = readFile(registry);
    }

    testsupport::StandInViewer m_viewer;
    testsupport::EnvOverride m_display;
};

}  // namespace windowtest
