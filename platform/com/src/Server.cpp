#include "platform/com/Server.h"

#include <filesystem>

#include "platform/Paths.h"
#include "platform/PathText.h"
#include "platform/Profile.h"
#include "platform/com/Runtime.h"

#include "SharedLibrary.h"

namespace com {

namespace {

std::string clsidSection(const Guid& clsid) { return "CLSID\\" + clsid.toString(); }
std::string interfaceSection(const Guid& iid) { return "Interface\\" + iid.toString(); }
std::string typeLibSection(const Guid& libid) { return "TypeLib\\" + libid.toString(); }
std::string progIdSection(const std::string& progId) { return "ProgID\\" + progId; }

void write(const std::string& file, const std::string& section, const std::string& key, const std::string& value) {
    if (!platform::profile::writeEntry(file, section, key, value))
        platform::raise(platform::ErrPathAccess, {}, "Cannot write the component registry " + file);
}

void removeSection(const std::string& file, const std::string& section) {
    if (!platform::profile::deleteSection(file, section))
        platform::raise(platform::ErrPathAccess, {}, "Cannot write the component registry " + file);
}

std::string requireLibraryPath(const void* addressInLibrary) {
    std::string path = libraryPathOf(addressInLibrary);
    if (path.empty()) platform::raise(platform::ErrFileNotFound, {}, "Cannot find the path of the component library");
    return path;
}

}  // namespace

std::string libraryPathOf(const void* addressInLibrary) {
    const std::string file = shared::fileOf(addressInLibrary);
    if (file.empty()) return {};
    std::error_code ec;
    auto path = std::filesystem::absolute(platform::paths::pathOf(file), ec);
    if (ec) return {};
    return platform::paths::textOf(path.lexically_normal());
}

HRESULT registerServerModule(const ServerModule& module, const void* addressInLibrary) noexcept {
    HRESULT status = guard([&] {
        const std::string file = registryPath();
        const std::string path = registeredLibraryPath(requireLibraryPath(addressInLibrary));
        const std::string libid = module.libraryId.toString();

        const std::string lib = typeLibSection(module.libraryId);
        write(file, lib, "Name", module.libraryName);
        write(file, lib, "Version", module.version);
        write(file, lib, "Path", path);

        for (const auto& c : module.classes) {
            for (const auto& i : c.interfaces) {
                write(file, interfaceSection(i.iid), "Name", i.name);
                write(file, interfaceSection(i.iid), "TypeLib", libid);
            }
            if (!c.creatable) continue;
            const std::string section = clsidSection(c.clsid);
            write(file, section, "InprocServer32", path);
            write(file, section, "ThreadingModel", "Apartment");
            if (!c.progId.empty()) {
                write(file, section, "ProgID", c.progId);
                write(file, progIdSection(c.progId), "CLSID", c.clsid.toString());
            }
            write(file, section, "TypeLib", libid);
        }
    });
    return failed(status) ? status : S_OK;
}

HRESULT unregisterServerModule(const ServerModule& module, const void* addressInLibrary) noexcept {
    (void)addressInLibrary;  // the ids alone say what belongs to this library
    HRESULT status = guard([&] {
        const std::string file = registryPath();
        // Nothing to remove from a registry that does not exist; do not create one.
        std::error_code ec;
        if (!std::filesystem::exists(platform::paths::pathOf(platform::paths::toNative(file)), ec)) return;
        for (const auto& c : module.classes) {
            for (const auto& i : c.interfaces) removeSection(file, interfaceSection(i.iid));
            if (!c.creatable) continue;
            removeSection(file, clsidSection(c.clsid));
            // A program identifier taken over by another class stays with it.
            if (!c.progId.empty()) {
                auto owner = Guid::parse(platform::profile::readEntry(file, progIdSection(c.progId), "CLSID"));
                if (!owner || *owner == c.clsid) removeSection(file, progIdSection(c.progId));
            }
        }
        removeSection(file, typeLibSection(module.libraryId));
    });
    return failed(status) ? status : S_OK;
}

}  // namespace com
