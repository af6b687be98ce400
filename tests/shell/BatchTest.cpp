// vantrel-batch: its command line, in-process, and the staged executable on
// the shipped sample raw data file and on forms other programs made.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "BatchRunner.h"
#include "RecordingViewer.h"
#include "ShellTestFolder.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

using namespace shelltest;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

struct BatchOutput {
    int status;
    std::vector<std::string> out;  // lines of standard output
    std::string err;
};

BatchOutput runInProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = vantrel::BatchRunner(out, err).run(args);
    BatchOutput result{status, {}, err.str()};
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) result.out.push_back(line);
    return result;
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
    platform::process::setClockForTesting({});  // the real clock: names differ by time
    const std::string raw = folder.rawDataFile();
    const BatchOutput result = runInProcess({"--target", folder.sheetsFolder(), raw, raw});
    ASSERT_EQ(result.status, vantrel::BatchRunner::ExitSuccess) << result.err;
    ASSERT_EQ(result.out.size(), 2u);
    EXPECT_NE(result.out[0], result.out[1]);
    EXPECT_TRUE(fs::exists(result.out[0]));
    EXPECT_TRUE(fs::exists(result.out[1]));
}

namespace {

// A copy of the staged program folder with a registry of its own, so the
// shipped program runs exactly as installed without touching the build's.
class StagedCopy {
public:
    StagedCopy() {
        const fs::path stage = VANTREL_STAGE_DIR;
        for (const auto& entry : fs::recursive_directory_iterator(stage)) {
            const fs::path relative = fs::relative(entry.path(), stage);
            const std::string top = relative.begin()->string();
            if (top == "Logs" || top == "Mapping" || relative == "bin/Registry.ini" || relative == "vantrel" ||
                relative == "Data/SheetData.txt")
                continue;
            if (entry.is_directory()) fs::create_directories(root() / relative);
            else if (entry.is_regular_file()) fs::copy_file(entry.path(), root() / relative);
        }
        for (const char* sub : {"Logs", "Mapping", "out", "fakebin"}) fs::create_directories(root() / sub);
        EXPECT_EQ(std::system(("'" + (root() / "regsvr").string() + "' /s '" + lib("Logging.so") + "' '" +
                               lib("Quorrel.so") + "' '" + lib("PdfAutomation.so") + "'")
                                  .c_str()),
                  0);
    }
    const fs::path& root() const { return m_folder.path(); }

    // Runs vantrel-batch with the given environment settings and arguments.
    BatchOutput run(const std::string& environment, const std::string& arguments) const {
        const fs::path out = root() / "stdout.txt", err = root() / "stderr.txt";
        const std::string command = "cd '" + root().string() + "' && env " + environment + " './vantrel-batch' " +
                                    arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        BatchOutput result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, {}, testsupport::TempProgramFolder::readFile(err)};
        std::istringstream lines(testsupport::TempProgramFolder::readFile(out));
        for (std::string line; std::getline(lines, line);) result.out.push_back(line);
        return result;
    }

private:
    std::string lib(const char* name) const { return (root() / name).string(); }
    testsupport::TempProgramFolder m_folder;
};

// Waits a few seconds at most for a file that a detached process writes.
std::string waitForFile(const fs::path& file) {
    for (int i = 0; i < 100 && !fs::exists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return testsupport::TempProgramFolder::readFile(file);
}

}  // namespace

TEST(BatchProgram, BuildsTheShippedSampleIntoAFreshSheet) {
    StagedCopy copy;
    const BatchOutput result = copy.run("-u DISPLAY -u WAYLAND_DISPLAY",
                                        "--target '" + (copy.root() / "out").string() + "' Data/Sample_RDX.dat");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    ASSERT_EQ(result.out.size(), 1u);

    // The only sheet in the empty target folder, named after the sample's driver.
    const fs::path sheet = result.out[0];
    EXPECT_EQ(sheet.parent_path(), copy.root() / "out");
    EXPECT_THAT(sheet.filename().string(), StartsWith("Alex Brennan_SetupSheet_RDX_"));
    ASSERT_TRUE(fs::exists(sheet));
    EXPECT_EQ(ShellTestFolder::formFields(sheet).at("fldDriverName"), "Alex Brennan");
    EXPECT_THAT(testsupport::TempProgramFolder::readFile(copy.root() / "Logs" / "Vantrel.log"),
                HasSubstr(": CSetupManager::BuildSetupSheet-START PROCESSING\r\n"));
}

