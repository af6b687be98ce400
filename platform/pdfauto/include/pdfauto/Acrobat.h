#pragma once
// The PDF automation objects that the program and Quorrel drive, as the
// stand-in for Adobe Acrobat provides them. The application and the document
// objects are reached late-bound, by program identifier and dispatch number;
// the forms objects through the interfaces below.

#include <cstdint>
#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"

namespace pdfauto {

inline constexpr const char* ProgIdApp = "AcroExch.App";
inline constexpr const char* ProgIdAVDoc = "AcroExch.AVDoc";
inline constexpr const char* ProgIdFormApp = "AFormAut.App";

inline constexpr com::Guid IID_CAcroAVDoc = com::Guid::of("{9B4CD3E8-4981-101B-9CA8-9240CE2738AE}");
inline constexpr com::Guid IID_CAcroPDDoc = com::Guid::of("{9B4CD3E7-4981-101B-9CA8-9240CE2738AE}");
inline constexpr com::Guid IID_CAcroPDPage = com::Guid::of("{9B4CD3EA-4981-101B-9CA8-9240CE2738AE}");
inline constexpr com::Guid IID_IAFormApp = com::Guid::of("{7CD069A0-50AA-11D1-B8F0-00A0C9259304}");
inline constexpr com::Guid IID_IFields = com::Guid::of("{673E8452-7646-11D1-B90B-00A0C9259304}");
inline constexpr com::Guid IID_IField = com::Guid::of("{673E8454-7646-11D1-B90B-00A0C9259304}");

// Dispatch numbers of the document view ("AcroExch.AVDoc").
namespace avdoc {
inline constexpr com::DISPID Open = 1;      // (path, title) -> boolean
inline constexpr com::DISPID GetPDDoc = 2;  // () -> document
inline constexpr com::DISPID Close = 6;     // (32-bit noSave) -> boolean
inline constexpr com::DISPID IsValid = 19;  // () -> boolean
}  // namespace avdoc

// Dispatch numbers of the document behind a view.
namespace pddoc {
inline constexpr com::DISPID GetNumPages = 6;   // () -> 32-bit count
inline constexpr com::DISPID AcquirePage = 17;  // (0-based index) -> page
inline constexpr com::DISPID Save = 23;         // (16-bit flags, path) -> boolean; flags 1 = full save
// This stand-in's own members, for the program that hands a sheet its setup
// before the form filler fills and saves it, so that one save writes both.
// (name, bytes, media type) -> boolean: the file joins the document's next save.
inline constexpr com::DISPID AttachFile = 1001;
// (field name) -> 32-bit: the most characters the text field keeps, 0 when
// it keeps any number, -1 when the form has no such field.
inline constexpr com::DISPID FieldMaxLength = 1002;
}  // namespace pddoc

// Dispatch numbers of the application ("AcroExch.App") that the program calls
// after a sheet opened: each with the 32-bit argument 1, in the order 24, 25, 21.
namespace app {
inline constexpr com::DISPID Show21 = 21;
inline constexpr com::DISPID Show24 = 24;
inline constexpr com::DISPID Show25 = 25;
}  // namespace app

class IField;

// Forms application ("AFormAut.App"): the fields of the document in front.
class IAFormApp : public com::IDispatch {
public:
    virtual com::HRESULT get_Fields(com::IDispatch** fields) = 0;  // an IFields
};

class IFields : public com::IDispatch {
public:
    // Look-up by fully qualified name (default member); fails for an unknown name.
    virtual com::HRESULT get_Item(const std::string& name, IField** field) = 0;
    virtual com::HRESULT get_Count(int32_t* count) = 0;
    // Every field in document order (IEnumVARIANT of IField objects).
    virtual com::HRESULT get__NewEnum(com::IUnknown** enumerator) = 0;
    // A new field of the given type ("text") on a 0-based page, rectangle in user space.
    virtual com::HRESULT Add(const std::string& name, const std::string& type, int16_t page, float left, float top,
                             float right, float bottom, IField** field) = 0;
};

class IField : public com::IDispatch {
public:
    virtual com::HRESULT get_Name(std::string* name) = 0;
    virtual com::HRESULT get_Value(std::string* value) = 0;
    virtual com::HRESULT put_Value(const std::string& value) = 0;
    virtual com::HRESULT get_TextFont(std::string* font) = 0;
    virtual com::HRESULT put_TextFont(const std::string& font) = 0;
    virtual com::HRESULT get_TextSize(int16_t* size) = 0;
    virtual com::HRESULT put_TextSize(int16_t size) = 0;
    virtual com::HRESULT get_Type(std::string* type) = 0;
};

}  // namespace pdfauto
