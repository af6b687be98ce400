#pragma once
// Identities of classes, interfaces and type libraries, written in registry
// form: {6BA374EC-654A-4B02-8449-ECFE1CECB16B}.

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace com {

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    std::array<uint8_t, 8> data4{};

    auto operator<=>(const Guid&) const = default;

    // Registry form with braces, upper-case hex digits.
    std::string toString() const;
    // Accepts the registry form, braces optional, either letter case.
    static std::optional<Guid> parse(std::string_view text);

    // For constants: Guid::of("{...}") at compile time; a malformed text
    // does not compile.
    static consteval Guid of(std::string_view text) {
        auto parsed = parseConstexpr(text);
        if (!parsed.second) throw "malformed GUID";
        return parsed.first;
    }

    static constexpr std::pair<Guid, bool> parseConstexpr(std::string_view t) {
        Guid g;
        if (t.size() == 38) {
            if (t.front() != '{' || t.back() != '}') return {g, false};
            t = t.substr(1, 36);
        }
        if (t.size() != 36 || t[8] != '-' || t[13] != '-' || t[18] != '-' || t[23] != '-') return {g, false};
        auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        auto take = [&](std::size_t pos, std::size_t digits, uint64_t& out) {
            out = 0;
            for (std::size_t i = 0; i < digits; ++i) {
                int v = hex(t[pos + i]);
                if (v < 0) return false;
                out = out * 16 + static_cast<uint64_t>(v);
            }
            return true;
        };
        uint64_t v = 0;
        if (!take(0, 8, v)) return {g, false};
        g.data1 = static_cast<uint32_t>(v);
        if (!take(9, 4, v)) return {g, false};
        g.data2 = static_cast<uint16_t>(v);
        if (!take(14, 4, v)) return {g, false};
        g.data3 = static_cast<uint16_t>(v);
        const std::size_t starts[8] = {19, 21, 24, 26, 28, 30, 32, 34};
        for (int i = 0; i < 8; ++i) {
            if (!take(starts[i], 2, v)) return {g, false};
            g.data4[static_cast<std::size_t>(i)] = static_cast<uint8_t>(v);
        }
        return {g, true};
    }
};

struct GuidHash {
    std::size_t operator()(const Guid& g) const noexcept;
};

}  // namespace com
