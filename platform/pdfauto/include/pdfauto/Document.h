#pragma once
// A PDF document as the program sees it outside a fill: its pages, the
// fields of its form (described for people and scripts, with where each one
// shows), and its attached files (the embedded files that viewers list in
// their attachments pane).
//
// Every failure raises platform::Error with a description that names the
// file and what is wrong with it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pdfauto {

class PdfForm;

// A rectangle in PDF units (points, 1/72 inch) in a page's own coordinates,
// origin at the lower left; left <= right and bottom <= top.
struct Rect {
    double left = 0, bottom = 0, right = 0, top = 0;
    double width() const { return right - left; }
    double height() const { return top - bottom; }
};

struct PageInfo {
    Rect mediaBox;     // the page's own or the one it inherits; 612 x 792 (US Letter) when none is given
    Rect cropBox;      // what viewers show of it: the crop box within the media box, else the media box
    int rotation = 0;  // degrees viewers turn it clockwise by to show it: 0, 90, 180 or 270
};

// One widget annotation of a field: where on which page it shows the field.
struct WidgetInfo {
    int page = 0;  // 1-based; 0 when no page shows it
    Rect rect;     // its /Rect; all zero when it has none
};

// One terminal field of a form.
struct FieldInfo {
    std::string name;  // fully qualified ("a.b.c"), UTF-8
    // "text", "checkbox", "radiobutton", "combobox", "listbox", "button" or "signature".
    std::string kind;
    int page = 0;  // 1-based page of the field's first widget; 0 when no page shows it
    // The states a check box or radio button can be set to besides "Off",
    // in the order its widgets carry them; empty for other kinds.
    std::vector<std::string> onStates;
    int maxLength = 0;                // a text field's /MaxLen (inherited); 0 when it has none
    bool comb = false;                // one character per cell, maxLength cells across the box
    std::string value;                // the current value as text: a button's state name, a text decoded to UTF-8
    std::vector<WidgetInfo> widgets;  // every widget of the field, in the field's order
};

class Document {
public:
    // Loads the PDF at a native path, whole, into memory. Raises
    // platform::Error 53 when the file is missing, not a PDF, damaged beyond
    // repair or encrypted with a password. A document that opens without one
    // (its owner only restricted it) is read like any other, as the fill does.
    // Only a regular file of at most 256 MiB is read, from one descriptor.
    explicit Document(const std::string& path);
    // The same from the file's bytes, read by the caller from the one
    // descriptor it opened; path names them in errors.
    Document(const std::string& path, std::string bytes);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    const std::string& path() const;
    // The file's bytes as they were loaded: what a viewer is to show when it
    // must show this very document without reading the file again.
    const std::string& bytes() const;

    // The pages in order (page N of FieldInfo is pages()[N - 1]).
    std::vector<PageInfo> pages() const;

    // The form's terminal fields in document order. Raises platform::Error 53
    // when the document has no form fields.
    std::vector<FieldInfo> fields() const;

    // The names of the attached files, in name order.
    std::vector<std::string> attachmentNames() const;
    bool hasAttachment(std::string_view name) const;
    // An attached file's bytes. Raises platform::Error 53 when the document
    // has no attachment of that name or its data cannot be read, and
    // AttachmentTooLarge when it decodes to more than maxBytes: the decoding
    // stops there, whatever the rest would inflate to.
    static constexpr std::int32_t AttachmentTooLarge = 7;  // "Out of memory"
    std::string attachment(std::string_view name, std::uint64_t maxBytes = 16ull * 1024 * 1024) const;

    // Attaches bytes as a file named `name` (UTF-8, no folder), replacing an
    // attachment of the same name; mimeType is its media type ("text/plain").
    // The document changes in memory only; save writes it. Raises
    // platform::Error 5 for a name that is empty or names a folder, 75 when
    // the document's permissions forbid changes.
    void attach(std::string_view name, std::string_view bytes, std::string_view mimeType,
                std::string_view description = {});

    // Writes the document to a temporary file beside the target and renames
    // it over the target: a failure leaves the old file whole. Nothing else
    // in the document changes: field values and their pictures stay exactly
    // as loaded. New attachments are appended to the bytes as loaded (an
    // incremental update, which leaves every byte before it as it was); a
    // replaced attachment, an encrypted, linearized or repaired document is
    // written whole, so that no old attachment stays behind in the file.
    // Raises platform::Error 75 with the reason when it cannot.
    void save(const std::string& path);

private:
    struct Changes;
    std::unique_ptr<PdfForm> m_form;
    std::unique_ptr<Changes> m_changes;
};

// Load, attach, save back over the same file: a filled sheet takes its
// attachment in one call. Raises as Document does.
void attachFile(const std::string& pdfPath, std::string_view name, std::string_view bytes,
                std::string_view mimeType = "text/plain");

// The version of the qpdf library this process runs with ("11.3.0").
std::string qpdfVersion();

}  // namespace pdfauto
