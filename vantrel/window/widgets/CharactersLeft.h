#pragma once
// A text box holds at most as many bytes as the raw data file keeps; at the
// limit typing stops. So that it does not stop without a sign, the box shows
// how many characters are left once the racer comes near it.

#include <functional>

class QLineEdit;
class QPlainTextEdit;

namespace vantrel::textlimit {

// Within this many characters of the limit the box says how many are left.
inline constexpr int NearLimit = 30;

// The sign is a label "12 characters left" inside the box at its right
// edge, a child named "lblCharactersLeft", kept clear of the text.
// Characters are counted as the limit counts them, in UTF-8 bytes.
void showCharactersLeft(QLineEdit* box, int maxBytes);

// A tall box: the sign in its lower right corner. charactersLeft says how
// many are left; reserveBelow(pixels) keeps the box's lines above the sign
// (0: nothing to keep clear).
void showCharactersLeft(QPlainTextEdit* box, std::function<int()> charactersLeft,
                        std::function<void(int)> reserveBelow);

}  // namespace vantrel::textlimit
