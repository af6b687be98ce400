#include "platform/com/Guid.h"

#include <cstdio>
#include <functional>

namespace com {

std::string Guid::toString() const {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", data1, data2, data3,
                  data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
    return text;
}

std::optional<Guid> Guid::parse(std::string_view text) {
    auto [guid, ok] = parseConstexpr(text);
    if (!ok) return std::nullopt;
    return guid;
}

std::size_t GuidHash::operator()(const Guid& g) const noexcept {
    uint64_t high = (uint64_t{g.data1} << 32) | (uint64_t{g.data2} << 16) | g.data3;
    uint64_t low = 0;
    for (uint8_t b : g.data4) low = (low << 8) | b;
    return std::hash<uint64_t>{}(high ^ (low * 0x9E3779B97F4A7C15ull));
}

}  // namespace com
