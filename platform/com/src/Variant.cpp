#include "platform/com/Variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/Error.h"
#include "platform/com/Dispatch.h"

namespace com {

namespace {

[[noreturn]] void typeMismatch() { platform::raise(platform::ErrTypeMismatch, {}); }
[[noreturn]] void overflow() { platform::raise(platform::ErrOverflow, {}); }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool equalsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// A number written as a late-bound caller writes it: blanks around, an
// optional sign, decimals with a point, an optional exponent, or &H / &O
// for hexadecimal and octal integers. Anything else is no number.
std::optional<double> parseNumber(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    if (s.empty()) return std::nullopt;
    if (s.size() > 2 && s[0] == '&') {
        const char kind = s[1];
        const int base = (kind == 'H' || kind == 'h') ? 16 : (kind == 'O' || kind == 'o') ? 8 : 0;
        if (base == 0) return std::nullopt;
        uint64_t value = 0;
        auto digits = s.substr(2);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
        if (ec != std::errc() || end != digits.data() + digits.size() || value > 0xFFFFFFFFull) return std::nullopt;
        // Up to four hex digits form a 16-bit value, more a 32-bit one; both signed.
        if (value <= 0xFFFF && digits.size() <= (base == 16 ? 4u : 6u))
            return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(value)));
        return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value)));
    }
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Digits or a point must come first: "inf" and "nan" are no numbers here.
    if (s.empty() || !((s.front() >= '0' && s.front() <= '9') || s.front() == '.')) return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (end != s.data() + s.size()) return std::nullopt;
    if (ec == std::errc::result_out_of_range) return negative ? -HUGE_VAL : HUGE_VAL;
    if (ec != std::errc()) return std::nullopt;
    return negative ? -value : value;
}

// Rounds half to even, the way integer conversions of the component world do.
double roundHalfEven(double v) {
    double r = std::round(v);
    if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
    return r;
}

template <class Int>
Int toInteger(double v) {
    if (std::isnan(v)) overflow();
    const double r = roundHalfEven(v);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        overflow();
    return static_cast<Int>(r);
}

std::string formatReal(double v, int precision) {
    if (v == 0) return "0";
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, precision);
    if (ec != std::errc()) return {};
    std::string text(buffer, end);
    for (char& c : text) {
        if (c == 'e') c = 'E';
    }
    if (text == "inf") return "1.#INF";
    if (text == "-inf") return "-1.#INF";
    return text;
}

}  // namespace

Variant::Variant(ComPtr<IDispatch> v) : m_v(std::move(v)) {}
Variant::Variant(ComPtr<IUnknown> v) : m_v(std::move(v)) {}

Variant Variant::missing() {
    Variant v;
    v.m_v = MissingTag{};
    return v;
}

VarType Variant::type() const {
    switch (m_v.index()) {
    case 0: return VarType::Empty;
    case 1: return VarType::I2;
    case 2: return VarType::I4;
    case 3: return VarType::R4;
    case 4: return VarType::R8;
    case 5: return VarType::String;
    case 6: return VarType::Dispatch;
    case 7: return VarType::Missing;
    case 8: return VarType::Bool;
    default: return VarType::Unknown;
    }
}

double Variant::toDouble() const {
    switch (type()) {
    case VarType::Empty: return 0;
    case VarType::I2: return std::get<int16_t>(m_v);
    case VarType::I4: return std::get<int32_t>(m_v);
    case VarType::R4: return std::get<float>(m_v);
    case VarType::R8: return std::get<double>(m_v);
    case VarType::Bool: return std::get<bool>(m_v) ? -1 : 0;
    case VarType::String: {
        auto n = parseNumber(std::get<std::string>(m_v));
        if (!n) typeMismatch();
        return *n;
    }
    default: typeMismatch();
    }
}

float Variant::toFloat() const {
    if (type() == VarType::R4) return std::get<float>(m_v);
    const double v = toDouble();
    if (std::isfinite(v) && std::fabs(v) > std::numeric_limits<float>::max()) overflow();
    return static_cast<float>(v);
}

int16_t Variant::toInt16() const {
    if (type() == VarType::I2) return std::get<int16_t>(m_v);
    return toInteger<int16_t>(toDouble());
}

int32_t Variant::toInt32() const {
    if (type() == VarType::I4) return std::get<int32_t>(m_v);
    return toInteger<int32_t>(toDouble());
}

bool Variant::toBool() const {
    if (type() == VarType::Bool) return std::get<bool>(m_v);
    if (type() == VarType::String) {
        const auto& s = std::get<std::string>(m_v);
        std::string_view t = s;
        while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
        while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
        if (equalsAsciiNoCase(t, "True")) return true;
        if (equalsAsciiNoCase(t, "False")) return false;
    }
    return toDouble() != 0;
}

std::string Variant::toString() const {
    switch (type()) {
    case VarType::Empty: return {};
    case VarType::I2: return std::to_string(std::get<int16_t>(m_v));
    case VarType::I4: return std::to_string(std::get<int32_t>(m_v));
    case VarType::R4: return formatReal(std::get<float>(m_v), 7);
    case VarType::R8: return formatReal(std::get<double>(m_v), 15);
    case VarType::String: return std::get<std::string>(m_v);
    case VarType::Bool: return std::get<bool>(m_v) ? "True" : "False";
    default: typeMismatch();
    }
}

ComPtr<IDispatch> Variant::toDispatch() const {
    switch (type()) {
    case VarType::Empty: return {};
    case VarType::Dispatch: return std::get<ComPtr<IDispatch>>(m_v);
    case VarType::Unknown: {
        const auto& unknown = std::get<ComPtr<IUnknown>>(m_v);
        if (!unknown) return {};
        auto dispatch = unknown.as<IDispatch>(IID_IDispatch);
        if (!dispatch) typeMismatch();
        return dispatch;
    }
    default: typeMismatch();
    }
}

ComPtr<IUnknown> Variant::toUnknown() const {
    switch (type()) {
    case VarType::Empty: return {};
    case VarType::Unknown: return std::get<ComPtr<IUnknown>>(m_v);
    case VarType::Dispatch: return ComPtr<IUnknown>(std::get<ComPtr<IDispatch>>(m_v).get());
    default: typeMismatch();
    }
}

}  // namespace com
