#pragma once
// A PDF document and its interactive form, as the automation objects work on
// it: pages, the terminal form fields in document order with a look-up by
// fully qualified name, new text fields, and an atomic full save that first
// draws the appearance of every field written.

#include "FormFonts.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pdfauto {

class PdfForm;

// One terminal field of a loaded form. Lives as long as its form.
class FormField {
public:
    const std::string& name() const { return m_name; }
    // "text", "checkbox", "radiobutton", "combobox", "listbox", "button" or "signature".
    std::string type() const;
    std::string value() const;
    // Text and choice fields take any text; a check box or radio button one of
    // its states or "Off"; a push button or signature field nothing.
    void setValue(std::string_view text);
    // The base font of the field's text ("Helvetica"), and its size (0 = fit the box).
    std::string textFont() const;
    void setTextFont(std::string_view baseFont);
    double textSize() const;
    void setTextSize(double size);
    // A text field's maximum length in characters (/MaxLen, inherited); 0 when
    // it has none. Longer values are cut to it, in the value and its picture.
    int maxLength() const;
    // A text field drawn one character per cell, MaxLen cells across the box.
    bool isComb() const;

    QPDFObjectHandle object() const { return m_field; }
    // The widget annotations that show the field (the field itself when merged).
    std::vector<QPDFObjectHandle> widgets() const;

private:
    friend class PdfForm;
    FormField(PdfForm& form, std::size_t index, QPDFObjectHandle field, std::string name)
        : m_form(form), m_index(index), m_field(std::move(field)), m_name(std::move(name)) {}

    std::string appearanceString(QPDFObjectHandle widget) const;
    void setAppearanceString(const std::string& da);

    PdfForm& m_form;
    std::size_t m_index;
    mutable QPDFObjectHandle m_field;  // qpdf reads through non-const members
    std::string m_name;
};

class PdfForm {
public:
    // Loads the PDF at a native path. Raises platform::Error 53 with the
    // reason when the file is missing, not a PDF, damaged beyond repair or
    // encrypted without access. A PDF without a form has no fields.
    // Only a regular file within MaxPdfBytes is read (InputBounds.h), from the
    // one descriptor opened, whose open never waits on a pipe put in its place.
    explicit PdfForm(const std::string& path);
    // The same from bytes a caller read already, path naming them.
    PdfForm(const std::string& path, std::string bytes);
    ~PdfForm();
    PdfForm(const PdfForm&) = delete;
    PdfForm& operator=(const PdfForm&) = delete;

    const std::string& path() const { return m_path; }
    int pageCount();

    std::size_t fieldCount() const { return m_fields.size(); }
    FormField& fieldAt(std::size_t index) { return *m_fields.at(index); }
    // By fully qualified name ("a.b.c"), exact; nullptr when the form has none.
    FormField* find(std::string_view name);

    // A new text field on a 0-based page, rectangle in user space; it joins
    // the page's annotations and the form's fields. Its font is Helvetica,
    // sized to fit, until told otherwise.
    FormField& addTextField(std::string_view name, int page, double left, double top, double right, double bottom);

    // Draws the appearance of every field written since the last save, then
    // writes the whole document to a temporary file beside the target and
    // renames it over the target: a failure leaves the old file whole.
    // Raises platform::Error 75 with the reason when it cannot, and when the
    // document refused a write since it was loaded (its form may not be filled in).
    void save(const std::string& path);
    // The same atomic save of the document as it stands: no appearance is
    // drawn, so fields and their pictures are written exactly as they are.
    void write(const std::string& path);

    // Whether the form, as last saved, asks viewers to redraw its fields
    // (some character could not be drawn with its field's font).
    bool needsAppearances() const;

    QPDF& pdf() { return *m_pdf; }
    // The file's bytes as loaded, and whether qpdf read them as they stand
    // (nothing repaired, nothing left out).
    const std::string& loadedBytes() const { return m_bytes; }
    bool loadedIntact() const { return m_intact; }

private:
    friend class FormField;

    void load();
    void collectFields();
    void visitField(QPDFObjectHandle node, int depth, std::vector<QPDFObjectHandle>& seen);
    void addField(QPDFObjectHandle field);
    QPDFObjectHandle acroForm(bool create);
    void markWritten(std::size_t index) { m_written.at(index) = 1; }
    void requireFormWrites() const;
    void drawAppearances();
    bool drawField(FormField& field);

    std::string m_path;
    // What qpdf reads from, for the document's life: declared before it, gone after it.
    std::string m_bytes;
    std::unique_ptr<Buffer> m_buffer;
    std::unique_ptr<QPDF> m_pdf;
    FormFonts m_fonts;
    std::vector<std::unique_ptr<FormField>> m_fields;
    std::unordered_map<std::string, std::size_t> m_byName;
    std::vector<char> m_written;     // value, font or size set since the last save
    std::vector<char> m_undrawable;  // last drawing left characters out
    bool m_intact = false;
    bool m_redrawAll = false;            // the document came asking viewers to redraw
    std::string m_unreadable;            // why part of the document could not be read, once it happened
    mutable std::string m_refusedWrite;  // why a value, font or size was refused, once it happened
};

// Attaches bytes as a file named `name` to the form's document, in memory
// (see Document::attach): the next save writes it with everything else.
// Raises platform::Error 5 for a name that is no file name, 75 when the
// document's permissions forbid changes.
struct AttachedObjects {
    std::vector<QPDFObjectHandle> added;  // the new objects, in the order made
    bool replaced = false;                // an attachment of that name was there
};
AttachedObjects attachToDocument(PdfForm& form, std::string_view name, std::string_view bytes,
                                 std::string_view mimeType, std::string_view description = {});

}  // namespace pdfauto
