// The Start menu shortcut of a program: what is written for a path, what is
// refused, and the maker's marker read back from the shortcut itself.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/Desktop.h"

namespace fs = std::filesystem;
using namespace platform::desktop;

namespace {

// An id of the run's own, so that no racer's shortcut is ever touched.
std::string testId() { return "VantrelShortcutTest-" + std::to_string(::GetCurrentProcessId()); }

MenuEntry entryFor(const std::string& folder) {
    MenuEntry entry;
    entry.id = testId();
    entry.name = "Tool";
    entry.program = programFile(folder, "tool");
    entry.markerKey = "X-Tool-Folder";
    entry.markerValue = folder;
    return entry;
}

struct RemovedAfter {
    ~RemovedAfter() {
        std::error_code ignored;
        fs::remove(fs::u8path(entryPath(testId())), ignored);
    }
};

}  // namespace

// Written and read back, the marker gives the folder as it was; a path the
// shortcut cannot carry writes nothing and says why.
TEST(ShortcutTest, AFolderIsCarriedWholeOrNotAtAll) {
    const struct {
        std::string folder;
        const char* why;  // nullptr: carried; else a part of the reason it is not
    } cases[] = {
        {"C:\\Racing\\Vantrel", nullptr},
        {"C:\\Zo\xc3\xab \xc3\x85ngstr\xc3\xb6m\\Vantrel-1.0.0", nullptr},
        {"D:\\ lead and trail \\Vantrel", nullptr},
        {"C:\\semi;colon=\\q'uote", nullptr},
        {"\\\\server\\share\\Vantrel", nullptr},
        {"Vantrel", "is not a full path"},
        {"\\Vantrel", "is not a full path"},
        {"C:\\line\nbreak", "holds a control character (\\n)"},
        {"C:\\del\x7f", "holds a control character (\\x7f)"},
        {"C:\\c1\xc2\x9b", "holds a control character (\\x9b)"},
        {"C:\\bad\xff", "not UTF-8"},
        {"C:\\%APPDATA%\\Vantrel", "holds a \"%\""},
        {"C:\\" + std::string(300, 'x'), "longer than a shortcut can hold"},
    };
    for (const auto& c : cases) {
        RemovedAfter cleanup;
        const MenuEntry entry = entryFor(c.folder);
        const std::string reason = uncarriableReason(entry.program);
        if (c.why) EXPECT_NE(reason.find(c.why), std::string::npos) << c.folder << ": " << reason;
        else EXPECT_EQ(reason, "") << c.folder;
        const std::string why = writeMenuEntry(entry);
        EXPECT_EQ(why.empty(), !c.why) << c.folder << ": " << why;
        const ExistingEntry read = readMenuEntry(entry.id, entry.markerKey);
        EXPECT_EQ(read.present, !c.why) << c.folder;
        if (!c.why) {
            ASSERT_TRUE(read.marker.has_value()) << c.folder;
            EXPECT_EQ(*read.marker, c.folder);
        }
    }
}

// The shortcut lies in the user's Start menu, under the id's name; another
// maker's shortcut of that name is present but carries no marker of ours.
TEST(ShortcutTest, TheShortcutIsTheUsersAndKnownByItsMarker) {
    RemovedAfter cleanup;
    const std::string path = entryPath(testId());
    EXPECT_NE(path.find("\\Start Menu\\Programs\\" + testId() + ".lnk"), std::string::npos) << path;
    EXPECT_FALSE(readMenuEntry(testId(), "X-Tool-Folder").present);
    ASSERT_EQ(writeMenuEntry(entryFor("C:\\Racing\\Vantrel")), "");
    EXPECT_FALSE(readMenuEntry(testId(), "X-Other-Maker").marker.has_value());
    EXPECT_TRUE(readMenuEntry(testId(), "X-Other-Maker").present);
    EXPECT_EQ(programFile("C:\\Racing\\Vantrel", "vantrel"), "C:\\Racing\\Vantrel\\vantrel.exe");
}
