#pragma once
// Reading a PDF's form back with qpdf. The suite including this links qpdf.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>

namespace testsupport {

// Form field name (fully qualified) -> value, read straight from the PDF.
inline std::map<std::string, std::string> formFields(const std::filesystem::path& pdfPath) {
    QPDF pdf;
    pdf.processFile(pdfPath.string().c_str());
    QPDFAcroFormDocumentHelper form(pdf);
    std::map<std::string, std::string> out;
    for (auto& field : form.getFormFields()) out[field.getFullyQualifiedName()] = field.getValueAsString();
    return out;
}

// The widgets of a field: its kids, or the field itself when the two are merged.
inline std::vector<QPDFAnnotationObjectHelper> widgetsOf(QPDFFormFieldObjectHelper& field) {
    std::vector<QPDFAnnotationObjectHelper> out;
    QPDFObjectHandle kids = field.getObjectHandle().getKey("/Kids");
    if (kids.isArray()) {
        for (QPDFObjectHandle kid : kids.aitems()) out.emplace_back(kid);
    } else {
        out.emplace_back(field.getObjectHandle());
    }
    return out;
}

}  // namespace testsupport
