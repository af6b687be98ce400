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
// Library paths are absolute native paths (a relative one is taken relative to
// the program folder). DllUnregisterServer removes the sections of its own
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
