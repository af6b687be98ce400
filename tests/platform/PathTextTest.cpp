#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "platform/FolderWalk.h"
#include "platform/NewFile.h"
#include "platform/PathParts.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using namespace platform::paths;

// A name a racer's folder or sheet may have: letters of any script, accents
// composed and combining, an emoji, blanks and dots inside.
std::string generatedName(std::mt19937& random) {
    static const char32_t kPicks[] = {U'a',  U'Z',      U'7',      U' ', U'-', U'_',          U'é',
                                      U'ë',  U'ß',      U'Å',      U'ø', U'Ł', U'ğ',          U'Ω',
                                      U'ж',  U'ש',      U'ت',      U'क', U'ไ', U'日',         U'本',
                                      U'한', U'\u0301', U'\u00A0', U'€', U'…', U'\U0001F3CE', U'\U0001F600'};
    std::uniform_int_distribution<std::size_t> length(1, 12), pick(0, std::size(kPicks) - 1);
    std::u32string name = U"n";
    for (std::size_t i = length(random); i > 0; --i) name += kPicks[pick(random)];
    return platform::text::fromUtf32(name + U"x");
}

class PathTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        m_folder = fs::temp_directory_path() / ("vantrel-pathtext-" + std::to_string(seed()));
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }
    std::string folder() const { return textOf(m_folder); }

private:
    fs::path m_folder;
};

// A file made by the platform's own calls under a name of any script is the
// file the standard library finds by pathOf, and lists by textOf, and its
// parts read back as they were written.
TEST_F(PathTextTest, ANameOfAnyScriptNamesOneFileEitherWay) {
    std::mt19937 random(2026);
    std::set<std::string> made;
    for (int i = 0; i < 60; ++i) {
        const std::string name = generatedName(random) + (i % 2 ? ".pdf" : ".v run.dat");
        SCOPED_TRACE(name);
        const std::string path = joined(folder(), name);
        ASSERT_EQ(platform::files::writeNewFile(path, name), 0);
        made.insert(name);

        EXPECT_EQ(textOf(pathOf(path)), path);
        EXPECT_TRUE(fs::is_regular_file(pathOf(path)));
        EXPECT_EQ(fileNameOf(path), name);
        EXPECT_EQ(folderOf(path), folder());
        EXPECT_EQ(stemOf(path) + extensionOf(path), name);
        EXPECT_EQ(extensionOf(path), i % 2 ? ".pdf" : ".dat");
        EXPECT_EQ(appended(folder(), name), path);
    }
    std::set<std::string> listed;
    for (const auto& entry : fs::directory_iterator(pathOf(folder()))) listed.insert(textOf(entry.path().filename()));
    EXPECT_EQ(listed, made);
    const auto names = platform::files::namesIn(folder());
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), made);
}

TEST_F(PathTextTest, TheStandardLibrarysFoldersReadBackAsText) {
    const struct {
        std::string folder, name;
    } cases[] = {
        {"Zoë", "Zoë_SetupSheet_RDX.pdf"},
        {"Jürgen Weiß", "Run 1a2b.vrun"},
        {"日本 チーム", "練習.pdf"},
        {"plain", "plain.pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder + "/" + c.name);
        fs::create_directories(pathOf(folder()) / pathOf(c.folder));
        const std::string inside = joined(joined(folder(), c.folder), c.name);
        ASSERT_EQ(platform::files::writeNewFile(inside, "x"), 0);
        const fs::path found = fs::directory_iterator(pathOf(joined(folder(), c.folder)))->path();
        EXPECT_EQ(textOf(found), inside);
        EXPECT_EQ(textOf(found.lexically_relative(pathOf(folder()))), joined(c.folder, c.name));
    }
}

// Bytes that are not UTF-8 (a name written by another system) still make a
// path, as the standard library makes one, rather than stopping the program.
TEST(PathText, BytesThatAreNotUtf8StillMakeAPath) {
    for (const std::string& bytes : {std::string("caf\xe9"), std::string("\xff\xfe"), std::string("a\xc3")}) {
        EXPECT_NO_THROW((void)pathOf(bytes));
        EXPECT_FALSE(pathOf(bytes).empty());
    }
}

}  // namespace
