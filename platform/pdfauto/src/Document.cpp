#include "pdfauto/Document.h"

#include "InputBounds.h"
#include "PdfForm.h"

#include "platform/Error.h"
#include "platform/Files.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QUtil.hh>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <map>
#include <optional>

namespace pdfauto {

namespace {

constexpr const char* Source = "Document";

[[noreturn]] void unreadable(const std::string& path, const std::string& why) {
    platform::raiseAboutFile(platform::ErrFileNotFound, Source, "Cannot read", path, why);
}

// The file name a file specification gives, the Unicode one first.
std::string specName(QPDFObjectHandle fileSpec) {
    if (!fileSpec.isDictionary()) return {};
    for (const char* key : {"/UF", "/F"})
        if (fileSpec.getKey(key).isString()) return fileSpec.getKey(key).getUTF8Value();
    return {};
}

// A rectangle as an array gives it, corners in either order; all zero when it is no rectangle.
Rect rectOf(QPDFObjectHandle array) {
    if (!array.isRectangle()) return {};
    const auto r = array.getArrayAsRectangle();
    return {std::min(r.llx, r.urx), std::min(r.lly, r.ury), std::max(r.llx, r.urx), std::max(r.lly, r.ury)};
}

// Where the last cross-reference section of a file starts, and whether it is
// a stream (true) or a table; nullopt when the file does not end as a PDF does.
std::optional<std::pair<std::size_t, bool>> lastCrossReference(std::string_view bytes) {
    const std::size_t tailFrom = bytes.size() > 1024 ? bytes.size() - 1024 : 0;
    const std::size_t at = bytes.rfind("startxref");
    if (at == std::string_view::npos || at < tailFrom) return std::nullopt;
    std::size_t pos = at + 9;
    while (pos < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[pos]))) ++pos;
    std::size_t offset = 0, digits = 0;
    for (; pos < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[pos])) && digits < 15; ++pos, ++digits)
        offset = offset * 10 + static_cast<std::size_t>(bytes[pos] - '0');
    if (!digits || offset >= at || bytes.find("%%EOF", pos) == std::string_view::npos) return std::nullopt;
    if (bytes.substr(offset, 4) == "xref") return std::make_pair(offset, false);
    // "N G obj" of a cross-reference stream
    std::size_t p = offset;
    for (int numbers = 0; numbers < 2; ++numbers) {
        const std::size_t start = p;
        while (p < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[p]))) ++p;
        if (p == start) return std::nullopt;
        while (p < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[p]))) ++p;
    }
    if (bytes.substr(p, 3) != "obj" || bytes.substr(p, 300).find("/XRef") == std::string_view::npos)
        return std::nullopt;
    return std::make_pair(offset, true);
}

// "N G obj ... endobj" of an object as it stands in memory.
std::string objectText(QPDFObjectHandle object) {
    const QPDFObjGen id = object.getObjGen();
    std::string out = std::to_string(id.getObj()) + " " + std::to_string(id.getGen()) + " obj\n";
    if (object.isStream()) {
        auto data = object.getRawStreamData();
        auto dict = object.getDict().shallowCopy();
        dict.replaceKey("/Length", QPDFObjectHandle::newInteger(static_cast<long long>(data->getSize())));
        out += dict.unparse() + "\nstream\n";
        out.append(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
        out += "\nendstream";
    } else {
        out += object.unparseResolved();
    }
    return out + "\nendobj\n";
}

// The loaded bytes with the catalog and the added objects appended as an
// incremental update; empty when the document cannot take one as it stands.
std::string incrementalUpdate(PdfForm& form, const std::vector<QPDFObjectHandle>& added) {
    QPDF& pdf = form.pdf();
    const std::string& original = form.loadedBytes();
    // A repaired file's own cross-references are not to be built on; an
    // encrypted one would need every new string encrypted; a linearized one
    // would keep hints that no longer fit.
    if (original.empty() || !form.loadedIntact() || pdf.anyWarnings() || pdf.isEncrypted() || pdf.isLinearized() ||
        original.size() >= (std::size_t(1) << 32))
        return {};
    const auto last = lastCrossReference(original);
    auto trailer = pdf.getTrailer();
    auto root = pdf.getRoot();
    if (!last || !root.isIndirect()) return {};

    std::vector<QPDFObjectHandle> objects{root};
    objects.insert(objects.end(), added.begin(), added.end());
    long long size = trailer.getKey("/Size").isInteger() ? trailer.getKey("/Size").getIntValue() : 0;
    for (auto& o : objects) size = std::max<long long>(size, o.getObjGen().getObj() + 1);

    std::string out;
    out.reserve(original.size() + 16384);
    out = original;
    if (out.back() != '\n' && out.back() != '\r') out += '\n';
    std::vector<std::size_t> offsets;
    for (auto& o : objects) {
        offsets.push_back(out.size());
        out += objectText(o);
    }

    auto trailerKeys = [&](std::string& dict) {
        dict += " /Root " + root.unparse() + " /Prev " + std::to_string(last->first);
        for (const char* key : {"/Info", "/ID"})
            if (trailer.hasKey(key)) dict += std::string(" ") + key + " " + trailer.getKey(key).unparse();
    };
    const std::size_t xrefAt = out.size();
    if (!last->second) {
        std::string section = "xref\n";
        for (std::size_t k = 0; k < objects.size(); ++k) {
            char entry[64];
            std::snprintf(entry, sizeof entry, "%d 1\n%010zu %05d n\r\n", objects[k].getObjGen().getObj(), offsets[k],
                          objects[k].getObjGen().getGen());
            section += entry;
        }
        section += "trailer\n<< /Size " + std::to_string(size);
        trailerKeys(section);
        out += section + " >>\nstartxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";
    } else {
        // A cross-reference stream, as the file has: entries of 1 + 4 + 2 bytes, itself among them.
        const long long self = size++;
        std::string entries, index;
        auto entry = [&](long long number, std::size_t offset, int gen) {
            index += std::to_string(number) + " 1 ";
            entries += '\x01';
            for (int shift = 24; shift >= 0; shift -= 8) entries += static_cast<char>((offset >> shift) & 0xFF);
            entries += static_cast<char>((gen >> 8) & 0xFF);
            entries += static_cast<char>(gen & 0xFF);
        };
        for (std::size_t k = 0; k < objects.size(); ++k)
            entry(objects[k].getObjGen().getObj(), offsets[k], objects[k].getObjGen().getGen());
        entry(self, xrefAt, 0);
        std::string dict = "<< /Type /XRef /Size " + std::to_string(size) + " /W [ 1 4 2 ] /Index [ " + index + "]";
        trailerKeys(dict);
        dict += " /Length " + std::to_string(entries.size()) + " >>";
        out += std::to_string(self) + " 0 obj\n" + dict + "\nstream\n" + entries + "\nendstream\nendobj\nstartxref\n" +
               std::to_string(xrefAt) + "\n%%EOF\n";
    }
    return out;
}

}  // namespace

