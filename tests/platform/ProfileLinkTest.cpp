// A profile written through a link: the link stays, the file it names gets
// the new content and keeps its permissions.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

#include "TempProgramFolder.h"
#include "platform/Profile.h"

namespace fs = std::filesystem;
using namespace platform::profile;

namespace {

TEST(ProfileLinkTest, ReplacementKeepsModeAndWritesThroughLinks) {
    testsupport::TempProgramFolder dir;
    auto sysPath = [&](const std::string& name) { return dir.str() + "\\" + name; };
    auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    dir.write("real.ini", "[S]\r\nK=1\r\n");
    fs::permissions(dir.path() / "real.ini", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                    fs::perm_options::replace);
    fs::create_symlink(dir.path() / "real.ini", dir.path() / "link.ini");

    ASSERT_TRUE(writeEntry(sysPath("link.ini"), "S", "K", "2"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
    EXPECT_EQ(dir.read("real.ini"), "[S]\r\nK=2\r\n");
    struct stat st {};
    ASSERT_EQ(::stat((dir.path() / "real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(), (std::vector<std::string>{"bin", "link.ini", "real.ini"}));
}

}  // namespace
