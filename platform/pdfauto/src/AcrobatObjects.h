#pragma once
// The late-bound objects of the stand-in: the application, the document
// view, the document and its pages. Callers reach them by dispatch number;
// these classes give the members their slots and names.

#include "pdfauto/Acrobat.h"

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"

#include <cstdint>
#include <string>

namespace pdfauto {

inline constexpr com::Guid LIBID_PdfAutomation = com::Guid::of("{00ACB1DD-1387-4D4A-99CF-8FC651341E64}");
inline constexpr com::Guid CLSID_AcroApp = com::Guid::of("{93CA40A1-3C46-4578-8A88-AD9EE13D11B0}");
inline constexpr com::Guid CLSID_AcroAVDoc = com::Guid::of("{4E6EDD99-BE7E-4136-8C88-9C6F8E72A3C6}");
inline constexpr com::Guid CLSID_AcroPDDoc = com::Guid::of("{63DDA4B9-0373-4796-8F70-20A8C2C08207}");
inline constexpr com::Guid CLSID_AcroPDPage = com::Guid::of("{588F448B-A498-4C60-A731-F20776596BE3}");
inline constexpr com::Guid CLSID_AFormApp = com::Guid::of("{6143FBF5-5277-4E2A-A369-A246EDEDA17C}");
inline constexpr com::Guid CLSID_Fields = com::Guid::of("{EDFA8297-96B0-45CF-B375-38683EB7E40F}");
inline constexpr com::Guid CLSID_Field = com::Guid::of("{69BAA40B-125B-4029-A0D2-6289503A6F9A}");
inline constexpr com::Guid IID_CAcroApp = com::Guid::of("{7047ED47-4816-4BC3-8BA2-30FBED958AB0}");

class ICAcroApp : public com::IDispatch {
public:
    // Each shows the document in front to the user, once per opening.
    virtual com::HRESULT Show21(int32_t flag, bool* result) = 0;
    virtual com::HRESULT Show24(int32_t flag, bool* result) = 0;
    virtual com::HRESULT Show25(int32_t flag, bool* result) = 0;
};

class ICAcroAVDoc : public com::IDispatch {
public:
    virtual com::HRESULT Open(const std::string& path, const std::string& title, bool* result) = 0;
    virtual com::HRESULT GetPDDoc(com::IDispatch** document) = 0;
    virtual com::HRESULT Close(int32_t noSave, bool* result) = 0;
    virtual com::HRESULT IsValid(bool* result) = 0;
};

class ICAcroPDDoc : public com::IDispatch {
public:
    virtual com::HRESULT GetNumPages(int32_t* count) = 0;
    virtual com::HRESULT AcquirePage(int32_t index, com::IDispatch** page) = 0;
    virtual com::HRESULT Save(int16_t flags, const std::string& path, bool* result) = 0;
    virtual com::HRESULT GetFileName(std::string* path) = 0;
    virtual com::HRESULT AttachFile(const std::string& name, const std::string& bytes, const std::string& mimeType,
                                    bool* result) = 0;
    virtual com::HRESULT FieldMaxLength(const std::string& name, int32_t* length) = 0;
};

class ICAcroPDPage : public com::IDispatch {
public:
    virtual com::HRESULT GetNumber(int32_t* index) = 0;
};

}  // namespace pdfauto
