#pragma once
// Creation of component objects by class id or program identifier, through
// the registry file of the program folder.
//
// Registry file: a profile file, by default programFolder + "\bin\Registry.ini"
// (each installation, and each test, has its own). Sections, as written by a
// library's DllRegisterServer:
//   [CLSID\{class id}]           InprocServer32=<library path>, ThreadingModel=Apartment,
//                                ProgID=<program identifier>, TypeLib={library id}
//   [Interface\{interface id}]   Name=<interface name>, TypeLib={library id}
//   [TypeLib\{library id}]       Name=<library name>, Version=<major.minor>, Path=<library path>
//   [ProgID\<program identifier>] CLSID={class id}
// A library inside the registry's program folder (the folder above the "bin"
// folder that holds the registry file) is recorded relative to it, so a program
// folder moved or copied elsewhere finds its own libraries; any other library
// by its absolute native path. DllUnregisterServer removes the sections of its own
// ids, and a ProgID section only while it names one of its classes.

#include <optional>
#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

namespace com {

// The registry file of this process (native or system path).
std::string registryPath();
void setRegistryPath(std::string path);  // empty restores the default

// The path the registry records for a library (absolute native path given):
// relative to the registry's program folder when the library lies in it.
std::string registeredLibraryPath(const std::string& absoluteLibrary);
// The library a registry entry names, as an absolute native path: a relative
// entry is taken relative to the registry's program folder; an absolute one
// that no longer exists, where the program folder holds a library of its
// name, is that one (a registry written before relative entries, its folder
// moved since).
std::string resolvedLibraryPath(const std::string& registered);

// Raw creation: looks the class up, loads its library once, asks its class
// factory for an object and queries the interface. Returns a status:
// REGDB_E_CLASSNOTREG, a load failure, CLASS_E_CLASSNOTAVAILABLE, E_NOINTERFACE.
HRESULT createInstance(const Guid& clsid, const Guid& iid, void** object);

// Creation that raises platform::Error 429 ("ActiveX component can't create
// object") naming the class id, for every way creation can fail.
template <class T>
ComPtr<T> create(const Guid& clsid, const Guid& iid);

// Late-bound creation by program identifier ("AcroExch.App"), through IDispatch.
ComPtr<IDispatch> createObject(const std::string& progId);

// Class id registered for a program identifier.
std::optional<Guid> classIdOfProgId(const std::string& progId);

// Unloads every library that says it can be unloaded (DllCanUnloadNow).
void freeUnusedLibraries();

// Why this thread's last failed createInstance, registerLibrary or
// unregisterLibrary failed, in a few words ("is not registered", "library
// /x/Foo.so could not be loaded: ..."); empty after a success.
std::string lastFailureReason();

// Registration as a registration tool does it: load the library and call its
// DllRegisterServer or DllUnregisterServer. Errors as for createInstance.
HRESULT registerLibrary(const std::string& libraryPath);
HRESULT unregisterLibrary(const std::string& libraryPath);

}  // namespace com

#include "platform/com/Runtime.inl"
