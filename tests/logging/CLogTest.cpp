// CLog as the program uses it: created by class id through a registry of the
// test's own, FileName set, LogMe called; lines appended with time stamps.

#include <gtest/gtest.h>

#include <filesystem>

#include "Components.h"
#include "TempProgramFolder.h"
#include "logging/Logging.h"
#include "platform/Process.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"

namespace {

using platform::process::LocalDateTime;
using testsupport::ComponentRegistry;
using testsupport::TempProgramFolder;

class CLogTest : public ::testing::Test {
protected:
    com::ComPtr<logging::ICLog> newLog(const std::string& fileName) {
        auto log = com::create<logging::ICLog>(logging::CLSID_CLog, logging::IID_CLog);
        com::check(log->put_FileName(fileName));
        return log;
    }
    void setClock(LocalDateTime t) { m_folder.host().setClock(t); }

    TempProgramFolder m_folder;
    ComponentRegistry m_registry{m_folder, {VANTREL_LOGGING_LIBRARY}};
};

TEST_F(CLogTest, EachCallAppendsOneStampedLineInCallOrder) {
    struct Case {
        LocalDateTime time;
        std::string message, line;
    };
    const Case cases[] = {
        {{2026, 1, 1, 0, 0, 0}, "midnight", "1/1/2026 12:00:00 AM: midnight"},
        {{2026, 1, 1, 12, 0, 0}, "noon", "1/1/2026 12:00:00 PM: noon"},
        {{2026, 12, 6, 14, 30, 46}, "Start", "6/12/2026 02:30:46 PM: Start"},
        {{2026, 3, 9, 1, 5, 9}, "early", "9/3/2026 01:05:09 AM: early"},
        {{2027, 12, 31, 23, 59, 59}, "late", "31/12/2027 11:59:59 PM: late"},
        {{2026, 5, 17, 11, 59, 59}, "", "17/5/2026 11:59:59 AM: "},
        {{2026, 5, 17, 13, 0, 0}, "two\r\nlines", "17/5/2026 01:00:00 PM: two\r\nlines"},
    };
    const std::string file = (m_folder.path() / "Logs" / "Vantrel.log").string();
    std::filesystem::create_directories(m_folder.path() / "Logs");
    m_folder.write("Logs/Vantrel.log", "kept\r\n");

    auto log = newLog(file);
    std::string expected = "kept\r\n";
    for (const auto& c : cases) {
        setClock(c.time);
        EXPECT_EQ(log->LogMe(c.message), com::S_OK);
        expected += c.line + "\r\n";
    }
    EXPECT_EQ(m_folder.read("Logs/Vantrel.log"), expected);
}

TEST_F(CLogTest, CreatesTheFileAndWritesThroughEveryNewObject) {
    setClock({2026, 1, 1, 0, 0, 0});
    const std::string file = (m_folder.path() / "new.log").string();
    ASSERT_FALSE(std::filesystem::exists(file));
    newLog(file)->LogMe("first");
    newLog(file)->LogMe("second");
    EXPECT_EQ(m_folder.read("new.log"), "1/1/2026 12:00:00 AM: first\r\n1/1/2026 12:00:00 AM: second\r\n");
}

TEST_F(CLogTest, ALineThatCannotBeWrittenIsDroppedWithoutError) {
    const std::string missingFolder = (m_folder.path() / "no" / "such" / "folder" / "x.log").string();
    const std::string aFolder = m_folder.str();  // a folder is no file to append to
    for (const std::string& name : {missingFolder, aFolder, std::string()}) {
        SCOPED_TRACE(name);
        auto log = newLog(name);
        EXPECT_EQ(log->LogMe("lost"), com::S_OK);
        EXPECT_FALSE(com::takeErrorInfo().has_value());
        // Late-bound callers see no error either.
        EXPECT_NO_THROW(com::invoke(log.get(), "LogMe", com::DISPATCH_METHOD, {"lost"}));
    }
    EXPECT_FALSE(std::filesystem::exists(m_folder.path() / "no"));
    std::size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(m_folder.path())) entries += e.path().filename() != "bin";
    EXPECT_EQ(entries, 0u) << "nothing written for an empty file name";
}

TEST_F(CLogTest, FileNameIsStoredUnchangedAndReachableByName) {
    auto log = newLog("  C:\\Odd Path\\log.txt ");
    std::string value;
    com::check(log->get_FileName(&value));
    EXPECT_EQ(value, "  C:\\Odd Path\\log.txt ");

    const std::string file = (m_folder.path() / "byname.log").string();
    com::invoke(log.get(), "FILENAME", com::DISPATCH_PROPERTYPUT, {file});
    EXPECT_EQ(com::invoke(log.get(), "filename", com::DISPATCH_PROPERTYGET).toString(), file);
    setClock({2026, 2, 3, 4, 5, 6});
    com::invoke(log.get(), "logme", com::DISPATCH_METHOD, {"by name"});
    EXPECT_EQ(m_folder.read("byname.log"), "3/2/2026 04:05:06 AM: by name\r\n");
}

TEST_F(CLogTest, UnregisteredLoggingCannotBeCreated) {
    m_registry.remove(VANTREL_LOGGING_LIBRARY);
    try {
        com::create<logging::ICLog>(logging::CLSID_CLog, logging::IID_CLog);
        FAIL() << "CLog created after unregistering";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_NE(e.description().find(logging::CLSID_CLog.toString()), std::string::npos) << e.description();
    }
}

}  // namespace
