#include "SharedLibrary.h"

#include <dlfcn.h>

namespace com::shared {

void* load(const std::string& nativePath, std::string& why) {
    dlerror();
    void* handle = dlopen(nativePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = dlerror();
        why = text ? text : "unknown reason";
    }
    return handle;
}

void* entryPoint(void* library, const char* name) { return dlsym(library, name); }

void unload(void* library) { dlclose(library); }

std::string fileOf(const void* address) {
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname) return {};
    return info.dli_fname;
}

}  // namespace com::shared
