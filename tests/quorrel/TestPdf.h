#pragma once
// Small form PDFs made by the tests with qpdf, and their field values read
// back the way any PDF reader sees them.

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <map>
#include <string>
#include <vector>

#include "PdfFields.h"

namespace quorreltest {

struct TextField {
    std::string name;
    int page = 0;
    std::string da = "/Helv 0 Tf 0 g";
    bool multiline = false;
};

inline void writeFormPdf(const std::string& path, int pages, const std::vector<TextField>& fields) {
    QPDF pdf;
    pdf.emptyPDF();
    std::vector<QPDFObjectHandle> pageObjects;
    for (int p = 0; p < pages; ++p) {
        auto page = QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] /Resources << >> >>");
        page.replaceKey("/Contents", pdf.newStream(""));
        page.replaceKey("/Annots", QPDFObjectHandle::newArray());
        page = pdf.makeIndirectObject(page);
        pdf.addPage(page, false);
        pageObjects.push_back(pdf.getAllPages().back());
    }
    auto form = QPDFObjectHandle::parse("<< /DA (/Helv 0 Tf 0 g) >>");
    auto fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/Helv",
                     pdf.makeIndirectObject(QPDFObjectHandle::parse(
                         "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")));
    fonts.replaceKey(
        "/ZaDb",
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >>")));
    auto dr = QPDFObjectHandle::newDictionary();
    dr.replaceKey("/Font", fonts);
    form.replaceKey("/DR", dr);
    auto fieldArray = QPDFObjectHandle::newArray();
    std::map<int, int> onPage;  // fields placed so far, per page
    for (const auto& f : fields) {
        const double y = 740 - 20 * (onPage[f.page]++ % 36);
        auto field = QPDFObjectHandle::parse("<< /FT /Tx /Type /Annot /Subtype /Widget /F 4 >>");
        field.replaceKey("/T", QPDFObjectHandle::newUnicodeString(f.name));
        field.replaceKey("/DA", QPDFObjectHandle::newString(f.da));
        field.replaceKey("/Rect", QPDFObjectHandle::parse("[100 " + std::to_string(y) + " 400 " +
                                                          std::to_string(y + (f.multiline ? 60 : 16)) + "]"));
        if (f.multiline) field.replaceKey("/Ff", QPDFObjectHandle::newInteger(4096));
        auto& page = pageObjects.at(static_cast<std::size_t>(f.page));
        field.replaceKey("/P", page);
        field = pdf.makeIndirectObject(field);
        page.getKey("/Annots").appendItem(field);
        fieldArray.appendItem(field);
    }
    form.replaceKey("/Fields", fieldArray);
    pdf.getRoot().replaceKey("/AcroForm", pdf.makeIndirectObject(form));
    QPDFWriter writer(pdf, path.c_str());
    writer.write();
}

// Fully qualified name -> value of every terminal field.
inline std::map<std::string, std::string> readFieldValues(const std::string& path) {
    return testsupport::formFields(path);
}

}  // namespace quorreltest
