#pragma once
// PDFs the tests make themselves, with qpdf: blank pages and an AcroForm
// holding the fields a test asks for.

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <optional>
#include <string>
#include <vector>

namespace pdfautotest {

struct FieldSpec {
    std::string name;  // partial name; "a.b" makes parent "a" with kid "b"
    std::string type = "/Tx";
    std::string da = "/Helv 0 Tf 0 g";  // empty: no /DA on the field
    int flags = 0;
    int quadding = 0;
    int page = 0;
    std::vector<double> rect{100, 700, 300, 720};
    std::optional<std::string> value{};
    std::vector<std::string> states{};  // check box states besides /Off
    bool separateWidget = false;        // field with one kid widget instead of merged
};

struct FormSpec {
    int pages = 1;
    std::vector<FieldSpec> fields{};
    bool needAppearances = false;
    bool withAcroForm = true;
    // Default resources: Helv (Helvetica, WinAnsi) and ZaDb (ZapfDingbats).
    bool standardResources = true;
    std::string pageContent{};  // drawing operators of every page
};

inline QPDFObjectHandle name(const std::string& n) { return QPDFObjectHandle::newName(n); }

inline QPDFObjectHandle numbers(const std::vector<double>& v) {
    std::vector<QPDFObjectHandle> items;
    for (double d : v) items.push_back(QPDFObjectHandle::newReal(d, 2, true));
    return QPDFObjectHandle::newArray(items);
}

inline void buildForm(QPDF& pdf, const FormSpec& layout) {
    pdf.emptyPDF();
    std::vector<QPDFObjectHandle> pages;
    for (int p = 0; p < layout.pages; ++p) {
        auto page = QPDFObjectHandle::newDictionary();
        page.replaceKey("/Type", name("/Page"));
        page.replaceKey("/MediaBox", numbers({0, 0, 612, 792}));
        page.replaceKey("/Resources", QPDFObjectHandle::newDictionary());
        page.replaceKey("/Contents", pdf.newStream(layout.pageContent));
        page = pdf.makeIndirectObject(page);
        pdf.addPage(page, false);
        pages.push_back(page);
    }
    if (!layout.withAcroForm) return;

    auto form = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    auto fields = QPDFObjectHandle::newArray();
    form.replaceKey("/Fields", fields);
    if (layout.needAppearances) form.replaceKey("/NeedAppearances", QPDFObjectHandle::newBool(true));
    if (layout.standardResources) {
        auto helv = QPDFObjectHandle::parse(
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
        auto zadb = QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >>");
        auto fonts = QPDFObjectHandle::newDictionary();
        fonts.replaceKey("/Helv", pdf.makeIndirectObject(helv));
        fonts.replaceKey("/ZaDb", pdf.makeIndirectObject(zadb));
        auto dr = QPDFObjectHandle::newDictionary();
        dr.replaceKey("/Font", fonts);
        form.replaceKey("/DR", dr);
        form.replaceKey("/DA", QPDFObjectHandle::newString("/Helv 0 Tf 0 g"));
    }
    pdf.getRoot().replaceKey("/AcroForm", form);

    std::vector<std::pair<std::string, QPDFObjectHandle>> parents;
    for (const auto& f : layout.fields) {
        auto page = pages.at(static_cast<std::size_t>(f.page));
        auto widget = QPDFObjectHandle::newDictionary();
        widget.replaceKey("/Type", name("/Annot"));
        widget.replaceKey("/Subtype", name("/Widget"));
        widget.replaceKey("/Rect", numbers(f.rect));
        widget.replaceKey("/P", page);
        widget.replaceKey("/F", QPDFObjectHandle::newInteger(4));
        widget = pdf.makeIndirectObject(widget);

        auto field = widget;
        if (f.separateWidget) {
            field = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            field.replaceKey("/Kids", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{widget}));
            widget.replaceKey("/Parent", field);
        }
        std::string partial = f.name;
        QPDFObjectHandle container = fields;
        if (auto dot = f.name.find('.'); dot != std::string::npos) {
            const std::string parentName = f.name.substr(0, dot);
            partial = f.name.substr(dot + 1);
            QPDFObjectHandle parent;
            for (auto& p : parents)
                if (p.first == parentName) parent = p.second;
            if (!parent.isInitialized()) {
                parent = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
                parent.replaceKey("/T", QPDFObjectHandle::newUnicodeString(parentName));
                parent.replaceKey("/Kids", QPDFObjectHandle::newArray());
                fields.appendItem(parent);
                parents.emplace_back(parentName, parent);
            }
            field.replaceKey("/Parent", parent);
            container = parent.getKey("/Kids");
        }
        field.replaceKey("/T", QPDFObjectHandle::newUnicodeString(partial));
        field.replaceKey("/FT", name(f.type));
        if (!f.da.empty()) field.replaceKey("/DA", QPDFObjectHandle::newString(f.da));
        if (f.flags) field.replaceKey("/Ff", QPDFObjectHandle::newInteger(f.flags));
        if (f.quadding) field.replaceKey("/Q", QPDFObjectHandle::newInteger(f.quadding));
        if (f.value) field.replaceKey("/V", QPDFObjectHandle::newUnicodeString(*f.value));
        if (!f.states.empty()) {
            auto normal = QPDFObjectHandle::newDictionary();
            normal.replaceKey("/Off", pdf.newStream(""));
            for (const auto& s : f.states) normal.replaceKey("/" + s, pdf.newStream("0 g 0 0 5 5 re f"));
            auto ap = QPDFObjectHandle::newDictionary();
            ap.replaceKey("/N", normal);
            widget.replaceKey("/AP", ap);
            widget.replaceKey("/AS", name("/Off"));
            field.replaceKey("/V", name("/Off"));
        }
        container.appendItem(field);
        auto annots = page.getKey("/Annots");
        if (!annots.isArray()) {
            annots = QPDFObjectHandle::newArray();
            page.replaceKey("/Annots", annots);
        }
        annots.appendItem(widget);
    }
}

inline void writeForm(const std::string& path, const FormSpec& layout) {
    QPDF pdf;
    buildForm(pdf, layout);
    QPDFWriter w(pdf, path.c_str());
    w.write();
}

}  // namespace pdfautotest
