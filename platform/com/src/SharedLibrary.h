#pragma once
// Loading a component library, one half for each system: dlopen on Linux,
// LoadLibraryW on Windows.

#include <string>

namespace com::shared {

// The loaded library, or null with the system's reason in why.
void* load(const std::string& nativePath, std::string& why);
void* entryPoint(void* library, const char* name);
void unload(void* library);
// The file of the library that holds this address; empty when none does.
std::string fileOf(const void* address);

}  // namespace com::shared
