// vantrel-batch's command line, in-process: its usage, its version, sheets
// built and failures reported, forms that are none.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <regex>
#include <map>
#include <sstream>
#include <thread>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "BatchRunner.h"
#include "platform/Process.h"
#include "CSetupBase.h"
#include "ShellTestFolder.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

using namespace shelltest;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

BatchOutput runInProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status =
        vantrel::BatchRunner(out, err, vantrel::Installation::read(platform::process::programFolder())).run(args);
    return BatchOutput::of(status, out.str(), err.str());
}

// Keeps the current folder for the test's life.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& folder) : m_old(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(m_old); }

private:
    fs::path m_old;
};

}  // namespace

TEST(Batch, WrongUsageExitsWithTwoAndTheUsageText) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--open"},
        {"--setup"},
        {"--setup", "RDX"},
        {"--target=", "raw.dat"},
        {"--colour", "raw.dat"},
        {"-x", "raw.dat"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const BatchOutput result = runInProcess(args);
        EXPECT_EQ(result.status, vantrel::BatchRunner::ExitUsage);
        EXPECT_TRUE(result.out.empty());
        EXPECT_THAT(result.err,
                    HasSubstr("Usage: vantrel-batch [--setup NAME] [--target DIR] [--open] RAWDATAFILE..."));
    }
    const BatchOutput help = runInProcess({"--help"});
    EXPECT_EQ(help.status, vantrel::BatchRunner::ExitSuccess);
    EXPECT_THAT(help.out.front(), StartsWith("Usage: vantrel-batch"));
}

// --version names the program's version and the libraries it runs with, and
// builds nothing, whatever else the command line holds.
TEST(Batch, VersionSaysTheLibrariesItRunsWith) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--version"}, {"--version", "raw.dat"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        const BatchOutput result = runInProcess(args);
        EXPECT_EQ(result.status, vantrel::BatchRunner::ExitSuccess);
        ASSERT_EQ(result.out.size(), 4u);
        // std::regex: GoogleTest's own regular expressions on Windows know no brackets.
        const auto matches = [](const std::string& line, const char* pattern) {
            return std::regex_match(line, std::regex(pattern));
        };
        EXPECT_TRUE(matches(result.out[0], "vantrel-batch [0-9]+\\.[0-9]+\\.[0-9]+")) << result.out[0];
        EXPECT_EQ(result.out[1], "Qt: not used by vantrel-batch");
        EXPECT_TRUE(matches(result.out[2], "qpdf [0-9]+\\.[0-9]+\\.[0-9]+")) << result.out[2];
        EXPECT_TRUE(matches(result.out[3], "SQLite 3\\.[0-9]+\\.[0-9]+")) << result.out[3];
        EXPECT_TRUE(result.err.empty());
    }
}

TEST(Batch, BuildsEveryFileReportsFailuresAndGoesOn) {
    ShellTestFolder folder;
    const std::string first = folder.rawDataFile("First.dat");
    // A file of another kind where a raw data file was expected.
    const std::string failing = folder.write("Data/Failing.dat", "%PDF-1.7 not a setup\r\n").string();
    const std::string last = folder.rawDataFile("Last.dat");
    ASSERT_TRUE(platform::profile::writeEntry(last, "SetupData", "DriverName", "Driver C"));

    const BatchOutput result = runInProcess({"--target", folder.sheetsFolder(), first, failing, last});
    EXPECT_EQ(result.status, vantrel::BatchRunner::ExitSomeFailed);
    const fs::path sheets = folder.path() / "Sheets";
    EXPECT_EQ(result.out,
              (std::vector<std::string>{(sheets / ShellTestFolder::sheetName("Driver A", "RDX")).string(),
                                        (sheets / ShellTestFolder::sheetName("Driver C", "RDX")).string()}));
    for (const auto& line : result.out) EXPECT_TRUE(fs::exists(line)) << line;
    EXPECT_EQ(result.err, "Error: CSetupManager::BuildSetupSheet-The raw data file " + failing +
                              " is not a raw data file: it has no [SetupData] section\n");
}

