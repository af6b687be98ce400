#include "CAdobeFormHandler.h"

#include "platform/Error.h"
#include "platform/FileFacts.h"
#include "platform/Paths.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"

namespace quorrel {

namespace {

constexpr const char* Source = "CAdobeFormHandler";
// A late-bound call whose result is used, as a client of the automation objects makes it.
using com::CallForResult;

[[noreturn]] void raiseCannotOpen(const std::string& path) {
    platform::raise(platform::ErrFileNotFound, Source, "Cannot open " + path);
}

std::string replaceAll(std::string text, char what, const std::string& with) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == what) out += with;
        else out += c;
    }
    return out;
}

template <class T>
com::ComPtr<T> query(const com::ComPtr<com::IDispatch>& object, const com::Guid& iid) {
    if (!object) platform::raise(platform::ErrObjectNotSet, Source);
    auto typed = object.as<T>(iid);
    if (!typed) platform::raise(platform::ErrTypeMismatch, Source);
    return typed;
}

}  // namespace

void CAdobeFormHandler::CheckFile(const std::string& path) {
    // The length asked of the file system, as long as the file can be read.
    const std::string native = platform::paths::toNative(path);
    if (path.empty() || !platform::files::opensForReading(native)) raiseCannotOpen(path);
}

void CAdobeFormHandler::openView(const std::string& path, const char* title) {
    m_AvDoc = com::createObject(pdfauto::ProgIdAVDoc);
    const com::Variant opened =
        com::invoke(m_AvDoc.get(), pdfauto::avdoc::Open, CallForResult, {com::Variant(path), com::Variant(title)});
    if (!opened.toBool()) {
        m_AvDoc.reset();
        raiseCannotOpen(path);
    }
}

void CAdobeFormHandler::openForms() {
    m_FormApp = query<pdfauto::IAFormApp>(com::createObject(pdfauto::ProgIdFormApp), pdfauto::IID_IAFormApp);
    com::ComPtr<com::IDispatch> fields;
    com::check(m_FormApp->get_Fields(fields.put()));
    m_FormFields = query<pdfauto::IFields>(fields, pdfauto::IID_IFields);
}

void CAdobeFormHandler::saveAndClose(const std::string& path) {
    m_PdDoc = com::invoke(m_AvDoc.get(), pdfauto::avdoc::GetPDDoc, CallForResult).toDispatch();
    saveDocumentAndClose(path);
}

void CAdobeFormHandler::saveDocumentAndClose(const std::string& path) {
    com::invoke(m_PdDoc.get(), pdfauto::pddoc::Save, com::DISPATCH_METHOD,
                {com::Variant(int16_t{1}), com::Variant(path)});
    com::invoke(m_AvDoc.get(), pdfauto::avdoc::Close, com::DISPATCH_METHOD, {com::Variant(int32_t{0})});
    m_PdDoc.reset();
    if (com::invoke(m_AvDoc.get(), pdfauto::avdoc::IsValid, CallForResult).toBool()) m_AvDoc.reset();
}

bool CAdobeFormHandler::lookUp(const std::string& name) {
    try {
        com::ComPtr<pdfauto::IField> field;
        com::check(m_FormFields->get_Item(name, field.put()));
        if (!field) throw platform::Error(platform::ErrObjectNotSet, Source);
        m_CurrentField = field;
        m_anyFieldFound = true;
        return true;
    } catch (...) {
        // A field the form lacks must not leave the previous one in place,
        // or its value would be overwritten.
        m_CurrentField.reset();
        return false;
    }
}

void CAdobeFormHandler::WriteField(const FieldEntry& field) {
    try {
        if (!lookUp(field.name)) return;
        com::check(m_CurrentField->put_Value(field.value));
    } catch (...) {
        // A value the field refuses ends this field only.
    }
}

void CAdobeFormHandler::WriteFields(ICAdobeFields* fields) {
    WriteField({"fldSignature0", "Signed"});
    try {
        if (!fields) throw platform::Error(platform::ErrObjectNotSet, Source);
        int32_t count = 0;
        com::check(fields->Count(&count));
        for (int32_t i = 1; i <= count; ++i) {
            FieldEntry entry;
            try {
                com::ComPtr<ICAdobeField> member;
                com::check(fields->Item(com::Variant(i), member.put()));
                if (!member) continue;
                com::check(member->get_FieldName(&entry.name));
                com::check(member->get_FieldValue(&entry.value));
            } catch (...) {
                continue;  // a member that cannot be read is skipped like a missing field
            }
            WriteField(entry);
        }
    } catch (...) {
        // Every step of the write that fails is skipped; the document is still saved.
    }
}

