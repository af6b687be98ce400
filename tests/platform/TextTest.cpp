#include <gtest/gtest.h>

#include "platform/Text.h"

using namespace platform::text;

namespace {

TEST(TextTest, Utf8Validation) {
    const struct {
        std::string bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"plain ASCII", true},
        {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8F\x81", true},
        {"Caf\xE9", false},           // Windows-1252 é
        {"\xC3", false},              // cut short
        {"\xE2\x82", false},          // cut short
        {"\xC0\x80", false},          // overlong NUL
        {"\xE0\x80\xAF", false},      // overlong "/"
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\x80", false},  // stray continuation byte
    };
    for (const auto& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(TextTest, Windows1252Decoding) {
    EXPECT_EQ(fromWindows1252("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(fromWindows1252("\x80 \x9F \xA0\xFF"), "\xE2\x82\xAC \xC5\xB8 \xC2\xA0\xC3\xBF");
    EXPECT_EQ(fromWindows1252("\x93quoted\x94"), "\xE2\x80\x9Cquoted\xE2\x80\x9D");
    // Unassigned bytes keep their C1 code points rather than vanishing.
    EXPECT_EQ(fromWindows1252("\x81\x9D"), "\xC2\x81\xC2\x9D");
    // decode8Bit leaves valid UTF-8 alone and decodes the rest.
    EXPECT_EQ(decode8Bit("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(decode8Bit("Caf\xE9"), "Caf\xC3\xA9");
}

TEST(TextTest, CountingAndCuttingByCharacter) {
    const std::string euro = "\xE2\x82\xAC";
    const std::string s = "a" + euro + "b" + euro;  // 4 characters, 8 bytes
    EXPECT_EQ(charCount(s), 4u);
    EXPECT_EQ(leftChars(s, 0), "");
    EXPECT_EQ(leftChars(s, 2), "a" + euro);
    EXPECT_EQ(leftChars(s, 3), "a" + euro + "b");
    EXPECT_EQ(leftChars(s, 10), s);

    const struct {
        std::size_t maxBytes;
        std::string expected;
    } cuts[] = {{0, ""}, {1, "a"}, {2, "a"}, {3, "a"}, {4, "a" + euro}, {5, "a" + euro + "b"}, {7, "a" + euro + "b"},
                {8, s},  {100, s}};
    for (const auto& c : cuts) EXPECT_EQ(cutToBytes(s, c.maxBytes), c.expected) << c.maxBytes;
}

TEST(TextTest, CaseFoldingCoversAsciiAndLatin1Letters) {
    EXPECT_EQ(toLower("DataDirectory"), "datadirectory");
    EXPECT_EQ(toLower("\xC3\x89T\xC3\x89"), "\xC3\xA9t\xC3\xA9");  // ÉTÉ
    EXPECT_EQ(toLower("\xC3\x97"), "\xC3\x97");                    // × is no letter
    EXPECT_EQ(toLower("\xC3\x9F"), "\xC3\x9F");                    // ß has no capital here
    EXPECT_TRUE(equalsIgnoreCase("SetupData", "setupdata"));
    EXPECT_TRUE(equalsIgnoreCase("Caf\xC3\x89", "CAF\xC3\xA9"));
    EXPECT_FALSE(equalsIgnoreCase("SetupData", "SetupDat"));
    EXPECT_FALSE(equalsIgnoreCase("Setup[", "Setup{"));  // '[' and '{' are 32 apart but no letters
}

}  // namespace