TEST(BatchProgram, ShowsTheSheetInTheViewerOnlyWhenAsked) {
    StagedCopy copy;
    const fs::path opened = copy.root() / "opened.txt";
    const fs::path fake = copy.root() / "fakebin" / "xdg-open";
    testsupport::writeRecordingViewer(fake, opened);
    const std::string environment = "DISPLAY=:99 PATH='" + (copy.root() / "fakebin").string() + "':\"$PATH\"";
    const std::string target = "--target '" + (copy.root() / "out").string() + "' ";

    const BatchOutput quiet = copy.run(environment, target + "Data/Sample_RDX.dat");
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(opened));

    const BatchOutput shown = copy.run(environment, "--open " + target + "Data/Sample_RDX.dat");
    ASSERT_EQ(shown.status, 0) << shown.err;
    ASSERT_EQ(shown.out.size(), 1u);
    EXPECT_EQ(waitForFile(opened), shown.out[0] + "\n");
}

namespace {

// What qpdf itself sees of a PDF's form, as the lines --fields gives, in name order.
std::vector<std::string> fieldLinesByQpdf(const fs::path& pdfPath) {
    QPDF pdf;
    pdf.processFile(pdfPath.string().c_str());
    QPDFAcroFormDocumentHelper form(pdf);
    std::map<std::string, std::pair<int, std::string>> seen;  // name -> first page, on states
    const auto pages = QPDFPageDocumentHelper(pdf).getAllPages();
    for (std::size_t p = 0; p < pages.size(); ++p)
        for (auto& widget : form.getWidgetAnnotationsForPage(pages[p])) {
            auto field = form.getFieldForAnnotation(widget);
            auto& entry = seen[field.getFullyQualifiedName()];
            if (!entry.first) entry.first = static_cast<int>(p) + 1;
            if (field.isCheckbox() || field.isRadioButton())
                for (const auto& state : widget.getAppearanceDictionary().getKey("/N").getKeys())
                    if (state != "/Off") entry.second += (entry.second.empty() ? "" : "|") + state.substr(1);
        }
    std::vector<std::string> lines;
    for (auto& field : form.getFormFields()) {
        const std::string name = field.getFullyQualifiedName();
        const bool combo = field.getFlags() & (1 << 17);
        const std::string kind = field.isText()          ? "text"
                                 : field.isCheckbox()    ? "checkbox"
                                 : field.isRadioButton() ? "radiobutton"
                                 : field.isPushbutton()  ? "button"
                                 : field.isChoice()      ? (combo ? "combobox" : "listbox")
                                                         : "signature";
        std::string line = name + "\t" + kind + "\t" + std::to_string(seen[name].first);
        if (kind == "checkbox" || kind == "radiobutton") line += "\t" + seen[name].second;
        lines.push_back(line);
    }
    // qpdf counts a radio group once per button.
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

}  // namespace

TEST(BatchProgram, FieldsListsWhatQpdfSeesInFormsOfThreeProducers) {
    StagedCopy copy;
    const fs::path data = fs::path(VANTREL_TEST_DATA_DIR) / "pdfauto";
    for (const fs::path& pdf :
         {copy.root() / "Templates" / "SetupSheet_RDX.pdf", data / "LatexForm.pdf", data / "WriterForm.pdf"}) {
        SCOPED_TRACE(pdf.string());
        const BatchOutput result = copy.run("-u DISPLAY", "--fields '" + pdf.string() + "'");
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        std::vector<std::string> lines = result.out;
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines, fieldLinesByQpdf(pdf));
        EXPECT_GE(lines.size(), 5u);
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
