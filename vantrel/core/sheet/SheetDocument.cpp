#include "SheetDocument.h"

#include "pdfauto/Acrobat.h"
#include "platform/Error.h"
#include "platform/com/Runtime.h"

namespace vantrel {

using com::CallForResult;

SheetDocument::SheetDocument(const std::string& sheetPath) {
    try {
        m_view = com::createObject(pdfauto::ProgIdAVDoc);
        const com::Variant opened =
            com::invoke(m_view.get(), pdfauto::avdoc::Open, CallForResult, {com::Variant(sheetPath), com::Variant("")});
        if (opened.toBool())
            m_document = com::invoke(m_view.get(), pdfauto::avdoc::GetPDDoc, CallForResult).toDispatch();
    } catch (const platform::Error&) {
        m_document.reset();
    }
    if (!m_document) m_view.reset();
}

SheetDocument::~SheetDocument() {
    // Never raises: the view goes whatever the automation answers.
    try {
        m_document.reset();
        if (m_view) com::invoke(m_view.get(), pdfauto::avdoc::Close, com::DISPATCH_METHOD, {com::Variant(int32_t{1})});
    } catch (...) {
    }
}

void SheetDocument::attach(const std::string& name, const std::string& bytes, const std::string& mimeType) {
    if (!m_document) platform::raise(platform::ErrObjectNotSet, "SheetDocument", "The sheet is not open");
    com::invoke(m_document.get(), pdfauto::pddoc::AttachFile, com::DISPATCH_METHOD,
                {com::Variant(name), com::Variant(bytes), com::Variant(mimeType)});
}

int SheetDocument::maxLength(const std::string& formField) {
    if (!m_document) return -1;
    try {
        return com::invoke(m_document.get(), pdfauto::pddoc::FieldMaxLength, CallForResult, {com::Variant(formField)})
            .toInt32();
    } catch (const platform::Error&) {
        return -1;
    }
}

}  // namespace vantrel
