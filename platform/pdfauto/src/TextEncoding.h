#pragma once
// Field values are UTF-8; the standard fonts draw single bytes. Text fonts
// take WinAnsiEncoding, the symbol fonts their own codes, which a value
// names by the ASCII letters ("l" is ZapfDingbats' filled circle).

#include <string>
#include <string_view>

namespace pdfauto {

struct EncodedText {
    std::string bytes;     // "\n" separates lines when they were kept
    bool complete = true;  // false when some character had no code and was left out
};

enum class LineBreaks { Keep, AsBlanks };

EncodedText encodeWinAnsi(std::string_view utf8, LineBreaks breaks);
EncodedText encodeSymbolic(std::string_view utf8, LineBreaks breaks);

}  // namespace pdfauto
