#pragma once
// A component registry of the test's own: points the component runtime at a
// temporary program folder's bin/Registry.ini, registers the given component
// libraries there, and restores the default registry at the end.
//
//   testsupport::TempProgramFolder folder;
//   testsupport::ComponentRegistry reg(folder, {LOGGING_LIBRARY_PATH});

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "TempProgramFolder.h"
#include "platform/com/Runtime.h"

namespace testsupport {

class ComponentRegistry {
public:
    ComponentRegistry(const TempProgramFolder& folder, std::initializer_list<std::string> libraries)
        : m_path((folder.path() / "bin" / "Registry.ini").string()) {
        com::setRegistryPath(m_path);
        for (const auto& library : libraries) add(library);
    }
    ~ComponentRegistry() {
        // Libraries whose objects are all gone are unloaded, so the next test
        // starts from a fresh library.
        com::freeUnusedLibraries();
        com::setRegistryPath({});
    }
    ComponentRegistry(const ComponentRegistry&) = delete;
    ComponentRegistry& operator=(const ComponentRegistry&) = delete;

    // Registers one more library; a failure fails the test, with the reason.
    void add(const std::string& library) {
        const com::HRESULT hr = com::registerLibrary(library);
        if (com::failed(hr)) ADD_FAILURE() << "cannot register " << library << ": " << com::lastFailureReason();
    }
    void remove(const std::string& library) {
        const com::HRESULT hr = com::unregisterLibrary(library);
        if (com::failed(hr)) ADD_FAILURE() << "cannot unregister " << library << ": " << com::lastFailureReason();
    }

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace testsupport
