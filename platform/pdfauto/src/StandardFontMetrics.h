#pragma once
// Advance widths of the standard PDF fonts, in thousandths of the font size,
// so that appearances can be laid out without the font program.

#include <array>
#include <cstdint>
#include <string_view>

namespace pdfauto::fonts {

struct FontMetrics {
    const char* baseFont;
    bool symbolic;           // built-in encoding (Symbol, ZapfDingbats); others use WinAnsi
    int ascent;              // top of the tallest lower-case letter (the mark glyph for ZapfDingbats)
    int descent;             // negative: bottom of the descenders
    const uint16_t* widths;  // 256 entries, indexed by character code
};

const std::array<FontMetrics, 9>& standardMetrics();

// Metrics for a base font name: the standard 14 (oblique faces share the
// upright widths), their usual resource abbreviations (Helv, ZaDb) and the
// metric-compatible Windows names (Arial, Times New Roman, Courier New).
// Subset prefixes ("ABCDEF+") are ignored. nullptr when unknown.
const FontMetrics* lookup(std::string_view baseFont);

}  // namespace pdfauto::fonts
