#pragma once
// Quorrel: fills the form fields of a PDF from the first record of a
// delimited data file, through a mapping file. Type library "Quorrel" 2.0.
// All four interfaces are dual; members stand in table-slot order.

#include <cstdint>
#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/Variant.h"

namespace quorrel {

inline constexpr com::Guid LIBID_Quorrel = com::Guid::of("{76E47D7B-8181-496C-BDC2-A41088FC4AA4}");

inline constexpr com::Guid CLSID_CPdfFormFiller = com::Guid::of("{61D4AB7E-D6BF-4D97-AD91-2758A8594EE4}");
inline constexpr com::Guid IID_CPdfFormFiller = com::Guid::of("{98EB7C6B-C0E4-4C58-B042-C8E0C2C1D3E5}");
inline constexpr com::Guid CLSID_CAdobeFormHandler = com::Guid::of("{6D1232AC-0A69-43F9-8613-855381576A2C}");
inline constexpr com::Guid IID_CAdobeFormHandler = com::Guid::of("{8038A49E-05A1-420F-81E6-4BA76C072D2E}");
inline constexpr com::Guid CLSID_CAdobeFields = com::Guid::of("{413B517E-FCDD-494B-A858-F27C16C91507}");
inline constexpr com::Guid IID_CAdobeFields = com::Guid::of("{74A17506-8DE8-4803-8892-9C82DA7F2E50}");
inline constexpr com::Guid CLSID_CAdobeField = com::Guid::of("{59B74913-08AB-4560-B0B2-055D772C5C2F}");
inline constexpr com::Guid IID_CAdobeField = com::Guid::of("{E17280DB-855C-4F51-9681-3476E100EEBC}");

class ICAdobeField : public com::IDispatch {
public:
    virtual com::HRESULT put_FieldName(const std::string& value) = 0;
    virtual com::HRESULT get_FieldName(std::string* value) = 0;
    virtual com::HRESULT put_DataFileFieldIndex(int16_t value) = 0;
    virtual com::HRESULT get_DataFileFieldIndex(int16_t* value) = 0;
    virtual com::HRESULT put_FieldValue(const std::string& value) = 0;
    virtual com::HRESULT get_FieldValue(std::string* value) = 0;
    // Index, a blank, name, a blank, value.
    virtual com::HRESULT toString(com::Variant* result) = 0;
};

class ICAdobeFields : public com::IDispatch {
public:
    // sKey: optional (Missing or empty adds the member without a key).
    virtual com::HRESULT Add(int16_t DataFileFieldIndex, const std::string& FieldName, const std::string& FieldValue,
                             const com::Variant& sKey, ICAdobeField** result) = 0;
    // Default member (dispatch number 0): a 1-based position or a key.
    virtual com::HRESULT Item(const com::Variant& vntIndexKey, ICAdobeField** result) = 0;
    virtual com::HRESULT Count(int32_t* result) = 0;
    virtual com::HRESULT Remove(const com::Variant& vntIndexKey) = 0;
    // Hidden enumerator (dispatch number -4): an IEnumVARIANT over the members.
    virtual com::HRESULT NewEnum(com::IUnknown** result) = 0;
};

class ICAdobeFormHandler : public com::IDispatch {
public:
    virtual com::HRESULT GetField(const std::string& FieldName, const std::string& pdfFileName,
                                  std::string* result) = 0;
    virtual com::HRESULT SetField(const std::string& FieldName, const std::string& FieldValue,
                                  const std::string& pdfFileName) = 0;
    // Optional arguments by dispatch: myFileName "", pageNofN true, myPageNumberMask "Page n of x".
    virtual com::HRESULT PageNumber(const std::string& myFont, const std::string& myFontSize, int16_t xLeft,
                                    int16_t xTop, int16_t xRight, int16_t xBottom, const std::string& myFileName,
                                    bool pageNofN, const std::string& myPageNumberMask, bool* result) = 0;
    virtual com::HRESULT CreateField(const std::string& myFont, const std::string& myFontSize, int16_t xLeft,
                                     int16_t xTop, int16_t xRight, int16_t xBottom, const std::string& FieldName,
                                     const std::string& FieldValue, int16_t myPageNumber,
                                     const std::string& pdfFileName) = 0;
    virtual com::HRESULT FillFields(ICAdobeFields* fields, const std::string& pdfFileName) = 0;
};

class ICPdfFormFiller : public com::IDispatch {
public:
    virtual com::HRESULT put_PdfFormFile(const std::string& value) = 0;
    virtual com::HRESULT get_PdfFormFile(std::string* value) = 0;
    virtual com::HRESULT put_DataFile(const std::string& value) = 0;
    virtual com::HRESULT get_DataFile(std::string* value) = 0;
    virtual com::HRESULT put_DataFileDelimiter(const std::string& value) = 0;
    virtual com::HRESULT get_DataFileDelimiter(std::string* value) = 0;
    virtual com::HRESULT put_MappingFile(const std::string& value) = 0;
    virtual com::HRESULT get_MappingFile(std::string* value) = 0;
    virtual com::HRESULT FillForm() = 0;
};

}  // namespace quorrel
