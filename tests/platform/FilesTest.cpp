// The one open of a file from outside: what is not a regular file within its
// bound is refused with the reason, without blocking and without reading it;
// with links refused, a link is never followed, however it got there.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "TempProgramFolder.h"
#include "UserFileCases.h"
#include "platform/Files.h"

namespace {

namespace fs = std::filesystem;
using platform::files::Links;
using platform::files::OpenStatus;

TEST(FilesTest, OnlyARegularFileWithinItsBoundIsRead) {
    testsupport::TempProgramFolder folder;
    const fs::path dir = folder.path();
    using userfiles::file;
    std::vector<userfiles::Case> cases = userfiles::sharedCases(dir);
    const std::vector<userfiles::Case> own = {
        {"a named pipe, no writer",
         [&] {
             ::mkfifo((dir / "e.pdf").c_str(), 0644);
             return (dir / "e.pdf").string();
         },
         Links::Followed, OpenStatus::Refused, "it is a named pipe", ""},
        {"a device", [] { return std::string("/dev/zero"); }, Links::Followed, OpenStatus::Refused, "it is a device",
         ""},
        {"a link to a file, links followed",
         [&] {
             fs::create_symlink(file(dir, "g.pdf", "outside"), dir / "h.pdf");
             return (dir / "h.pdf").string();
         },
         Links::Followed, OpenStatus::Opened, "", "outside"},
        {"a link to a file, links refused",
         [&] {
             fs::create_symlink(file(dir, "i.pdf", "outside"), dir / "j.pdf");
             return (dir / "j.pdf").string();
         },
         Links::Refused, OpenStatus::Refused, "it is a symbolic link", ""},
        {"a link to a device, links refused",
         [&] {
             fs::create_symlink("/dev/urandom", dir / "k.pdf");
             return (dir / "k.pdf").string();
         },
         Links::Refused, OpenStatus::Refused, "it is a symbolic link", ""},
    };
    cases.insert(cases.end(), own.begin(), own.end());
    userfiles::check(cases);
}

// A replacement answers nothing when the new content stands, else the
// failure about the file with its reason; the old content then stays, and
// no temporary is left beside it.
TEST(FilesTest, AReplacementFailsAboutItsFileAndLeavesTheOldContent) {
    testsupport::TempProgramFolder folder;
    const fs::path dir = folder.path() / "replaced";
    fs::create_directories(dir / "a folder");
    std::ofstream(dir / "outside.ini", std::ios::binary) << "old";
    fs::create_symlink(dir / "outside.ini", dir / "link.ini");
    using Write = std::function<std::string(int)>;
    auto writes = [](std::string bytes) -> Write {
        return [bytes](int fd) { return platform::files::writeAll(fd, bytes) ? std::string() : "short write"; };
    };
    auto half = [](Write rest) -> Write {
        return [rest](int fd) {
            platform::files::writeAll(fd, "half");
            return rest(fd);
        };
    };
    const struct {
        const char* name;
        const char* file;
        Write write;
        const char* reason;  // nullptr: replaced
        const char* after;   // the file's content afterwards (through a link)
    } cases[] = {
        {"a whole write", "a.ini", writes("new"), nullptr, "new"},
        {"a write that says why it failed", "b.ini", half([](int) { return std::string("no room"); }), "no room",
         "old"},
        {"a write that raises", "c.ini", half([](int) -> std::string { throw std::runtime_error("bad page"); }),
         "bad page", "old"},
        // Its half must not stand for the file, though the exception says nothing.
        {"a write that raises without a word", "d.ini", half([](int) -> std::string { throw std::runtime_error(""); }),
         "the new content could not be written", "old"},
        {"a write that raises no exception", "e.ini", half([](int) -> std::string { throw 7; }),
         "the new content could not be written", "old"},
        {"a folder in the file's place", "a folder", writes("new"), "it is a folder", nullptr},
        {"a link, written through", "link.ini", writes("through"), nullptr, "through"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = dir / c.file;
        if (!fs::exists(target)) std::ofstream(target, std::ios::binary) << "old";
        const auto failed = platform::files::replaceAtomically(target.string(), c.write);
        if (!c.reason) {
            EXPECT_FALSE(failed) << failed->description();
        } else {
            ASSERT_TRUE(failed);
            EXPECT_EQ(failed->reason(), c.reason);
            EXPECT_EQ(failed->file(), target.string());
            EXPECT_EQ(failed->number(), platform::ErrPathAccess);
            EXPECT_EQ(failed->description(), "Cannot write " + target.string() + ": " + c.reason);
        }
        if (c.after) EXPECT_EQ(testsupport::TempProgramFolder::readFile(target), c.after);
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
        ++entries;
    }
    EXPECT_EQ(entries, std::size(cases) + 1);  // and the file the link names
}

}  // namespace
