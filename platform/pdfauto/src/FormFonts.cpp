#include "FormFonts.h"

#include "DefaultAppearance.h"
#include "StandardFontMetrics.h"

#include "platform/Error.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>

namespace pdfauto {

namespace {

constexpr const char* StandardFonts[] = {
    "Helvetica",   "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Courier",     "Courier-Bold",   "Courier-Oblique",   "Courier-BoldOblique",
    "Times-Roman", "Times-Bold",     "Times-Italic",      "Times-BoldItalic",
    "Symbol",      "ZapfDingbats",
};
// The resource names forms customarily give the standard fonts, in the same order.
constexpr const char* StandardResourceNames[] = {
    "Helv", "HeBo", "HeOb", "HeBO", "Cour", "CoBo", "CoOb", "CoBO", "TiRo", "TiBo", "TiIt", "TiBI", "Symb", "ZaDb",
};

bool isStandardFont(std::string_view name) {
    return std::find(std::begin(StandardFonts), std::end(StandardFonts), name) != std::end(StandardFonts);
}

QPDFObjectHandle fontDictionaries(QPDFObjectHandle acroForm) {
    if (!acroForm.isDictionary()) return QPDFObjectHandle::newNull();
    auto dr = acroForm.getKey("/DR");
    if (!dr.isDictionary()) return QPDFObjectHandle::newNull();
    auto fonts = dr.getKey("/Font");
    return fonts.isDictionary() ? fonts : QPDFObjectHandle::newNull();
}

std::string nameOf(QPDFObjectHandle o) { return o.isName() ? o.getName().substr(1) : std::string(); }

void fillFromMetrics(ResolvedFont& f, const fonts::FontMetrics& m) {
    for (std::size_t c = 0; c < 256; ++c) f.widths[c] = m.widths[c];
    f.ascent = m.ascent;
    f.descent = m.descent;
    f.symbolic = m.symbolic;
}

bool hasWinAnsiEncoding(QPDFObjectHandle font) {
    auto enc = font.getKey("/Encoding");
    if (enc.isName()) return enc.getName() == "/WinAnsiEncoding";
    if (enc.isDictionary())
        return enc.getKey("/BaseEncoding").isName() && enc.getKey("/BaseEncoding").getName() == "/WinAnsiEncoding" &&
               !enc.hasKey("/Differences");
    return false;
}

// Widths and vertical metrics that the font dictionary itself declares.
bool fillFromDictionary(ResolvedFont& f, QPDFObjectHandle font) {
    auto widths = font.getKey("/Widths");
    auto first = font.getKey("/FirstChar");
    if (!widths.isArray() || !first.isInteger()) return false;
    auto descriptor = font.getKey("/FontDescriptor");
    float missing = 0;
    if (descriptor.isDictionary()) {
        if (descriptor.getKey("/MissingWidth").isNumber())
            missing = static_cast<float>(descriptor.getKey("/MissingWidth").getNumericValue());
        if (descriptor.getKey("/Ascent").isNumber()) f.ascent = descriptor.getKey("/Ascent").getNumericValue();
        if (descriptor.getKey("/Descent").isNumber()) f.descent = descriptor.getKey("/Descent").getNumericValue();
    }
    f.widths.fill(missing);
    const long long start = first.getIntValue();
    const int n = widths.getArrayNItems();
    for (int k = 0; k < n; ++k) {
        const long long code = start + k;
        auto w = widths.getArrayItem(k);
        if (code >= 0 && code < 256 && w.isNumber())
            f.widths[static_cast<std::size_t>(code)] = static_cast<float>(w.getNumericValue());
    }
    if (f.ascent <= f.descent) {
        f.ascent = 718;
        f.descent = -207;
    }
    return true;
}

}  // namespace

std::string withoutSubsetPrefix(std::string_view baseFont) {
    if (baseFont.size() > 7 && baseFont[6] == '+' &&
        std::all_of(baseFont.begin(), baseFont.begin() + 6, [](char c) { return c >= 'A' && c <= 'Z'; }))
        baseFont.remove_prefix(7);
    return std::string(baseFont);
}

std::string FormFonts::resourceFor(QPDFObjectHandle acroForm, std::string_view requested) {
    std::string baseFont(requested);
    if (!baseFont.empty() && baseFont.front() == '/') baseFont.erase(0, 1);
    if (baseFont.empty() || baseFont.size() > 127 ||
        std::any_of(baseFont.begin(), baseFont.end(), [](unsigned char c) { return c <= ' ' || c >= 0x7F; }))
        platform::raise(platform::ErrInvalidArgument, "Field", "\"" + std::string(requested) + "\" is not a font name");

    auto fonts = fontDictionaries(acroForm);
    if (fonts.isDictionary()) {
        // A resource of that name, or one whose base font it is.
        if (fonts.getKey("/" + baseFont).isDictionary()) return baseFont;
        for (const auto& key : fonts.getKeys()) {
            auto font = fonts.getKey(key);
            if (font.isDictionary() &&
                platform::text::equalsIgnoreCase(withoutSubsetPrefix(nameOf(font.getKey("/BaseFont"))), baseFont))
                return key.substr(1);
        }
    } else {
        auto dr = acroForm.getKey("/DR");
        if (!dr.isDictionary()) {
            dr = QPDFObjectHandle::newDictionary();
            acroForm.replaceKey("/DR", dr);
        }
        fonts = QPDFObjectHandle::newDictionary();
        dr.replaceKey("/Font", fonts);
    }

    // A standard font keeps its customary resource name; others a name made of their letters.
    std::string key;
    for (std::size_t k = 0; k < std::size(StandardFonts); ++k)
        if (baseFont == StandardFonts[k]) key = StandardResourceNames[k];
    if (key.empty())
        for (char c : baseFont)
            if (std::isalnum(static_cast<unsigned char>(c))) key += c;
    if (key.empty()) key = "F";
    const std::string stem = key;
    for (int n = 1; fonts.hasKey("/" + key); ++n) key = stem + std::to_string(n);

    auto font = QPDFObjectHandle::newDictionary();
    font.replaceKey("/Type", QPDFObjectHandle::newName("/Font"));
    font.replaceKey("/Subtype", QPDFObjectHandle::newName("/Type1"));
    font.replaceKey("/BaseFont", QPDFObjectHandle::newName("/" + baseFont));
    const auto* metrics = fonts::lookup(baseFont);
    if (!metrics || !metrics->symbolic) font.replaceKey("/Encoding", QPDFObjectHandle::newName("/WinAnsiEncoding"));
    fonts.replaceKey("/" + key, m_pdf.makeIndirectObject(font));
    m_resolved.erase(key);
    return key;
}

std::string FormFonts::baseFontOf(QPDFObjectHandle acroForm, std::string_view resource) const {
    auto fonts = fontDictionaries(acroForm);
    if (fonts.isDictionary()) {
        auto font = fonts.getKey(slashed(resource));
        if (font.isDictionary()) {
            auto base = withoutSubsetPrefix(nameOf(font.getKey("/BaseFont")));
            if (!base.empty()) return base;
        }
    }
    for (std::size_t k = 0; k < std::size(StandardFonts); ++k)
        if (resource == StandardResourceNames[k]) return StandardFonts[k];
    return std::string(resource);
}

QPDFObjectHandle FormFonts::companion(const std::string& baseFont, bool symbolic) {
    auto it = m_companions.find(baseFont);
    if (it != m_companions.end()) return it->second;
    auto font = QPDFObjectHandle::newDictionary();
    font.replaceKey("/Type", QPDFObjectHandle::newName("/Font"));
    font.replaceKey("/Subtype", QPDFObjectHandle::newName("/Type1"));
    font.replaceKey("/BaseFont", QPDFObjectHandle::newName("/" + baseFont));
    if (!symbolic) font.replaceKey("/Encoding", QPDFObjectHandle::newName("/WinAnsiEncoding"));
    font = m_pdf.makeIndirectObject(font);
    m_companions.emplace(baseFont, font);
    return font;
}

const ResolvedFont& FormFonts::resolve(QPDFObjectHandle acroForm, const std::string& resource) {
    auto cached = m_resolved.find(resource);
    if (cached != m_resolved.end()) return cached->second;

    ResolvedFont f;
    const auto* helvetica = fonts::lookup("Helvetica");
    auto fonts = fontDictionaries(acroForm);
    auto font = fonts.isDictionary() && !resource.empty() ? fonts.getKey("/" + resource) : QPDFObjectHandle::newNull();

    if (font.isDictionary()) {
        const std::string subtype = nameOf(font.getKey("/Subtype"));
        const bool simple = subtype == "Type1" || subtype == "TrueType" || subtype == "MMType1";
        const std::string base = withoutSubsetPrefix(nameOf(font.getKey("/BaseFont")));
        const auto* metrics = fonts::lookup(base);
        if (simple && metrics) {
            fillFromMetrics(f, *metrics);
            const bool usable = metrics->symbolic ? !font.hasKey("/Encoding") : hasWinAnsiEncoding(font);
            if (usable) {
                f.dict = font;
                // An embedded font's own widths are the ones it draws with.
                if (!metrics->symbolic && font.hasKey("/FontDescriptor")) fillFromDictionary(f, font);
            } else {
                // Same face, but with the encoding our bytes are written in.
                f.dict = companion(isStandardFont(base) ? base : metrics->baseFont, metrics->symbolic);
            }
        } else if (simple && hasWinAnsiEncoding(font)) {
            f.dict = font;
            if (!fillFromDictionary(f, font)) {
                fillFromMetrics(f, *helvetica);
                f.exact = false;
            }
        } else {
            fillFromMetrics(f, *helvetica);
            f.dict = companion("Helvetica", false);
            f.exact = false;
        }
    } else if (const auto* metrics = fonts::lookup(resource)) {
        // No such resource, but the name says which standard font is meant ("Helv", "ZaDb").
        fillFromMetrics(f, *metrics);
        f.dict = companion(metrics->baseFont, metrics->symbolic);
    } else {
        fillFromMetrics(f, *helvetica);
        f.dict = companion("Helvetica", false);
        f.exact = false;
    }
    return m_resolved.emplace(resource, std::move(f)).first->second;
}

}  // namespace pdfauto
