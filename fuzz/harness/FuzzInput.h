#pragma once
// Takes an input apart into the few arguments a harness needs and the bytes
// of the file it reads. Short inputs give empty parts, never an error.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzzharness {

class FuzzInput {
public:
    explicit FuzzInput(std::string_view bytes) : m_rest(bytes) {}

    // A text of at most maxLength bytes: a length byte, then the bytes.
    std::string text(std::size_t maxLength) {
        const std::size_t length = std::min<std::size_t>(byte(), maxLength);
        const std::string out(m_rest.substr(0, length));
        m_rest.remove_prefix(std::min(length, m_rest.size()));
        return out;
    }
    // A whole number from two bytes, little end first.
    int16_t number() {
        const unsigned low = byte();
        const unsigned high = byte();
        return static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
    }
    unsigned byte() {
        if (m_rest.empty()) return 0;
        const auto b = static_cast<unsigned char>(m_rest.front());
        m_rest.remove_prefix(1);
        return b;
    }
    std::string_view rest() const { return m_rest; }

private:
    std::string_view m_rest;
};

}  // namespace fuzzharness
