// regsvr: registers component libraries in a registry file, or removes them,
// by calling each library's DllRegisterServer / DllUnregisterServer.
//
//   regsvr [/u] [/s] [--registry FILE] LIBRARY...
//
// The registry file defaults to bin/Registry.ini of the program folder that
// holds regsvr. Exit status 0 when every library succeeded, 1 otherwise.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/FolderLock.h"
#include "platform/Paths.h"
#include "platform/com/Runtime.h"

namespace {

void usage(std::ostream& out) {
    out << "usage: regsvr [/u] [/s] [--registry FILE] LIBRARY...\n"
           "  /u               unregister instead of register\n"
           "  /s               silent: report failures only\n"
           "  --registry FILE  registry file (default: bin/Registry.ini of regsvr's folder)\n";
}

bool isOption(const std::string& arg, char letter) {
    return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') && (arg[1] == letter || arg[1] == letter - 'a' + 'A');
}

}  // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    bool silent = false;
    std::string registry;
    std::vector<std::string> libraries;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (isOption(arg, 'u')) {
            unregister = true;
        } else if (isOption(arg, 's')) {
            silent = true;
        } else if (arg == "--registry") {
            if (++i >= argc) {
                std::cerr << "regsvr: --registry needs a file name\n";
                return 1;
            }
            registry = argv[i];
        } else if (arg == "--help" || arg == "-h" || arg == "/?") {
            usage(std::cout);
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "regsvr: unknown option " << arg << "\n";
            usage(std::cerr);
            return 1;
        } else {
            libraries.push_back(arg);
        }
    }
    if (libraries.empty()) {
        usage(std::cerr);
        return 1;
    }

    if (!registry.empty()) com::setRegistryPath(registry);
    const std::filesystem::path file = platform::paths::toNative(com::registryPath());
    std::error_code ec;
    if (!file.parent_path().empty()) std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) {
        std::cerr << "regsvr: cannot create the folder of " << file.string() << ": " << ec.message() << "\n";
        return 1;
    }
    // Builds register several libraries at once; one registry update at a
    // time, so that none overwrites another's entries.
    const platform::files::FolderLock lock(file.parent_path().empty() ? std::string(".") : file.parent_path().string());

    int status = 0;
    for (const auto& library : libraries) {
        const com::HRESULT hr = unregister ? com::unregisterLibrary(library) : com::registerLibrary(library);
        if (com::failed(hr)) {
            std::cerr << "regsvr: cannot " << (unregister ? "unregister " : "register ") << library << ": "
                      << com::lastFailureReason() << "\n";
            status = 1;
        } else if (!silent) {
            std::cout << (unregister ? "Unregistered " : "Registered ") << library << (unregister ? " from " : " in ")
                      << file.string() << "\n";
        }
    }
    return status;
}
