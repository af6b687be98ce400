#pragma once
// The fonts of a form: the default resources (/DR) that field appearance
// strings name, and the facts an appearance needs to draw with one.

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <array>
#include <map>
#include <string>
#include <string_view>

namespace pdfauto {

struct ResolvedFont {
    QPDFObjectHandle dict;            // what the appearance's resources name
    bool symbolic = false;            // codes are the font's own; otherwise WinAnsi
    bool exact = true;                // false: drawn with guessed metrics or a stand-in font
    std::array<float, 256> widths{};  // thousandths of the size, by code
    double ascent = 718;
    double descent = -207;
};

class FormFonts {
public:
    explicit FormFonts(QPDF& pdf) : m_pdf(pdf) {}

    // The resource name under which the form's default resources hold the
    // font, added (Type1, WinAnsi for text fonts) when none matches.
    std::string resourceFor(QPDFObjectHandle acroForm, std::string_view baseFont);
    // The base font behind a resource name; the resource name itself when unknown.
    std::string baseFontOf(QPDFObjectHandle acroForm, std::string_view resource) const;
    // How to draw with the font that a field's appearance string names.
    const ResolvedFont& resolve(QPDFObjectHandle acroForm, const std::string& resource);

private:
    QPDFObjectHandle companion(const std::string& baseFont, bool symbolic);

    QPDF& m_pdf;
    std::map<std::string, ResolvedFont> m_resolved;
    std::map<std::string, QPDFObjectHandle> m_companions;
};

// "ABCDEF+Helvetica" → "Helvetica"
std::string withoutSubsetPrefix(std::string_view baseFont);

}  // namespace pdfauto
