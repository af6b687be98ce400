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

TEST(TextTest, PrintableEscapesWhatCouldBreakALineOrDriveATerminal) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"Driver A_SetupSheet_RDX.pdf", "Driver A_SetupSheet_RDX.pdf"},
        {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8F\x81", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8F\x81"},
        {"evil\x1b]0;PWNED\a\x1b[2J.pdf", "evil\\x1b]0;PWNED\\x07\\x1b[2J.pdf"},
        {"nl\nAdded: 999\r\t.pdf", "nl\\nAdded: 999\\r\\t.pdf"},
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"del\x7f", "del\\x7f"},
        {"c1 \xC2\x9B", "c1 \\x9b"},  // CSI as a C1 character
        {"rtl \xE2\x80\xAE"
         "fdp.exe",
         "rtl \\u202efdp.exe"},  // direction override
        {"ls \xE2\x80\xA8", "ls \\u2028"},
        {"Caf\xE9", "Caf\\xe9"},                                  // not UTF-8: shown as such
        {"\xC0\x80 \xED\xA0\x80", "\\xc0\\x80 \\xed\\xa0\\x80"},  // overlong, surrogate
        {"C:\\Program Files", "C:\\Program Files"},               // a backslash stays
    };
    for (const auto& c : cases) EXPECT_EQ(printable(c.in), c.out) << c.in;
}

TEST(TextTest, PrintableGivesOneLineOfValidUtf8ForAnyBytesAndIsStable) {
    std::uint32_t state = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(std::size_t(round % 40), '\0');
        for (char& c : bytes) {
            state = state * 1664525u + 1013904223u;
            c = char(state >> 24);
        }
        const std::string shown = printable(bytes);
        EXPECT_TRUE(isValidUtf8(shown)) << round;
        for (unsigned char c : shown) EXPECT_FALSE(c < 0x20 || c == 0x7F) << round;
        EXPECT_EQ(printable(shown), shown) << "printing twice changes nothing";
    }
}

}  // namespace
