#pragma once
// A field's default appearance string ("/Helv 0 Tf 0 g"): the font resource,
// the text size and the colour its text is drawn with. Operators other than
// the font selection are kept as they were written.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pdfauto {

class DefaultAppearance {
public:
    // Malformed pieces are dropped rather than refused: a field with a broken
    // appearance string still gets drawn in the default font.
    static DefaultAppearance parse(std::string_view da);

    // Resource name without the slash; empty when the string selects no font.
    const std::string& fontName() const { return m_fontName; }
    double fontSize() const { return m_fontSize; }
    // The colour operators, ready for a content stream; "0 g" when none.
    std::string colourOperators() const;

    void setFont(std::string name);
    void setFontSize(double size);

    std::string toString() const;

private:
    struct Operation {
        std::vector<std::string> operands;  // raw tokens
        std::string op;
    };
    std::vector<Operation> m_ops;
    std::string m_fontName;
    double m_fontSize = 0.0;
    bool m_hasFont = false;
};

// A number for a content stream: at most two decimals, no trailing zeros.
std::string formatNumber(double value);
// A name as qpdf keys dictionaries by it: "/Helv".
std::string slashed(std::string_view name);
// A name for a content stream, slash included, with "#xx" where it needs them.
std::string pdfName(std::string_view name);

}  // namespace pdfauto
