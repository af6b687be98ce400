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

}  // namespace
