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

#include "platform/Files.h"
#include "TempProgramFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::files::Links;
using platform::files::OpenStatus;

TEST(FilesTest, OnlyARegularFileWithinItsBoundIsRead) {
    testsupport::TempProgramFolder folder;
    const fs::path dir = folder.path();
    auto file = [&](const char* name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return dir / name;
    };
    const struct {
        const char* name;
        std::function<fs::path()> make;
        Links links;
        OpenStatus status;
        std::string reason;  // a part of it
        std::string bytes;
    } cases[] = {
        {"a file", [&] { return file("a.pdf", "%PDF-1.7"); }, Links::Refused, OpenStatus::Opened, "", "%PDF-1.7"},
        {"a file at its bound", [&] { return file("b.pdf", std::string(64, 'x')); }, Links::Followed,
         OpenStatus::Opened, "", std::string(64, 'x')},
        {"a file past its bound", [&] { return file("c.pdf", std::string(65, 'x')); }, Links::Followed,
         OpenStatus::Refused, "it is larger than 64 bytes (65 bytes)", ""},
        {"a sparse file of 5 GB",
         [&] {
             const fs::path p = file("d.pdf", "%PDF");
             fs::resize_file(p, 5'000'000'000);
             return p;
         },
         Links::Refused, OpenStatus::Refused, "it is larger than 64 bytes", ""},
        {"a named pipe, no writer",
         [&] {
             ::mkfifo((dir / "e.pdf").c_str(), 0644);
             return dir / "e.pdf";
         },
         Links::Followed, OpenStatus::Refused, "it is a named pipe", ""},
        {"a folder",
         [&] {
             fs::create_directory(dir / "f.pdf");
             return dir / "f.pdf";
         },
         Links::Refused, OpenStatus::Refused, "it is a folder", ""},
        {"a device", [] { return fs::path("/dev/zero"); }, Links::Followed, OpenStatus::Refused, "it is a device", ""},
        {"a link to a file, links followed",
         [&] {
             fs::create_symlink(file("g.pdf", "outside"), dir / "h.pdf");
             return dir / "h.pdf";
         },
         Links::Followed, OpenStatus::Opened, "", "outside"},
        {"a link to a file, links refused",
         [&] {
             fs::create_symlink(file("i.pdf", "outside"), dir / "j.pdf");
             return dir / "j.pdf";
         },
         Links::Refused, OpenStatus::Refused, "it is a symbolic link", ""},
        {"a link to a device, links refused",
         [&] {
             fs::create_symlink("/dev/urandom", dir / "k.pdf");
             return dir / "k.pdf";
         },
         Links::Refused, OpenStatus::Refused, "it is a symbolic link", ""},
        {"nothing there", [&] { return dir / "none.pdf"; }, Links::Refused, OpenStatus::Missing, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = "left over";
        const auto read = platform::files::readUserFile(c.make().string(), bytes, 64, c.links);
        EXPECT_EQ(read.status, c.status);
        EXPECT_NE(read.reason.find(c.reason), std::string::npos) << read.reason;
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(read.fd, -1);
        if (read.status == OpenStatus::Opened) {
            EXPECT_EQ(read.size, std::int64_t(c.bytes.size()));
        }
    }
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
