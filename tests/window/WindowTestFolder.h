#pragma once
// A program folder of the test's own for the main window: the shipped
// settings, RDX setup type and template, a registry holding the real Logging, Quorrel and
// PDF automation libraries, and a recording "xdg-open" first in PATH, so the
// sheet the run shows to the user lands in a file the test can read.

#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>

#include "TempProgramFolder.h"
#include "platform/Process.h"
#include "platform/com/Runtime.h"

namespace windowtest {

namespace fs = std::filesystem;

// Sets one environment variable for the object's life.
class EnvOverride {
public:
    EnvOverride(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvOverride() {
        if (m_old) ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else ::unsetenv(m_name.c_str());
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

inline std::string pathWithViewerFirst(const fs::path& viewerFolder) {
    const char* old = std::getenv("PATH");
    return viewerFolder.string() + ":" + (old ? old : "/usr/bin:/bin");
}

class WindowTestFolder : public testsupport::TempProgramFolder {
public:
    // Without registered components the window works, but a run cannot make a sheet.
    explicit WindowTestFolder(bool registerComponents = true)
        : m_path("PATH", pathWithViewerFirst(path() / "viewer")),
          m_display("DISPLAY", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : ":99") {
        // The shipped settings, RDX setup type and template.
        for (const char* file : {"bin/Vantrel.ini", "Config/Setup_RDX.ini", "Templates/SetupSheet_RDX.pdf"}) {
            fs::create_directories((path() / file).parent_path());
            fs::copy_file(fs::path(VANTREL_STAGE_DIR) / file, path() / file);
        }
        for (const char* sub : {"Data", "Mapping", "Logs", "Sheets"}) fs::create_directories(path() / sub);

        // The viewer stand-in writes each path it is asked to show as one line.
        const fs::path viewer =
            write("viewer/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + viewerLog().string() + "'\n");
        fs::permissions(viewer, fs::perms::owner_all, fs::perm_options::replace);

        com::setRegistryPath((path() / "bin" / "Registry.ini").string());
        if (registerComponents) this->registerComponents();
    }
    // The component libraries stay loaded: the sheet a run shows stays open
    // in the PDF automation library for the life of the process.
    ~WindowTestFolder() { com::setRegistryPath({}); }

    fs::path viewerLog() const { return path() / "viewer.log"; }
    QStringList viewerCalls() const {
        return QString::fromStdString(readFile(viewerLog())).split('\n', Qt::SkipEmptyParts);
    }
    fs::path sheetsFolder() const { return path() / "Sheets"; }
    fs::path rawDataFile() const { return path() / "Data" / "RawData.dat"; }

    // Form field name -> value, read straight from the PDF.
    static std::map<std::string, std::string> formFields(const fs::path& pdfPath) {
        QPDF pdf;
        pdf.processFile(pdfPath.string().c_str());
        QPDFAcroFormDocumentHelper form(pdf);
        std::map<std::string, std::string> out;
        for (auto& field : form.getFormFields()) out[field.getFullyQualifiedName()] = field.getValueAsString();
        return out;
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
        for (const char* library : {VANTREL_LOGGING_LIBRARY, VANTREL_QUORREL_LIBRARY, VANTREL_PDFAUTO_LIBRARY})
            if (com::registerLibrary(library) != com::S_OK)
                throw std::runtime_error(std::string("cannot register ") + library);
        registered = readFile(registry);
    }

    EnvOverride m_path;
    EnvOverride m_display;
};

}  // namespace windowtest
