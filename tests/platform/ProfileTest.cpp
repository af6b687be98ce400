#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <fstream>

#include "TempProgramFolder.h"
#include "platform/Profile.h"

namespace fs = std::filesystem;
using namespace platform::profile;
using testsupport::TempProgramFolder;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    // The system path of a file in the temporary folder, with backslashes.
    std::string sysPath(const std::string& name) const { return dir.str() + "\\" + name; }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempProgramFolder dir;
};

TEST_F(ProfileTest, ReadsEntriesTheWayHandEditedFilesNeed) {
    dir.write("a.ini",
              "; leading comment\r\n"
              "[Vantrel]\r\n"
              "  DataDirectory  =  Data  \r\n"
              "Quoted=\"a b\"\r\n"
              "Single=' x '\r\n"
              "Mismatch=\"x'\r\n"
              "Lone=\"\r\n"
              "Empty=\r\n"
              "Inner=a=b\r\n"
              ";Hidden=1\r\n"
              "NoEquals\r\n"
              "[Other]\n"
              "Key=lf\r"
              "CrKey=cr\r\n"
              "\t[ Spaced Name ] trailing\r\n"
              "k=v");
    const struct {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"Vantrel", "DataDirectory", "Data"},
        {"VANTREL", "datadirectory", "Data"},
        {"Vantrel", "Quoted", "a b"},
        {"Vantrel", "Single", " x "},
        {"Vantrel", "Mismatch", "\"x'"},
        {"Vantrel", "Lone", "\""},
        {"Vantrel", "Empty", ""},
        {"Vantrel", "Inner", "a=b"},
        {"Vantrel", "Hidden", "dflt"},
        {"Vantrel", ";Hidden", "dflt"},
        {"Vantrel", "NoEquals", "dflt"},
        {"Vantrel", "Key", "dflt"},
        {"Other", "Key", "lf"},
        {"Other", "CrKey", "cr"},
        {"spaced name", "K", "v"},
        {"Missing", "DataDirectory", "dflt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(readEntry(sysPath("a.ini"), c.section, c.key, "dflt"), c.expected);
    }
}

TEST_F(ProfileTest, FirstMatchWinsAndByteOrderMarkIsSkipped) {
    dir.write("a.ini", "\xEF\xBB\xBF[S]\r\nK=first\r\n[T]\r\nK=t\r\n[s]\r\nK=second\r\nL=late\r\n");
    EXPECT_EQ(readEntry(sysPath("a.ini"), "S", "K"), "first");
    EXPECT_EQ(readEntry(sysPath("a.ini"), "S", "L"), "late");
}

TEST_F(ProfileTest, MissingFileOrFolderGivesTheDefault) {
    EXPECT_EQ(readEntry(sysPath("none.ini"), "S", "K", "dflt"), "dflt");
    EXPECT_EQ(readEntry(sysPath("nofolder\\none.ini"), "S", "K"), "");
    fs::create_directory(dir.path() / "folder.ini");
    EXPECT_EQ(readEntry(sysPath("folder.ini"), "S", "K", "dflt"), "dflt");
}

TEST_F(ProfileTest, HasSectionTellsASettingsFileFromAFileOfAnotherKind) {
    struct Case {
        const char* bytes;
        bool has;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF [ setupdata ] \r\nDriverName=Jo\r\n", true},
        {"[Other]\r\nK=v\r\n[SetupData]", true},  // empty, last, no line end
        {"; [SetupData]\r\nSetupData=1\r\n", false},
        {"%PDF-1.7\n\xFF\r[Setup Data]\n", false},
        {"", false},
    };
    for (const Case& c : cases) {
        dir.write("a.ini", c.bytes);
        EXPECT_EQ(hasSection(sysPath("a.ini"), "SetupData"), c.has) << c.bytes;
    }
    EXPECT_FALSE(hasSection(sysPath("none.ini"), "SetupData"));
}

TEST_F(ProfileTest, ValuesAreCutToTheBufferOnAWholeCharacter) {
    const std::string euro = "\xE2\x82\xAC";
    const std::string longAscii(300, 'x');
    const std::string multibyteAtEdge = std::string(252, 'a') + euro;  // bytes 253..255 are one character
    dir.write("a.ini", "[S]\r\nLong=" + longAscii + "\r\nEdge=" + multibyteAtEdge + "\r\nShort=ab" + euro + "\r\n");
    EXPECT_EQ(readEntry(sysPath("a.ini"), "S", "Long"), std::string(254, 'x'));
    EXPECT_EQ(readEntry(sysPath("a.ini"), "S", "Edge"), std::string(252, 'a'));
    EXPECT_EQ(readEntry(sysPath("a.ini"), "S", "Edge", {}, 256), multibyteAtEdge);
    EXPECT_EQ(readEntry(sysPath("a.ini"), "S", "Short", {}, 5), "ab");
    EXPECT_EQ(readEntry(sysPath("a.ini"), "S", "Short", {}, 6), "ab" + euro);
    EXPECT_EQ(readEntry(sysPath("a.ini"), "S", "Short", {}, 0), "");
    EXPECT_EQ(readEntry(sysPath("a.ini"), "S", "Missing", longAscii, 11), std::string(10, 'x'));
}