TEST(Batch, TakesTheSetupNameAndDefaultsToTheCurrentFolder) {
    ShellTestFolder folder;
    folder.write("Config/Setup_Club.ini", setupIni("Club", "Mapping_Club.map"));
    const std::string raw = folder.rawDataFile();
    CurrentFolder here(folder.path() / "Sheets");

    const BatchOutput result = runInProcess({"--setup", "Club", raw});
    ASSERT_EQ(result.status, vantrel::BatchRunner::ExitSuccess) << result.err;
    ASSERT_EQ(result.out.size(), 1u);
    EXPECT_EQ(fs::path(result.out[0]), folder.path() / "Sheets" / ShellTestFolder::sheetName("Driver A", "Club"));
    EXPECT_TRUE(fs::exists(result.out[0]));
}

TEST(Batch, OneRawDataFileTwiceGivesTwoSheets) {
    ShellTestFolder folder;
    folder.host().setClock(nullptr);  // the real clock: names differ by time
    const std::string raw = folder.rawDataFile();
    const BatchOutput result = runInProcess({"--target", folder.sheetsFolder(), raw, raw});
    ASSERT_EQ(result.status, vantrel::BatchRunner::ExitSuccess) << result.err;
    ASSERT_EQ(result.out.size(), 2u);
    EXPECT_NE(result.out[0], result.out[1]);
    EXPECT_TRUE(fs::exists(result.out[0]));
    EXPECT_TRUE(fs::exists(result.out[1]));

    // The next build starts only once the clock has left the last name's stamp,
    // whatever part of the hundredth that name was made in.
    for (int round = 0; round < 25; ++round) {
        const std::string stamp = vantrel::CSetupBase::TimeStampString(false, 2);
        vantrel::BatchRunner::waitForAnotherStamp("/sheets/A_b_SetupSheet_RDX_2026-12-08_" + stamp + ".pdf");
        EXPECT_NE(vantrel::CSetupBase::TimeStampString(false, 2), stamp);
        std::this_thread::sleep_for(std::chrono::microseconds(round * 400));
    }
}

TEST(Batch, FieldsOfAFileThatIsNoFormIsOneErrorLineNamingTheFile) {
    ShellTestFolder folder;
    auto writePdf = [&](const std::string& name, auto configure) {
        QPDF pdf;
        pdf.emptyPDF();
        auto page = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>"));
        pdf.addPage(page, false);
        const std::string path = (folder.path() / name).string();
        QPDFWriter writer(pdf, path.c_str());
        configure(writer);
        writer.write();
        return path;
    };
    struct Case {
        std::string file;
        std::string reason;
    };
    const std::vector<Case> cases{
        {folder.write("notes.pdf", "[SetupData]\r\nDriverName=Alex\r\n").string(), "not a readable PDF"},
        {folder.write("broken.pdf", "%PDF-1.7\n1 0 obj\n<< /Type /Cat").string(), "not a readable PDF"},
        {writePdf("locked.pdf",
                  [](QPDFWriter& w) {
                      w.setR6EncryptionParameters("pw", "owner", true, true, true, true, true, true, qpdf_r3p_full,
                                                  true);
                  }),
         "the document is encrypted and needs a password"},
        {writePdf("plain.pdf", [](QPDFWriter&) {}), "the document has no form fields"},
        {(folder.path() / "missing.pdf").string(), "No such file"},
        {(folder.path() / "Data").string(), "it is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const BatchOutput result = runInProcess({"--fields", c.file});
        EXPECT_EQ(result.status, vantrel::BatchRunner::ExitSomeFailed);
        EXPECT_TRUE(result.out.empty());
        EXPECT_THAT(result.err, StartsWith("Error: "));
        EXPECT_THAT(result.err, HasSubstr(c.file + ": " + c.reason));
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    // --fields takes one PDF and nothing else.
    EXPECT_EQ(runInProcess({"--fields"}).status, vantrel::BatchRunner::ExitUsage);
    EXPECT_EQ(runInProcess({"--fields", "a.pdf", "raw.dat"}).status, vantrel::BatchRunner::ExitUsage);
}

// The mapping --suggest-mapping prints for the club's own form, saved as it
