#include "TextEncoding.h"

#include <cstdint>

namespace pdfauto {

namespace {

constexpr char32_t Invalid = 0xFFFD;

// Decodes one character; malformed input gives Invalid and moves on by one byte.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        ++i;
        return Invalid;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return Invalid;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return Invalid;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return Invalid;
    return cp;
}

// Windows-1252 codes 0x80 to 0x9F; 0 where WinAnsiEncoding has no character.
constexpr char32_t High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

int winAnsiCode(char32_t cp) {
    if ((cp >= 0x20 && cp <= 0x7E) || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int k = 0; k < 32; ++k)
        if (High[k] != 0 && High[k] == cp) return 0x80 + k;
    return -1;
}

template <class CodeOf>
EncodedText encode(std::string_view utf8, LineBreaks breaks, CodeOf codeOf) {
    EncodedText out;
    out.bytes.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = nextCodePoint(utf8, i);
        if (cp == '\r' || cp == '\n' || cp == 0x2028 || cp == 0x2029) {
            if (cp == '\r' && i < utf8.size() && utf8[i] == '\n') ++i;
            out.bytes += breaks == LineBreaks::Keep ? '\n' : ' ';
            continue;
        }
        if (cp == '\t') cp = ' ';
        const int code = codeOf(cp);
        if (code < 0) {
            out.complete = false;
            continue;
        }
        out.bytes += static_cast<char>(code);
    }
    return out;
}

}  // namespace

EncodedText encodeWinAnsi(std::string_view utf8, LineBreaks breaks) { return encode(utf8, breaks, winAnsiCode); }

EncodedText encodeSymbolic(std::string_view utf8, LineBreaks breaks) {
    return encode(utf8, breaks, [](char32_t cp) { return cp >= 0x20 && cp <= 0x7E ? static_cast<int>(cp) : -1; });
}

}  // namespace pdfauto