void CAdobeFormHandler::WriteFormattedField(const FieldEntry& field, const std::string& font,
                                            const std::string& fontSize) {
    if (!lookUp(field.name)) return;
    try {
        com::check(m_CurrentField->put_Value(field.value));
    } catch (...) {
    }
    try {
        com::check(m_CurrentField->put_TextFont(font));
    } catch (...) {
    }
    try {
        com::check(m_CurrentField->put_TextSize(com::Variant(fontSize).toInt16()));
    } catch (...) {
    }
}

std::string CAdobeFormHandler::getField(const std::string& FieldName, const std::string& pdfFileName) {
    CheckFile(pdfFileName);
    openDocument(pdfFileName);
    std::string value;
    com::ComPtr<com::IUnknown> unknown;
    com::check(m_FormFields->get__NewEnum(unknown.put()));
    auto enumerator = unknown.as<com::IEnumVARIANT>(com::IID_IEnumVARIANT);
    if (!enumerator) platform::raise(platform::ErrTypeMismatch, Source);
    for (;;) {
        com::Variant item;
        uint32_t fetched = 0;
        com::check(enumerator->Next(1, &item, &fetched));
        if (fetched == 0) break;
        m_CurrentField = query<pdfauto::IField>(item.toDispatch(), pdfauto::IID_IField);
        std::string name;
        com::check(m_CurrentField->get_Name(&name));
        if (name == FieldName) {
            com::check(m_CurrentField->get_Value(&value));
            break;
        }
    }
    com::invoke(m_AvDoc.get(), pdfauto::avdoc::Close, com::DISPATCH_METHOD, {com::Variant(int32_t{0})});
    if (com::invoke(m_AvDoc.get(), pdfauto::avdoc::IsValid, CallForResult).toBool()) m_AvDoc.reset();
    return value;
}

void CAdobeFormHandler::setField(const std::string& FieldName, const std::string& FieldValue,
                                 const std::string& pdfFileName) {
    CheckFile(pdfFileName);
    const FieldEntry field{FieldName, FieldValue};
    openDocument(pdfFileName);
    WriteField(field);
    saveAndClose(pdfFileName);
}

void CAdobeFormHandler::createField(const std::string& myFont, const std::string& myFontSize, int16_t xLeft,
                                    int16_t xTop, int16_t xRight, int16_t xBottom, const std::string& FieldName,
                                    const std::string& FieldValue, int16_t myPageNumber,
                                    const std::string& pdfFileName) {
    CheckFile(pdfFileName);
    // From here on nothing is reported: a field that cannot be made is simply not made.
    bool opened = false;
    try {
        const FieldEntry field{FieldName, FieldValue};
        openDocument(pdfFileName);
        opened = true;
        com::ComPtr<pdfauto::IField> created;
        com::check(m_FormFields->Add(FieldName, "text", myPageNumber, static_cast<float>(xLeft),
                                     static_cast<float>(xTop), static_cast<float>(xRight), static_cast<float>(xBottom),
                                     created.put()));
        created.reset();
        WriteFormattedField(field, myFont, myFontSize);
        m_PdDoc = com::invoke(m_AvDoc.get(), pdfauto::avdoc::GetPDDoc, CallForResult).toDispatch();
        com::invoke(m_PdDoc.get(), pdfauto::pddoc::Save, com::DISPATCH_METHOD,
                    {com::Variant(int16_t{1}), com::Variant(pdfFileName)});
        opened = false;
        com::invoke(m_AvDoc.get(), pdfauto::avdoc::Close, com::DISPATCH_METHOD, {com::Variant(int32_t{0})});
    } catch (...) {
        // A failed add must not leave the document open in front of the next operation.
        if (opened && m_AvDoc) {
            try {
                com::invoke(m_AvDoc.get(), pdfauto::avdoc::Close, com::DISPATCH_METHOD, {com::Variant(int32_t{0})});
            } catch (...) {
            }
        }
    }
}

bool CAdobeFormHandler::pageNumber(const std::string& myFont, const std::string& myFontSize, int16_t xLeft,
                                   int16_t xTop, int16_t xRight, int16_t xBottom, const std::string& myFileName,
                                   bool pageNofN, const std::string& myPageNumberMask) {
    if (myFileName.empty()) return false;
    openView(myFileName, "AdobePageNumberer");
    // CreateField replaces the members with views of its own; this
    // operation keeps hold of the view and document it opened.
    com::ComPtr<com::IDispatch> view = m_AvDoc;
    com::ComPtr<com::IDispatch> document =
        com::invoke(view.get(), pdfauto::avdoc::GetPDDoc, CallForResult).toDispatch();
    m_PdDoc = document;
    const int32_t pages = com::invoke(document.get(), pdfauto::pddoc::GetNumPages, CallForResult).toInt32();
    if (pages > 32768) platform::raise(platform::ErrOverflow, Source);
    const std::string count = std::to_string(pages);
    for (int32_t i = 0; i < pages; ++i) {
        const auto index = static_cast<int16_t>(i);
        com::invoke(document.get(), pdfauto::pddoc::AcquirePage, CallForResult, {com::Variant(index)});
        const std::string number = std::to_string(i + 1);
        const std::string text = FormatPageNumber(myPageNumberMask, pageNofN, number, count);
        createField(myFont, myFontSize, xLeft, xTop, xRight, xBottom, "fldPageNumber" + number, text, index,
                    myFileName);
    }
    // Each CreateField saved its own field already. Saving this view's
    // document again would write back the pages as they were before the
    // fields were made, wherever a view holds a copy of its own.
    m_AvDoc = view;
    com::invoke(m_AvDoc.get(), pdfauto::avdoc::Close, com::DISPATCH_METHOD, {com::Variant(int32_t{0})});
    m_PdDoc.reset();
    document.reset();
    if (com::invoke(m_AvDoc.get(), pdfauto::avdoc::IsValid, CallForResult).toBool()) m_AvDoc.reset();
    return true;
}

