#include "PdfForm.h"

#include "DefaultAppearance.h"
#include "FieldAppearance.h"
#include "InputBounds.h"

#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <qpdf/Buffer.hh>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <limits>
#include <functional>
#include <set>

namespace pdfauto {

namespace {

constexpr const char* Source = "PdfForm";
constexpr int FlagMultiline = 1 << 12;
constexpr int FlagPassword = 1 << 13;
constexpr int FlagFileSelect = 1 << 20;
constexpr int FlagComb = 1 << 24;
constexpr int FlagRadio = 1 << 15;
constexpr int FlagPushbutton = 1 << 16;
constexpr int FlagCombo = 1 << 17;
constexpr int MaxFieldDepth = 64;  // deeper trees are damage, not forms

using platform::files::systemMessage;

// The first `length` characters of UTF-8 text (all of it when length is 0).
std::string cutToLength(const std::string& utf8, int length) {
    if (length <= 0) return utf8;
    int count = 0;
    for (std::size_t k = 0; k < utf8.size(); ++k) {
        const auto c = static_cast<unsigned char>(utf8[k]);
        if ((c & 0xC0) != 0x80 && count++ == length) return utf8.substr(0, k);
    }
    return utf8;
}

bool isWidget(QPDFObjectHandle o) {
    return o.isDictionary() && o.getKey("/Subtype").isName() && o.getKey("/Subtype").getName() == "/Widget";
}

// A kid is a field of its own when it has a name, or when it is no widget.
bool isFieldKid(QPDFObjectHandle kid) { return kid.isDictionary() && (kid.hasKey("/T") || !isWidget(kid)); }

QPDFObjectHandle realArray(std::initializer_list<double> values) {
    std::vector<QPDFObjectHandle> items;
    for (double v : values) items.push_back(QPDFObjectHandle::newReal(v, 2, true));
    return QPDFObjectHandle::newArray(items);
}

// Writes through platform::files::replaceAtomically; on any failure (verify
// names one after the writing) the target stays as it was.
void writeAtomically(QPDF& pdf, const std::string& path, const std::function<std::string()>& verify) {
    auto fail = [&](const std::string& why) -> void {
        platform::raiseAboutFile(platform::ErrPathAccess, Source, "Cannot save", path, why);
    };
    if (path.empty()) fail("no file name");
    const auto error = platform::files::replaceAtomically(path, [&](int fd) -> std::string {
        // Into memory first, then onto the file at once: qpdf's own file output
        // writes object by object, a system call each. What qpdf raises fails
        // the replacement with its text.
        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        // Streams are written as they are: existing ones not decoded and packed
        // again, and appearances, a few hundred bytes each, not worth a deflater.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.write();
        std::string why = verify();
        if (why.empty()) {
            auto buffer = writer.getBufferSharedPointer();
            const std::string_view bytes(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
            if (!platform::files::writeAll(fd, bytes)) why = systemMessage(errno);
        }
        return why;
    });
    if (error) fail(error->reason());
}

}  // namespace

// ---------------------------------------------------------------- FormField

std::string FormField::type() const {
    QPDFFormFieldObjectHelper helper(m_field);
    const std::string ft = helper.getFieldType();
    const int flags = helper.getFlags();
    if (ft == "/Tx") return "text";
    if (ft == "/Btn") {
        if (flags & FlagPushbutton) return "button";
        return (flags & FlagRadio) ? "radiobutton" : "checkbox";
    }
    if (ft == "/Ch") return (flags & FlagCombo) ? "combobox" : "listbox";
    if (ft == "/Sig") return "signature";
    return "text";  // a field without a type is drawn as text, as viewers do
}

std::string FormField::value() const {
    auto v = QPDFFormFieldObjectHelper(m_field).getInheritableFieldValue("/V");
    if (v.isArray() && v.getArrayNItems() > 0) v = v.getArrayItem(0);
    if (v.isString()) return v.getUTF8Value();
    if (v.isName()) return v.getName().substr(1);
    return {};
}

std::vector<QPDFObjectHandle> FormField::widgets() const {
    std::vector<QPDFObjectHandle> out;
    if (isWidget(m_field)) out.push_back(m_field);
    auto kids = m_field.getKey("/Kids");
    if (kids.isArray())
        for (int k = 0; k < kids.getArrayNItems(); ++k) {
            auto kid = kids.getArrayItem(k);
            if (isWidget(kid) && !kid.hasKey("/T")) out.push_back(kid);
        }
    return out;
}

void FormField::setValue(std::string_view text) {
    m_form.requireFormWrites();
    // Values come as the system's text; stray 8-bit bytes are Windows-1252.
    const std::string utf8 = platform::text::decode8Bit(text);
    const std::string kind = type();
    if (kind == "button" || kind == "signature")
        platform::raise(platform::ErrInvalidArgument, Source, "The field " + m_name + " does not take a value");

    if (kind == "checkbox" || kind == "radiobutton") {
        std::string state = utf8.empty() ? "Off" : utf8;
        bool known = state == "Off";
        for (auto& w : widgets()) {
            auto normal = w.getKey("/AP").isDictionary() ? w.getKey("/AP").getKey("/N") : QPDFObjectHandle::newNull();
            if (normal.isDictionary() && normal.hasKey("/" + state)) known = true;
        }
        // A mark of the setup sheet ("l", "_") ticks a check box: its one on state.
        if (!known && kind == "checkbox" && (utf8 == "l" || utf8 == "_")) {
            std::set<std::string> on;
            for (auto& w : widgets()) {
                auto normal =
                    w.getKey("/AP").isDictionary() ? w.getKey("/AP").getKey("/N") : QPDFObjectHandle::newNull();
                if (normal.isDictionary())
                    for (const std::string& key : normal.getKeys())
                        if (key != "/Off") on.insert(key.substr(1));
            }
            if (on.size() == 1) {
                state = *on.begin();
                known = true;
            }
        }
        if (!known)
            platform::raise(platform::ErrInvalidArgument, Source,
                            "The field " + m_name + " has no state \"" + utf8 + "\"");
        m_field.replaceKey("/V", QPDFObjectHandle::newName("/" + state));
        for (auto& w : widgets()) {
            auto normal = w.getKey("/AP").isDictionary() ? w.getKey("/AP").getKey("/N") : QPDFObjectHandle::newNull();
            const bool has = normal.isDictionary() && normal.hasKey("/" + state);
            w.replaceKey("/AS", QPDFObjectHandle::newName(has ? "/" + state : "/Off"));
        }
        return;
    }

    m_field.replaceKey("/V", QPDFObjectHandle::newUnicodeString(cutToLength(utf8, maxLength())));
    // Rich text would still show the old value in viewers that prefer it.
    if (m_field.hasKey("/RV")) m_field.removeKey("/RV");
    m_form.markWritten(m_index);
}

int FormField::maxLength() const {
    if (type() != "text") return 0;
    auto v = QPDFFormFieldObjectHelper(m_field).getInheritableFieldValue("/MaxLen");
    if (!v.isInteger() || v.getIntValue() <= 0) return 0;
    return static_cast<int>(std::min<long long>(v.getIntValue(), std::numeric_limits<int>::max()));
}

bool FormField::isComb() const {
    // Meaningful only for a single line of plain text of a known length.
    const int flags = QPDFFormFieldObjectHelper(m_field).getFlags();
    return (flags & FlagComb) && !(flags & (FlagMultiline | FlagPassword | FlagFileSelect)) && maxLength() > 0;
}

std::string FormField::appearanceString(QPDFObjectHandle widget) const {
    if (widget.isDictionary() && widget.getKey("/DA").isString()) return widget.getKey("/DA").getUTF8Value();
    auto da = QPDFFormFieldObjectHelper(m_field).getInheritableFieldValue("/DA");
    if (da.isString()) return da.getUTF8Value();
    auto form = m_form.acroForm(false);
    if (form.isDictionary() && form.getKey("/DA").isString()) return form.getKey("/DA").getUTF8Value();
    return "/Helv 0 Tf 0 g";
}

void FormField::setAppearanceString(const std::string& da) {
    m_field.replaceKey("/DA", QPDFObjectHandle::newString(da));
    // A widget's own string would otherwise win over the field's.
    for (auto& w : widgets())
        if (!w.isSameObjectAs(m_field) && w.hasKey("/DA")) w.replaceKey("/DA", QPDFObjectHandle::newString(da));
    m_form.markWritten(m_index);
}

std::string FormField::textFont() const {
    auto da = DefaultAppearance::parse(appearanceString(QPDFObjectHandle::newNull()));
    const std::string resource = da.fontName().empty() ? "Helv" : da.fontName();
    return m_form.m_fonts.baseFontOf(m_form.acroForm(false), resource);
}

void FormField::setTextFont(std::string_view baseFont) {
    m_form.requireFormWrites();
    auto da = DefaultAppearance::parse(appearanceString(QPDFObjectHandle::newNull()));
    da.setFont(m_form.m_fonts.resourceFor(m_form.acroForm(true), baseFont));
    setAppearanceString(da.toString());
}

double FormField::textSize() const {
    return DefaultAppearance::parse(appearanceString(QPDFObjectHandle::newNull())).fontSize();
}

void FormField::setTextSize(double size) {
    m_form.requireFormWrites();
    if (!std::isfinite(size) || size < 0 || size > 1000)
        platform::raise(platform::ErrInvalidArgument, Source,
                        "A text size of " + formatNumber(size) + " is not possible");
    auto da = DefaultAppearance::parse(appearanceString(QPDFObjectHandle::newNull()));
    const bool hadFont = !da.fontName().empty();
    da.setFontSize(size);
    if (!hadFont) da.setFont(m_form.m_fonts.resourceFor(m_form.acroForm(true), "Helvetica"));
    setAppearanceString(da.toString());
}

// ------------------------------------------------------------------ PdfForm

namespace {

[[noreturn]] void cannotOpen(const std::string& path, const std::string& why) {
    platform::raiseAboutFile(platform::ErrFileNotFound, Source, "Cannot open", path, why);
}

// Read whole at once: qpdf seeks for every object otherwise, and the
// document no longer depends on a file that a save may replace.
std::string wholeFile(const std::string& path) {
    if (path.empty()) cannotOpen(path, "no file name");
    std::string bytes;
    const auto file = platform::files::readUserFile(path, bytes, MaxPdfBytes);
    switch (file.status) {
    case platform::files::OpenStatus::Opened: break;
    case platform::files::OpenStatus::Missing: cannotOpen(path, systemMessage(ENOENT));
    default: cannotOpen(path, file.reason);
    }
    return bytes;
}

// Why the document's page tree is not to be listed: more pages and groups of
// pages than MaxPageNodes, counted before qpdf lists them all; empty if fine.
std::string pageTreeRefusal(QPDF& pdf) {
    std::vector<QPDFObjectHandle> todo{pdf.getRoot().getKey("/Pages")};
    std::set<QPDFObjGen> seen;
    std::size_t nodes = 0;
    const std::string tooMany = "the document has more than " + std::to_string(MaxPageNodes) + " pages";
    while (!todo.empty()) {
        QPDFObjectHandle node = todo.back();
        todo.pop_back();
        if (!node.isDictionary() || (node.isIndirect() && !seen.insert(node.getObjGen()).second)) continue;
        if (++nodes > MaxPageNodes) return tooMany;
        auto kids = node.getKey("/Kids");
        if (!kids.isArray()) continue;
        if (std::size_t(kids.getArrayNItems()) > MaxPageNodes) return tooMany;
        for (int k = 0; k < kids.getArrayNItems(); ++k) todo.push_back(kids.getArrayItem(k));
    }
    return {};
}

}  // namespace

PdfForm::PdfForm(const std::string& path) : PdfForm(path, wholeFile(path)) {}

PdfForm::PdfForm(const std::string& path, std::string bytes)
    : m_path(path), m_bytes(std::move(bytes)), m_pdf(std::make_unique<QPDF>()), m_fonts(*m_pdf) {
    load();
}

void PdfForm::load() {
    const std::string& path = m_path;
    auto fail = [&](const std::string& why) -> void { cannotOpen(path, why); };
    // qpdf inflates these whole, on its own, as it loads and looks up objects.
    if (std::string refusal = packedObjectsRefusal(m_bytes); !refusal.empty()) fail(refusal);
    // and parses every object it is asked for whole, at many times its text.
    if (std::string refusal = largeObjectRefusal(m_bytes); !refusal.empty()) fail(refusal);

    m_pdf->setSuppressWarnings(true);
    try {
        // qpdf reads the kept bytes in place rather than a copy of its own.
        m_buffer = std::make_unique<Buffer>(reinterpret_cast<unsigned char*>(m_bytes.data()), m_bytes.size());
        m_pdf->processInputSource(std::make_shared<BufferInputSource>(path, m_buffer.get(), false));
        if (!m_pdf->getRoot().isDictionary()) fail("the document has no catalog");
        if (std::string refusal = pageTreeRefusal(*m_pdf); !refusal.empty()) fail(refusal);
        m_pdf->getAllPages();
        collectFields();
        m_intact = !m_pdf->anyWarnings();
        m_pdf->getWarnings();  // what loading had to repair is repaired; later warnings are losses
    } catch (const platform::Error&) {
        throw;
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password) fail("the document is encrypted and needs a password");
        fail("not a readable PDF (" + e.getMessageDetail() + ")");
    } catch (const std::exception& e) {
        fail(std::string("not a readable PDF (") + e.what() + ")");
    }
}

PdfForm::~PdfForm() = default;

QPDFObjectHandle PdfForm::acroForm(bool create) {
    auto root = m_pdf->getRoot();
    auto form = root.getKey("/AcroForm");
    if (form.isDictionary() || !create) return form;
    form = m_pdf->makeIndirectObject(QPDFObjectHandle::newDictionary());
    form.replaceKey("/Fields", QPDFObjectHandle::newArray());
    root.replaceKey("/AcroForm", form);
    return form;
}

void PdfForm::collectFields() {
    auto form = acroForm(false);
    if (!form.isDictionary()) return;
    auto na = form.getKey("/NeedAppearances");
    m_redrawAll = na.isBool() && na.getBoolValue();
    auto fields = form.getKey("/Fields");
    if (!fields.isArray()) return;
    // Refused before they are all read: more fields than any sheet has cost
    // memory in proportion, and a form of them is no setup sheet.
    const auto tooMany = [this] {
        platform::raiseAboutFile(
            platform::ErrFileNotFound, Source, "Cannot open", m_path,
            "the form has more than " + std::to_string(MaxFormFields) + " fields, more than any setup sheet");
    };
    if (std::size_t(fields.getArrayNItems()) > MaxFormFields) tooMany();
    std::size_t nodes = 0;
    std::set<QPDFObjGen> visited;
    // Depth first through the field tree: the order a reader of the form meets the fields.
    struct Frame {
        QPDFObjectHandle node;
        int depth;
    };
    std::vector<Frame> stack;
    for (int k = fields.getArrayNItems() - 1; k >= 0; --k) stack.push_back({fields.getArrayItem(k), 0});
    while (!stack.empty()) {
        Frame f = stack.back();
        stack.pop_back();
        if (!f.node.isDictionary() || f.depth > MaxFieldDepth) continue;
        if (f.node.isIndirect() && !visited.insert(f.node.getObjGen()).second) continue;
        if (++nodes > MaxFieldNodes) tooMany();
        auto kids = f.node.getKey("/Kids");
        std::vector<QPDFObjectHandle> fieldKids;
        if (kids.isArray() && std::size_t(kids.getArrayNItems()) > MaxFieldNodes) tooMany();
        if (kids.isArray())
            for (int k = 0; k < kids.getArrayNItems(); ++k)
                if (isFieldKid(kids.getArrayItem(k))) fieldKids.push_back(kids.getArrayItem(k));
        if (fieldKids.empty()) {
            if (m_fields.size() >= MaxFormFields) tooMany();
            addField(f.node);
            continue;
        }
        for (auto it = fieldKids.rbegin(); it != fieldKids.rend(); ++it) stack.push_back({*it, f.depth + 1});
    }
}

void PdfForm::addField(QPDFObjectHandle field) {
    const std::size_t index = m_fields.size();
    std::string name = QPDFFormFieldObjectHelper(field).getFullyQualifiedName();
    m_fields.push_back(std::unique_ptr<FormField>(new FormField(*this, index, field, name)));
    m_written.push_back(0);
    m_undrawable.push_back(0);
    // Two fields of one name: the first one is the one a name finds.
    if (!name.empty()) m_byName.emplace(std::move(name), index);
}

int PdfForm::pageCount() { return static_cast<int>(m_pdf->getAllPages().size()); }

FormField* PdfForm::find(std::string_view name) {
    auto it = m_byName.find(std::string(name));
    return it == m_byName.end() ? nullptr : m_fields[it->second].get();
}

void PdfForm::requireFormWrites() const {
    if (!m_pdf->allowModifyForm() && !m_pdf->allowModifyAnnotation()) {
        m_refusedWrite = "The document " + m_path + " does not allow its form to be filled in";
        platform::raise(platform::ErrPathAccess, Source, m_refusedWrite);
    }
}

FormField& PdfForm::addTextField(std::string_view name, int page, double left, double top, double right,
                                 double bottom) {
    requireFormWrites();
    const std::string fullName = platform::text::decode8Bit(name);
    std::vector<std::string> parts;
    for (std::size_t pos = 0;;) {
        std::size_t dot = fullName.find('.', pos);
        parts.push_back(fullName.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos));
        if (dot == std::string::npos) break;
        pos = dot + 1;
    }
    for (const auto& p : parts)
        if (p.empty())
            platform::raise(platform::ErrInvalidArgument, Source, "\"" + fullName + "\" is not a field name");
    if (find(fullName))
        platform::raise(platform::ErrInvalidArgument, Source, "The form already has a field named " + fullName);
    const auto& pages = m_pdf->getAllPages();
    if (page < 0 || static_cast<std::size_t>(page) >= pages.size())
        platform::raise(platform::ErrSubscript, Source,
                        "The document has no page " + std::to_string(page) + " (pages are counted from 0 to " +
                            std::to_string(static_cast<long>(pages.size()) - 1) + ")");
    for (double v : {left, top, right, bottom})
        if (!std::isfinite(v))
            platform::raise(platform::ErrInvalidArgument, Source, "The field's rectangle is not a number");

