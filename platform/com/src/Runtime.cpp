#include "platform/com/Runtime.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/PathText.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ErrorInfo.h"

#include "SharedLibrary.h"

namespace com {

namespace {

// Statuses for a library that cannot be loaded or lacks an entry point, as
// the component world reports them (module / procedure not found).
constexpr HRESULT E_MODULE_NOT_FOUND = static_cast<HRESULT>(0x8007007Eu);
constexpr HRESULT E_PROC_NOT_FOUND = static_cast<HRESULT>(0x8007007Fu);

// Registry values hold paths; the profile reader's default limit is too short.
constexpr std::size_t PathBufferSize = 4096;

struct Library {
    void* handle = nullptr;
    DllGetClassObjectFn getClassObject = nullptr;
    DllCanUnloadNowFn canUnloadNow = nullptr;
};

struct RuntimeState {
    std::recursive_mutex mutex;  // a library loaded or unloaded may call back in
    std::string registryOverride;
    std::map<std::string, Library> libraries;  // by absolute path; each loaded once
};

RuntimeState& state() {
    static RuntimeState s;
    return s;
}

thread_local std::string t_lastFailure;

// The folder above the "bin" folder that holds the registry file; empty for
// a registry kept anywhere else.
std::filesystem::path registryProgramFolder() {
    std::error_code ec;
    const std::filesystem::path folder =
        std::filesystem::absolute(platform::paths::pathOf(platform::paths::toNative(registryPath())), ec)
            .lexically_normal()
            .parent_path();
    if (ec) return {};
    return folder.filename() == "bin" ? folder.parent_path() : std::filesystem::path();
}

HRESULT fail(HRESULT hr, std::string reason) {
    t_lastFailure = std::move(reason);
    return hr;
}

std::string absoluteLibraryPath(const std::string& systemPath) {
    std::filesystem::path p = platform::paths::pathOf(platform::paths::toNative(systemPath));
    std::error_code ec;
    if (p.is_relative()) {
        auto abs = std::filesystem::absolute(p, ec);
        if (!ec) p = abs;
    }
    return platform::paths::textOf(p.lexically_normal());
}

// Loads the library once per process; null with the reason set on failure.
Library* loadLibrary(const std::string& path, HRESULT& hr) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (auto it = s.libraries.find(path); it != s.libraries.end()) return &it->second;
    std::string why;
    void* handle = shared::load(path, why);
    if (!handle) {
        hr = fail(E_MODULE_NOT_FOUND, "library " + path + " could not be loaded: " + why);
        return nullptr;
    }
    Library lib;
    lib.handle = handle;
    lib.getClassObject = reinterpret_cast<DllGetClassObjectFn>(shared::entryPoint(handle, "DllGetClassObject"));
    lib.canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(shared::entryPoint(handle, "DllCanUnloadNow"));
    return &s.libraries.emplace(path, lib).first->second;
}

// A library that turned out to be no component is not kept loaded.
void dropIfNoComponent(const std::string& path) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    auto it = s.libraries.find(path);
    if (it == s.libraries.end() || it->second.getClassObject) return;
    shared::unload(it->second.handle);
    s.libraries.erase(it);
}

std::string hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(hr));
    return text;
}

std::string takeErrorText() {
    auto info = takeErrorInfo();
    return info ? info->description : std::string();
}

HRESULT callRegistration(const std::string& libraryPath, const char* entryPoint) {
    t_lastFailure.clear();
    const std::string path = absoluteLibraryPath(libraryPath);
    HRESULT hr = S_OK;
    Library* lib = loadLibrary(path, hr);
    if (!lib) return hr;
    auto fn = reinterpret_cast<DllRegisterServerFn>(shared::entryPoint(lib->handle, entryPoint));
    if (!fn) {
        dropIfNoComponent(path);
        return fail(E_PROC_NOT_FOUND, "library " + path + " has no " + entryPoint);
    }
    try {
        hr = fn();
    } catch (...) {
        // A library that lets an exception escape is broken; report, never crash.
        hr = E_FAIL;
    }
    if (failed(hr)) {
        std::string why = takeErrorText();
        fail(hr,
             std::string(entryPoint) + " of " + path + " failed" + (why.empty() ? " (" + hex(hr) + ")" : ": " + why));
    }
    return hr;
}

}  // namespace

std::string registryPath() {
    {
        auto& s = state();
        std::lock_guard lock(s.mutex);
        if (!s.registryOverride.empty()) return s.registryOverride;
    }
    return platform::process::programFolder() + "\\bin\\Registry.ini";
}

void setRegistryPath(std::string path) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.registryOverride = std::move(path);
}

std::string lastFailureReason() { return t_lastFailure; }

