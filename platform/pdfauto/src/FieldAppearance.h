#pragma once
// Appearance streams of text fields: what every viewer shows and prints,
// including viewers that never redraw a field themselves.

#include "DefaultAppearance.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <string>
#include <vector>

namespace pdfauto {

struct ResolvedFont;

// The widget's box and decoration, as its annotation dictionary gives them.
struct WidgetBox {
    double width = 0;
    double height = 0;
    int rotation = 0;                // 0, 90, 180 or 270, from /MK /R
    std::vector<double> border;      // colour components; empty: no border
    std::vector<double> background;  // colour components; empty: transparent
    double borderWidth = 0;
    char borderStyle = 'S';  // S solid, D dashed, U underline (others drawn solid)

    static WidgetBox of(QPDFObjectHandle widget);
    bool valid() const { return width > 0 && height > 0; }
};

struct TextLayout {
    std::string value;  // UTF-8
    DefaultAppearance appearance;
    int quadding = 0;  // 0 left, 1 centred, 2 right
    bool multiline = false;
    bool password = false;
    // A comb: the box holds this many equal cells side by side, one character
    // centred in each (0: the text runs as one line). Ignored for multiline text.
    int combCells = 0;
};

struct AppearanceContent {
    std::string content;
    double fontSize = 0;   // the size drawn with (auto size resolved)
    bool complete = true;  // false when some character could not be drawn
};

// The content stream of one widget; width and height are those of the
// unrotated box the text runs in.
AppearanceContent buildTextAppearance(const WidgetBox& box, const TextLayout& layout, const ResolvedFont& font);

// Puts the normal appearance on the widget. Returns whether every character
// of the value could be drawn.
bool writeTextAppearance(QPDF& pdf, QPDFObjectHandle widget, const TextLayout& layout, const ResolvedFont& font);

}  // namespace pdfauto