    auto form = acroForm(true);
    auto fields = form.getKey("/Fields");
    if (!fields.isArray()) {
        fields = QPDFObjectHandle::newArray();
        form.replaceKey("/Fields", fields);
    }

    // Dotted names live in the field tree: the parents hold the leading parts.
    QPDFObjectHandle parent = QPDFObjectHandle::newNull();
    QPDFObjectHandle container = fields;
    std::string prefix;
    for (std::size_t k = 0; k + 1 < parts.size(); ++k) {
        prefix += (k ? "." : "") + parts[k];
        if (find(prefix))
            platform::raise(platform::ErrInvalidArgument, Source,
                            "The field " + prefix + " cannot hold the field " + fullName);
        QPDFObjectHandle next = QPDFObjectHandle::newNull();
        for (int i = 0; i < container.getArrayNItems(); ++i) {
            auto c = container.getArrayItem(i);
            if (c.isDictionary() && c.getKey("/T").isString() && c.getKey("/T").getUTF8Value() == parts[k] &&
                c.getKey("/Kids").isArray()) {
                next = c;
                break;
            }
        }
        if (next.isNull()) {
            next = m_pdf->makeIndirectObject(QPDFObjectHandle::newDictionary());
            next.replaceKey("/T", QPDFObjectHandle::newUnicodeString(parts[k]));
            next.replaceKey("/Kids", QPDFObjectHandle::newArray());
            if (!parent.isNull()) next.replaceKey("/Parent", parent);
            container.appendItem(next);
        }
        parent = next;
        container = next.getKey("/Kids");
    }

