#include "ServerObjects.h"

#include "ViewerLauncher.h"

#include "platform/Error.h"
#include "platform/Paths.h"

namespace pdfauto {

namespace {

constexpr const char* AVDocSource = "AcroExch.AVDoc";
constexpr const char* PDDocSource = "AcroExch.PDDoc";

}  // namespace

std::shared_ptr<OpenDocument>& frontDocument() {
    static std::shared_ptr<OpenDocument> front;
    return front;
}

// ------------------------------------------------------------------ AcroApp

HRESULT AcroApp::show(int32_t, bool* result) {
    return com::guard([&] {
        auto& front = frontDocument();
        // The program asks three times in a row; one viewer window is enough.
        if (front && !front->shown) {
            front->shown = true;
            showInViewer(front->form.path());
        }
        *result = front != nullptr;
    });
}

HRESULT AcroApp::Invoke(com::DISPID dispid, uint16_t flags, std::vector<com::Variant>& args, com::Variant* result) {
    const HRESULT hr = ComObject::Invoke(dispid, flags, args, result);
    if (hr != com::DISP_E_MEMBERNOTFOUND) return hr;
    if (result) *result = com::Variant(true);
    return com::S_OK;
}

const com::server::DispatchTable<AcroApp>& AcroApp::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<AcroApp> table{
        method("Show21", &ICAcroApp::Show21).id(app::Show21),
        method("Show24", &ICAcroApp::Show24).id(app::Show24),
        method("Show25", &ICAcroApp::Show25).id(app::Show25),
    };
    return table;
}

// ---------------------------------------------------------------- AcroAVDoc

HRESULT AcroAVDoc::Open(const std::string& path, const std::string&, bool* result) {
    return com::guard([&] {
        *result = false;
        try {
            auto opened = std::make_shared<OpenDocument>(platform::paths::toNative(path));
            if (m_document && frontDocument() == m_document) frontDocument().reset();
            m_document = std::move(opened);
            frontDocument() = m_document;
            m_lastOpenFailure.clear();
            *result = true;
        } catch (const platform::Error& e) {
            // A document that cannot be loaded is a false answer, not an error.
            m_lastOpenFailure = e.description();
        }
    });
}

HRESULT AcroAVDoc::GetPDDoc(com::IDispatch** document) {
    return com::guard([&] {
        if (!m_document) platform::raise(platform::ErrObjectNotSet, AVDocSource, "No document is open in this view");
        *document = com::server::make<AcroPDDoc>(m_document)->ptr<com::IDispatch>().detach();
    });
}

HRESULT AcroAVDoc::Close(int32_t, bool* result) {
    return com::guard([&] {
        *result = m_document != nullptr;
        if (m_document && frontDocument() == m_document) frontDocument().reset();
        m_document.reset();
    });
}

HRESULT AcroAVDoc::IsValid(bool* result) {
    *result = m_document != nullptr;
    return com::S_OK;
}

const com::server::DispatchTable<AcroAVDoc>& AcroAVDoc::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<AcroAVDoc> table{
        method("Open", &ICAcroAVDoc::Open).id(avdoc::Open),
        method("GetPDDoc", &ICAcroAVDoc::GetPDDoc).id(avdoc::GetPDDoc),
        method("Close", &ICAcroAVDoc::Close).id(avdoc::Close).defaultsFor({int32_t{0}}),
        method("IsValid", &ICAcroAVDoc::IsValid).id(avdoc::IsValid),
    };
    return table;
}

// ---------------------------------------------------------------- AcroPDDoc

HRESULT AcroPDDoc::GetNumPages(int32_t* count) {
    return com::guard([&] { *count = m_document->form.pageCount(); });
}

HRESULT AcroPDDoc::AcquirePage(int32_t index, com::IDispatch** page) {
    return com::guard([&] {
        const int32_t count = m_document->form.pageCount();
        if (index < 0 || index >= count)
            platform::raise(platform::ErrSubscript, PDDocSource,
                            "The document has no page " + std::to_string(index) + " (it has " + std::to_string(count) +
                                ", counted from 0)");
        *page = com::server::make<AcroPDPage>(m_document, index)->ptr<com::IDispatch>().detach();
    });
}

HRESULT AcroPDDoc::Save(int16_t, const std::string& path, bool* result) {
    // Every save is a full one; a save that fails is an error, never a quiet
    // false, so nobody takes an unsaved sheet for a filled one.
    return com::guard([&] {
        m_document->form.save(platform::paths::toNative(path));
        *result = true;
    });
}

HRESULT AcroPDDoc::GetFileName(std::string* path) {
    return com::guard([&] { *path = m_document->form.path(); });
}

const com::server::DispatchTable<AcroPDDoc>& AcroPDDoc::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<AcroPDDoc> table{
        method("GetNumPages", &ICAcroPDDoc::GetNumPages).id(pddoc::GetNumPages),
        method("AcquirePage", &ICAcroPDDoc::AcquirePage).id(pddoc::AcquirePage),
        method("Save", &ICAcroPDDoc::Save).id(pddoc::Save),
        method("GetFileName", &ICAcroPDDoc::GetFileName),
    };
    return table;
}

// --------------------------------------------------------------- AcroPDPage

HRESULT AcroPDPage::GetNumber(int32_t* index) {
    *index = m_index;
    return com::S_OK;
}

const com::server::DispatchTable<AcroPDPage>& AcroPDPage::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<AcroPDPage> table{
        method("GetNumber", &ICAcroPDPage::GetNumber),
    };
    return table;
}

}  // namespace pdfauto
