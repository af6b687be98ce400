// A process killed in the middle of an import, two processes recording at
// the same moment, a file system without hard links, a delete that fails
// midway: the library stays whole and keeps every completed setup.

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "LibraryTestSupport.h"
#include "library/SetupImport.h"
#include "platform/Error.h"

using namespace librarytest;
using namespace vantrel::library;

TEST(LibraryFaults, AnImportKilledMidwayLeavesTheLibraryWholeWithEveryCompletedSetup) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(17);
    std::vector<vantrel::Setup> values;
    for (int i = 0; i < 1000; ++i) {
        values.push_back(makeValues(rng, profileValue));
        char name[32];
        std::snprintf(name, sizeof name, "in/%04d.dat", i);  // path order is file order
        folder.write(name, rawDataFile(values.back()));
    }
    const std::string path = (folder.path() / "Library.sqlite").string();
    { SetupLibrary create(path); }

    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(report[0]);
        try {
            SetupLibrary library(path);
            const RawDataTestReader raw;
            importSetups(library, {(folder.path() / "in").string()}, {&raw}, [&](const ImportProgress& p) {
                const std::uint32_t done = std::uint32_t(p.done);
                return ::write(report[1], &done, sizeof done) == sizeof done;
            });
        } catch (...) {
        }
        ::_exit(0);
    }
    ::close(report[1]);
    std::uint32_t done = 0, got = 0;
    while (done < 40 && ::read(report[0], &got, sizeof got) == sizeof got) done = got;
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(report[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the import ended before it was killed";
    ASSERT_GE(done, 40u);

    SetupLibrary library(path);
    EXPECT_EQ(library.integrityCheck(), "ok");
    EXPECT_GE(library.count(), done);
    EXPECT_LT(library.count(), values.size());
    for (std::uint32_t i = 0; i < done; ++i) EXPECT_TRUE(library.findSame("RDX", values[i])) << i;
}

TEST(LibraryFaults, TwoProgramsRecordingAtTheSameMomentBothSucceed) {
    testsupport::TempProgramFolder folder;
    const std::string path = (folder.path() / "Library.sqlite").string();  // created by whichever comes first
    constexpr int kEach = 150;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            ::close(start[1]);
            char go;
            int code = ::read(start[0], &go, 1) == 0 ? 0 : 3;
            try {
                std::mt19937 rng(100 + c);
                SetupLibrary library(path);
                for (int i = 0; i < kEach; ++i) library.record(makeEntry(rng));
            } catch (...) {
                code = 1;
            }
            ::_exit(code);
        }
    }
    ::close(start[0]);
    ::close(start[1]);  // both start now
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    SetupLibrary library(path);
    EXPECT_EQ(library.count(), 2u * kEach);
    EXPECT_EQ(library.integrityCheck(), "ok");
}

TEST(LibraryFaults, WithoutHardLinksTheLibraryIsCreatedAndAFileThatCameMeanwhileIsKept) {
    namespace fs = std::filesystem;
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(23);
    const fs::path path = folder.path() / "Library.sqlite";
    // As FAT and exFAT answer link().
    LibraryOptions withoutHardLinks;
    withoutHardLinks.hardLink = [](const std::string&, const std::string&) {
        errno = EPERM;
        return -1;
    };
    const mode_t oldMask = ::umask(027);
    {
        SetupLibrary library(path.string(), withoutHardLinks);
        library.record(makeEntry(rng));
    }
    ::umask(oldMask);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    for (const auto& entry : fs::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().filename().string().rfind(".Library", 0), std::string::npos) << entry.path();
    EXPECT_EQ(SetupLibrary(path.string()).count(), 1u);

    // Another program's library got there while this one was being built: it stays.
    const fs::path second = folder.path() / "Second.sqlite";
    LibraryOptions anotherGotThere;
    anotherGotThere.hardLink = [&](const std::string&, const std::string& to) {
        fs::copy_file(path, to);
        errno = EPERM;
        return -1;
    };
    SetupLibrary library(second.string(), anotherGotThere);
    EXPECT_EQ(library.count(), 1u);
}

TEST(LibraryFaults, ADeleteOfSeveralSetupsIsAllOrNone) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(29);
    const std::string path = (folder.path() / "Library.sqlite").string();
    SetupLibrary library(path);
    std::vector<std::int64_t> ids;
    for (int i = 0; i < 3; ++i) ids.push_back(library.record(makeEntry(rng)));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const std::string trigger = "CREATE TRIGGER keep BEFORE DELETE ON setup WHEN old.id = " + std::to_string(ids[2]) +
                                " BEGIN SELECT RAISE(ABORT, 'kept'); END";
    ASSERT_EQ(sqlite3_exec(db, trigger.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_THROW(library.remove(ids), platform::Error);
    EXPECT_EQ(library.count(), 3u);
    EXPECT_EQ(library.remove(std::vector<std::int64_t>{ids[0], ids[1]}), 2u);
    EXPECT_EQ(library.count(), 1u);
}