TEST_F(ProfileTest, Windows1252FileIsReadAsSuch) {
    dir.write("a.ini", "[Caf\xE9]\r\nTrack=K\xF6ln \x80 \x93Ring\x94\r\n");
    EXPECT_EQ(readEntry(sysPath("a.ini"), "Caf\xC3\xA9", "Track"),
              "K\xC3\xB6ln \xE2\x82\xAC \xE2\x80\x9CRing\xE2\x80\x9D");
    EXPECT_EQ(readEntry(sysPath("a.ini"), "CAF\xC3\x89", "track"), readEntry(sysPath("a.ini"), "Caf\xC3\xA9", "Track"));
}

// Each case: the file before (null: no file), one write, the exact bytes after.
TEST_F(ProfileTest, WritesChangeOnlyTheirOwnLine) {
    const struct {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } cases[] = {
        {"new file", nullptr, "S", "K", "V", "[S]\r\nK=V\r\n"},
        {"overwrite in place", "; c\n[S]\nA=1\n  K = old \n\n[T]\nK=t\n", "S", "K", "new",
         "; c\n[S]\nA=1\nK=new\r\n\n[T]\nK=t\n"},
        {"case-insensitive names", "[setupdata]\r\nx=1\r\n", "SetupData", "X", "2", "[setupdata]\r\nx=2\r\n"},
        {"key before trailing blanks", "[S]\r\nA=1\r\n\r\n\r\n[T]\r\nB=2\r\n", "S", "C", "3",
         "[S]\r\nA=1\r\nC=3\r\n\r\n\r\n[T]\r\nB=2\r\n"},
        {"key into last section", "[S]\rA=1\r", "S", "B", "2", "[S]\rA=1\rB=2\r\n"},
        {"section header only, no line end", "[S]", "S", "K", "V", "[S]\r\nK=V\r\n"},
        {"new section after unterminated line", "[S]\nA=1", "New", "K", "V", "[S]\nA=1\r\n[New]\r\nK=V\r\n"},
        {"empty file", "", "S", "K", "", "[S]\r\nK=\r\n"},
        {"foreign bytes kept", "[W]\r\nCity=K\xF6ln\r\n[S]\r\nK=1\r\n", "S", "K", "2",
         "[W]\r\nCity=K\xF6ln\r\n[S]\r\nK=2\r\n"},
        {"CR LF in value", "[S]\r\nDriverName=Me\r\n", "S", "Note", "x\r\nDriverName=Other",
         "[S]\r\nDriverName=Me\r\nNote=x DriverName=Other\r\n"},
        {"LF and CR in value", "[S]\r\nDriverName=Me\r\n", "S", "DriverName", "a\nb\rc\n\rd",
         "[S]\r\nDriverName=a b c  d\r\n"},
        {"line break in names", nullptr, "S]\r\n[T", "K\nL", "v", "[S] [T]\r\nK L=v\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir.path() / "w.ini";
        fs::remove(file);
        if (c.before) dir.write("w.ini", c.before);
        ASSERT_TRUE(writeEntry(sysPath("w.ini"), c.section, c.key, c.value));
        EXPECT_EQ(dir.read("w.ini"), c.after);
    }
}

// Files of every shape a hand or another program leaves (duplicate and
// unclosed sections, names in other letter cases, blanks, a byte order
// mark, foreign bytes, all three line ends, no end on the last line) and
// entries old and new, some with line breaks or a NUL in them.
TEST_F(ProfileTest, SeveralEntriesInOneWriteLeaveTheBytesOfOneWriteEach) {
    const std::vector<std::string> lines = {"[S]",     " [ s ] ", "[T]", "[S",          "[SetupData]", "A=1",
                                            " a = 2 ", "B=\"q\"", "K=",  "=v",          "C=x=y",       "; c",
                                            "junk",    "",        "   ", "City=K\xF6ln"};
    const std::vector<std::string> eols = {"\r\n", "\n", "\r"};
    const std::vector<std::string> sections = {"S", "s", " S ", "T", "New", "SetupData", "S]\r\n[T"};
    const std::vector<std::string> keys = {"A", "a", "B", "K", "New", "new", "C", "", " A ", "X\nY", "[Z", "City"};
    const std::vector<std::string> values = {
        "",         "v",          "x\r\ny",  "a\nb\rc\n\rd",  std::string("q\0r", 3),
        "  both  ", "\"quoted\"", "K\xF6ln", "\r\n[S]\r\nA=9"};
    // Every single write syncs the file: in memory where the system offers
    // it, so that many rounds stay quick.
    const fs::path shm = "/dev/shm";
    std::error_code ec;
    fs::path folder = dir.path();
    if (fs::is_directory(shm, ec) && fs::create_directories(shm / dir.path().filename(), ec))
        folder = shm / dir.path().filename();
    fs::create_directories(folder);
    struct Removed {
        fs::path folder;
        ~Removed() {
            std::error_code ec;
            fs::remove_all(folder, ec);
        }
    } removed{folder};
    const fs::path one = folder / "one.ini", each = folder / "each.ini";
    auto read = [](const fs::path& file) { return TempProgramFolder::readFile(file); };
    auto write = [](const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; };

    std::mt19937 random(15);
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    for (int round = 0; round < 250; ++round) {
        std::optional<std::string> before;
        if (random() % 8 != 0) {
            before.emplace(random() % 6 == 0 ? "\xEF\xBB\xBF" : "");
            const std::size_t count = random() % 12;
            for (std::size_t i = 0; i < count; ++i)
                *before += pick(lines) + (i + 1 == count && random() % 3 == 0 ? "" : pick(eols));
        }
        const std::string section = pick(sections);
        std::vector<std::pair<std::string, std::string>> written(random() % 9);
        for (auto& [key, value] : written) key = pick(keys), value = pick(values);
        SCOPED_TRACE(testing::Message() << "round " << round << ", section " << testing::PrintToString(section)
                                        << ", file " << testing::PrintToString(before.value_or("(none)"))
                                        << ", entries " << testing::PrintToString(written));

        fs::remove(one);
        fs::remove(each);
        if (before) write(one, *before), write(each, *before);
        std::vector<Entry> entries;
        for (const auto& [key, value] : written) {
            entries.push_back({key, value});
            ASSERT_TRUE(writeEntry(each.string(), section, key, value));
        }
        ASSERT_TRUE(writeEntries(one.string(), section, entries));
        ASSERT_EQ(fs::exists(one), fs::exists(each));
        ASSERT_EQ(read(one), read(each));
    }
    for (const auto& left : fs::directory_iterator(folder))
        EXPECT_TRUE(left.path() == one || left.path() == each) << left.path();
}

TEST_F(ProfileTest, ALineBreakInAValueCannotAddOrReplaceAnEntry) {
    dir.write("s.ini", "[Vantrel]\r\nDriverName=Me\r\n");
    ASSERT_TRUE(writeEntry(sysPath("s.ini"), "Vantrel", "LogFile", "x\r\nDriverName=Other"));
    ASSERT_TRUE(writeEntry(sysPath("s.ini"), "Vantrel", "Extra", "y\n[Evil]\nK=1"));
    EXPECT_EQ(readEntry(sysPath("s.ini"), "Vantrel", "DriverName"), "Me");
    EXPECT_EQ(readEntry(sysPath("s.ini"), "Evil", "K", "none"), "none");
    const std::string bytes = dir.read("s.ini");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 4);
}

