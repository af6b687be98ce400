#pragma once
// A small component library of the runtime's own tests: one creatable dual
// class (CWidget) and a collection it hands out (CWidgetList).

#include <cstdint>
#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/Variant.h"

namespace testcomponent {

inline constexpr com::Guid LIBID_TestComponent = com::Guid::of("{5C0E1A2B-7D3F-4E61-9A84-0B1C2D3E4F50}");
inline constexpr com::Guid CLSID_CWidget = com::Guid::of("{5C0E1A2B-7D3F-4E61-9A84-0B1C2D3E4F51}");
inline constexpr com::Guid IID_CWidget = com::Guid::of("{5C0E1A2B-7D3F-4E61-9A84-0B1C2D3E4F52}");
inline constexpr com::Guid CLSID_CWidgetList = com::Guid::of("{5C0E1A2B-7D3F-4E61-9A84-0B1C2D3E4F53}");
inline constexpr com::Guid IID_CWidgetList = com::Guid::of("{5C0E1A2B-7D3F-4E61-9A84-0B1C2D3E4F54}");
inline constexpr const char* ProgIdWidget = "VantrelTest.Widget";

// Members in slot order.
class ICWidget : public com::IDispatch {
public:
    virtual com::HRESULT put_Text(const std::string& value) = 0;
    virtual com::HRESULT get_Text(std::string* value) = 0;
    // Adds a and b (16-bit) into a 32-bit sum and counts the call.
    virtual com::HRESULT Add(int16_t a, int16_t b, int32_t* result) = 0;
    // Number of calls of Add so far, whichever way they came.
    virtual com::HRESULT get_AddCalls(int32_t* result) = 0;
    // Raises an error with exactly this number, source and description.
    virtual com::HRESULT Fail(int32_t number, const std::string& source, const std::string& description) = 0;
    // greeting + ", " + name; greeting optional ("Hello"); punctuation passed
    // through as a variant ("missing" when left out, then nothing is added).
    virtual com::HRESULT Greet(const std::string& name, const std::string& greeting, const com::Variant& punctuation,
                               std::string* result) = 0;
    // A collection of count items "item1".."itemN".
    virtual com::HRESULT MakeList(int16_t count, com::IDispatch** result) = 0;
};

class ICWidgetList : public com::IDispatch {
public:
    virtual com::HRESULT Item(int32_t index, com::Variant* result) = 0;  // default member, 1-based
    virtual com::HRESULT Count(int32_t* result) = 0;
    virtual com::HRESULT NewEnum(com::IUnknown** result) = 0;  // dispatch number -4
};

}  // namespace testcomponent