    const std::string font = m_fonts.resourceFor(form, "Helvetica");
    auto pageObject = pages[static_cast<std::size_t>(page)];
    auto field = m_pdf->makeIndirectObject(QPDFObjectHandle::newDictionary());
    field.replaceKey("/FT", QPDFObjectHandle::newName("/Tx"));
    field.replaceKey("/T", QPDFObjectHandle::newUnicodeString(parts.back()));
    field.replaceKey("/Type", QPDFObjectHandle::newName("/Annot"));
    field.replaceKey("/Subtype", QPDFObjectHandle::newName("/Widget"));
    field.replaceKey("/Rect", realArray({std::min(left, right), std::min(top, bottom), std::max(left, right),
                                         std::max(top, bottom)}));
    field.replaceKey("/P", pageObject);
    field.replaceKey("/F", QPDFObjectHandle::newInteger(4));  // printed
    field.replaceKey("/DA", QPDFObjectHandle::newString(pdfName(font) + " 0 Tf 0 g"));
    if (!parent.isNull()) field.replaceKey("/Parent", parent);
    container.appendItem(field);

    auto annots = pageObject.getKey("/Annots");
    if (!annots.isArray()) {
        annots = QPDFObjectHandle::newArray();
        pageObject.replaceKey("/Annots", annots);
    }
    annots.appendItem(field);

