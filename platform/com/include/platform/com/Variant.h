#pragma once
// The values that late-bound calls carry: empty, boolean, 16- and 32-bit
// integers, single and double precision, string, object, and "missing" for an
// optional argument left out.

#include <cstdint>
#include <string>
#include <variant>

#include "platform/com/Unknown.h"

namespace com {

class IDispatch;

enum class VarType : uint16_t {
    Empty = 0,
    I2 = 2,
    I4 = 3,
    R4 = 4,
    R8 = 5,
    String = 8,
    Dispatch = 9,
    Missing = 10,  // an optional argument the caller left out
    Bool = 11,
    Unknown = 13,
};

class Variant {
public:
    Variant() = default;
    Variant(bool v) : m_v(v) {}
    Variant(int16_t v) : m_v(v) {}
    Variant(int32_t v) : m_v(v) {}
    Variant(float v) : m_v(v) {}
    Variant(double v) : m_v(v) {}
    Variant(std::string v) : m_v(std::move(v)) {}
    Variant(const char* v) : m_v(std::string(v)) {}
    Variant(ComPtr<IDispatch> v);
    Variant(ComPtr<IUnknown> v);

    static Variant missing();

    VarType type() const;
    bool isEmpty() const { return type() == VarType::Empty; }
    bool isMissing() const { return type() == VarType::Missing; }

    // Conversions as a late-bound caller expects them. A value that cannot be
    // converted raises platform::Error 13 ("Type mismatch"); an integer out of
    // range raises 6 ("Overflow"). Numbers round half to even.
    bool toBool() const;
    int16_t toInt16() const;
    int32_t toInt32() const;
    float toFloat() const;
    double toDouble() const;
    std::string toString() const;          // empty gives "", booleans "True"/"False"
    ComPtr<IDispatch> toDispatch() const;  // empty pointer for Empty
    ComPtr<IUnknown> toUnknown() const;

    // Exact access, no conversion; the type must match.
    template <class T>
    const T& get() const {
        return std::get<T>(m_v);
    }

private:
    struct MissingTag {
        bool operator==(const MissingTag&) const = default;
    };
    std::variant<std::monostate, int16_t, int32_t, float, double, std::string, ComPtr<IDispatch>, MissingTag, bool,
                 ComPtr<IUnknown>>
        m_v;
};

}  // namespace com
