#pragma once
// The core's text is UTF-8 in std::string; the windows show QString. One
// conversion for every window, byte for byte (QString::fromStdString would do
// the same, but not for a string_view).

#include <QString>
#include <string_view>

namespace vantrel {

inline QString fromStd(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace vantrel
