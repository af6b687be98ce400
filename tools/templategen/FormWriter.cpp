#include "FormWriter.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cmath>
#include <filesystem>
#include <sstream>

namespace templategen {
namespace {

constexpr int kPrintFlag = 4;
constexpr int kMultilineFlag = 1 << 12;

std::string number(double v) {
    std::ostringstream out;
    out << std::round(v * 100) / 100;
    return out.str();
}

std::string defaultAppearance(const FieldSpec& f) {
    const char* font = f.kind == FieldKind::Mark ? "/ZaDb " : "/Helv ";
    return font + number(f.fontSize) + " Tf 0 g";
}

QPDFObjectHandle widget(QPDF& pdf, const FieldSpec& f, const QPDFObjectHandle& page, double pageHeight) {
    const PdfRect r = toPdf(f.rect, pageHeight);
    QPDFObjectHandle d = QPDFObjectHandle::newDictionary();
    d.replaceKey("/Type", QPDFObjectHandle::newName("/Annot"));
    d.replaceKey("/Subtype", QPDFObjectHandle::newName("/Widget"));
    d.replaceKey("/FT", QPDFObjectHandle::newName("/Tx"));
    d.replaceKey("/T", QPDFObjectHandle::newUnicodeString("fld" + f.name.toStdString()));
    d.replaceKey("/V", QPDFObjectHandle::newString(""));
    d.replaceKey("/Rect", QPDFObjectHandle::newFromRectangle(QPDFObjectHandle::Rectangle(r.llx, r.lly, r.urx, r.ury)));
    d.replaceKey("/F", QPDFObjectHandle::newInteger(kPrintFlag));
    d.replaceKey("/P", page);
    d.replaceKey("/DA", QPDFObjectHandle::newString(defaultAppearance(f)));
    // Marks and bars are centred on their hole or word; values start at the left.
    d.replaceKey("/Q", QPDFObjectHandle::newInteger(f.kind == FieldKind::Value ? 0 : 1));
    if (f.multiline) d.replaceKey("/Ff", QPDFObjectHandle::newInteger(kMultilineFlag));
    return pdf.makeIndirectObject(d);
}

}  // namespace

PdfRect toPdf(const QRectF& r, double pageHeight) {
    return {r.left(), pageHeight - r.bottom(), r.right(), pageHeight - r.top()};
}

void writeTemplate(const QByteArray& paintedPdf, const SheetLayout& layout, const std::string& outputPath) {
    QPDF pdf;
    pdf.processMemoryFile("painted sheet", paintedPdf.constData(), static_cast<size_t>(paintedPdf.size()));
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    if (pages.size() != 1) throw LayoutError("the painted sheet must have exactly one page");
    QPDFObjectHandle page = pages.front().getObjectHandle();

    const QPDFObjectHandle::Rectangle box = pages.front().getMediaBox().getArrayAsRectangle();
    if (std::abs((box.urx - box.llx) - layout.page.width()) > 0.5 ||
        std::abs((box.ury - box.lly) - layout.page.height()) > 0.5) {
        throw LayoutError("the painted page is " + number(box.urx - box.llx) + " x " + number(box.ury - box.lly) +
                          " points, the layout expects " + number(layout.page.width()) + " x " +
                          number(layout.page.height()));
    }
    const double pageHeight = box.ury;  // a page whose origin is not 0,0 still maps its top edge to the layout's 0

    QPDFObjectHandle annots = page.getKey("/Annots");
    if (!annots.isArray()) {
        annots = QPDFObjectHandle::newArray();
        page.replaceKey("/Annots", annots);
    }
    QPDFObjectHandle fields = QPDFObjectHandle::newArray();
    for (const FieldSpec& f : layout.fields) {
        QPDFObjectHandle w = widget(pdf, f, page, pageHeight);
        annots.appendItem(w);
        fields.appendItem(w);
    }

    QPDFObjectHandle helvetica = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    QPDFObjectHandle dingbats =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >>"));
    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/Helv", helvetica);
    fonts.replaceKey("/ZaDb", dingbats);
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);

    QPDFObjectHandle form = QPDFObjectHandle::newDictionary();
    form.replaceKey("/Fields", fields);
    form.replaceKey("/DR", resources);
    form.replaceKey("/DA", QPDFObjectHandle::newString("/Helv 0 Tf 0 g"));
    form.replaceKey("/NeedAppearances", QPDFObjectHandle::newBool(false));
    pdf.getRoot().replaceKey("/AcroForm", pdf.makeIndirectObject(form));

    const std::filesystem::path target(outputPath);
    const std::filesystem::path temporary = target.string() + ".part";
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path());
    try {
        QPDFWriter writer(pdf, temporary.c_str());  // the writer keeps the name
        writer.setDeterministicID(true);
        writer.write();
        std::filesystem::rename(temporary, target);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(temporary, ec);
        throw;
    }
}

}  // namespace templategen
