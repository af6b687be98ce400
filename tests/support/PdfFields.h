#pragma once
// Reading a PDF's form back with qpdf. The suite including this links qpdf.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

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

// What qpdf sees of each terminal field's widgets: the 1-based page of its
// first widget and the states besides "Off" of a check box or radio button,
// joined by "|". The form helper is the document's own.
struct WidgetsSeen {
    int firstPage = 0;
    std::string onStates;
};
inline std::map<std::string, WidgetsSeen> widgetsSeenByQpdf(QPDF& pdf, QPDFAcroFormDocumentHelper& form) {
    std::map<std::string, WidgetsSeen> seen;
    const auto pages = QPDFPageDocumentHelper(pdf).getAllPages();
    for (std::size_t p = 0; p < pages.size(); ++p)
        for (auto& widget : form.getWidgetAnnotationsForPage(pages[p])) {
            auto field = form.getFieldForAnnotation(widget);
            WidgetsSeen& entry = seen[field.getFullyQualifiedName()];
            if (!entry.firstPage) entry.firstPage = static_cast<int>(p) + 1;
            if (field.isCheckbox() || field.isRadioButton())
                for (const auto& state : widget.getAppearanceDictionary().getKey("/N").getKeys())
                    if (state != "/Off") entry.onStates += (entry.onStates.empty() ? "" : "|") + state.substr(1);
        }
    return seen;
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
