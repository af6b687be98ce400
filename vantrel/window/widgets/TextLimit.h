#pragma once
// The raw data file keeps at most MaxValueBytes bytes of a value, so every box whose
// text goes into it is held to that: a longer text can not be typed, rather
// than being cut without a word when the file is read back.

#include <QString>
#include <QValidator>

#include "CAppSettings.h"

namespace vantrel::textlimit {

inline constexpr int MaxValueBytes = int(vantrel::MaxValueBytes);

// The longest start of text that takes at most maxBytes bytes in UTF-8,
// never cutting a character (or a surrogate pair) in two.
QString cutToBytes(const QString& text, int maxBytes);

// Accepts a text only while it takes at most maxBytes bytes in UTF-8.
class ByteLimitValidator : public QValidator {
    Q_OBJECT
public:
    explicit ByteLimitValidator(int maxBytes, QObject* parent = nullptr) : QValidator(parent), m_maxBytes(maxBytes) {}
    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    int m_maxBytes;
};

}  // namespace vantrel::textlimit
