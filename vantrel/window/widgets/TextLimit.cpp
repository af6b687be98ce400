#include "TextLimit.h"

namespace vantrel::textlimit {

QString cutToBytes(const QString& text, int maxBytes) {
    if (text.toUtf8().size() <= maxBytes) return text;
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char32_t code = text.at(i).isHighSurrogate() && i + 1 < text.size()
                                  ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                                  : text.at(i).unicode();
        const int width = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (bytes + width > maxBytes) break;
        bytes += width;
        i += code >= 0x10000 ? 2 : 1;
    }
    return text.left(i);
}

QValidator::State ByteLimitValidator::validate(QString& input, int&) const {
    return input.toUtf8().size() <= m_maxBytes ? Acceptable : Invalid;
}

void ByteLimitValidator::fixup(QString& input) const { input = cutToBytes(input, m_maxBytes); }

}  // namespace vantrel::textlimit
