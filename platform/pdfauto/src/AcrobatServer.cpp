#include "ServerObjects.h"

#include "SystemFiles.h"
#include "pdfauto/Viewer.h"

#include "platform/PathText.h"
#include "platform/Error.h"
#include "platform/Paths.h"

#include <filesystem>
#include <map>
#include <new>

namespace pdfauto {

namespace {

constexpr const char* AVDocSource = "AcroExch.AVDoc";
constexpr const char* PDDocSource = "AcroExch.PDDoc";

}  // namespace

std::shared_ptr<OpenDocument>& frontDocument() {
    // The document in front stays open until the process ends, as it would in
    // the viewer. It is never destroyed by the exit handlers: by then qpdf's
    // own static data may already be gone, and tearing the document down
    // crashed the program on exit. Static storage rather than the heap, so an
    // unloaded library leaves nothing behind.
    alignas(std::shared_ptr<OpenDocument>) static unsigned char storage[sizeof(std::shared_ptr<OpenDocument>)];
    static auto* front = new (storage) std::shared_ptr<OpenDocument>();
    return *front;
}

void setFrontDocument(std::shared_ptr<OpenDocument> document) {
    auto& front = frontDocument();
    const bool had = front != nullptr;
    front = std::move(document);
    // While a document is in front the library stays loaded, as the viewer
    // keeps it open: unloading would lose it without closing it.
    if (!had && front) ++com::server::moduleCounts().locks;
    if (had && !front) --com::server::moduleCounts().locks;
}

namespace {

std::map<std::string, std::weak_ptr<OpenDocument>>& documentsByFile() {
    static std::map<std::string, std::weak_ptr<OpenDocument>> documents;
    return documents;
}

std::string fileKey(const std::string& nativePath) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(platform::paths::pathOf(nativePath), ec);
    return ec ? nativePath : platform::paths::textOf(canonical);
}

}  // namespace

std::shared_ptr<OpenDocument> openDocument(const std::string& nativePath) {
    auto& documents = documentsByFile();
    std::erase_if(documents, [](const auto& entry) { return entry.second.expired(); });
    const std::string key = fileKey(nativePath);
    const auto file = identityOf(nativePath);
    if (auto it = documents.find(key); it != documents.end()) {
        auto open = it->second.lock();
        // A file replaced since it was read is a new document.
        if (open && file && open->file == file) return open;
    }
    auto document = std::make_shared<OpenDocument>(nativePath);
    document->key = key;
    document->file = file;
    documents[key] = document;
    return document;
}

void savedDocument(OpenDocument& document, const std::string& nativePath) {
    if (fileKey(nativePath) == document.key) document.file = identityOf(nativePath);
}

// ------------------------------------------------------------------ AcroApp

HRESULT AcroApp::show(int32_t, bool* result) {
    return com::guard([&] {
        auto& front = frontDocument();
        // The program asks three times in a row; one viewer window is enough.
        if (front && !front->shown) {
            front->shown = true;
            front->shownWell = showInViewer(front->form.path());
        }
        // False when no viewer took the document, so the caller can say so.
        *result = front != nullptr && front->shownWell;
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

void AcroAVDoc::leaveDocument() {
    if (!m_document) return;
    // The document goes from the front once no view has it open any more.
    if (--m_document->views <= 0 && frontDocument() == m_document) setFrontDocument(nullptr);
    m_document.reset();
}

HRESULT AcroAVDoc::Open(const std::string& path, const std::string&, bool* result) {
    return com::guard([&] {
        *result = false;
        try {
            auto opened = openDocument(platform::paths::toNative(path));
            leaveDocument();
            m_document = std::move(opened);
            ++m_document->views;
            setFrontDocument(m_document);
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
        leaveDocument();
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
        const std::string target = platform::paths::toNative(path);
        m_document->form.save(target);
        savedDocument(*m_document, target);
        *result = true;
    });
}

HRESULT AcroPDDoc::GetFileName(std::string* path) {
    return com::guard([&] { *path = m_document->form.path(); });
}

HRESULT AcroPDDoc::AttachFile(const std::string& name, const std::string& bytes, const std::string& mimeType,
                              bool* result) {
    // In memory only: whoever saves the document next writes it, in the same save as the fields.
    return com::guard([&] {
        attachToDocument(m_document->form, name, bytes, mimeType);
        *result = true;
    });
}

HRESULT AcroPDDoc::FieldMaxLength(const std::string& name, int32_t* length) {
    return com::guard([&] {
        const FormField* field = m_document->form.find(name);
        *length = field ? field->maxLength() : -1;
    });
}

const com::server::DispatchTable<AcroPDDoc>& AcroPDDoc::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<AcroPDDoc> table{
        method("GetNumPages", &ICAcroPDDoc::GetNumPages).id(pddoc::GetNumPages),
        method("AcquirePage", &ICAcroPDDoc::AcquirePage).id(pddoc::AcquirePage),
        method("Save", &ICAcroPDDoc::Save).id(pddoc::Save),
        method("GetFileName", &ICAcroPDDoc::GetFileName),
        method("AttachFile", &ICAcroPDDoc::AttachFile).id(pddoc::AttachFile),
        method("FieldMaxLength", &ICAcroPDDoc::FieldMaxLength).id(pddoc::FieldMaxLength),
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
