#include "pdfauto/Document.h"

#include "PdfForm.h"

#include "platform/Error.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QUtil.hh>

#include <algorithm>
#include <map>

namespace pdfauto {

namespace {

constexpr const char* Source = "Document";

[[noreturn]] void unreadable(const std::string& path, const std::string& why) {
    platform::raise(platform::ErrFileNotFound, Source, "Cannot read " + path + ": " + why);
}

// The file name a file specification gives, the Unicode one first.
std::string specName(QPDFObjectHandle spec) {
    if (!spec.isDictionary()) return {};
    for (const char* key : {"/UF", "/F"})
        if (spec.getKey(key).isString()) return spec.getKey(key).getUTF8Value();
    return {};
}

}  // namespace

Document::Document(const std::string& path) : m_form(std::make_unique<PdfForm>(path)) {}

Document::~Document() = default;

const std::string& Document::path() const { return m_form->path(); }

std::vector<FieldInfo> Document::fields() const {
    if (m_form->fieldCount() == 0) unreadable(path(), "the document has no form fields");
    QPDF& pdf = m_form->pdf();

    // Which page shows a widget: by the pages' annotations, as viewers find them.
    std::map<QPDFObjGen, int> pageOf;
    std::vector<QPDFObjectHandle> pages = pdf.getAllPages();  // qpdf reads through non-const handles
    for (std::size_t p = 0; p < pages.size(); ++p) {
        auto annots = pages[p].getKey("/Annots");
        if (!annots.isArray()) continue;
        for (int k = 0; k < annots.getArrayNItems(); ++k) {
            auto a = annots.getArrayItem(k);
            if (a.isIndirect()) pageOf.emplace(a.getObjGen(), static_cast<int>(p) + 1);
        }
    }
    auto pageOfWidget = [&](QPDFObjectHandle widget) {
        if (widget.isIndirect())
            if (auto it = pageOf.find(widget.getObjGen()); it != pageOf.end()) return it->second;
        // A widget missing from its page's annotations may still name its page.
        auto p = widget.getKey("/P");
        if (p.isIndirect())
            for (std::size_t k = 0; k < pages.size(); ++k)
                if (pages[k].isSameObjectAs(p)) return static_cast<int>(k) + 1;
        return 0;
    };

    std::vector<FieldInfo> out;
    out.reserve(m_form->fieldCount());
    for (std::size_t k = 0; k < m_form->fieldCount(); ++k) {
        FormField& field = m_form->fieldAt(k);
        FieldInfo info;
        info.name = field.name();
        info.kind = field.type();
        info.maxLength = field.maxLength();
        info.comb = field.isComb();
        info.value = field.value();
        const auto widgets = field.widgets();
        for (const auto& widget : widgets) {
            info.page = pageOfWidget(widget);
            if (info.page) break;
        }
        if (info.kind == "checkbox" || info.kind == "radiobutton")
            for (auto widget : widgets) {
                auto ap = widget.getKey("/AP");
                auto normal = ap.isDictionary() ? ap.getKey("/N") : QPDFObjectHandle::newNull();
                if (!normal.isDictionary()) continue;
                for (const auto& key : normal.getKeys()) {
                    const std::string state = key.substr(1);
                    if (state != "Off" &&
                        std::find(info.onStates.begin(), info.onStates.end(), state) == info.onStates.end())
                        info.onStates.push_back(state);
                }
            }
        out.push_back(std::move(info));
    }
    return out;
}

std::vector<std::string> Document::attachmentNames() const {
    std::vector<std::string> names;
    try {
        for (const auto& entry : QPDFEmbeddedFileDocumentHelper(m_form->pdf()).getEmbeddedFiles())
            names.push_back(entry.first);
    } catch (const std::exception& e) {
        unreadable(path(), std::string("its attachments cannot be read (") + e.what() + ")");
    }
    return names;
}

bool Document::hasAttachment(std::string_view name) const {
    const auto names = attachmentNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string Document::attachment(std::string_view name) const {
    QPDF& pdf = m_form->pdf();
    const std::string key(name);
    std::string bytes;
    try {
        auto spec = QPDFEmbeddedFileDocumentHelper(pdf).getEmbeddedFile(key);
        if (!spec) unreadable(path(), "the document has no attachment named \"" + key + "\"");
        auto stream = spec->getEmbeddedFileStream();
        if (!stream.isStream()) unreadable(path(), "the attachment \"" + key + "\" holds no data");
        auto data = stream.getStreamData(qpdf_dl_all);
        bytes.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    } catch (const platform::Error&) {
        throw;
    } catch (const std::exception& e) {
        unreadable(path(), "the attachment \"" + key + "\" is damaged (" + e.what() + ")");
    }
    // qpdf reads what it cannot decode as less data, with a warning.
    if (pdf.anyWarnings())
        unreadable(path(),
                   "the attachment \"" + key + "\" is damaged (" + pdf.getWarnings().front().getMessageDetail() + ")");
    return bytes;
}

void Document::attach(std::string_view name, std::string_view bytes, std::string_view mimeType,
                      std::string_view description) {
    const std::string key(name);
    if (key.empty() || key.find_first_of("/\\") != std::string::npos || key == "." || key == "..")
        platform::raise(platform::ErrInvalidArgument, Source, "\"" + key + "\" is not a name for an attached file");
    QPDF& pdf = m_form->pdf();
    if (!pdf.allowModifyOther())
        platform::raise(platform::ErrPathAccess, Source, "The document " + path() + " does not allow changes");
    try {
        const std::string now = QUtil::qpdf_time_to_pdf_time(QUtil::get_current_qpdf_time());
        auto stream = QPDFEFStreamObjectHelper::createEFStream(pdf, std::string(bytes));
        stream.setSubtype(std::string(mimeType)).setCreationDate(now).setModDate(now);
        auto spec = QPDFFileSpecObjectHelper::createFileSpec(pdf, key, stream);
        if (!description.empty()) spec.setDescription(std::string(description));
        auto specObject = spec.getObjectHandle();
        specObject.replaceKey("/AFRelationship", QPDFObjectHandle::newName("/Data"));
        QPDFEmbeddedFileDocumentHelper(pdf).replaceEmbeddedFile(key, spec);

        // The document's associated files: the new one in place of any of the same name.
        auto root = pdf.getRoot();
        auto af = root.getKey("/AF");
        auto list = QPDFObjectHandle::newArray();
        if (af.isArray())
            for (int k = 0; k < af.getArrayNItems(); ++k)
                if (specName(af.getArrayItem(k)) != key) list.appendItem(af.getArrayItem(k));
        list.appendItem(specObject);
        root.replaceKey("/AF", list);
    } catch (const platform::Error&) {
        throw;
    } catch (const std::exception& e) {
        platform::raise(platform::ErrPathAccess, Source, "Cannot attach " + key + " to " + path() + ": " + e.what());
    }
}

void Document::save(const std::string& path) { m_form->write(path); }

void attachFile(const std::string& pdfPath, std::string_view name, std::string_view bytes, std::string_view mimeType) {
    Document document(pdfPath);
    document.attach(name, bytes, mimeType);
    document.save(pdfPath);
}

}  // namespace pdfauto
