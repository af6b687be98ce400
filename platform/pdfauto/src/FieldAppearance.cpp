#include "FieldAppearance.h"

#include "FormFonts.h"
#include "TextEncoding.h"

#include <algorithm>
#include <cmath>

namespace pdfauto {

namespace {

constexpr double HorizontalPadding = 2;  // between border and text, as form editors leave it
constexpr double VerticalPadding = 1;
constexpr double LineSpacing = 1.15;     // leading of wrapped lines, in font sizes
constexpr double MultilineAutoMax = 12;  // auto size never grows wrapped text beyond this
constexpr double MultilineAutoMin = 4;
constexpr double SingleLineAutoMin = 2;
constexpr int MaxCombDividers = 500;  // more cells than that are no boxes a person could write in

std::vector<double> numbers(QPDFObjectHandle array) {
    std::vector<double> out;
    if (!array.isArray()) return out;
    for (int k = 0; k < array.getArrayNItems(); ++k) {
        auto v = array.getArrayItem(k);
        if (!v.isNumber()) return {};
        out.push_back(v.getNumericValue());
    }
    return out;
}

std::string colourOperator(const std::vector<double>& c, bool stroke) {
    std::string out;
    for (double v : c) out += formatNumber(v) + " ";
    switch (c.size()) {
    case 1: return out + (stroke ? "G" : "g");
    case 3: return out + (stroke ? "RG" : "rg");
    case 4: return out + (stroke ? "K" : "k");
    default: return {};
    }
}

double textWidth(std::string_view bytes, const ResolvedFont& font) {
    double w = 0;
    for (unsigned char c : bytes) w += font.widths[c];
    return w / 1000.0;  // at size 1
}

// A string operand for Tj: printable ASCII as is, the rest escaped.
std::string literal(std::string_view bytes) {
    std::string out = "(";
    for (unsigned char c : bytes) {
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            const char oct[] = {'\\', static_cast<char>('0' + (c >> 6)), static_cast<char>('0' + ((c >> 3) & 7)),
                                static_cast<char>('0' + (c & 7))};
            out.append(oct, 4);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + ")";
}

// Greedy word wrap of one paragraph at most maxWidth wide (at size 1); a word
// wider than the box is broken between characters.
void wrapParagraph(std::string_view para, double maxWidth, const ResolvedFont& font, std::vector<std::string>& lines) {
    std::string line;
    std::size_t pos = 0;
    bool first = true;
    while (pos <= para.size()) {
        std::size_t end = para.find(' ', pos);
        if (end == std::string_view::npos) end = para.size();
        std::string word(para.substr(pos, end - pos));
        pos = end + 1;
        std::string candidate = first ? word : line + " " + word;
        first = false;
        if (textWidth(candidate, font) <= maxWidth) {
            line = std::move(candidate);
            continue;
        }
        if (!line.empty()) lines.push_back(line);
        while (word.size() > 1 && textWidth(word, font) > maxWidth) {
            std::size_t n = 1;
            while (n < word.size() && textWidth(std::string_view(word).substr(0, n + 1), font) <= maxWidth) ++n;
            lines.push_back(word.substr(0, n));
            word.erase(0, n);
        }
        line = word;
    }
    lines.push_back(line);
}

std::vector<std::string> wrap(std::string_view text, double maxWidth, const ResolvedFont& font) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    for (;;) {
        std::size_t end = text.find('\n', pos);
        wrapParagraph(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos), maxWidth,
                      font, lines);
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    return lines;
}

}  // namespace

WidgetBox WidgetBox::of(QPDFObjectHandle widget) {
    WidgetBox box;
    auto rect = numbers(widget.getKey("/Rect"));
    if (rect.size() != 4) return box;
    box.width = std::fabs(rect[2] - rect[0]);
    box.height = std::fabs(rect[3] - rect[1]);
    auto mk = widget.getKey("/MK");
    if (mk.isDictionary()) {
        if (mk.getKey("/R").isNumber()) {
            int r = static_cast<int>(std::lround(mk.getKey("/R").getNumericValue())) % 360;
            if (r < 0) r += 360;
            box.rotation = (r % 90 == 0) ? r : 0;
        }
        box.border = numbers(mk.getKey("/BC"));
        box.background = numbers(mk.getKey("/BG"));
    }
    if (box.rotation == 90 || box.rotation == 270) std::swap(box.width, box.height);
    if (!box.border.empty()) {
        box.borderWidth = 1;
        auto bs = widget.getKey("/BS");
        if (bs.isDictionary()) {
            if (bs.getKey("/W").isNumber()) box.borderWidth = std::max(0.0, bs.getKey("/W").getNumericValue());
            if (bs.getKey("/S").isName()) {
                const std::string s = bs.getKey("/S").getName();
                if (s.size() == 2) box.borderStyle = s[1];
            }
        }
    }
    return box;
}

AppearanceContent buildTextAppearance(const WidgetBox& box, const TextLayout& layout, const ResolvedFont& font) {
    AppearanceContent out;
    const double w = box.width, h = box.height;
    const double bw = std::min(box.borderWidth, std::min(w, h) / 4);
    std::string c;

    if (auto fill = colourOperator(box.background, false); !fill.empty())
        c += "q " + fill + " 0 0 " + formatNumber(w) + " " + formatNumber(h) + " re f Q\n";
    if (auto stroke = colourOperator(box.border, true); !stroke.empty() && bw > 0) {
        c += "q " + stroke + " " + formatNumber(bw) + " w ";
        const std::string half = formatNumber(bw / 2);
        if (box.borderStyle == 'U') {
            c += "0 " + half + " m " + formatNumber(w) + " " + half + " l S Q\n";
        } else {
            if (box.borderStyle == 'D') c += "[3] 0 d ";
            c += half + " " + half + " " + formatNumber(w - bw) + " " + formatNumber(h - bw) + " re S";
            // A comb's cells, divided as the border is drawn (as form editors show them).
            if (layout.combCells > 1 && layout.combCells <= MaxCombDividers && !layout.multiline)
                for (int k = 1; k < layout.combCells; ++k) {
                    const std::string x = formatNumber(w * k / layout.combCells);
                    c += " " + x + " 0 m " + x + " " + formatNumber(h) + " l S";
                }
            c += " Q\n";
        }
    }

    const auto breaks = layout.multiline ? LineBreaks::Keep : LineBreaks::AsBlanks;
    EncodedText text = font.symbolic ? encodeSymbolic(layout.value, breaks) : encodeWinAnsi(layout.value, breaks);
    out.complete = text.complete;
    if (layout.password)
        std::replace_if(
            text.bytes.begin(), text.bytes.end(), [](char ch) { return ch != '\n'; }, '*');

    c += "/Tx BMC\n";
    const double innerW = w - 2 * bw, innerH = h - 2 * bw;
    if (text.bytes.empty() || innerW <= 0 || innerH <= 0) {
        out.fontSize = layout.appearance.fontSize();
        out.content = c + "EMC\n";
        return out;
    }

    const double bodyHeight = (font.ascent - font.descent) / 1000.0;  // at size 1
    const double availW = std::max(innerW - 2 * HorizontalPadding, 1.0);
    const double availH = std::max(innerH - 2 * VerticalPadding, 1.0);
    double size = layout.appearance.fontSize();
    std::vector<std::string> lines;

    if (layout.multiline) {
        auto fits = [&](double s, const std::vector<std::string>& ls) {
            const double needed = (font.ascent - font.descent) / 1000.0 * s + (ls.size() - 1) * s * LineSpacing;
            return needed <= availH;
        };
        if (size <= 0) {
            size = MultilineAutoMin;
            for (double s = MultilineAutoMax; s >= MultilineAutoMin; s -= 0.5) {
                auto candidate = wrap(text.bytes, availW / s, font);
                if (fits(s, candidate)) {
                    size = s;
                    break;
                }
            }
        }
        lines = wrap(text.bytes, availW / size, font);
    } else if (layout.combCells > 0) {
        if (size <= 0) {
            // As tall as the box allows, as long as the widest character keeps inside its cell.
            const double cellW = w / layout.combCells;
            double widest = 0;
            for (unsigned char ch : text.bytes) widest = std::max(widest, font.widths[ch] / 1000.0);
            size = availH / bodyHeight;
            if (widest > 0) size = std::min(size, cellW / widest);
            size = std::max(size, SingleLineAutoMin);
            size = std::floor(size * 100) / 100;
        }
        lines.push_back(text.bytes);
    } else {
        if (size <= 0) {
            const double tw = textWidth(text.bytes, font);
            size = availH / bodyHeight;
            if (tw > 0) size = std::min(size, availW / tw);
            size = std::max(size, SingleLineAutoMin);
            size = std::floor(size * 100) / 100;
        }
        lines.push_back(text.bytes);
    }
    out.fontSize = size;

    c += "q " + formatNumber(bw) + " " + formatNumber(bw) + " " + formatNumber(innerW) + " " + formatNumber(innerH) +
         " re W n\nBT\n" + pdfName(layout.appearance.fontName().empty() ? "Helv" : layout.appearance.fontName()) + " " +
         formatNumber(size) + " Tf\n" + layout.appearance.colourOperators() + "\n";

    const double left = bw + HorizontalPadding;
    double y;
    if (layout.multiline) y = h - bw - VerticalPadding - font.ascent / 1000.0 * size;
    else y = (h - bodyHeight * size) / 2 - font.descent / 1000.0 * size;
    // A mark sits in the middle of its box, whatever alignment the field asks for.
    const int quadding = font.symbolic ? 1 : layout.quadding;
    if (layout.combCells > 0 && !layout.multiline) {
        // One character to a cell, from the left, each in the middle of its cell.
        const double cellW = w / layout.combCells;
        const std::string& line = lines.front();
        for (std::size_t k = 0; k < line.size() && k < static_cast<std::size_t>(layout.combCells); ++k) {
            const double cw = font.widths[static_cast<unsigned char>(line[k])] / 1000.0 * size;
            const double x = cellW * static_cast<double>(k) + (cellW - cw) / 2;
            if (line[k] != ' ')
                c += "1 0 0 1 " + formatNumber(x) + " " + formatNumber(y) + " Tm " +
                     literal(std::string_view(line).substr(k, 1)) + " Tj\n";
        }
        lines.clear();
    }
    for (const auto& line : lines) {
        const double tw = textWidth(line, font) * size;
        double x = left;
        if (tw <= availW || font.symbolic) {
            if (quadding == 1) x = (w - tw) / 2;
            else if (quadding == 2) x = w - bw - HorizontalPadding - tw;
        }
        if (!line.empty()) c += "1 0 0 1 " + formatNumber(x) + " " + formatNumber(y) + " Tm " + literal(line) + " Tj\n";
        y -= size * LineSpacing;
    }
    c += "ET\nQ\nEMC\n";
    out.content = std::move(c);
    return out;
}

bool writeTextAppearance(QPDF& pdf, QPDFObjectHandle widget, const TextLayout& layout, const ResolvedFont& font) {
    const WidgetBox box = WidgetBox::of(widget);
    if (!box.valid()) return true;  // a widget without a box shows nothing anyway
    AppearanceContent content = buildTextAppearance(box, layout, font);

    auto stream = pdf.newStream(content.content);
    auto dict = stream.getDict();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    dict.replaceKey(
        "/BBox", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                     QPDFObjectHandle::newInteger(0), QPDFObjectHandle::newInteger(0),
                     QPDFObjectHandle::newReal(box.width, 2, true), QPDFObjectHandle::newReal(box.height, 2, true)}));
    if (box.rotation != 0) {
        // The viewer fits the rotated box onto the annotation's rectangle.
        const int cosr = box.rotation == 180 ? -1 : (box.rotation == 0 ? 1 : 0);
        const int sinr = box.rotation == 90 ? 1 : (box.rotation == 270 ? -1 : 0);
        dict.replaceKey("/Matrix", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                       QPDFObjectHandle::newInteger(cosr), QPDFObjectHandle::newInteger(sinr),
                                       QPDFObjectHandle::newInteger(-sinr), QPDFObjectHandle::newInteger(cosr),
                                       QPDFObjectHandle::newInteger(0), QPDFObjectHandle::newInteger(0)}));
    }
    auto fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/" + (layout.appearance.fontName().empty() ? std::string("Helv") : layout.appearance.fontName()),
                     font.dict);
    auto resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);
    dict.replaceKey("/Resources", resources);

    // Only the normal appearance: a stale down or rollover one would show the old value.
    auto ap = QPDFObjectHandle::newDictionary();
    ap.replaceKey("/N", stream);
    widget.replaceKey("/AP", ap);
    return content.complete;
}

}  // namespace pdfauto
