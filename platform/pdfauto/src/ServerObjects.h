#pragma once
// The objects PdfAutomation.so hands out. Like a single desktop viewer, the
// library keeps one document in front: opened by a document view, worked on
// by the forms automation, shown by the application.

#include "AcrobatObjects.h"
#include "PdfForm.h"
#include "SystemFiles.h"

#include "platform/com/Server.h"

#include <memory>
#include <optional>
#include <string>

COM_INTERFACE_ID(pdfauto::ICAcroApp, pdfauto::IID_CAcroApp)
COM_INTERFACE_ID(pdfauto::ICAcroAVDoc, pdfauto::IID_CAcroAVDoc)
COM_INTERFACE_ID(pdfauto::ICAcroPDDoc, pdfauto::IID_CAcroPDDoc)
COM_INTERFACE_ID(pdfauto::ICAcroPDPage, pdfauto::IID_CAcroPDPage)
COM_INTERFACE_ID(pdfauto::IAFormApp, pdfauto::IID_IAFormApp)
COM_INTERFACE_ID(pdfauto::IFields, pdfauto::IID_IFields)
COM_INTERFACE_ID(pdfauto::IField, pdfauto::IID_IField)

namespace pdfauto {

using com::HRESULT;

struct OpenDocument {
    explicit OpenDocument(const std::string& nativePath) : form(nativePath) {}
    PdfForm form;
    std::string key;  // the file, canonical, that views share it by
    std::optional<FileIdentity> file;
    int views = 0;           // document views that opened it and did not close it
    bool shown = false;      // the application showed it to the user already
    bool shownWell = false;  // ... and a viewer took it
};

// The document in front; empty when none is open.
std::shared_ptr<OpenDocument>& frontDocument();
// Puts a document in front, or none; keeps the library loaded while one is.
void setFrontDocument(std::shared_ptr<OpenDocument> document);

// Like a desktop viewer, one document per file: a view opening a file that
// is open already, and unchanged on disk since, gets that same document.
std::shared_ptr<OpenDocument> openDocument(const std::string& nativePath);
// After a save to the document's own file, views share it by the new version.
void savedDocument(OpenDocument& document, const std::string& nativePath);

class AcroApp final : public com::server::ComObject<AcroApp, ICAcroApp> {
public:
    HRESULT Show21(int32_t flag, bool* result) override { return show(flag, result); }
    HRESULT Show24(int32_t flag, bool* result) override { return show(flag, result); }
    HRESULT Show25(int32_t flag, bool* result) override { return show(flag, result); }

    // Members this stand-in has no use for succeed and do nothing, as a
    // viewer asked to rearrange windows it does not have would.
    HRESULT Invoke(com::DISPID dispid, uint16_t flags, std::vector<com::Variant>& args, com::Variant* result) override;

    static const com::server::DispatchTable<AcroApp>& dispatchTable();

private:
    HRESULT show(int32_t flag, bool* result);
};

class AcroAVDoc final : public com::server::ComObject<AcroAVDoc, ICAcroAVDoc> {
public:
    HRESULT Open(const std::string& path, const std::string& title, bool* result) override;
    HRESULT GetPDDoc(com::IDispatch** document) override;
    HRESULT Close(int32_t noSave, bool* result) override;
    HRESULT IsValid(bool* result) override;

    static const com::server::DispatchTable<AcroAVDoc>& dispatchTable();

    // Why the last open failed, for tests and diagnostics.
    const std::string& lastOpenFailure() const { return m_lastOpenFailure; }

private:
    void leaveDocument();

    std::shared_ptr<OpenDocument> m_document;
    std::string m_lastOpenFailure;
};

class AcroPDDoc final : public com::server::ComObject<AcroPDDoc, ICAcroPDDoc> {
public:
    explicit AcroPDDoc(std::shared_ptr<OpenDocument> document) : m_document(std::move(document)) {}

    HRESULT GetNumPages(int32_t* count) override;
    HRESULT AcquirePage(int32_t index, com::IDispatch** page) override;
    HRESULT Save(int16_t flags, const std::string& path, bool* result) override;
    HRESULT GetFileName(std::string* path) override;
    HRESULT AttachFile(const std::string& name, const std::string& bytes, const std::string& mimeType,
                       bool* result) override;
    HRESULT FieldMaxLength(const std::string& name, int32_t* length) override;

    static const com::server::DispatchTable<AcroPDDoc>& dispatchTable();

private:
    std::shared_ptr<OpenDocument> m_document;
};

class AcroPDPage final : public com::server::ComObject<AcroPDPage, ICAcroPDPage> {
public:
    AcroPDPage(std::shared_ptr<OpenDocument> document, int32_t index)
        : m_document(std::move(document)), m_index(index) {}

    HRESULT GetNumber(int32_t* index) override;

    static const com::server::DispatchTable<AcroPDPage>& dispatchTable();

private:
    std::shared_ptr<OpenDocument> m_document;
    int32_t m_index;
};

class AFormApp final : public com::server::ComObject<AFormApp, IAFormApp> {
public:
    HRESULT get_Fields(com::IDispatch** fields) override;

    static const com::server::DispatchTable<AFormApp>& dispatchTable();
};

class FormFields final : public com::server::ComObject<FormFields, IFields> {
public:
    explicit FormFields(std::shared_ptr<OpenDocument> document) : m_document(std::move(document)) {}

    HRESULT get_Item(const std::string& name, IField** field) override;
    HRESULT get_Count(int32_t* count) override;
    HRESULT get__NewEnum(com::IUnknown** enumerator) override;
    HRESULT Add(const std::string& name, const std::string& type, int16_t page, float left, float top, float right,
                float bottom, IField** field) override;

    static const com::server::DispatchTable<FormFields>& dispatchTable();

private:
    std::shared_ptr<OpenDocument> m_document;
};

class FormFieldObject final : public com::server::ComObject<FormFieldObject, IField> {
public:
    FormFieldObject(std::shared_ptr<OpenDocument> document, FormField& field)
        : m_document(std::move(document)), m_field(field) {}

    HRESULT get_Name(std::string* name) override;
    HRESULT get_Value(std::string* value) override;
    HRESULT put_Value(const std::string& value) override;
    HRESULT get_TextFont(std::string* font) override;
    HRESULT put_TextFont(const std::string& font) override;
    HRESULT get_TextSize(int16_t* size) override;
    HRESULT put_TextSize(int16_t size) override;
    HRESULT get_Type(std::string* type) override;

    static const com::server::DispatchTable<FormFieldObject>& dispatchTable();

private:
    std::shared_ptr<OpenDocument> m_document;  // keeps m_field alive
    FormField& m_field;
};

}  // namespace pdfauto
