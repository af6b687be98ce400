#include "StandardFontMetrics.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace pdfauto::fonts {

namespace {

std::string normalise(std::string_view name) {
    if (name.size() > 7 && name[6] == '+' &&
        std::all_of(name.begin(), name.begin() + 6, [](char c) { return c >= 'A' && c <= 'Z'; }))
        name.remove_prefix(7);
    std::string out;
    for (char c : name)
        if (c != ' ' && c != '-' && c != ',' && c != '_')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

const FontMetrics* byBase(std::string_view base) {
    for (const auto& m : standardMetrics())
        if (base == m.baseFont) return &m;
    return nullptr;
}

}  // namespace

const FontMetrics* lookup(std::string_view baseFont) {
    const std::string n = normalise(baseFont);
    struct Alias {
        const char* name;
        const char* base;
    };
    // Names are compared without case, blanks, hyphens and commas.
    static constexpr Alias aliases[] = {
        {"helvetica", "Helvetica"},
        {"helv", "Helvetica"},
        {"arial", "Helvetica"},
        {"arialmt", "Helvetica"},
        {"helveticaoblique", "Helvetica"},
        {"heob", "Helvetica"},
        {"arialitalic", "Helvetica"},
        {"arialitalicmt", "Helvetica"},
        {"helveticabold", "Helvetica-Bold"},
        {"hebo", "Helvetica-Bold"},
        {"arialbold", "Helvetica-Bold"},
        {"arialboldmt", "Helvetica-Bold"},
        {"helveticaboldoblique", "Helvetica-Bold"},
        {"arialbolditalic", "Helvetica-Bold"},
        {"arialbolditalicmt", "Helvetica-Bold"},
        {"timesroman", "Times-Roman"},
        {"tiro", "Times-Roman"},
        {"timesnewroman", "Times-Roman"},
        {"timesnewromanps", "Times-Roman"},
        {"timesnewromanpsmt", "Times-Roman"},
        {"timesbold", "Times-Bold"},
        {"tibo", "Times-Bold"},
        {"timesnewromanbold", "Times-Bold"},
        {"timesnewromanpsboldmt", "Times-Bold"},
        {"timesitalic", "Times-Italic"},
        {"tiit", "Times-Italic"},
        {"timesnewromanitalic", "Times-Italic"},
        {"timesnewromanpsitalicmt", "Times-Italic"},
        {"timesbolditalic", "Times-BoldItalic"},
        {"tibi", "Times-BoldItalic"},
        {"timesnewromanbolditalic", "Times-BoldItalic"},
        {"timesnewromanpsbolditalicmt", "Times-BoldItalic"},
        {"courier", "Courier"},
        {"cour", "Courier"},
        {"courierbold", "Courier"},
        {"cobo", "Courier"},
        {"courieroblique", "Courier"},
        {"coob", "Courier"},
        {"courierboldoblique", "Courier"},
        {"couriernew", "Courier"},
        {"couriernewpsmt", "Courier"},
        {"symbol", "Symbol"},
        {"symb", "Symbol"},
        {"zapfdingbats", "ZapfDingbats"},
        {"zadb", "ZapfDingbats"},
        {"itczapfdingbats", "ZapfDingbats"},
    };
    for (const auto& a : aliases)
        if (n == a.name) return byBase(a.base);
    return nullptr;
}

}  // namespace pdfauto::fonts
