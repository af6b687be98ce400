#pragma once
// Reads a saved PDF back with qpdf's own form helper, independently of the
// code under test.

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace pdfautotest {

class FormReader {
public:
    // Read whole into memory: a file held open could not be replaced on
    // Windows by the next save of the code under test.
    explicit FormReader(const std::string& path) : m_pdf(std::make_unique<QPDF>()) {
        std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
        m_bytes.assign(std::istreambuf_iterator<char>(in), {});
        m_pdf->processMemoryFile(path.c_str(), m_bytes.data(), m_bytes.size());
        m_form = std::make_unique<QPDFAcroFormDocumentHelper>(*m_pdf);
    }

    QPDF& pdf() { return *m_pdf; }

    QPDFFormFieldObjectHelper field(const std::string& name) {
        for (auto& f : m_form->getFormFields())
            if (f.getFullyQualifiedName() == name) return f;
        return QPDFFormFieldObjectHelper();
    }
    std::string value(const std::string& name) {
        auto f = field(name);
        return f.isNull() ? "<missing>" : f.getValueAsString();
    }
    QPDFObjectHandle widget(const std::string& name) {
        auto f = field(name);
        if (f.isNull()) return QPDFObjectHandle::newNull();
        auto widgets = m_form->getAnnotationsForField(f);
        return widgets.empty() ? QPDFObjectHandle::newNull() : widgets.front().getObjectHandle();
    }
    // The decoded normal appearance stream of the field's first widget; empty when none.
    std::string appearance(const std::string& name) {
        auto w = widget(name);
        if (!w.isDictionary()) return {};
        auto ap = w.getKey("/AP");
        if (!ap.isDictionary() || !ap.getKey("/N").isStream()) return {};
        auto data = ap.getKey("/N").getStreamData(qpdf_dl_generalized);
        return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    }
    bool needAppearances() {
        auto form = m_pdf->getRoot().getKey("/AcroForm");
        return form.isDictionary() && form.getKey("/NeedAppearances").isBool() &&
               form.getKey("/NeedAppearances").getBoolValue();
    }
    bool hasNeedAppearancesKey() { return m_pdf->getRoot().getKey("/AcroForm").hasKey("/NeedAppearances"); }

private:
    std::string m_bytes;  // what m_pdf reads; it goes after m_pdf
    std::unique_ptr<QPDF> m_pdf;
    std::unique_ptr<QPDFAcroFormDocumentHelper> m_form;
};

}  // namespace pdfautotest
