#include "FormFieldMap.h"

#include <charconv>
#include <string_view>

#include "CDataBuilder.h"
#include "platform/Files.h"

namespace vantrel {

namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

}  // namespace

SheetLayout rdxLayout() {
    SheetLayout layout;
    layout.reserve(SheetFieldCount);
    for (std::size_t i = 0; i < SheetFieldCount; ++i) layout.push_back({i, "fld" + std::string(SheetFieldNames[i])});
    return layout;
}

std::optional<SheetLayout> readMappingFile(const std::string& nativePath) {
    std::string bytes;
    if (platform::files::readUserFile(nativePath, bytes).status != platform::files::OpenStatus::Opened)
        return std::nullopt;
    SheetLayout layout;
    std::string_view rest(bytes);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view left = trimBlanks(line.substr(0, eq));
        const std::string_view right = trimBlanks(line.substr(eq + 1));
        int position = 0;
        const auto [ptr, ec] = std::from_chars(left.data(), left.data() + left.size(), position);
        if (ec != std::errc() || ptr != left.data() + left.size() || position < 1 || position > int(SheetFieldCount) ||
            right.empty())
            continue;
        layout.push_back({std::size_t(position - 1), std::string(right)});
    }
    return layout;
}

std::size_t characterCount(const std::string& utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string firstCharacters(const std::string& utf8, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t k = 0; k < utf8.size(); ++k)
        if ((static_cast<unsigned char>(utf8[k]) & 0xC0) != 0x80 && seen++ == count) return utf8.substr(0, k);
    return utf8;
}

}  // namespace vantrel