TEST_F(ProfileTest, FailedWriteLeavesNothingBehind) {
    dir.write("plain", "not a folder");
    EXPECT_FALSE(writeEntry(sysPath("plain\\s.ini"), "S", "K", "V"));
    EXPECT_FALSE(writeEntry(sysPath("missing\\s.ini"), "S", "K", "V"));
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));

    fs::create_directories(dir.path() / "taken.ini" / "inside");
    EXPECT_FALSE(writeEntry(sysPath("taken.ini"), "S", "K", "V"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "taken.ini" / "inside"));

    EXPECT_EQ(entries(), (std::vector<std::string>{"bin", "plain", "taken.ini"}));
    EXPECT_EQ(dir.read("plain"), "not a folder");
}

TEST_F(ProfileTest, DeletingEntriesAndSections) {
    const std::string before = "[A]\r\nK=1\r\nL=2\r\n[B]\nK=3\n; note\n[a]\r\nk=4\r\n";
    const struct {
        const char* name;
        bool section;
        const char* sectionName;
        const char* key;
        const char* after;
    } cases[] = {
        {"key in every matching section", false, "a", "K", "[A]\r\nL=2\r\n[B]\nK=3\n; note\n[a]\r\n"},
        {"missing key", false, "A", "Z", "[A]\r\nK=1\r\nL=2\r\n[B]\nK=3\n; note\n[a]\r\nk=4\r\n"},
        {"section with its lines", true, "B", "", "[A]\r\nK=1\r\nL=2\r\n[a]\r\nk=4\r\n"},
        {"repeated section", true, "A", "", "[B]\nK=3\n; note\n"},
        {"missing section", true, "Z", "", "[A]\r\nK=1\r\nL=2\r\n[B]\nK=3\n; note\n[a]\r\nk=4\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("d.ini", before);
        EXPECT_TRUE(c.section ? deleteSection(sysPath("d.ini"), c.sectionName)
                              : deleteEntry(sysPath("d.ini"), c.sectionName, c.key));
        EXPECT_EQ(dir.read("d.ini"), c.after);
    }
    EXPECT_TRUE(deleteEntry(sysPath("none.ini"), "A", "K"));
    EXPECT_TRUE(deleteSection(sysPath("none.ini"), "A"));
    EXPECT_FALSE(fs::exists(dir.path() / "none.ini"));
}

}  // namespace
