// Bad input handed to the real pipeline: each run ends with a clear error
// object, or a sound sheet, and nothing that was on disk before is lost.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "HardeningFolder.h"
#include "PdfFields.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace {

using hardening::HardeningFolder;
namespace fs = std::filesystem;

constexpr const char* kBuildSource = "CSetupManager::BuildSetupSheet-";

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string out(size, '\0');
    for (char& c : out) c = static_cast<char>(generator() & 0xFF);
    return out;
}

std::string written(QPDFWriter& writer) {
    writer.write();
    auto buffer = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

std::string encryptedTemplate() {
    QPDF pdf;
    pdf.processFile((fs::path(VANTREL_STAGE_DIR) / "Templates" / "SetupSheet_RDX.pdf").c_str());
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setR6EncryptionParameters("racer", "owner", true, true, true, true, true, true, qpdf_r3p_full, true);
    return written(writer);
}

std::string pdfWithoutForm() {
    QPDF pdf;
    pdf.emptyPDF();
    auto page = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>"));
    QPDFPageDocumentHelper(pdf).addPage(page, false);
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    return written(writer);
}

// ------------------------------------------------------------ bad templates

struct TemplateCase {
    const char* name;
    std::function<std::string()> bytes;
    const char* expectedStart;  // after "CSetupManager::BuildSetupSheet-", before the sheet's path
    const char* expectedEnd;
};

void PrintTo(const TemplateCase& c, std::ostream* out) { *out << c.name; }

class BadTemplateTest : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(BadTemplateTest, RunFailsWithAClearErrorAndKeepsEveryFile) {
    HardeningFolder folder;
    folder.write("Templates/SetupSheet_RDX.pdf", GetParam().bytes());
    const auto before = folder.snapshot();

    const auto error = folder.build(folder.file("Data/Sample.dat"), folder.file("Sheets"));

    ASSERT_TRUE(error) << "the run reported success";
    EXPECT_EQ(error->number(), 1);
    // The message names the sheet the template was copied to.
    const std::string start =
        std::string(kBuildSource) + GetParam().expectedStart + folder.file("Sheets") + "/Driver A_SetupSheet_RDX_";
    EXPECT_EQ(error->source().rfind(start, 0), 0u) << error->source();
    EXPECT_TRUE(error->source().ends_with(GetParam().expectedEnd)) << error->source();
    hardening::expectNothingLost(before, folder.snapshot());
}

INSTANTIATE_TEST_SUITE_P(
    Templates, BadTemplateTest,
    ::testing::Values(TemplateCase{"NotAPdf", [] { return randomBytes(4096, 7); }, "Cannot open ", ".pdf"},
                      TemplateCase{"Encrypted", encryptedTemplate, "Cannot open ", ".pdf"},
                      TemplateCase{"WithoutAForm", pdfWithoutForm, "The document ", ".pdf has no form fields to fill"}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------- folders that cannot be written

TEST(UnwritableFolderTest, SheetFolderThroughAFileStopsTheRunAndLeavesNoSheet) {
    HardeningFolder folder;
    folder.write("Sheets/blocker", "a file, not a folder");
    const auto before = folder.snapshot();

    const auto error = folder.build(folder.file("Data/Sample.dat"), folder.file("Sheets/blocker/Out"));

    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 1);
    EXPECT_EQ(error->source().rfind(std::string(kBuildSource) + "Cannot copy the template ", 0), 0u) << error->source();
    const auto after = folder.snapshot();
    hardening::expectNothingLost(before, after);
    for (const auto& [relative, bytes] : after) {
        if (relative.ends_with(".pdf")) {
            EXPECT_EQ(relative.rfind("Templates/", 0), 0u) << "a sheet was left at " << relative;
        }
    }
}

TEST(UnwritableFolderTest, DataFolderThroughAFileStopsTheRunBeforeTheTemplateIsCopied) {
    HardeningFolder folder;
    folder.write("Blocked", "a file, not a folder");
    std::string settings = hardening::kSettings;
    settings.replace(settings.find("DataDirectory=Data"), 18, "DataDirectory=Blocked\\Data");
    folder.write("bin/Vantrel.ini", settings);
    const auto before = folder.snapshot();

    const auto error = folder.build(folder.file("Data/Sample.dat"), folder.file("Sheets"));

    ASSERT_TRUE(error);
    // The run's lock lives in the data folder: the first file it cannot make there stops it.
    EXPECT_EQ(
        error->source().rfind(std::string(kBuildSource) + "Cannot open the lock file " +
                                  (folder.path() / "Blocked" / "Data" / "Vantrel.lock").string() + ": Not a directory",
                              0),
        0u)
        << error->source();
    hardening::expectNothingLost(before, folder.snapshot());
    EXPECT_TRUE(fs::is_empty(folder.path() / "Sheets"));
}

}  // namespace

// ---------------------------------------------------- files of random bytes

namespace {

struct RandomFileCase {
    const char* name;
    const char* relative;       // the file that holds random bytes
    const char* expectedStart;  // of the source, after "CSetupManager::BuildSetupSheet-"
};

void PrintTo(const RandomFileCase& c, std::ostream* out) { *out << c.name; }

class RandomBytesTest : public ::testing::TestWithParam<RandomFileCase> {};

TEST_P(RandomBytesTest, RunFailsNamingTheFileAndWritesNothing) {
    HardeningFolder folder;
    folder.write("Data/SheetData.txt", "the last run's record\r\n");
    folder.write(GetParam().relative, randomBytes(8192, 11));
    const auto before = folder.snapshot();

    const auto error = folder.build(folder.file("Data/Sample.dat"), folder.file("Sheets"));

    ASSERT_TRUE(error) << "the run reported success";
    EXPECT_EQ(error->number(), 1);
    const std::string expected =
        std::string(kBuildSource) + GetParam().expectedStart + folder.file(GetParam().relative);
    EXPECT_EQ(error->source().rfind(expected, 0), 0u) << error->source();
    const auto after = folder.snapshot();
    hardening::expectNothingLost(before, after);
    EXPECT_EQ(after.at("Data/SheetData.txt"), "the last run's record\r\n");
    EXPECT_TRUE(fs::is_empty(folder.path() / "Sheets"));
}

INSTANTIATE_TEST_SUITE_P(Files, RandomBytesTest,
                         ::testing::Values(RandomFileCase{"RawDataFile", "Data/Sample.dat", "The raw data file "},
                                           RandomFileCase{"SettingsFile", "bin/Vantrel.ini", "The settings file "}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ extreme values

TEST(ExtremeValueTest, ValuesOfTenThousandCharactersGiveASheetOfWholeCharacters) {
    HardeningFolder folder;
    std::string longDriver;
    for (int i = 0; i < 10000; ++i) longDriver += "\xC3\xA9";  // é
    const std::string longNotes(10000, 'n');
    const std::string raw = "[SetupData]\r\nDriverName=" + longDriver + "\r\nTrackCity=" + std::string(10000, 't') +
                            "\r\nNotes=" + longNotes + "\r\nFrontShockTower=2\r\n";
    folder.write("Data/Long.dat", raw);

    std::string sheet;
    const auto error = folder.build(folder.file("Data/Long.dat"), folder.file("Sheets"), &sheet);

    ASSERT_FALSE(error) << error->source();
    const fs::path sheetPath(platform::paths::toNative(sheet));
    ASSERT_TRUE(fs::exists(sheetPath)) << sheet;
    EXPECT_LE(sheetPath.filename().string().size(), 255u - 8) << "no room for the temporary name beside it";
    EXPECT_NE(sheetPath.filename().string().find("\xC3\xA9\xC3\xA9_SetupSheet_RDX_"), std::string::npos);
    EXPECT_TRUE(platform::text::isValidUtf8(sheetPath.filename().string()));

    // Each value is cut where a profile read cuts it, at a whole character.
    const auto fields = testsupport::formFields(sheetPath);
    EXPECT_EQ(fields.at("fldDriverName"), longDriver.substr(0, 254));
    EXPECT_EQ(fields.at("fldNotes"), longNotes.substr(0, 254));
    EXPECT_EQ(fields.at("fldFrontShockTowerShock2"), "l");
    EXPECT_EQ(folder.read("Data/Long.dat"), raw) << "the raw data file was changed";
}

TEST(ExtremeValueTest, MappingIndexOutOfRangeFailsNamingTheMappingFileAndKeepsIt) {
    HardeningFolder folder;
    folder.write("Config/Setup_RDX.ini",
                 "[Setup]\r\nSetupName=RDX\r\nMappingFile=Custom.map\r\nPDFTemplateSetupSheet=SetupSheet_RDX.pdf\r\n");
    const std::string mapping = "1=fldDriverName\r\n99999=fldTrackCity\r\n3=fldEventName\r\n";
    folder.write("Mapping/Custom.map", mapping);
    const auto before = folder.snapshot();

    const auto error = folder.build(folder.file("Data/Sample.dat"), folder.file("Sheets"));

    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 1);
    // The native path, as every message shows it.
    EXPECT_EQ(error->source(), std::string(kBuildSource) + "Cannot open " + folder.file("Mapping/Custom.map"));
    hardening::expectNothingLost(before, folder.snapshot());
    EXPECT_EQ(folder.read("Mapping/Custom.map"), mapping);
}

}  // namespace
