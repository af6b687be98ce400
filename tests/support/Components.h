#pragma once
// A component registry of the test's own: points the component runtime at a
// temporary program folder's bin/Registry.ini, registers the given component
// libraries there, and restores the default registry at the end.
//
//   testsupport::TempProgramFolder folder;
//   testsupport::ComponentRegistry reg(folder, {VANTREL_LOGGING_LIBRARY});

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <string>

#include "TempProgramFolder.h"
#include "platform/com/Runtime.h"

namespace testsupport {

class ComponentRegistry {
public:
    ComponentRegistry(const TempProgramFolder& folder, std::initializer_list<std::string> libraries)
        : m_path((folder.path() / "bin" / "Registry.ini").string()) {
        com::setRegistryPath(m_path);
        // Registering writes the registry entry by entry, each write synced to
        // disk; a set of libraries registered once in this process is copied.
        std::string key;
        for (const auto& library : libraries) key += library + '\n';
        auto& cache = registeredSets();
        auto cached = cache.find(key);
        if (cached != cache.end() && !std::filesystem::exists(m_path)) {
            std::filesystem::create_directories(folder.path() / "bin");
            std::ofstream(m_path, std::ios::binary) << cached->second;
            return;
        }
        const bool fresh = !std::filesystem::exists(m_path);
        bool ok = true;
        for (const auto& library : libraries) ok = add(library) && ok;
        if (ok && fresh) cache[key] = TempProgramFolder::readFile(m_path);
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
    bool add(const std::string& library) {
        const com::HRESULT hr = com::registerLibrary(library);
        if (com::failed(hr)) ADD_FAILURE() << "cannot register " << library << ": " << com::lastFailureReason();
        return com::succeeded(hr);
    }
    void remove(const std::string& library) {
        const com::HRESULT hr = com::unregisterLibrary(library);
        if (com::failed(hr)) ADD_FAILURE() << "cannot unregister " << library << ": " << com::lastFailureReason();
    }

    const std::string& path() const { return m_path; }

private:
    static std::map<std::string, std::string>& registeredSets() {
        static std::map<std::string, std::string> sets;
        return sets;
    }

    std::string m_path;
};

}  // namespace testsupport
