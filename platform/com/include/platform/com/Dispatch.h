#pragma once
// Dual interfaces: every public member can also be called by name or by
// dispatch number, with variant arguments. A collection's default member is
// dispatch number 0 and its enumerator -4.

#include <string>
#include <vector>

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

namespace com {

using DISPID = int32_t;
inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_NEWENUM = -4;

enum DispatchFlags : uint16_t {
    DISPATCH_METHOD = 1,
    DISPATCH_PROPERTYGET = 2,
    DISPATCH_PROPERTYPUT = 4,
    DISPATCH_PROPERTYPUTREF = 8,
};

// A member called for what it answers: a method or a property read.
inline constexpr uint16_t CallForResult = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

class IDispatch : public IUnknown {
public:
    // Names match regardless of letter case; DISP_E_UNKNOWNNAME otherwise.
    virtual HRESULT GetIDOfName(const std::string& name, DISPID* dispid) = 0;
    // Arguments in the order of the member's parameters (first argument first).
    // A put takes the new value as its last argument. On failure the error
    // object is left beside the status (ErrorInfo.h).
    virtual HRESULT Invoke(DISPID dispid, uint16_t flags, std::vector<Variant>& args, Variant* result) = 0;
};

// Enumerator handed out by dispatch number -4 (for-each over a collection).
class IEnumVARIANT : public IUnknown {
public:
    // Up to count items; S_FALSE when fewer were left.
    virtual HRESULT Next(uint32_t count, Variant* items, uint32_t* fetched) = 0;
    virtual HRESULT Skip(uint32_t count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT** out) = 0;
};

// Caller's side of a late-bound call: raises the callee's error object
// (platform::Error) unchanged when the call fails.
Variant invoke(IDispatch* object, DISPID dispid, uint16_t flags, std::vector<Variant> args = {});
Variant invoke(IDispatch* object, const std::string& name, uint16_t flags, std::vector<Variant> args = {});

// For-each over a collection: the items its enumerator (dispatch number -4)
// hands out, in order.
std::vector<Variant> collectItems(IDispatch* collection);

}  // namespace com
