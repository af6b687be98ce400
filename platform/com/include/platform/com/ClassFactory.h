#pragma once
// What the runtime asks of a component library: a class factory per creatable
// class, and the four entry points every component library exports.

#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

namespace com {

class IClassFactory : public IUnknown {
public:
    // outer must be null: objects are never aggregated.
    virtual HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) = 0;
    // Keeps the library loaded while locked, even with no object alive.
    virtual HRESULT LockServer(bool lock) = 0;
};

// Signatures of the exported entry points (extern "C", looked up by name).
using DllGetClassObjectFn = HRESULT (*)(const Guid& clsid, const Guid& iid, void** object);
using DllCanUnloadNowFn = HRESULT (*)();  // S_OK when no object or lock is left
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

}  // namespace com