    addField(field);
    markWritten(m_fields.size() - 1);
    return *m_fields.back();
}

bool PdfForm::drawField(FormField& field) {
    const std::string kind = field.type();
    if (kind == "signature") return true;
    if (kind != "text" && kind != "combobox" && kind != "listbox") {
        // Buttons keep the pictures of their states; without them only a viewer can draw one.
        for (auto& widget : field.widgets()) {
            auto ap = widget.getKey("/AP");
            if (!ap.isDictionary() || !(ap.getKey("/N").isDictionary() || ap.getKey("/N").isStream())) return false;
        }
        return true;
    }
    QPDFFormFieldObjectHelper helper(field.object());
    const int flags = helper.getFlags();
    TextLayout layout;
    const int maxLength = field.maxLength();
    layout.value = cutToLength(field.value(), maxLength);
    if (field.isComb()) layout.combCells = maxLength;
    const int fieldQuadding = helper.getQuadding();
    layout.multiline = kind == "text" && (flags & FlagMultiline);
    layout.password = kind == "text" && (flags & FlagPassword);
    bool complete = true;
    auto form = acroForm(false);
    for (auto& widget : field.widgets()) {
        layout.appearance = DefaultAppearance::parse(field.appearanceString(widget));
        if (layout.appearance.fontName().empty()) layout.appearance.setFont("Helv");
        layout.quadding = widget.getKey("/Q").isInteger() ? widget.getKey("/Q").getIntValueAsInt() : fieldQuadding;
        const ResolvedFont& font = m_fonts.resolve(form, layout.appearance.fontName());
        if (!writeTextAppearance(*m_pdf, widget, layout, font) || !font.exact) complete = false;
    }
    return complete;
}