struct Document::Changes {
    std::vector<QPDFObjectHandle> added;  // new objects, in the order made
    bool catalogChanged = false;
    bool wholeRewrite = false;  // the document cannot take its changes as an appended update
};

Document::Document(const std::string& path)
    : m_form(std::make_unique<PdfForm>(path)), m_changes(std::make_unique<Changes>()) {}

Document::Document(const std::string& path, std::string bytes)
    : m_form(std::make_unique<PdfForm>(path, std::move(bytes))), m_changes(std::make_unique<Changes>()) {}

Document::~Document() = default;

const std::string& Document::path() const { return m_form->path(); }

const std::string& Document::bytes() const { return m_form->loadedBytes(); }

std::vector<PageInfo> Document::pages() const {
    std::vector<PageInfo> out;
    try {
        for (QPDFObjectHandle page : m_form->pdf().getAllPages()) {
            QPDFPageObjectHelper helper(page);
            PageInfo info;
            auto media = helper.getMediaBox();
            info.mediaBox = media.isRectangle() ? rectOf(media) : Rect{0, 0, 612, 792};
            // As viewers take it: the part of the crop box that lies on the media box.
            const Rect crop = rectOf(helper.getAttribute("/CropBox", false));
            info.cropBox = {std::max(crop.left, info.mediaBox.left), std::max(crop.bottom, info.mediaBox.bottom),
                            std::min(crop.right, info.mediaBox.right), std::min(crop.top, info.mediaBox.top)};
            if (info.cropBox.width() <= 0 || info.cropBox.height() <= 0) info.cropBox = info.mediaBox;
            auto rotate = helper.getAttribute("/Rotate", false);
            if (rotate.isInteger() && rotate.getIntValue() % 90 == 0)
                info.rotation = int((rotate.getIntValue() % 360 + 360) % 360);
            out.push_back(info);
        }
    } catch (const std::exception& e) {
        unreadable(path(), std::string("its pages cannot be read (") + e.what() + ")");
    }
    return out;
}

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
        for (auto widget : widgets) {
            info.widgets.push_back({pageOfWidget(widget), rectOf(widget.getKey("/Rect"))});
            if (!info.page) info.page = info.widgets.back().page;
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

std::string Document::attachment(std::string_view name, std::uint64_t maxBytes) const {
    QPDF& pdf = m_form->pdf();
    const std::string key(name);
    std::string bytes;
    try {
        auto fileSpec = QPDFEmbeddedFileDocumentHelper(pdf).getEmbeddedFile(key);
        if (!fileSpec) unreadable(path(), "the document has no attachment named \"" + key + "\"");
        auto stream = fileSpec->getEmbeddedFileStream();
        if (!stream.isStream()) unreadable(path(), "the attachment \"" + key + "\" holds no data");
        BoundedSink sink(maxBytes);
        stream.pipeStreamData(&sink, 0, qpdf_dl_all);
        if (sink.overflowed())
            platform::raiseAboutFile(AttachmentTooLarge, Source, "Cannot read", path(),
                                     "the attachment \"" + key + "\" is larger than " + sizeText(maxBytes));
        bytes = std::move(sink.bytes());
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

AttachedObjects attachToDocument(PdfForm& form, std::string_view name, std::string_view bytes,
                                 std::string_view mimeType, std::string_view description) {
    const std::string key(name);
    if (key.empty() || key.find_first_of("/\\") != std::string::npos || key == "." || key == "..")
        platform::raise(platform::ErrInvalidArgument, Source, "\"" + key + "\" is not a name for an attached file");
    QPDF& pdf = form.pdf();
    if (!pdf.allowModifyOther())
        platform::raise(platform::ErrPathAccess, Source, "The document " + form.path() + " does not allow changes");
    AttachedObjects result;
    try {
        auto files = QPDFEmbeddedFileDocumentHelper(pdf).getEmbeddedFiles();
        result.replaced = files.count(key) > 0;

        const std::string now = QUtil::qpdf_time_to_pdf_time(QUtil::get_current_qpdf_time());
        auto stream = QPDFEFStreamObjectHelper::createEFStream(pdf, std::string(bytes));
        stream.setSubtype(std::string(mimeType)).setCreationDate(now).setModDate(now);
        auto fileSpec = QPDFFileSpecObjectHelper::createFileSpec(pdf, key, stream);
        if (!description.empty()) fileSpec.setDescription(std::string(description));
        auto specObject = fileSpec.getObjectHandle();
        specObject.replaceKey("/AFRelationship", QPDFObjectHandle::newName("/Data"));

        // The embedded files as one flat name tree, in name order; the catalog
        // takes it in a names dictionary of its own, so that the catalog is
        // the one object of the document that changes.
        std::map<std::string, QPDFObjectHandle> entries;
        for (auto& [existing, helper] : files) entries[existing] = helper->getObjectHandle();
        entries[key] = specObject;
        auto pairs = QPDFObjectHandle::newArray();
        for (auto& [entryName, entrySpec] : entries) {
            pairs.appendItem(QPDFObjectHandle::newUnicodeString(entryName));
            pairs.appendItem(entrySpec);
        }
        auto tree = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        tree.replaceKey("/Names", pairs);

        auto root = pdf.getRoot();
        auto names = root.getKey("/Names");
        names = names.isDictionary() ? names.shallowCopy() : QPDFObjectHandle::newDictionary();
        names.replaceKey("/EmbeddedFiles", tree);
        root.replaceKey("/Names", names);

        // The document's associated files: the new one in place of any of the same name.
        auto af = root.getKey("/AF");
        auto list = QPDFObjectHandle::newArray();
        if (af.isArray())
            for (int k = 0; k < af.getArrayNItems(); ++k)
                if (specName(af.getArrayItem(k)) != key) list.appendItem(af.getArrayItem(k));
        list.appendItem(specObject);
        root.replaceKey("/AF", list);

        result.added = {stream.getObjectHandle(), specObject, tree};
    } catch (const platform::Error&) {
        throw;
    } catch (const std::exception& e) {
        platform::raise(platform::ErrPathAccess, Source,
                        "Cannot attach " + key + " to " + form.path() + ": " + e.what());
    }
    return result;
}

void Document::attach(std::string_view name, std::string_view bytes, std::string_view mimeType,
                      std::string_view description) {
    AttachedObjects attached = attachToDocument(*m_form, name, bytes, mimeType, description);
    if (attached.replaced) m_changes->wholeRewrite = true;  // the old one must not stay in the file
    for (auto& o : attached.added) m_changes->added.push_back(o);
    m_changes->catalogChanged = true;
}

void Document::save(const std::string& target) {
    std::string bytes;
    if (m_changes->catalogChanged && !m_changes->wholeRewrite) {
        try {
            bytes = incrementalUpdate(*m_form, m_changes->added);
        } catch (const std::exception&) {
            bytes.clear();  // written whole instead
        }
    }
    if (bytes.empty()) {
        m_form->write(target);
        return;
    }
    if (target.empty()) platform::raise(platform::ErrPathAccess, Source, "Cannot save: no file name");
    const auto error = platform::files::replaceAtomically(target, [&](int fd) -> std::string {
        return platform::files::writeAll(fd, bytes) ? std::string() : platform::files::systemMessage(errno);
    });
    if (error) platform::raiseAboutFile(platform::ErrPathAccess, Source, "Cannot save", target, error->reason());
    // What was appended now belongs to that file, not to the bytes loaded: a later save writes whole.
    m_changes->wholeRewrite = true;
}

void attachFile(const std::string& pdfPath, std::string_view name, std::string_view bytes, std::string_view mimeType) {
    Document document(pdfPath);
    document.attach(name, bytes, mimeType);
    document.save(pdfPath);
}

std::string qpdfVersion() { return QPDF::QPDFVersion(); }

}  // namespace pdfauto