void CAdobeFormHandler::fillFields(ICAdobeFields* fields, const std::string& pdfFileName) {
    CheckFile(pdfFileName);
    openDocument(pdfFileName);
    m_anyFieldFound = false;
    WriteFields(fields);
    // A document without a single form field cannot become a filled sheet;
    // saving it would report a fill that never happened.
    if (!m_anyFieldFound && formHasNoFields()) {
        com::invoke(m_AvDoc.get(), pdfauto::avdoc::Close, com::DISPATCH_METHOD, {com::Variant(int32_t{0})});
        if (com::invoke(m_AvDoc.get(), pdfauto::avdoc::IsValid, CallForResult).toBool()) m_AvDoc.reset();
        platform::raise(platform::ErrInvalidArgument, Source,
                        "The document " + pdfFileName + " has no form fields to fill");
    }
    saveAndClose(pdfFileName);
}

bool CAdobeFormHandler::formHasNoFields() {
    try {
        int32_t count = 0;
        com::check(m_FormFields->get_Count(&count));
        return count == 0;
    } catch (...) {
        return false;  // a form that cannot say is taken to have fields, as before
    }
}

std::string CAdobeFormHandler::FormatPageNumber(const std::string& mask, bool pageNofN, const std::string& pageNumber,
                                                const std::string& pageCount) {
    // Never raises: a number that cannot be formatted reads as empty text.
    try {
        if (!pageNofN) return pageNumber;
        return replaceAll(replaceAll(mask, 'n', pageNumber), 'x', pageCount);
    } catch (...) {
        return {};
    }
}

com::HRESULT CAdobeFormHandler::GetField(const std::string& FieldName, const std::string& pdfFileName,
                                         std::string* result) {
    return com::guard([&] { *result = getField(FieldName, pdfFileName); });
}

com::HRESULT CAdobeFormHandler::SetField(const std::string& FieldName, const std::string& FieldValue,
                                         const std::string& pdfFileName) {
    return com::guard([&] { setField(FieldName, FieldValue, pdfFileName); });
}

com::HRESULT CAdobeFormHandler::PageNumber(const std::string& myFont, const std::string& myFontSize, int16_t xLeft,
                                           int16_t xTop, int16_t xRight, int16_t xBottom, const std::string& myFileName,
                                           bool pageNofN, const std::string& myPageNumberMask, bool* result) {
    return com::guard([&] {
        *result = pageNumber(myFont, myFontSize, xLeft, xTop, xRight, xBottom, myFileName, pageNofN, myPageNumberMask);
    });
}

com::HRESULT CAdobeFormHandler::CreateField(const std::string& myFont, const std::string& myFontSize, int16_t xLeft,
                                            int16_t xTop, int16_t xRight, int16_t xBottom, const std::string& FieldName,
                                            const std::string& FieldValue, int16_t myPageNumber,
                                            const std::string& pdfFileName) {
    return com::guard([&] {
        createField(myFont, myFontSize, xLeft, xTop, xRight, xBottom, FieldName, FieldValue, myPageNumber, pdfFileName);
    });
}

com::HRESULT CAdobeFormHandler::FillFields(ICAdobeFields* fields, const std::string& pdfFileName) {
    return com::guard([&] { fillFields(fields, pdfFileName); });
}

const com::server::DispatchTable<CAdobeFormHandler>& CAdobeFormHandler::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<CAdobeFormHandler> table{
        method("GetField", &ICAdobeFormHandler::GetField),
        method("SetField", &ICAdobeFormHandler::SetField),
        method("PageNumber", &ICAdobeFormHandler::PageNumber)
            .defaultsFor({com::Variant(""), com::Variant(true), com::Variant("Page n of x")}),
        method("CreateField", &ICAdobeFormHandler::CreateField),
        method("FillFields", &ICAdobeFormHandler::FillFields),
    };
    return table;
}

}  // namespace quorrel
