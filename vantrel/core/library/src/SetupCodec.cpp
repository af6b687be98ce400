#include "SetupCodec.h"

#include <charconv>

namespace vantrel::library::codec {

void bindValues(sqlite::Statement& s, int firstIndex, const Setup& values) {
    for (std::size_t i = 0; i < SetupFieldCount; ++i) s.bind(firstIndex + int(i), values[i]);
}

Setup readValues(const sqlite::Statement& s, int firstColumn) {
    Setup values;
    for (std::size_t i = 0; i < SetupFieldCount; ++i) values[i] = s.text(firstColumn + int(i));
    return values;
}

std::string packValues(const Setup& values) {
    std::size_t size = 0;
    for (const std::string& v : values) size += v.size() + 8;
    std::string out;
    out.reserve(size);
    for (const std::string& v : values) {
        char length[24];
        const auto [end, error] = std::to_chars(std::begin(length), std::end(length), v.size());
        out.append(length, end).append(1, ':').append(v);
    }
    return out;
}

std::optional<Setup> unpackValues(std::string_view text) {
    Setup values;
    std::size_t at = 0;
    for (std::string& v : values) {
        std::size_t length = 0, digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 7) {
            length = length * 10 + std::size_t(text[at++] - '0');
            ++digits;
        }
        if (!digits || at >= text.size() || text[at] != ':' || text.size() - at - 1 < length) return std::nullopt;
        v.assign(text.substr(at + 1, length));
        at += 1 + length;
    }
    if (at != text.size()) return std::nullopt;
    return values;
}

}  // namespace vantrel::library::codec
