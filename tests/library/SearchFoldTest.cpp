#include <gtest/gtest.h>

#include "library/SearchFold.h"
#include "platform/Text.h"

using vantrel::library::foldForSearch;

TEST(SearchFold, FoldsCaseAndAccentsToBaseLetters) {
    const std::pair<const char*, const char*> cases[] = {
        {"ABC xyz 09", "abc xyz 09"},
        {"ÀÁÂÃÄÅ", "aaaaaa"},
        {"àáâãäå", "aaaaaa"},
        {"Æ æ", "ae ae"},
        {"Çç", "cc"},
        {"ÈÉÊËèéêë", "eeeeeeee"},
        {"ÌÍÎÏìíîï", "iiiiiiii"},
        {"Ññ", "nn"},
        {"ÒÓÔÕÖØòóôõöø", "oooooooooooo"},
        {"ÙÚÛÜùúûü", "uuuuuuuu"},
        {"Ýýÿ", "yyy"},
        {"ß", "ss"},
        {"Þþ", "thth"},
        {"Ðð", "dd"},
        {"Łódź", "lodz"},
        {"Œuvre", "oeuvre"},
        {"Ĳssel", "ijssel"},
        {"Šťěř", "ster"},
        {"İı", "ii"},
        {"ſ", "s"},
        {"3 × 4 ÷ 2", "3 × 4 ÷ 2"},
        {"Ωμέγα", "Ωμέγα"},
        {"caf\xE9", "cafe"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(foldForSearch(in), out) << in;
}

TEST(SearchFold, EveryLatinLetterFoldsToLowerCaseAsciiLetters) {
    for (char32_t c = 0xC0; c <= 0x17F; ++c) {
        if (c == 0xD7 || c == 0xF7) continue;  // × and ÷ are signs, not letters
        const std::string folded = foldForSearch(platform::text::fromUtf32(std::u32string(1, c)));
        EXPECT_FALSE(folded.empty()) << std::hex << unsigned(c);
        for (const char l : folded) EXPECT_TRUE(l >= 'a' && l <= 'z') << std::hex << unsigned(c) << " gives " << folded;
    }
}