std::string registeredLibraryPath(const std::string& absoluteLibrary) {
    const std::filesystem::path library = platform::paths::pathOf(absoluteLibrary).lexically_normal();
    const std::filesystem::path folder = registryProgramFolder();
    if (folder.empty()) return platform::paths::textOf(library);
    const std::filesystem::path relative = library.lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..") return platform::paths::textOf(library);
    return platform::paths::textOf(relative);
}

std::string resolvedLibraryPath(const std::string& registered) {
    const std::filesystem::path native = platform::paths::pathOf(platform::paths::toNative(registered));
    std::filesystem::path folder = registryProgramFolder();
    if (folder.empty()) folder = platform::paths::pathOf(platform::process::programFolder());
    if (native.is_relative()) return platform::paths::textOf((folder / native).lexically_normal());
    std::error_code ec;
    if (!std::filesystem::exists(native, ec) && native.has_filename()) {
        const std::filesystem::path own = folder / native.filename();
        if (std::filesystem::is_regular_file(own, ec)) return platform::paths::textOf(own.lexically_normal());
    }
    return platform::paths::textOf(native.lexically_normal());
}

HRESULT createInstance(const Guid& clsid, const Guid& iid, void** object) {
    t_lastFailure.clear();
    if (!object) return fail(E_POINTER, "was asked for without a place for the object");
    *object = nullptr;

    const std::string section = "CLSID\\" + clsid.toString();
    std::string registered =
        platform::profile::readEntry(registryPath(), section, "InprocServer32", {}, PathBufferSize);
    if (registered.empty()) return fail(REGDB_E_CLASSNOTREG, "is not registered");

    const std::string path = resolvedLibraryPath(registered);

    HRESULT hr = S_OK;
    Library* lib = loadLibrary(path, hr);
    if (!lib) return hr;
    if (!lib->getClassObject) {
        dropIfNoComponent(path);
        return fail(CLASS_E_CLASSNOTAVAILABLE, "library " + path + " has no DllGetClassObject");
    }

    try {
        ComPtr<IClassFactory> factory;
        hr = lib->getClassObject(clsid, IID_IClassFactory, factory.putVoid());
        if (failed(hr) || !factory) {
            takeErrorInfo();
            return fail(CLASS_E_CLASSNOTAVAILABLE, "is not available from library " + path);
        }
        hr = factory->CreateInstance(nullptr, iid, object);
        if (hr == E_NOINTERFACE) {
            takeErrorInfo();
            return fail(E_NOINTERFACE, "does not support interface " + iid.toString());
        }
        if (failed(hr) || !*object) {
            std::string why = takeErrorText();
            *object = nullptr;
            return fail(failed(hr) ? hr : E_FAIL,
                        "could not be created by library " + path + (why.empty() ? " (" + hex(hr) + ")" : ": " + why));
        }
        return hr;
    } catch (...) {
        // A library that lets an exception escape is broken; report, never crash.
        *object = nullptr;
        return fail(E_FAIL, "could not be created by library " + path + ": it raised an exception");
    }
}

void raiseCannotCreate(const Guid& clsid, HRESULT hr) {
    std::string reason = t_lastFailure;
    if (reason.empty()) {
        switch (hr) {
        case REGDB_E_CLASSNOTREG: reason = "is not registered"; break;
        case CLASS_E_CLASSNOTAVAILABLE: reason = "is not available from its library"; break;
        case E_NOINTERFACE: reason = "does not support the interface asked for"; break;
        default: reason = "could not be created (" + hex(hr) + ")"; break;
        }
    }
    platform::raise(
        platform::ErrCantCreateObject, {},
        platform::standardDescription(platform::ErrCantCreateObject) + ": class " + clsid.toString() + " " + reason);
}

std::optional<Guid> classIdOfProgId(const std::string& progId) {
    if (progId.empty()) return std::nullopt;
    return Guid::parse(platform::profile::readEntry(registryPath(), "ProgID\\" + progId, "CLSID"));
}

ComPtr<IDispatch> createObject(const std::string& progId) {
    auto clsid = classIdOfProgId(progId);
    if (!clsid) {
        platform::raise(platform::ErrCantCreateObject, {},
                        platform::standardDescription(platform::ErrCantCreateObject) + ": program identifier " +
                            progId + " is not registered");
    }
    return create<IDispatch>(*clsid, IID_IDispatch);
}

void freeUnusedLibraries() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    for (auto it = s.libraries.begin(); it != s.libraries.end();) {
        bool unload = false;
        try {
            unload = it->second.canUnloadNow && it->second.canUnloadNow() == S_OK;
        } catch (...) {
            unload = false;
        }
        if (unload) {
            shared::unload(it->second.handle);
            it = s.libraries.erase(it);
        } else {
            ++it;
        }
    }
}

HRESULT registerLibrary(const std::string& libraryPath) { return callRegistration(libraryPath, "DllRegisterServer"); }

HRESULT unregisterLibrary(const std::string& libraryPath) {
    return callRegistration(libraryPath, "DllUnregisterServer");
}

}  // namespace com
