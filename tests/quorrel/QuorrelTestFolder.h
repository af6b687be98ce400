#pragma once
// A temporary program folder with its own registry holding Quorrel, and
// helpers to create Quorrel's classes through the component runtime.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "Components.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"
#include "quorrel/Quorrel.h"

namespace quorreltest {

struct ErrorSeen {
    bool raised = false;
    int32_t number = 0;
    std::string source;
    std::string description;
};

// Runs a call that returns a status, and takes the error object beside it.
inline ErrorSeen errorOf(com::HRESULT hr) {
    ErrorSeen seen;
    if (com::succeeded(hr)) return seen;
    seen.raised = true;
    try {
        com::check(hr);
    } catch (const platform::Error& e) {
        seen.number = e.number();
        seen.source = e.source();
        seen.description = e.description();
    }
    return seen;
}

class QuorrelFolder {
public:
    QuorrelFolder() : m_registry(m_folder, {VANTREL_QUORREL_LIBRARY}) {}

    testsupport::TempProgramFolder& folder() { return m_folder; }
    testsupport::ComponentRegistry& registry() { return m_registry; }
    // A path below the folder, as the system writes paths.
    std::string path(const std::string& relative) const { return (m_folder.path() / relative).string(); }
    std::string write(const std::string& relative, const std::string& bytes) const {
        return m_folder.write(relative, bytes).string();
    }

    com::ComPtr<quorrel::ICPdfFormFiller> filler(const std::string& pdf, const std::string& data,
                                                 const std::string& mapping, const std::string& delimiter = "|") {
        auto f = com::create<quorrel::ICPdfFormFiller>(quorrel::CLSID_CPdfFormFiller, quorrel::IID_CPdfFormFiller);
        // The order the program sets them in.
        com::check(f->put_DataFile(data));
        com::check(f->put_DataFileDelimiter(delimiter));
        com::check(f->put_PdfFormFile(pdf));
        com::check(f->put_MappingFile(mapping));
        return f;
    }
    com::ComPtr<quorrel::ICAdobeFormHandler> handler() {
        return com::create<quorrel::ICAdobeFormHandler>(quorrel::CLSID_CAdobeFormHandler,
                                                        quorrel::IID_CAdobeFormHandler);
    }

private:
    testsupport::TempProgramFolder m_folder;
    testsupport::ComponentRegistry m_registry;
};

}  // namespace quorreltest