void PdfForm::drawAppearances() {
    auto form = acroForm(false);
    if (!form.isDictionary()) return;
    bool undrawable = false;
    for (std::size_t k = 0; k < m_fields.size(); ++k) {
        // A document that asked viewers to redraw may carry stale pictures of every field.
        if (m_written[k] || m_redrawAll) m_undrawable[k] = drawField(*m_fields[k]) ? 0 : 1;
        undrawable = undrawable || m_undrawable[k];
    }
    if (undrawable) form.replaceKey("/NeedAppearances", QPDFObjectHandle::newBool(true));
    else if (form.hasKey("/NeedAppearances")) form.removeKey("/NeedAppearances");
}

void PdfForm::save(const std::string& path) {
    // A filler that goes on past a field refusing its value would otherwise
    // save a sheet that was never filled and call it done.
    if (!m_refusedWrite.empty()) platform::raise(platform::ErrPathAccess, Source, m_refusedWrite);
    try {
        drawAppearances();
    } catch (const platform::Error&) {
        throw;
    } catch (const std::exception& e) {
        platform::raiseAboutFile(platform::ErrPathAccess, Source, "Cannot save", path, e.what());
    }
    write(path);
    std::fill(m_written.begin(), m_written.end(), 0);
    m_redrawAll = false;
}

void PdfForm::write(const std::string& path) {
    // qpdf reads what it cannot read as nothing; a sheet missing parts is no save.
    auto unreadable = [this] {
        if (m_unreadable.empty() && m_pdf->anyWarnings())
            m_unreadable =
                "the document could not be read whole (" + m_pdf->getWarnings().front().getMessageDetail() + ")";
        return m_unreadable;
    };
    writeAtomically(*m_pdf, path, unreadable);
}

bool PdfForm::needsAppearances() const {
    return std::any_of(m_undrawable.begin(), m_undrawable.end(), [](char c) { return c != 0; });
}

}  // namespace pdfauto
