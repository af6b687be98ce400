// The Windows half of the file functions, under Windows or Wine: one open of a
// file from outside, refused with the reason where it is no regular file
// within its bound; names never taken twice, case folded; files replaced
// whole; names in UTF-8 whatever the code page. Links and junctions Wine
// cannot show (it shows a Unix link as the file it names): those cases run
// on Linux (FilesTest, NewFileTest).

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <windows.h>

#include "TempProgramFolder.h"
#include "UserFileCases.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/NewFile.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/RunLock.h"

namespace {

namespace fs = std::filesystem;
using platform::files::Links;
using platform::files::OpenStatus;
using testsupport::TempProgramFolder;

using userfiles::pathOf;
using userfiles::textOf;

TEST(WindowsFilesTest, OnlyARegularFileWithinItsBoundIsRead) {
    TempProgramFolder folder;
    // A pipe server of the test's own: opening its name finds a pipe, not a file.
    const std::wstring pipeName = L"\\\\.\\pipe\\vantrel-files-test-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE pipe = ::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 4, 0, 0, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    std::vector<userfiles::Case> cases = userfiles::sharedCases(folder.path());
    const std::vector<userfiles::Case> own = {
        {"a named pipe", [&] { return textOf(fs::path(pipeName)); }, Links::Followed, OpenStatus::Refused,
         "it is a named pipe", ""},
        {"a device", [] { return std::string("NUL"); }, Links::Followed, OpenStatus::Refused, "it is a device", ""},
    };
    cases.insert(cases.end(), own.begin(), own.end());
    userfiles::check(cases);
    ::CloseHandle(pipe);
}

TEST(WindowsFilesTest, ANewNameIsNeverTakenTwiceWhateverItsCase) {
    TempProgramFolder folder;
    const std::string taken = textOf(folder.write("Taken.pdf", "someone else's"));
    const struct {
        const char* what;
        std::string to;
        int expected;
    } cases[] = {
        {"a free name", textOf(folder.path() / pathOf("Zo\u00eb.pdf")), 0},
        {"a taken name", taken, EEXIST},
        {"the taken name in other letters", textOf(folder.path() / "TAKEN.PDF"), EEXIST},
        {"a folder that is not there", textOf(folder.path() / "gone" / "new.pdf"), ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(platform::files::writeNewFile(c.to, "whole"), c.expected);
        if (c.expected == 0) {
            EXPECT_EQ(TempProgramFolder::readFile(pathOf(c.to)), "whole");
            fs::remove(pathOf(c.to));
        }
        const fs::path work = folder.write("work.pdf", "moved");
        EXPECT_EQ(platform::files::moveToNewName(textOf(work), c.to), c.expected);
        EXPECT_EQ(fs::exists(work), c.expected != 0) << "the file stays where the name was taken";
        fs::remove(work);
        EXPECT_EQ(TempProgramFolder::readFile(taken), "someone else's");
        for (const auto& entry : fs::directory_iterator(folder.path()))
            EXPECT_NE(entry.path().filename().string().front(), '.') << textOf(entry.path());
    }
    EXPECT_EQ(TempProgramFolder::readFile(folder.path() / pathOf("Zo\u00eb.pdf")), "moved");
}

TEST(WindowsFilesTest, AReplacementIsWholeOrNothingAndItsLeftoversGo) {
    TempProgramFolder folder;
    const fs::path targetPath = folder.path() / pathOf("\u00c5ngstr\u00f6m.ini");
    std::ofstream(targetPath, std::ios::binary) << "old";
    const std::string target = textOf(targetPath);
    auto writes = [](std::string bytes) {
        return [bytes](int fd) { return platform::files::writeAll(fd, bytes) ? std::string() : "short write"; };
    };
    EXPECT_FALSE(platform::files::replaceAtomically(target, writes(std::string(200000, 'n'))));
    EXPECT_EQ(TempProgramFolder::readFile(targetPath), std::string(200000, 'n'));
    for (const char* said : {"no", ""}) {
        const auto failed = platform::files::replaceAtomically(target, [said](int fd) -> std::string {
            platform::files::writeAll(fd, "half");
            throw std::runtime_error(said);
        });
        ASSERT_TRUE(failed) << "a write that raised \"" << said << "\"";
        EXPECT_EQ(failed->reason(), *said ? said : "the new content could not be written");
        EXPECT_EQ(failed->file(), target);
        EXPECT_EQ(TempProgramFolder::readFile(targetPath), std::string(200000, 'n'));
    }
    EXPECT_TRUE(platform::files::replaceAtomically(textOf(folder.path() / "bin"), writes("x")));

    // What a killed writer left, and what a writer at work holds open.
    const std::string prefix = "." + textOf(pathOf(target).filename()) + ".";
    std::ofstream(folder.path() / pathOf(prefix + "Ab12Cd")) << "left";
    std::ofstream(folder.path() / pathOf(prefix + "other")) << "not of its naming";
    std::ofstream held(folder.path() / pathOf(prefix + "Zz99zz"));
    held << "at work";
    held.flush();
    HANDLE open = ::CreateFileW((folder.path() / pathOf(prefix + "Zz99zz")).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    const std::int64_t later = std::time(nullptr) + 60;
    EXPECT_EQ(platform::files::removeLeftTemporaries(target, std::time(nullptr) - 3600), 0u) << "none is old enough";
    EXPECT_EQ(platform::files::removeLeftTemporaries(target, later), 1u);
    EXPECT_FALSE(fs::exists(folder.path() / pathOf(prefix + "Ab12Cd")));
    EXPECT_TRUE(fs::exists(folder.path() / pathOf(prefix + "other")));
    EXPECT_TRUE(fs::exists(folder.path() / pathOf(prefix + "Zz99zz")));
    ::CloseHandle(open);
}

TEST(WindowsFilesTest, ProfilesAreTheSameBytesAsOnLinux) {
    TempProgramFolder folder;
    const std::string file = folder.str() + "/bin\\Vantrel.ini";
    ASSERT_TRUE(platform::profile::writeEntry(file, "Vantrel", "Driver", "Zo\u00eb \u00c5ngstr\u00f6m"));
    ASSERT_TRUE(platform::profile::writeEntry(file, "Vantrel", "DataDirectory", "\\Data\\"));
    EXPECT_EQ(TempProgramFolder::readFile(folder.path() / "bin" / "Vantrel.ini"),
              "[Vantrel]\r\nDriver=Zo\u00eb \u00c5ngstr\u00f6m\r\nDataDirectory=\\Data\\\r\n");
    EXPECT_EQ(platform::profile::readEntry(file, "vantrel", "DRIVER"), "Zo\u00eb \u00c5ngstr\u00f6m");
}

TEST(WindowsFilesTest, PathsAreNativeWithBackslashes) {
    const struct {
        const char* system;
        const char* native;
    } cases[] = {
        {"C:\\Vantrel\\bin\\Vantrel.ini", "C:\\Vantrel\\bin\\Vantrel.ini"},
        {"C:/Vantrel/Data/", "C:\\Vantrel\\Data\\"},
        {"C:\\Vantrel\\"
         "\\Data\\a.pdf",
         "C:\\Vantrel\\Data\\a.pdf"},
        {"\\\\server\\share\\Setups", "\\\\server\\share\\Setups"},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::paths::toNative(c.system), c.native) << c.system;
    EXPECT_EQ(platform::paths::headProblem("C:\\Program Files\\Vantrel"), "");
}

TEST(WindowsFilesTest, TheProgramFolderIsTheExecutables) {
    const std::string folder = platform::process::programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_EQ(folder.find('/'), std::string::npos) << folder;
    EXPECT_TRUE(fs::exists(pathOf(folder) / "platform_tests.exe")) << folder;
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    const auto now = platform::process::now();
    EXPECT_EQ(now.year, st.wYear);
    EXPECT_EQ(now.month, st.wMonth);
    EXPECT_GE(now.fraction, 0.0);
    EXPECT_LT(now.fraction, 1.0);
}

TEST(WindowsFilesTest, ARunLockHeldElsewhereIsWaitedForThenRefused) {
    TempProgramFolder folder;
    folder.host().setWaitSpeed(1000);
    const std::string lockFile = textOf(folder.path() / pathOf("Zo\u00eb.lock"));
    std::atomic<bool> held{false}, done{false};
    std::thread holder([&] {
        platform::process::RunLock lock(lockFile);
        held = true;
        while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    try {
        platform::process::RunLock second(lockFile);
        ADD_FAILURE() << "a second run took the lock";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::ErrPathAccess);
        EXPECT_NE(std::string(e.what()).find("Another setup sheet is being built"), std::string::npos) << e.what();
    }
    done = true;
    holder.join();
    EXPECT_NO_THROW(platform::process::RunLock again(lockFile));
}

}  // namespace
