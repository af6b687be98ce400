// Conversions of late-bound values, as the members of dual interfaces
// receive them.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/Error.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

namespace {

using com::Variant;

int errorNumberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const platform::Error& e) {
        return e.number();
    }
    return 0;
}

TEST(Variant, ToIntegerRoundsHalfToEvenAndParsesNumericText) {
    struct Case {
        Variant value;
        int16_t expected;
    };
    const Case cases[] = {
        {2.5, 2},     {3.5, 4},          {-2.5, -2},         {-3.5, -4}, {2.4999, 2},    {0.5, 0},
        {1.5f, 2},    {int32_t(-7), -7}, {true, -1},         {false, 0}, {Variant(), 0}, {"  12 ", 12},
        {"-3", -3},   {"+4.5", 4},       {"1e2", 100},       {".5", 0},  {"&H10", 16},   {"&HFFFF", -1},
        {"&o17", 15}, {32767.4, 32767},  {-32768.0, -32768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.type() == com::VarType::String ? c.value.toString() : std::to_string(c.expected));
        EXPECT_EQ(c.value.toInt16(), c.expected);
        EXPECT_EQ(c.value.toInt32(), c.expected);
    }
    EXPECT_EQ(Variant(2147483647.0).toInt32(), 2147483647);
    EXPECT_EQ(Variant("&H10000").toInt32(), 65536);
}

TEST(Variant, ConversionFailuresRaiseOverflowOrTypeMismatch) {
    struct Case {
        const char* what;
        std::function<void()> convert;
        int number;
    };
    const Case cases[] = {
        {"half above the 16-bit range", [] { Variant(32767.5).toInt16(); }, 6},
        {"32-bit into 16-bit", [] { Variant(int32_t(40000)).toInt16(); }, 6},
        {"text beyond 16 bits", [] { Variant("-32769").toInt16(); }, 6},
        {"beyond 32 bits", [] { Variant(2147483647.5).toInt32(); }, 6},
        {"huge text", [] { Variant("1e400").toInt32(); }, 6},
        {"not a number", [] { Variant(std::nan("")).toInt32(); }, 6},
        {"beyond single precision", [] { Variant(1e300).toFloat(); }, 6},
        {"words", [] { Variant("abc").toInt16(); }, 13},
        {"empty text", [] { Variant("").toInt32(); }, 13},
        {"nan text", [] { Variant("nan").toDouble(); }, 13},
        {"comma decimals", [] { Variant("1,5").toDouble(); }, 13},
        {"two signs", [] { Variant("--1").toDouble(); }, 13},
        {"trailing junk", [] { Variant("12abc").toInt16(); }, 13},
        {"missing argument", [] { Variant::missing().toString(); }, 13},
        {"text as object", [] { Variant("x").toDispatch(); }, 13},
        {"number as object", [] { Variant(int16_t(1)).toUnknown(); }, 13},
        {"yes as boolean", [] { Variant("yes").toBool(); }, 13},
    };
    for (const auto& c : cases) EXPECT_EQ(errorNumberOf(c.convert), c.number) << c.what;
}

TEST(Variant, ToStringWritesNumbersAndBooleansAsLateBoundCallersDo) {
    struct Case {
        Variant value;
        std::string expected;
    };
    const Case cases[] = {
        {Variant(), ""},
        {true, "True"},
        {false, "False"},
        {int16_t(-5), "-5"},
        {int32_t(70000), "70000"},
        {0.1, "0.1"},
        {2.5, "2.5"},
        {1e20, "1E+20"},
        {1.0 / 3, "0.333333333333333"},
        {2.5f, "2.5"},
        {0.0, "0"},
        {-0.0, "0"},
        {100.0, "100"},
        {"as is", "as is"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.value.toString(), c.expected);
}

TEST(Variant, ToBoolAndToDouble) {
    EXPECT_TRUE(Variant(" true ").toBool());
    EXPECT_FALSE(Variant("FALSE").toBool());
    EXPECT_FALSE(Variant("0").toBool());
    EXPECT_TRUE(Variant("-2").toBool());
    EXPECT_FALSE(Variant().toBool());
    EXPECT_TRUE(Variant(0.25).toBool());
    EXPECT_DOUBLE_EQ(Variant("  -1.25e1 ").toDouble(), -12.5);
    EXPECT_DOUBLE_EQ(Variant(true).toDouble(), -1.0);
    EXPECT_FLOAT_EQ(Variant("0.5").toFloat(), 0.5f);
}

TEST(Variant, TypesAndObjects) {
    EXPECT_EQ(Variant().type(), com::VarType::Empty);
    EXPECT_EQ(Variant::missing().type(), com::VarType::Missing);
    EXPECT_TRUE(Variant::missing().isMissing());
    EXPECT_EQ(Variant(int16_t(1)).type(), com::VarType::I2);
    EXPECT_EQ(Variant(1).type(), com::VarType::I4);
    EXPECT_EQ(Variant(1.0f).type(), com::VarType::R4);
    EXPECT_EQ(Variant(1.0).type(), com::VarType::R8);
    EXPECT_EQ(Variant("x").type(), com::VarType::String);
    EXPECT_EQ(Variant(true).type(), com::VarType::Bool);
    EXPECT_EQ(Variant(com::ComPtr<com::IDispatch>()).type(), com::VarType::Dispatch);
    EXPECT_EQ(Variant(com::ComPtr<com::IUnknown>()).type(), com::VarType::Unknown);
    // Empty and Nothing convert to an empty object reference.
    EXPECT_FALSE(Variant().toDispatch());
    EXPECT_FALSE(Variant(com::ComPtr<com::IUnknown>()).toDispatch());
}

}  // namespace
