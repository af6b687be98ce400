// A process killed in the middle of an import, and two processes recording at
// the same moment: the library stays whole and keeps every completed setup.

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "LibraryTestSupport.h"
#include "library/SetupImport.h"

using namespace librarytest;
using namespace vantrel::library;

TEST(LibraryFaults, AnImportKilledMidwayLeavesTheLibraryWholeWithEveryCompletedSetup) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(17);
    std::vector<SetupValues> values;
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
            const RawDataFileReader raw("RDX");
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
