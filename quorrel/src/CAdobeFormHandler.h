#pragma once
// Opens a PDF through the PDF automation objects ("AcroExch.AVDoc",
// "AFormAut.App"), reads, writes or creates its form fields and saves it in
// place. Each operation opens and closes the document itself.

#include <cstdint>
#include <string>

#include "pdfauto/Acrobat.h"
#include "QuorrelInterfaces.h"
#include "platform/com/Server.h"
#include "quorrel/Quorrel.h"

namespace quorrel {

class __attribute__((visibility("hidden"))) CAdobeFormHandler final
    : public com::server::ComObject<CAdobeFormHandler, ICAdobeFormHandler> {
public:
    // The operations, raising the system's errors.
    std::string getField(const std::string& FieldName, const std::string& pdfFileName);
    void setField(const std::string& FieldName, const std::string& FieldValue, const std::string& pdfFileName);
    bool pageNumber(const std::string& myFont, const std::string& myFontSize, int16_t xLeft, int16_t xTop,
                    int16_t xRight, int16_t xBottom, const std::string& myFileName = {}, bool pageNofN = true,
                    const std::string& myPageNumberMask = "Page n of x");
    void createField(const std::string& myFont, const std::string& myFontSize, int16_t xLeft, int16_t xTop,
                     int16_t xRight, int16_t xBottom, const std::string& FieldName, const std::string& FieldValue,
                     int16_t myPageNumber, const std::string& pdfFileName);
    void fillFields(ICAdobeFields* fields, const std::string& pdfFileName);

    // ICAdobeFormHandler: the same, with the error beside the status.
    com::HRESULT GetField(const std::string& FieldName, const std::string& pdfFileName, std::string* result) override;
    com::HRESULT SetField(const std::string& FieldName, const std::string& FieldValue,
                          const std::string& pdfFileName) override;
    com::HRESULT PageNumber(const std::string& myFont, const std::string& myFontSize, int16_t xLeft, int16_t xTop,
                            int16_t xRight, int16_t xBottom, const std::string& myFileName, bool pageNofN,
                            const std::string& myPageNumberMask, bool* result) override;
    com::HRESULT CreateField(const std::string& myFont, const std::string& myFontSize, int16_t xLeft, int16_t xTop,
                             int16_t xRight, int16_t xBottom, const std::string& FieldName,
                             const std::string& FieldValue, int16_t myPageNumber,
                             const std::string& pdfFileName) override;
    com::HRESULT FillFields(ICAdobeFields* fields, const std::string& pdfFileName) override;

    static const com::server::DispatchTable<CAdobeFormHandler>& dispatchTable();

    // The mask with every "n" replaced by the page number text, then every
    // "x" by the page count text; the page number alone when pageNofN is false.
    static std::string FormatPageNumber(const std::string& mask, bool pageNofN, const std::string& pageNumber,
                                        const std::string& pageCount);

private:
    struct FieldEntry {
        std::string name;
        std::string value;
    };

    // Error 53 "Cannot open " + path when the file cannot be read.
    static void CheckFile(const std::string& path);
    // A fresh view on path under title; error 53 when it does not open.
    void openView(const std::string& path, const char* title);
    // The forms application and the fields of the document in front.
    void openForms();
    void openDocument(const std::string& path) {
        openView(path, "AdobeFormHandler");
        openForms();
    }
    // PdDoc = the view's document, then saveDocumentAndClose.
    void saveAndClose(const std::string& path);
    // Saves PdDoc in full to path, closes the view, drops the document and,
    // while the view still stands, the view.
    void saveDocumentAndClose(const std::string& path);
    void WriteFields(ICAdobeFields* fields);
    void WriteField(const FieldEntry& field);
    void WriteFormattedField(const FieldEntry& field, const std::string& font, const std::string& fontSize);
    // Looks a field up into CurrentField; false (and CurrentField cleared)
    // when the form has no such field.
    bool lookUp(const std::string& name);
    // True only when the document in front answers that its form has no field.
    bool formHasNoFields();

    com::ComPtr<pdfauto::IAFormApp> m_FormApp;
    com::ComPtr<pdfauto::IFields> m_FormFields;
    com::ComPtr<pdfauto::IField> m_CurrentField;
    com::ComPtr<com::IDispatch> m_AvDoc;
    com::ComPtr<com::IDispatch> m_PdDoc;
    // Whether a look-up found a field since the last fill began.
    bool m_anyFieldFound = false;
};

}  // namespace quorrel
