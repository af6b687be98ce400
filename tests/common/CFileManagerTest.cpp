#include <gtest/gtest.h>

#include <filesystem>

#include "CFileManager.h"
#include "TempProgramFolder.h"
#include "platform/Paths.h"
#include "platform/Process.h"

namespace fs = std::filesystem;
using testsupport::TempProgramFolder;

namespace {

class CFileManagerTest : public ::testing::Test {
protected:
    std::string sysPath(const std::string& name) const { return dir.str() + "\\" + name; }
    std::vector<std::string> entries(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempProgramFolder dir;
    CFileManager fm;
};

TEST_F(CFileManagerTest, StatusNamesTheFirstTwentyCharacters) {
    const struct {
        std::string line;
        std::string shown;
    } cases[] = {
        {"abcde", "abcde"},
        {"123456789012345678901234567890", "12345678901234567890"},
        {"", ""},
        {std::string(19, 'x') + "\xE2\x82\xAC" + "tail", std::string(19, 'x') + "\xE2\x82\xAC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(fm.writeLineToFile(sysPath("s.txt"), c.line), "Success: " + c.shown + "....etc writen to file");
        EXPECT_EQ(fm.appendLineToFile(sysPath("s.txt"), c.line), "Success: " + c.shown + "....etc writen to file");
        EXPECT_EQ(dir.read("s.txt"), c.line + "\r\n" + c.line + "\r\n");
    }
}

TEST_F(CFileManagerTest, EmptyFileNameWritesNothing) {
    EXPECT_EQ(fm.appendLine("line"), "Error: No open file object");
    EXPECT_EQ(fm.writeLineToFilePreDefined(), "Error: No open file object");
    EXPECT_EQ(fm.writeLineToFileWithData("line"), "Error: No open file object");
    EXPECT_EQ(fm.writeLineToFile("", "line"), "Error: No open file object");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"bin"});
}

TEST_F(CFileManagerTest, WritesReplaceAppendsAddAndFailuresAreEmpty) {
    dir.write("d.txt", "old line 1\r\nold line 2\r\n");
    fm.setFileName(sysPath("d.txt"));
    fm.setNewText("first");
    EXPECT_NE(fm.writeLineToFilePreDefined(), "");
    EXPECT_EQ(dir.read("d.txt"), "first\r\n");
    fm.appendLine("second");
    fm.writeLineToFileWithData("only");
    fm.appendLine("then");
    EXPECT_EQ(dir.read("d.txt"), "only\r\nthen\r\n");
    fm.appendLines({});
    fm.appendLines({"3", "4"});
    EXPECT_EQ(dir.read("d.txt"), "only\r\nthen\r\n3\r\n4\r\n");
    EXPECT_EQ(fm.appendLineToFile(sysPath("new.txt"), "made"), "Success: made....etc writen to file");
    EXPECT_EQ(dir.read("new.txt"), "made\r\n");

    EXPECT_EQ(fm.writeLineToFile(sysPath("missing\\x.txt"), "x"), "");
    EXPECT_EQ(fm.appendLineToFile(sysPath("bin"), "x"), "");
}

// The program's own write of the data file answers a failure where the
// status text is not "Success: ...", and nothing where it is, with the file
// and the system's reason; what the file held stays when it fails.
TEST_F(CFileManagerTest, TheDataLineFailsAboutItsFileWhereTheStatusFails) {
    dir.write("held.txt", "old\r\n");
    dir.write("a folder/inside.txt", "x");
    const struct {
        const char* file;    // below the folder; "" for none
        const char* reason;  // nullptr: written
    } cases[] = {
        {"held.txt", nullptr},
        {"new.txt", nullptr},
        {"a folder", "it is not a regular file"},
        {"missing\\x.txt", "No such file or directory"},
        {"", "it could not be written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string name = *c.file ? sysPath(c.file) : std::string();
        fm.setFileName(name);
        const auto failed = fm.writeDataLine("data line");
        fm.setFileName(name);
        const bool statusSaysSuccess = fm.writeLineToFileWithData("data line").rfind("Success: ", 0) == 0;
        EXPECT_EQ(bool(failed), !statusSaysSuccess);
        if (!c.reason) {
            EXPECT_FALSE(failed) << failed->description();
            EXPECT_EQ(dir.read(c.file), "data line\r\n");
            continue;
        }
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->reason(), c.reason);
        EXPECT_EQ(failed->file(), platform::paths::toNative(name));
        EXPECT_EQ(failed->number(), platform::ErrPathAccess);
    }
    EXPECT_EQ(dir.read("a folder/inside.txt"), "x");
}

TEST_F(CFileManagerTest, CopyReplacesTargetAndNeverLeavesAPart) {
    dir.write("t/template.pdf", "%PDF new");
    dir.write("out/sheet.pdf", "%PDF old and longer");
    EXPECT_EQ(fm.copyFile(sysPath("t\\template.pdf"), sysPath("out\\sheet.pdf")), "");
    EXPECT_EQ(dir.read("out/sheet.pdf"), "%PDF new");
    EXPECT_EQ(dir.read("t/template.pdf"), "%PDF new");

    const std::string missing = sysPath("t\\none.pdf");
    const std::string target = sysPath("out\\other.pdf");
    EXPECT_EQ(fm.copyFile(missing, target), "Failed to copy: " + missing + " to " + target);
    EXPECT_EQ(fm.copyFile(sysPath("t"), target), "Failed to copy: " + sysPath("t") + " to " + target);
    const std::string noFolder = sysPath("nowhere\\x.pdf");
    EXPECT_EQ(fm.copyFile(sysPath("t\\template.pdf"), noFolder),
              "Failed to copy: " + sysPath("t\\template.pdf") + " to " + noFolder);
    fs::create_directories(dir.path() / "out" / "busy.pdf" / "inside");
    EXPECT_NE(fm.copyFile(sysPath("t\\template.pdf"), sysPath("out\\busy.pdf")), "");
    EXPECT_EQ(entries(dir.path() / "out"), (std::vector<std::string>{"busy.pdf", "sheet.pdf"}));
}

TEST_F(CFileManagerTest, FileOrDirExistsIgnoresLetterCase) {
    dir.write("Data/SheetData.txt", "x");
    fs::create_directories(dir.path() / "Empty");
    const struct {
        std::string file;
        std::string folder;
        bool exists;
    } cases[] = {
        {"", "", false},
        {sysPath("Data\\SheetData.txt"), "", true},
        {sysPath("DATA\\sheetdata.TXT"), "", false},  // the folder part is taken as written
        {sysPath("Data\\sheetdata.TXT"), "", true},
        {sysPath("Data\\SheetData.tx"), "", false},
        {sysPath("Data\\SheetData.txt"), sysPath("Nowhere"), true},  // folder ignored when a file is given
        {sysPath("Data\\Missing.txt"), sysPath("Data"), false},
        {sysPath("Data"), "", true},
        {sysPath("Data\\"), "", false},
        {"", sysPath("Data"), true},
        {"", sysPath("Data\\"), true},
        {"", sysPath("Empty"), true},
        {"", sysPath("Data\\SheetData.txt"), false},
        {"", sysPath("Nowhere"), false},
        {dir.str() + "/Data/sheetdata.txt", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " | " + c.folder);
        EXPECT_EQ(fm.FileOrDirExists(c.file, c.folder), c.exists);
    }
}

TEST_F(CFileManagerTest, DeleteWinFile) {
    EXPECT_EQ(fm.deleteWinFile(sysPath("none.txt")), "");
    dir.write("Mapping/Mapping_RDX.map", "1=fldA\r\n");
    EXPECT_EQ(fm.deleteWinFile(sysPath("Mapping\\mapping_rdx.MAP")), "");
    EXPECT_FALSE(fs::exists(dir.path() / "Mapping" / "Mapping_RDX.map"));

    // Never recursive: a folder with content stays.
    dir.write("Full/keep.txt", "x");
    EXPECT_EQ(fm.deleteWinFile(sysPath("Full")), "Failed to delete: " + sysPath("Full"));
    EXPECT_TRUE(fs::exists(dir.path() / "Full" / "keep.txt"));
}

TEST_F(CFileManagerTest, DeleteAllFilesRemovesOnlyReportNames) {
    dir.host().setClock(platform::process::LocalDateTime{2026, 12, 6, 14, 30, 46, 0.47});
    const std::string debit = fm.createSiebelFile("DirectDebitRequest", "Q1", "R2", "Monthly");
    dir.host().setClock(nullptr);
    for (const std::string& name : {debit, std::string("contract_9.pdf"), std::string("QualityChecklist_1_2.pdf"),
                                    std::string("Report.pdf"), std::string("Contracts.pdf"), std::string("Direct.pdf")})
        dir.write("Reports/" + name, "x");

    std::string folder = sysPath("Reports");
    EXPECT_EQ(fm.deleteAllFiles(folder), "");
    EXPECT_EQ(folder, sysPath("Reports") + "\\");
    EXPECT_EQ(entries(dir.path() / "Reports"), (std::vector<std::string>{"Contracts.pdf", "Direct.pdf", "Report.pdf"}));

    std::string empty;
    EXPECT_EQ(fm.deleteAllFiles(empty), "");
    EXPECT_EQ(empty, "");
}

TEST_F(CFileManagerTest, ReportNamesCarryDateAndTimeStamp) {
    dir.host().setClock(platform::process::LocalDateTime{2026, 2, 6, 9, 5, 7, 0.999});
    const struct {
        const char* type;
        const char* name;
    } cases[] = {
        {"ContractReport", "Contract_Q1_R2_20260206-0905071.00.pdf"},
        {"DirectDebitRequest", "DirectDebit_Q1_R2_Monthly_20260206-0905071.00.pdf"},
        {"QualityControlChecklist", "QualityChecklist_Q1_R2_20260206-0905071.00.pdf"},
        {"contractreport", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(fm.createSiebelFile(c.type, "Q1", "R2", "Monthly"), c.name) << c.type;
    dir.host().setClock(platform::process::LocalDateTime{2026, 12, 6, 14, 30, 46, 0.47});
    EXPECT_EQ(fm.createSiebelFile("ContractReport", "Q", "R", ""), "Contract_Q_R_20261206-143046.47.pdf");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"bin"});
}

TEST(CFileManagerStripTest, StripTerminator) {
    EXPECT_EQ(CFileManager::StripTerminator(""), "");
    EXPECT_EQ(CFileManager::StripTerminator("name.pdf"), "name.pdf");
    EXPECT_EQ(CFileManager::StripTerminator(std::string("name\0rest", 9)), "name");
    EXPECT_EQ(CFileManager::StripTerminator(std::string("\0x", 2)), "");
}

}  // namespace
