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
        bool carried;
    } cases[] = {
        {"C:\\Racing\\Vantrel", true},
        {"C:\\Zo\xc3\xab \xc3\x85ngstr\xc3\xb6m\\Vantrel-1.0.0", true},
        {"D:\\ lead and trail \\Vantrel", true},
        {"C:\\semi;colon=\\q'uote", true},
        {"\\\\server\\share\\Vantrel", true},
        {"Vantrel", false},
        {"\\Vantrel", false},
        {"C:\\line\nbreak", false},
        {"C:\\del\x7f", false},
        {"C:\\c1\xc2\x9b", false},
        {"C:\\bad\xff", false},
        {"C:\\%APPDATA%\\Vantrel", false},
        {"C:\\" + std::string(300, 'x'), false},
    };
    for (const auto& c : cases) {
        RemovedAfter cleanup;
        const MenuEntry entry = entryFor(c.folder);
        EXPECT_EQ(uncarriableReason(entry.program).empty(), c.carried) << c.folder;
        const std::string why = writeMenuEntry(entry);
        EXPECT_EQ(why.empty(), c.carried) << c.folder << ": " << why;
        const ExistingEntry read = readMenuEntry(entry.id, entry.markerKey);
        EXPECT_EQ(read.present, c.carried) << c.folder;
        if (c.carried) {
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
