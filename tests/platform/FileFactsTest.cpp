// What the system says of a path without reading it, and walks that never
// leave the folder they were given.

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>

#include "TempProgramFolder.h"
#include "platform/FileFacts.h"
#include "platform/FolderWalk.h"

namespace fs = std::filesystem;
using platform::files::FileKind;
using platform::files::Links;
using testsupport::TempProgramFolder;

TEST(FileFacts, KindOfEachThingAtAPathWithLinksFollowedOrNot) {
    TempProgramFolder folder;
    const fs::path file = folder.write("file.pdf", "12345");
    fs::create_directory(folder.path() / "folder");
    fs::create_symlink("file.pdf", folder.path() / "toFile");
    fs::create_symlink("folder", folder.path() / "toFolder");
    fs::create_symlink("gone", folder.path() / "dangling");
    ASSERT_EQ(::mkfifo((folder.path() / "pipe").c_str(), 0600), 0);
    struct Case {
        const char* name;
        FileKind followed, refused;
        int error;  // when missing either way
    };
    const Case cases[] = {
        {"file.pdf", FileKind::Regular, FileKind::Regular, 0},
        {"folder", FileKind::Folder, FileKind::Folder, 0},
        {"toFile", FileKind::Regular, FileKind::Link, 0},
        {"toFolder", FileKind::Folder, FileKind::Link, 0},
        {"dangling", FileKind::Missing, FileKind::Link, 0},
        {"pipe", FileKind::Other, FileKind::Other, 0},
        {"nothing", FileKind::Missing, FileKind::Missing, ENOENT},
        {"file.pdf/below", FileKind::Missing, FileKind::Missing, ENOTDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (folder.path() / c.name).string();
        const auto followed = platform::files::factsOf(path, Links::Followed);
        const auto refused = platform::files::factsOf(path, Links::Refused);
        EXPECT_EQ(followed.kind, c.followed);
        EXPECT_EQ(refused.kind, c.refused);
        if (c.error) {
            EXPECT_EQ(followed.error, c.error);
        }
    }
    const auto facts = platform::files::factsOf(file.string());
    EXPECT_EQ(facts.size, 5);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(facts.mtimeNs, std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
}

TEST(FileFacts, OneIdentityForOneFileUnderEveryName) {
    TempProgramFolder folder;
    const fs::path file = folder.write("a.pdf", "same");
    const fs::path copy = folder.write("copy.pdf", "same");
    ASSERT_EQ(platform::files::hardLink(file.string(), (folder.path() / "b.pdf").string()), 0);
    fs::create_symlink("a.pdf", folder.path() / "link.pdf");
    const auto id = [&](const char* name, Links links) {
        return platform::files::factsOf((folder.path() / name).string(), links).identity;
    };
    EXPECT_EQ(id("b.pdf", Links::Refused), id("a.pdf", Links::Refused));
    EXPECT_EQ(id("link.pdf", Links::Followed), id("a.pdf", Links::Refused));
    EXPECT_NE(id("link.pdf", Links::Refused), id("a.pdf", Links::Refused));
    EXPECT_NE(id("copy.pdf", Links::Refused), id("a.pdf", Links::Refused));
    EXPECT_EQ(platform::files::hardLink(file.string(), copy.string()), EEXIST);
    EXPECT_EQ(TempProgramFolder::readFile(copy), "same");
}

TEST(FileFacts, FilesMadeAndRemovedAnswerTheSystemsReason) {
    TempProgramFolder folder;
    const std::string sub = (folder.path() / "sub").string();
    EXPECT_EQ(platform::files::makeFolder(sub), 0);
    EXPECT_EQ(platform::files::makeFolder(sub), EEXIST);
    EXPECT_EQ(platform::files::makeFolder((folder.path() / "gone" / "sub").string()), ENOENT);
    EXPECT_NE(platform::files::removeFile(sub), 0) << "a folder is never removed as a file";
    EXPECT_TRUE(fs::is_directory(sub));
    EXPECT_EQ(platform::files::removeFile((folder.path() / "nothing").string()), ENOENT);

    // Unique names: each a new empty file of the usual permissions, none over another.
    std::set<std::string> made;
    for (int i = 0; i < 50; ++i) {
        std::string name = sub + "/.library.new-XXXXXX";
        ASSERT_EQ(platform::files::createUniqueFile(name), 0);
        EXPECT_TRUE(made.insert(name).second) << name;
        EXPECT_EQ(fs::file_size(name), 0u);
        struct stat st {};
        ASSERT_EQ(::stat(name.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, platform::files::newFileMode());
    }
    std::string inMissing = (folder.path() / "gone" / "x-XXXXXX").string();
    EXPECT_EQ(platform::files::createUniqueFile(inMissing), ENOENT);

    const fs::path target = folder.write("target", "old");
    const fs::path from = folder.write("from", "new");
    EXPECT_EQ(platform::files::renameReplacing(from.string(), target.string()), 0);
    EXPECT_EQ(TempProgramFolder::readFile(target), "new");
    EXPECT_FALSE(fs::exists(from));
}

TEST(FileFacts, AppendsOnlyToARegularFileAndNeverWaits) {
    TempProgramFolder folder;
    const std::string log = (folder.path() / "log.txt").string();
    EXPECT_EQ(platform::files::appendToRegularFile(log, "one\r\n"), "");
    EXPECT_EQ(platform::files::appendToRegularFile(log, "two\r\n"), "");
    EXPECT_EQ(TempProgramFolder::readFile(log), "one\r\ntwo\r\n");
    const fs::path pipe = folder.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // No reader on the pipe: a waiting open would hang the test here.
    EXPECT_FALSE(platform::files::appendToRegularFile(pipe.string(), "x").empty());
    fs::create_directory(folder.path() / "folder");
    EXPECT_FALSE(platform::files::appendToRegularFile((folder.path() / "folder").string(), "x").empty());
    EXPECT_FALSE(platform::files::opensForReading((folder.path() / "folder").string()));
    EXPECT_TRUE(platform::files::opensForReading(log));
    EXPECT_FALSE(platform::files::opensForReading((folder.path() / "nothing").string()));
}

TEST(FolderWalk, StaysInsideItsFolderAndObeysTheVisitor) {
    TempProgramFolder outside;
    outside.write("secret/stolen.pdf", "x");
    TempProgramFolder folder;
    const fs::path root = folder.path() / "team";
    folder.write("team/a/one.pdf", "1");
    folder.write("team/a/b/two.pdf", "2");
    folder.write("team/skip/three.pdf", "3");
    folder.write("team/top.pdf", "0");
    fs::create_symlink(outside.path() / "secret", root / "a" / "elsewhere");
    fs::create_symlink(outside.path() / "secret" / "stolen.pdf", root / "linked.pdf");

    std::map<std::string, std::pair<FileKind, int>> seen;
    const std::string problem = platform::files::walkFolder(root.string(), [&](const platform::files::FolderEntry& e) {
        EXPECT_EQ(fs::path(e.path), root / fs::path(e.path).lexically_relative(root));
        EXPECT_EQ(fs::path(e.path).filename().string(), e.name);
        seen[fs::path(e.path).lexically_relative(root).string()] = {e.kind, e.depth};
        return e.name == "skip" ? platform::files::WalkStep::PassOver : platform::files::WalkStep::Continue;
    });
    EXPECT_EQ(problem, "");
    const std::map<std::string, std::pair<FileKind, int>> expected = {
        {"a", {FileKind::Folder, 0}},         {"a/one.pdf", {FileKind::Regular, 1}},
        {"a/b", {FileKind::Folder, 1}},       {"a/b/two.pdf", {FileKind::Regular, 2}},
        {"a/elsewhere", {FileKind::Link, 1}}, {"skip", {FileKind::Folder, 0}},
        {"top.pdf", {FileKind::Regular, 0}},  {"linked.pdf", {FileKind::Link, 0}},
    };
    EXPECT_EQ(seen, expected);

    int visits = 0;
    EXPECT_EQ(platform::files::walkFolder(root.string(),
                                          [&](const platform::files::FolderEntry&) {
                                              ++visits;
                                              return platform::files::WalkStep::Stop;
                                          }),
              "");
    EXPECT_EQ(visits, 1);
    EXPECT_NE(platform::files::walkFolder(
                  (root / "nothing").string(),
                  [](const platform::files::FolderEntry&) { return platform::files::WalkStep::Continue; }),
              "");
}
