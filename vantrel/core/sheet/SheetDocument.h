#pragma once
// The new sheet held open in the PDF automation while the form filler fills
// it. The filler's view of the same unchanged file is the same document, so
// what is handed to it here (the setup as an attachment) goes into the
// filler's one save with the filled fields: the sheet is written once.

#include <string>

#include "platform/com/Dispatch.h"

namespace vantrel {

class SheetDocument {
public:
    // Opens a view of the sheet at a system path. When it cannot be opened,
    // nothing is held (the form filler then says why it cannot open it).
    explicit SheetDocument(const std::string& sheetPath);
    ~SheetDocument();  // closes the view without saving
    SheetDocument(const SheetDocument&) = delete;
    SheetDocument& operator=(const SheetDocument&) = delete;

    bool isOpen() const { return m_document != nullptr; }
    // Attaches bytes as a file for the next save; raises platform::Error with
    // the reason when the document refuses it (its permissions forbid changes).
    void attach(const std::string& name, const std::string& bytes, const std::string& mimeType);
    // The most characters the form field keeps: 0 any number, -1 no such field.
    int maxLength(const std::string& formField);

private:
    com::ComPtr<com::IDispatch> m_view;
    com::ComPtr<com::IDispatch> m_document;
};

}  // namespace vantrel
