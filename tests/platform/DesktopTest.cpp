// The application menu entry of a program: what is written for a path, what
// is refused, and the maker's marker read back from entries old and new.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "EnvOverride.h"
#include "TempProgramFolder.h"
#include "platform/Desktop.h"

namespace fs = std::filesystem;
using namespace platform::desktop;
using testsupport::EnvOverride;

namespace {

MenuEntry entryFor(const std::string& folder) {
    MenuEntry entry;
    entry.id = "tool";
    entry.name = "Tool";
    entry.program = folder + "/tool";
    entry.iconSvg = "<svg/>";
    entry.details = {{"Comment", "Does\\things\n"}};
    entry.markerKey = "X-Tool-Folder";
    entry.markerValue = folder;
    return entry;
}

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

// Written and read back, the marker gives the folder as it was, Exec names
// the program quoted and Icon the icon written beside; a path the entry
// cannot carry writes nothing.
TEST(DesktopTest, AFolderIsCarriedWholeOrNotAtAll) {
    const struct {
        std::string folder;  // under the test's folder
        const char* exec;    // the Exec line's program, as written; nullptr: refused
    } cases[] = {
        {"/plain", "\"@/plain/tool\" %f"},
        {"/ lead and trail ", "\"@/ lead and trail /tool\" %f"},
        {"/q\"$`x", "\"@/q\\\\\"\\\\$\\\\`x/tool\" %f"},
        {"/back\\slash", "\"@/back\\\\\\\\slash/tool\" %f"},
        {"/semi;colon=", "\"@/semi;colon=/tool\" %f"},
        {"/line\nExec=touch x", nullptr},
        {"/cr\r", nullptr},
        {"/del\x7f", nullptr},
        {"/c1\xc2\x9b", nullptr},
        {"/bad\xff", nullptr},
        {"/field %c", nullptr},
    };
    for (const auto& c : cases) {
        testsupport::TempProgramFolder home;
        EnvOverride data("XDG_DATA_HOME", (home.path() / "share").c_str());
        const std::string folder = home.path().string() + c.folder;
        const std::string failed = writeMenuEntry(entryFor(folder));
        const fs::path written = home.path() / "share/applications/tool.desktop";
        if (!c.exec) {
            EXPECT_NE(failed, "") << c.folder;
            EXPECT_FALSE(fs::exists(written)) << c.folder;
            EXPECT_NE(uncarriableReason(folder + "/tool"), "") << c.folder;
            continue;
        }
        ASSERT_EQ(failed, "") << c.folder;
        std::string exec = c.exec;
        exec.replace(exec.find('@'), 1, home.path().string());
        const std::string text = fileText(written);
        EXPECT_NE(text.find("\nExec=" + exec + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\nComment=Does\\\\things\\n\n"), std::string::npos) << text;
        // The icon by its id, which the icon theme finds where the icon was written.
        EXPECT_NE(text.find("\nIcon=tool\n"), std::string::npos) << text;
        EXPECT_EQ(fileText(home.path() / "share/icons/hicolor/scalable/apps/tool.svg"), "<svg/>");
        const ExistingEntry read = readMenuEntry("tool", "X-Tool-Folder");
        EXPECT_TRUE(read.present);
        EXPECT_EQ(read.marker, folder) << text;
    }
}

// Entries written before, by hand or by another maker, are read as they
// stand; one that cannot be read is there all the same, and never blocks.
TEST(DesktopTest, TheMarkerOfEntriesWrittenBefore) {
    const struct {
        const char* text;  // nullptr: a named pipe in the entry's place
        bool present;
        const char* marker;  // nullptr: none
    } cases[] = {
        {"[Desktop Entry]\nName=Tool\nX-Tool-Folder=/opt/Tool Box\n", true, "/opt/Tool Box"},
        {"[Desktop Entry]\r\nX-Tool-Folder = /opt/back\\\\slash\r\n", true, "/opt/back\\slash"},
        {"[Desktop Entry]\nX-Tool-Folder=\\s/lead\n", true, " /lead"},
        {"[Desktop Entry]\nName=Tool\n[Desktop Action x]\nX-Tool-Folder=/elsewhere\n", true, nullptr},
        {"[Desktop Entry]\nX-Tool-FolderX=/near\n", true, nullptr},
        {"[Desktop Entry]\nName=Other\n", true, nullptr},
        {nullptr, true, nullptr},
    };
    for (const auto& c : cases) {
        testsupport::TempProgramFolder home;
        EnvOverride data("XDG_DATA_HOME", (home.path() / "share").c_str());
        fs::create_directories(home.path() / "share/applications");
        const fs::path at = home.path() / "share/applications/tool.desktop";
        if (c.text) std::ofstream(at, std::ios::binary) << c.text;
        else ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0);
        const ExistingEntry read = readMenuEntry("tool", "X-Tool-Folder");
        EXPECT_EQ(read.present, c.present) << (c.text ? c.text : "pipe");
        if (c.marker) EXPECT_EQ(read.marker, std::string(c.marker)) << c.text;
        else EXPECT_FALSE(read.marker) << (c.text ? c.text : "pipe");
    }
    testsupport::TempProgramFolder home;
    EnvOverride data("XDG_DATA_HOME", (home.path() / "share").c_str());
    EXPECT_FALSE(readMenuEntry("tool", "X-Tool-Folder").present);
}
